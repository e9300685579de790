#!/bin/sh
# Makes docs/screenshot.png: the window with the sample files listed, on a private
# X server. Usage: docs/make-screenshot.sh [build folder]
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$top/build}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" sh -c '
    openbox >/dev/null 2>&1 &
    sleep 1
    XDG_CONFIG_HOME="$2" QT_QPA_PLATFORMTHEME= "$1/quorbel" &
    app=$!
    sleep 2
    w=$(xdotool search --onlyvisible --name "^Quorbel$" | head -1)
    xdotool mousemove --window "$w" 400 230 click 1
    sleep 1
    xdotool key Escape
    sleep 0.5
    xdotool mousemove 5 5
    sleep 0.3
    import -window "$w" "$3"
    kill $app' shot "$build" "$work" "$top/docs/screenshot.png"
echo "wrote $top/docs/screenshot.png"
