#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the designer need.
# Checks each package with dpkg first, so it is a quiet no-op when all are there.
#   scripts/install-deps.sh             what `make test` and `make run` need
#   scripts/install-deps.sh sanitizers  clang, its sanitizer and libFuzzer
#                                       runtimes and the symbolizer, for
#                                       `make test-asan` and `make fuzz`
#   scripts/install-deps.sh bench       Google Benchmark, for `make bench`
#   scripts/install-deps.sh lint        clang-format and clang-tidy, for `make lint`
#   scripts/install-deps.sh package     dpkg-shlibdeps, the validators and lintian,
#                                       for `make package` and `make test-package`
#   scripts/install-deps.sh windows     the MinGW-w64 cross compiler, Wine, NSIS and
#                                       what runs the designer under a virtual display
#                                       and looks at it, for `make test-windows`
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  libgtest-dev libgmock-dev
  nlohmann-json3-dev
  qt6-base-dev qt6-svg-dev libgl-dev
  xvfb xauth
  poppler-utils
)
for extra in "$@"; do
  case "$extra" in
    sanitizers) packages+=(clang llvm libclang-rt-dev) ;;
    bench) packages+=(libbenchmark-dev git python3) ;;
    lint) packages+=(clang-format clang-tidy) ;;
    windows) packages+=(g++-mingw-w64-x86-64-posix wine wine64 nsis xdotool imagemagick fonts-wine fonts-dejavu-core fonts-liberation2) ;;
    package) packages+=(dpkg-dev lintian desktop-file-utils appstream shared-mime-info man-db) ;;
    *) echo "install-deps.sh: unknown package set '$extra'" >&2; exit 2 ;;
  esac
done
if [ "${VOLTARIS_EXTRA_PACKAGES:-}" != "" ]; then
  # shellcheck disable=SC2206
  packages+=(${VOLTARIS_EXTRA_PACKAGES})
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing missing packages: ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
if ! $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"; then
  $sudo apt-get update -q
  $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
