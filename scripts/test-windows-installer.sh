#!/usr/bin/env bash
# The Windows installer end to end under Wine, in a Wine prefix of its own
# made afresh (a machine that never had Voltaris):
#   1. the installer runs silently (/S): the programs, the Start-menu entry,
#      the settings store with its defaults, the .pjx file type;
#   2. the installed designer starts on the virtual display, makes
#      Documents\Voltaris with the examples, and a double click on
#      Warehouse.pjx (Wine's `start`) opens it: its main window is found by
#      its title, which names the project's site, and a screenshot is kept
#      (windows-designer.png);
#   3. the installed voltaris-report.exe prints the CornerShop report as on
#      Linux and writes its PDF;
#   4. the uninstaller runs silently, takes the program and leaves the
#      user's projects.
#   scripts/test-windows-installer.sh [build-dir]     (needs a display: run it
#   from scripts/test-windows.sh, or under xvfb-run)
set -euo pipefail
build=${1:-build-windows}
cd "$(dirname "$0")/.."
case "$build" in /*) ;; *) build="$(pwd)/$build" ;; esac

step() { echo "test-windows-installer: $*"; }
fail() { echo "test-windows-installer: FAILED: $*" >&2; exit 1; }
[ -n "${DISPLAY:-}" ] || fail "there is no display (run it under xvfb-run)"

installer=$(ls "$build"/Voltaris-*-win64.exe 2>/dev/null | head -1)
[ -n "$installer" ] || fail "no installer in $build (make windows-installer)"

export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
# Nothing of the build's own search path: the installed programs must find
# all they need beside themselves.
unset WINEPATH QT_PLUGIN_PATH QT_QPA_PLATFORM
# A scratch home too, so that the prefix's Documents is no folder of the
# machine's user.
scratch="$build/installer-test"
rm -rf "$scratch"
mkdir -p "$scratch/home"
export HOME="$scratch/home"
export WINEPREFIX="$scratch/wineprefix"
trap 'wineserver -k 2>/dev/null || true' EXIT

step "making a fresh Wine prefix"
wineboot -i > "$scratch/wineboot.log" 2>&1 || { cat "$scratch/wineboot.log" >&2; fail "wineboot"; }
wineserver -w
drive_c="$WINEPREFIX/drive_c"
program_dir="$drive_c/Program Files/Voltaris"
documents=$(wine cmd /c 'echo %USERPROFILE%' 2>/dev/null | tr -d '\r')
profile="$drive_c/${documents#C:\\}"
profile=${profile//\\//}
home_dir="$profile/Documents/Voltaris"

step "installing $(basename "$installer") silently"
wine "$installer" /S
wineserver -w
for f in bin/voltaris.exe bin/voltaris-report.exe bin/Qt6Core.dll bin/Qt6Widgets.dll bin/platforms/qwindows.dll \
         bin/styles/qwindowsvistastyle.dll bin/libstdc++-6.dll share/voltaris/Colors.dat \
         share/voltaris/examples/Warehouse.pjx Uninstall.exe; do
  [ -f "$program_dir/$f" ] || fail "the installer left no $f in $program_dir"
done
ls "$drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Voltaris/Voltaris.lnk" > /dev/null ||
  fail "no Start-menu entry"
settings=$(wine reg query 'HKLM\Software\Quelmar\Voltaris' /reg:64 2>/dev/null | tr -d '\r')
for value in "System Standard" "Alarm Period" "Cable Length" "Cable Impedence" "Battery Degradation" "ShowLength"; do
  grep -q "$value" <<< "$settings" || fail "the settings store has no \"$value\": $settings"
done
grep -q "Cable Impedence *REG_BINARY *9A9999999999B93F" <<< "$settings" ||
  fail "the cable impedance default is not the double 0.1: $settings"
wine reg query 'HKCR\Voltaris.Project\shell\open\command' 2>/dev/null | tr -d '\r' | grep -q 'voltaris.exe" "%1"' ||
  fail "the .pjx file type does not open the designer"

step "the installed designer's first start"
(wine "C:\\Program Files\\Voltaris\\bin\\voltaris.exe" > "$scratch/designer.log" 2>&1 &)
for _ in $(seq 60); do
  [ -f "$home_dir/Data/Warehouse.pjx" ] && xdotool search --name "Beta" > /dev/null 2>&1 && break
  sleep 1
done
[ -f "$home_dir/Data/Warehouse.pjx" ] || fail "the first start made no $home_dir/Data with the examples"
[ -f "$home_dir/Colors.dat" ] || fail "the first start put no supply palette in $home_dir"
# The main window's title before a project is open.
xdotool search --name "Beta Version Testing Only" > /dev/null || fail "no window of the designer appeared: $(cat "$scratch/designer.log")"
wineserver -k 2>/dev/null || true
wineserver -w

step "a double click on Warehouse.pjx"
wine start "C:\\users\\$(basename "$profile")\\Documents\\Voltaris\\Data\\Warehouse.pjx" > "$scratch/start.log" 2>&1
window=""
for _ in $(seq 60); do
  # The title names the project's site.
  window=$(xdotool search --name "Voltaris: Unit 7 Riverside Trading Estate" 2>/dev/null | head -1) && [ -n "$window" ] && break
  sleep 1
done
[ -n "$window" ] || fail "no designer window titled with the Warehouse's site appeared"
sleep 3  # the window's first paint
import -window root "$build/windows-designer.png"
step "the designer's window: \"$(xdotool getwindowname "$window")\" (screenshot $build/windows-designer.png)"
wineserver -k 2>/dev/null || true
wineserver -w

step "the installed voltaris-report.exe"
data="C:\\users\\$(basename "$profile")\\Documents\\Voltaris\\Data"
report=$(wine "C:\\Program Files\\Voltaris\\bin\\voltaris-report.exe" --data "$data" --date 08/12/2026 CornerShop) ||
  fail "the installed voltaris-report.exe could not report the example"
diff -u tests/tools/corner_shop_report.txt <(tr -d '\r' <<< "$report") > "$scratch/report.diff" ||
  { head -20 "$scratch/report.diff" >&2; fail "the installed tool's report differs from Linux's"; }
wine "C:\\Program Files\\Voltaris\\bin\\voltaris-report.exe" --data "$data" --date 08/12/2026 \
  --pdf "C:\\users\\$(basename "$profile")\\Documents\\CornerShop.pdf" CornerShop > /dev/null ||
  fail "the installed voltaris-report.exe wrote no PDF"
pdf="$profile/Documents/CornerShop.pdf"
pages=$(pdfinfo "$pdf" | sed -n 's/^Pages: *//p')
[ "${pages:-0}" -ge 3 ] || fail "the PDF has ${pages:-no} pages"
# Read whole first: grep -q stops reading at its match, which under pipefail
# would fail a long document's pdftotext.
text=$(pdftotext "$pdf" -)
grep -q "Corner Shop, 12 High Street" <<< "$text" || fail "the PDF does not name the project's site"
cp "$pdf" "$build/windows-CornerShop.pdf"
step "the PDF has $pages pages ($build/windows-CornerShop.pdf)"

step "uninstalling silently"
wine "C:\\Program Files\\Voltaris\\Uninstall.exe" /S
wineserver -w
# The uninstaller runs from a copy of itself and returns at once; it is done when the program is gone.
for _ in $(seq 30); do
  [ -f "$program_dir/bin/voltaris.exe" ] || break
  sleep 1
done
[ ! -f "$program_dir/bin/voltaris.exe" ] || fail "the uninstaller left the program"
[ -f "$home_dir/Data/Warehouse.pjx" ] && [ -f "$home_dir/Data/Accounts.db" ] ||
  fail "the uninstaller took the user's projects"
step "passed"
