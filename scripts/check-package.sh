#!/usr/bin/env bash
# Makes the Debian package in a built folder (default: build) and checks what it installs:
# the program folder under /usr/lib/vestro-zandor, the two commands in /usr/bin, the desktop
# entry and icons, Qt libraries among the dependencies, and nothing the program writes; then
# Debian's own checker, lintian, which must report no error (its warnings are shown).
# Needs the packages dpkg-dev, file and lintian. Usage: scripts/check-package.sh [BUILD_DIR]
set -euo pipefail
command -v lintian >/dev/null || { echo "lintian is not installed (scripts/install-deps.sh)" >&2; exit 1; }
build=$(cd "${1:-$(dirname "$0")/../build}" && pwd)
rm -f "$build"/vestro-zandor_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
debs=("$build"/vestro-zandor_*_*.deb)
[ -f "${debs[0]}" ] || { echo "no vestro-zandor_<version>_<arch>.deb in $build" >&2; exit 1; }
deb=${debs[0]}
contents=$(dpkg-deb -c "$deb" | awk '{ $1=$2=$3=$4=$5=""; sub(/^ +/, ""); print }')
depends=$(dpkg-deb -f "$deb" Depends)
entry=$(dpkg-deb --fsys-tarfile "$deb" | tar -xOf - ./usr/share/applications/vestro-zandor.desktop)
failed=0
need() { grep -qxF -- "$1" <<<"$contents" || { echo "missing: $1" >&2; failed=1; }; }
need ./usr/share/doc/vestro-zandor/copyright
need ./usr/share/doc/vestro-zandor/changelog.gz
for f in vestro-zandor vzctl language/english.lng language/deutsch.lng help/ examples/demo.kvx; do
    need "./usr/lib/vestro-zandor/$f"
done
need "./usr/bin/vestro-zandor -> ../lib/vestro-zandor/vestro-zandor"
need "./usr/bin/vzctl -> ../lib/vestro-zandor/vzctl"
need "./usr/share/applications/vestro-zandor.desktop"
for size in 48 128 256; do
    need "./usr/share/icons/hicolor/${size}x${size}/apps/vestro-zandor.png"
done
for lib in libqt6core6 libqt6gui6 libqt6widgets6 libqt6serialport6 libqt6printsupport6; do
    grep -q "$lib" <<<"$depends" || { echo "not a dependency: $lib ($depends)" >&2; failed=1; }
done
grep -qx 'Exec="/usr/lib/vestro-zandor/vestro-zandor" %f' <<<"$entry" ||
    { echo "desktop entry does not start /usr/lib/vestro-zandor/vestro-zandor" >&2; failed=1; }
if grep -E '(settings\.ini|hotkeys\.ini|/ports/|/logs/|tst_|bench_)' <<<"$contents" >&2; then
    echo "the package holds files it should not" >&2
    failed=1
fi
# Errors fail the check, warnings are shown. Running as root draws a note that is no finding.
status=0
report=$(lintian --fail-on error --tag-display-limit 0 "$deb" 2>&1) || status=$?
grep -v 'running with root privileges is not recommended' <<<"$report" >&2 || true
if [ $status -ne 0 ] || grep -q '^E: ' <<<"$report"; then
    echo "lintian reports errors (exit $status)" >&2
    failed=1
fi
[ $failed -eq 0 ] && echo "package ok: $(basename "$deb")"
exit $failed
