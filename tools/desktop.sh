#!/usr/bin/env bash
# Runs a command on a desktop like a user's: an X server (Xvfb) with a window manager
# (openbox) that frames, places, activates and fullscreens windows.
#   tools/desktop.sh [--screen WxHxD] CMD [ARG...]
# CMD runs with DISPLAY set; its exit code is this script's. Everything started here is
# stopped by its PID when CMD ends. Take a screenshot from CMD with: import -window root shot.png
set -euo pipefail
screen=1280x800x24
if [ "${1:-}" = "--screen" ]; then
    screen=$2
    shift 2
fi
if [ $# -eq 0 ]; then
    echo "usage: tools/desktop.sh [--screen WxHxD] CMD [ARG...]" >&2
    exit 2
fi
for tool in Xvfb openbox; do
    if ! command -v "$tool" >/dev/null; then
        echo "desktop.sh: $tool is not installed (tools/deps.sh lists it)" >&2
        exit 77
    fi
done

work=$(mktemp -d)
xvfb_pid=""
wm_pid=""
stop() {
    [ -z "$wm_pid" ] || kill "$wm_pid" 2>/dev/null || true
    [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null || true
    [ -z "$wm_pid" ] || wait "$wm_pid" 2>/dev/null || true
    [ -z "$xvfb_pid" ] || wait "$xvfb_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap stop EXIT

# The server picks a free display itself and writes its number once it accepts clients.
mkfifo "$work/displayfd"
Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp 3>"$work/displayfd" \
    >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
display=""
read -r -t 20 display <"$work/displayfd" || true
if [ -z "$display" ]; then
    echo "desktop.sh: Xvfb did not start" >&2
    cat "$work/xvfb.log" >&2
    exit 1
fi
export DISPLAY=":$display"
unset WAYLAND_DISPLAY
[ "${QT_QPA_PLATFORM:-}" = "offscreen" ] && unset QT_QPA_PLATFORM

# openbox runs its start-up command once it manages the screen.
openbox --sm-disable --startup "touch $work/wm-ready" >"$work/openbox.log" 2>&1 &
wm_pid=$!
for _ in $(seq 200); do
    [ -e "$work/wm-ready" ] && break
    kill -0 "$wm_pid" 2>/dev/null || break
    sleep 0.05
done
if [ ! -e "$work/wm-ready" ]; then
    echo "desktop.sh: openbox did not start" >&2
    cat "$work/openbox.log" >&2
    exit 1
fi

set +e
"$@"
rc=$?
set -e
exit $rc
