#!/bin/sh
# Installs what packaging/ carries into a scratch DESTDIR under /usr, as the package lays it out,
# and checks the tree: AppStream's view of it (the metainfo's launchable is the desktop entry, its
# icon is there), the icon at every size in the hicolor theme, the man pages, the udev rules.
set -u
packaging_build=$1
scratch=$2
shift 2
sizes=$*
rm -rf "$scratch"
DESTDIR="$scratch" cmake --install "$packaging_build" --prefix /usr >/dev/null || exit 1
status=0
fail() { echo "$*"; status=1; }

output=$(appstreamcli validate-tree --no-net "$scratch/usr" 2>&1) || fail "$output"

apps=$scratch/usr/share/icons/hicolor
[ -f "$apps/scalable/apps/fonedesk.svg" ] || fail "no scalable icon"
for size in $sizes; do
    png=$apps/${size}x${size}/apps/fonedesk.png
    description=$(file -b "$png" 2>&1)
    case $description in
        "PNG image data, $size x $size,"*) ;;
        *) fail "$png: $description" ;;
    esac
done

for page in fonedesk fonerixctl fonerix-sim fonerix-regsvr fndb-setup fonerix-probe; do
    [ -f "$scratch/usr/share/man/man1/$page.1.gz" ] || fail "no man page $page.1.gz"
done
[ -f "$scratch/usr/share/applications/fonedesk.desktop" ] || fail "no desktop entry"
rules=$(find "$scratch" -name 70-fonerix.rules)
case $rules in
    */lib/udev/rules.d/70-fonerix.rules) ;;
    *) fail "udev rules at \"$rules\"" ;;
esac
[ "$status" -eq 0 ] && rm -rf "$scratch"
exit $status
