#!/usr/bin/env bash
# Runs the end-to-end driver on an X display of its own: Xvfb on a free
# display number, a window manager, a home folder of its own. The screen is
# 1440x900 unless QUILLMARK_E2E_SCREEN names another size ("1280x800").
# usage: run-on-xvfb.sh <driver> [driver arguments...]
set -euo pipefail
work=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

screen=${QUILLMARK_E2E_SCREEN:-1440x900}
Xvfb -displayfd 5 -screen 0 "${screen}x24" -nolisten tcp -noreset 5>"$work/display" 2>"$work/xvfb.log" &
pids+=($!)
for _ in $(seq 100); do
    [ -s "$work/display" ] && break
    sleep 0.1
done
if [ ! -s "$work/display" ]; then
    echo "Xvfb did not start:" >&2
    cat "$work/xvfb.log" >&2
    exit 1
fi
export DISPLAY=":$(head -n1 "$work/display")"

mkdir -p "$work/home"
export HOME="$work/home"
unset XDG_CONFIG_HOME XDG_DATA_HOME XDG_CACHE_HOME XDG_STATE_HOME XDG_RUNTIME_DIR
openbox --sm-disable >"$work/openbox.log" 2>&1 &
pids+=($!)
# The window manager is up when it names itself on the root window.
for _ in $(seq 100); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
    sleep 0.1
done

"$@"
