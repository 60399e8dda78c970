#!/usr/bin/env bash
# Runs the Windows build (cmake/toolchain-mingw64.cmake) under Wine on a
# virtual display: every test program of the build, the core's and the
# windows' (Qt Test, offscreen), in a scratch Wine prefix inside the build
# folder; then the installer end to end (scripts/test-windows-installer.sh).
#   scripts/test-windows.sh [build-dir] [jobs]      (default: ./build-windows, 2)
set -euo pipefail
build=${1:-build-windows}
jobs=${2:-2}
cd "$(dirname "$0")/.."
case "$build" in /*) ;; *) build="$(pwd)/$build" ;; esac

# Wine's windows need a display, the Qt tests' hidden ones too: a virtual
# one of our own, whatever display the caller has.
if [ -z "${VOLTARIS_WINE_DISPLAY:-}" ]; then
  export VOLTARIS_WINE_DISPLAY=1
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$build" "$jobs"
fi

step() { echo "test-windows: $*"; }
fail() { echo "test-windows: FAILED: $*" >&2; exit 1; }

export WINEDEBUG=-all
# No Mono or Gecko: nothing here needs them, and nothing is fetched.
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEPREFIX="$build/wineprefix"

# A path of this machine as Wine's Z: drive shows it.
windows_path() { printf 'Z:%s' "${1//\//\\}"; }

qt=$(sed -n 's/^VOLTARIS_QT_WINDOWS:[A-Z]*=//p' "$build/CMakeCache.txt")
if [ -n "$qt" ]; then
  # The test programs find the Qt DLLs and the compiler's runtime DLLs on
  # Wine's search path, and Qt's plugins in the prefix.
  compiler=$(sed -n 's/^CMAKE_CXX_COMPILER:[A-Z]*=//p' "$build/CMakeCache.txt")
  runtime=()
  for dll in libstdc++-6.dll libwinpthread-1.dll; do
    runtime+=("$(windows_path "$(dirname "$(readlink -f "$("$compiler" -print-file-name=$dll)")")")")
  done
  WINEPATH="$(windows_path "$qt/bin");${runtime[0]};${runtime[1]}"
  export WINEPATH
  QT_PLUGIN_PATH=$(windows_path "$qt/plugins")
  export QT_PLUGIN_PATH
fi

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  step "making the Wine prefix $WINEPREFIX"
  wineboot -i > "$build/wineboot.log" 2>&1 || { cat "$build/wineboot.log" >&2; fail "wineboot"; }
  wineserver -w
fi
# The prefix's server ends with this script, whatever its outcome.
trap 'WINEPREFIX="$build/wineprefix" wineserver -k 2>/dev/null || true' EXIT

# Qt's offscreen platform finds no fonts in a Wine prefix (Wine's own are
# not where it looks): the build machine's Liberation Sans (the metrics of
# Windows' Arial) and DejaVu Sans Mono stand in, in a folder the prefix's
# environment names (Wine hands no QT_ variable of ours to its programs).
fonts="$build/wine-fonts"
mkdir -p "$fonts"
ln -sf /usr/share/fonts/truetype/liberation2/LiberationSans-*.ttf /usr/share/fonts/truetype/dejavu/DejaVuSansMono*.ttf "$fonts/"
wine reg add 'HKCU\Environment' /v QT_QPA_FONTDIR /d "$(windows_path "$fonts")" /f > /dev/null 2>&1

# Wine's server and its background processes run from here on, started
# before the tests: started by a test, they would hold CTest's output pipe
# open, and CTest would wait for them minutes after the test has ended.
wineserver -p 2> /dev/null || true  # already running: it runs on as it is
wine cmd /c exit > /dev/null 2>&1

step "the tests under $(wine --version)"
start=$(date +%s)
(cd "$build" && ctest --output-on-failure -j "$jobs") || fail "ctest in $build"
step "the tests took $(($(date +%s) - start)) s"

step "voltaris-report.exe on the CornerShop example"
report=$(wine "$build/tools/voltaris-report.exe" --data "$(pwd)/examples" --date 08/12/2026 CornerShop) ||
  fail "voltaris-report.exe could not report the example"
# A Windows console program ends its lines with CR LF.
if ! diff -u tests/tools/corner_shop_report.txt <(tr -d '\r' <<< "$report") > "$build/report.diff"; then
  head -20 "$build/report.diff" >&2
  fail "the report of voltaris-report.exe differs from the known one"
fi

if [ -n "$qt" ]; then
  wineserver -k 2>/dev/null || true
  scripts/test-windows-installer.sh "$build"
fi
step "passed"
