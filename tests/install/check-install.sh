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
desktop-file-validate "$root/usr/share/applications/quorbel.desktop" || fail "desktop entry"
echo "install layout: 1 passed, 0 failed"
