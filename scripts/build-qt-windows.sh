#!/usr/bin/env bash
# Makes Qt 6.4.2 for 64-bit Windows available to the cross build of the
# designer, and prints its folder on the last line.
#   scripts/build-qt-windows.sh [--from-source] [PREFIX]
#
# PREFIX defaults to $VOLTARIS_QT_WINDOWS, then ~/.cache/voltaris/qt6-mingw-6.4.2.
# In that order of preference:
#   1. a prefix that already holds Qt for Windows is used as it is, at once;
#   2. the prebuilt prefix ../shared/qt6-mingw-6.4.2.tar.xz beside the work
#      tree, when present, is unpacked (seconds);
#   3. otherwise Debian's own source of qt6-base (the version of the build
#      machine's Qt, whose moc, rcc and uic the cross build uses) is fetched
#      and built with the MinGW-w64 posix compiler: Core, Gui, Widgets,
#      PrintSupport, Test, the Windows platform plugin and styles, with the
#      bundled zlib, pcre2, freetype, harfbuzz, png and jpeg (about an hour
#      on two cores). --from-source skips step 2.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

from_source=0
if [ "${1:-}" = "--from-source" ]; then
  from_source=1
  shift
fi
prefix=${1:-${VOLTARIS_QT_WINDOWS:-$HOME/.cache/voltaris/qt6-mingw-6.4.2}}
qt_version=6.4.2
debian_version=6.4.2+dfsg-10
tarball=$root/../shared/qt6-mingw-$qt_version.tar.xz
jobs=${JOBS:-$(nproc)}

step() { echo "build-qt-windows: $*" >&2; }
fail() { echo "build-qt-windows: FAILED: $*" >&2; exit 1; }
# A prefix is complete once its package configuration and the Windows
# platform plugin are there (both are installed last of what is needed).
complete() { [ -f "$1/lib/cmake/Qt6/Qt6Config.cmake" ] && [ -f "$1/plugins/platforms/qwindows.dll" ]; }

if complete "$prefix"; then
  echo "$prefix"
  exit 0
fi
[ -e "$prefix" ] && [ -n "$(ls -A "$prefix" 2>/dev/null)" ] &&
  fail "$prefix exists but holds no complete Qt for Windows; remove it or name another folder"

# The cross compiler, the host's Qt tools of the same version, and the build tools.
scripts/install-deps.sh windows
parent=$(dirname "$prefix")
mkdir -p "$parent"

if [ "$from_source" = 0 ] && [ -f "$tarball" ]; then
  step "unpacking $tarball"
  scratch=$(mktemp -d "$parent/.qt-unpack.XXXXXX")
  trap 'rm -rf "$scratch"' EXIT
  tar -xJf "$tarball" -C "$scratch"
  unpacked=$(find "$scratch" -mindepth 1 -maxdepth 1 -type d | head -1)
  complete "$unpacked" || fail "$tarball holds no complete Qt for Windows"
  rm -rf "$prefix"
  mv "$unpacked" "$prefix"
  echo "$prefix"
  exit 0
fi

# Debian's source archive: a deb-src entry beside the binary one, once.
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
sources=/etc/apt/sources.list.d/voltaris-deb-src.sources
if ! grep -rqs "deb-src" /etc/apt/sources.list /etc/apt/sources.list.d/; then
  step "adding Debian's source archive ($sources)"
  uris=$(sed -n 's/^URIs: *//p' /etc/apt/sources.list.d/debian.sources 2>/dev/null | head -1)
  $sudo tee "$sources" > /dev/null <<EOF
Types: deb-src
URIs: ${uris:-http://deb.debian.org/debian}
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
EOF
  $sudo apt-get update -q >&2
fi
export DEBIAN_FRONTEND=noninteractive
for p in dpkg-dev perl python3; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" ||
    $sudo apt-get install -y -q --no-install-recommends "$p" >&2
done

work=$(mktemp -d "${TMPDIR:-/tmp}/voltaris-qt-windows.XXXXXX")
trap 'rm -rf "$work"' EXIT
step "fetching Debian's source of qt6-base $debian_version into $work"
(cd "$work" && apt-get source --download-only "qt6-base=$debian_version" >&2 &&
  dpkg-source -x qt6-base_*.dsc source >&2) || fail "apt-get source qt6-base=$debian_version"

cat > "$work/toolchain.cmake" <<'EOF'
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
EOF

step "configuring (the log is $work/configure.log)"
staging=$(mktemp -d "$parent/.qt-build.XXXXXX")
trap 'rm -rf "$work" "$staging"' EXIT
cmake -S "$work/source" -B "$work/build" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$work/toolchain.cmake" \
  -DCMAKE_INSTALL_PREFIX="$staging/qt6-mingw-$qt_version" \
  -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=ON \
  -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
  -DQT_QMAKE_TARGET_MKSPEC=win32-g++ \
  -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF \
  -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_dbus=OFF -DFEATURE_opengl=OFF \
  -DFEATURE_dynamicgl=OFF -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF -DFEATURE_tabletevent=OFF \
  -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_freetype=OFF \
  -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_png=OFF -DFEATURE_system_jpeg=OFF \
  > "$work/configure.log" 2>&1 || { tail -40 "$work/configure.log" >&2; fail "configuring qtbase"; }
[ "${VOLTARIS_QT_CONFIGURE_ONLY:-0}" = 1 ] && { step "configured; stopping as VOLTARIS_QT_CONFIGURE_ONLY asks"; exit 0; }

step "building with $jobs jobs (about an hour on two cores; the log is $work/build.log)"
cmake --build "$work/build" -j "$jobs" > "$work/build.log" 2>&1 || { tail -40 "$work/build.log" >&2; fail "building qtbase"; }
cmake --install "$work/build" > "$work/install.log" 2>&1 || { tail -40 "$work/install.log" >&2; fail "installing qtbase"; }
complete "$staging/qt6-mingw-$qt_version" || fail "the build installed no complete Qt for Windows"
rm -rf "$prefix"
mv "$staging/qt6-mingw-$qt_version" "$prefix"
echo "$prefix"
