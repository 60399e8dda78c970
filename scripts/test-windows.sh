#!/usr/bin/env bash
# Runs the Windows build of the core's tests (cmake/toolchain-mingw64.cmake)
# under Wine, in a scratch Wine prefix inside the build folder, then
# voltaris-report.exe on an example project against the known report.
#   scripts/test-windows.sh [build-dir] [jobs]      (default: ./build-windows, 2)
set -euo pipefail
build=${1:-build-windows}
jobs=${2:-2}
cd "$(dirname "$0")/.."
case "$build" in /*) ;; *) build="$(pwd)/$build" ;; esac

export WINEPREFIX="$build/wineprefix"
export WINEDEBUG=-all
# No Mono or Gecko: console programs need neither, and nothing is fetched.
export WINEDLLOVERRIDES="mscoree,mshtml="
# The programs print to the console; no window is ever opened.
unset DISPLAY WAYLAND_DISPLAY

step() { echo "test-windows: $*"; }
fail() { echo "test-windows: FAILED: $*" >&2; exit 1; }

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  step "making the Wine prefix $WINEPREFIX"
  wineboot -i > "$build/wineboot.log" 2>&1 || { cat "$build/wineboot.log" >&2; fail "wineboot"; }
  wineserver -w
fi
# The prefix's server ends with this script, whatever its outcome.
trap 'wineserver -k 2>/dev/null || true' EXIT

step "the core's tests under $(wine --version)"
(cd "$build" && ctest --output-on-failure -j "$jobs") || fail "ctest in $build"

step "voltaris-report.exe on the CornerShop example"
report=$(wine "$build/tools/voltaris-report.exe" --data "$(pwd)/examples" --date 08/12/2026 CornerShop) ||
  fail "voltaris-report.exe could not report the example"
# A Windows console program ends its lines with CR LF.
if ! diff -u tests/tools/corner_shop_report.txt <(tr -d '\r' <<< "$report") > "$build/report.diff"; then
  head -20 "$build/report.diff" >&2
  fail "the report of voltaris-report.exe differs from the known one"
fi
step "passed"
