#!/bin/sh
# Installs into a scratch folder and checks what a desktop needs to list Quorbel.
set -eu
build=$1
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
cmake --install "$build" --prefix "$root/usr" >/dev/null
fail() { echo "FAIL: $*"; exit 1; }
for f in lib/quorbel/quorbel lib/quorbel/drag.ico lib/quorbel/HAND-M.CUR \
         share/applications/quorbel.desktop share/icons/hicolor/256x256/apps/quorbel.png; do
    [ -e "$root/usr/$f" ] || fail "missing $f"
done
ls "$root/usr/lib/quorbel/Samples/"*.png >/dev/null || fail "no samples installed"
[ -x "$root/usr/bin/quorbel" ] || fail "no quorbel command"
[ "$(readlink -f "$root/usr/bin/quorbel")" = "$(readlink -f "$root/usr/lib/quorbel/quorbel")" ] ||
    fail "the command does not lead to the program"
entry=$root/usr/share/applications/quorbel.desktop
desktop-file-validate "$entry" || fail "desktop entry"
# "Open With Quorbel" hands the chosen files over; PNG files offer it.
grep -qx 'Exec=quorbel %F' "$entry" || fail "the desktop entry does not pass the files"
grep -qx 'MimeType=image/png;image/svg+xml;image/svg+xml-compressed;' "$entry" ||
    fail "the desktop entry does not offer PNG and SVG files"
echo "install layout: 1 passed, 0 failed"
