#!/bin/sh
# Runs an end-to-end suite on a private X server with a window manager, so that
# windows are placed, focused and closed as on a desktop.
set -eu
exec xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" sh -c '
    openbox >/dev/null 2>&1 &
    wm=$!
    sleep 1
    status=0
    "$@" || status=$?
    kill $wm 2>/dev/null || true
    exit $status' e2e "$@"
