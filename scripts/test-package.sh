#!/usr/bin/env bash
# Checks the Debian package that `make package` left in the build folder:
# unpacks it into a scratch root with dpkg -x, runs the unpacked
# voltaris-report on an example project against the known report, checks the
# desktop entry, the AppStream metainfo and the project file type with their
# validators, runs lintian, and starts the unpacked designer through its
# launcher under a virtual display with a scratch home.
#   scripts/test-package.sh [build-dir]      (default: ./build)
set -euo pipefail
build=${1:-build}
cd "$(dirname "$0")/.."

step() { echo "test-package: $*"; }
fail() { echo "test-package: FAILED: $*" >&2; exit 1; }

deb=$(ls -t "$build"/voltaris_*.deb 2>/dev/null | head -1 || true)
[ -n "$deb" ] && [ -f "$deb" ] || fail "no voltaris_*.deb in $build (run make package)"
step "checking $deb"

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
root=$scratch/root
dpkg-deb -x "$deb" "$root"

step "the control data"
depends=$(dpkg-deb -f "$deb" Depends)
[ -n "$depends" ] || fail "the package has no Depends (dpkg-shlibdeps gave nothing)"
for lib in libc6 libqt6widgets6 libstdc++6; do
  grep -q "$lib" <<< "$depends" || fail "Depends lacks $lib: $depends"
done

step "the installed files"
for file in usr/bin/voltaris usr/bin/voltaris-report usr/lib/voltaris/voltaris \
    usr/share/applications/voltaris.desktop usr/share/icons/hicolor/scalable/apps/voltaris.svg \
    usr/share/metainfo/com.quelmar.voltaris.metainfo.xml usr/share/mime/packages/voltaris.xml \
    usr/share/man/man1/voltaris.1.gz usr/share/man/man1/voltaris-report.1.gz \
    usr/share/doc/voltaris/copyright usr/share/doc/voltaris/changelog.gz \
    usr/share/voltaris/Colors.dat usr/share/voltaris/examples/Accounts.db \
    usr/share/voltaris/examples/CornerShop.dat usr/share/voltaris/examples/CornerShop.pjx \
    usr/share/voltaris/examples/Warehouse.dat usr/share/voltaris/examples/Warehouse.pjx; do
  [ -e "$root/$file" ] || fail "/$file is not in the package"
done
cmp -s resources/Colors.dat "$root/usr/share/voltaris/Colors.dat" || fail "the palette differs from resources/Colors.dat"

step "voltaris-report from the unpacked tree"
report=$scratch/report.txt
"$root/usr/bin/voltaris-report" --data "$root/usr/share/voltaris/examples" --date 08/12/2026 CornerShop > "$report" ||
  fail "voltaris-report could not report the example"
cmp -s "$report" tests/tools/corner_shop_report.txt ||
  { diff -u tests/tools/corner_shop_report.txt "$report" | head -20 >&2; fail "the report differs from the known one"; }
"$root/usr/bin/voltaris-report" --data "$root/usr/share/voltaris/examples" --pdf "$scratch/report.pdf" Warehouse ||
  fail "voltaris-report --pdf failed"
[ "$(head -c 5 "$scratch/report.pdf")" = "%PDF-" ] || fail "voltaris-report --pdf wrote no PDF"

step "desktop entry, metainfo and file type"
desktop-file-validate "$root/usr/share/applications/voltaris.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net --pedantic "$root/usr/share/metainfo/com.quelmar.voltaris.metainfo.xml" ||
  fail "appstreamcli validate"
mkdir -p "$scratch/mime/packages"
cp "$root/usr/share/mime/packages/voltaris.xml" "$scratch/mime/packages/"
update-mime-database "$scratch/mime" > "$scratch/mime.log" 2>&1 || { cat "$scratch/mime.log" >&2; fail "update-mime-database"; }
grep -q '^application/x-voltaris-project:\*\.pjx$' "$scratch/mime/globs" || fail "*.pjx is not the project file type"
for page in voltaris voltaris-report; do
  warnings=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 \
    man --warnings -E UTF-8 -l -Tutf8 -Z "$root/usr/share/man/man1/$page.1.gz" 2>&1 > /dev/null)
  [ -z "$warnings" ] || fail "the manual page $page.1 has warnings: $warnings"
done

step "lintian"
lintian --fail-on error,warning --tag-display-limit 0 "$deb" || fail "lintian"

step "the designer from the unpacked tree, under a virtual display"
home=$scratch/home
mkdir -p "$home"
log=$scratch/designer.log
HOME=$home XDG_CONFIG_HOME=$home/.config xvfb-run -a "$root/usr/bin/voltaris" > "$log" 2>&1 &
designer=$!
sleep "${SMOKE_SECONDS:-6}"
if ! kill -0 "$designer" 2>/dev/null; then
  wait "$designer" || true
  cat "$log" >&2
  fail "the designer ended within ${SMOKE_SECONDS:-6} seconds"
fi
# xvfb-run's children: the designer and the X server.
pkill -TERM -P "$designer" 2>/dev/null || true
wait "$designer" 2>/dev/null || true
for file in Data/Accounts.db Data/CornerShop.dat Data/CornerShop.pjx Data/Warehouse.dat Data/Warehouse.pjx Colors.dat; do
  [ -f "$home/Voltaris/$file" ] || fail "the first start did not make ~/Voltaris/$file"
done
step "passed"
