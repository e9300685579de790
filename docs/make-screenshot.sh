#!/bin/sh
# Makes docs/screenshot.png: the window listing our sample pictures, with their
# thumbnails, on a private X server. Usage: docs/make-screenshot.sh [build folder]
# The pictures lie in /home/user/Pictures/icons of a scratch /home mounted in a
# private mount namespace (root, or unprivileged user namespaces), so the picture
# shows a neutral home and nothing of this machine.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$top/build}" && pwd)
case $top/ in /home/*) echo "the sources must lie outside /home"; exit 1 ;; esac
if [ -z "${QUORBEL_SHOT_NAMESPACE:-}" ]; then
    [ "$(id -u)" = 0 ] && namespace=-m || namespace=-rm
    exec env QUORBEL_SHOT_NAMESPACE=1 unshare "$namespace" --propagation private "$0" "$build"
fi
mount -t tmpfs tmpfs /home
icons=/home/user/Pictures/icons
mkdir -p $icons /home/user/Desktop
cp "$top"/resources/Samples/*.png $icons/
xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" sh -c '
    openbox >/dev/null 2>&1 &
    sleep 1
    HOME=/home/user XDG_CONFIG_HOME= QT_QPA_PLATFORMTHEME= "$1/quorbel" \
        "$2/heart.png" "$2/check.png" "$2/star.png" "$2/folder.png" "$2/house.png" &
    app=$!
    sleep 3
    w=$(xdotool search --onlyvisible --name "^Quorbel$" | head -1)
    xdotool mousemove 5 5
    sleep 0.5
    import -window "$w" "$3"
    kill $app' shot "$build" "$icons" "$top/docs/screenshot.png"
echo "wrote $top/docs/screenshot.png"
