# Sourced by scripts that need a desktop: starts Xvfb and openbox on a free display number and
# stops both (and anything started with track_pid) when the calling script exits.
# shellcheck shell=bash

_vd_pids=()
track_pid() { _vd_pids+=("$1"); }
_vd_cleanup() {
    local pid
    for pid in "${_vd_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    for pid in "${_vd_pids[@]}"; do wait "$pid" 2>/dev/null || true; done
    [[ -n "${_vd_tmp:-}" ]] && rm -rf "$_vd_tmp"
}
trap _vd_cleanup EXIT

# start_virtual_display [WIDTHxHEIGHT] [no-wm]: exports DISPLAY for a fresh Xvfb, with the
# openbox window manager unless "no-wm" is given.
start_virtual_display() {
    local size="${1:-1280x800}" wm="${2:-wm}" n
    _vd_tmp="$(mktemp -d)"
    for n in $(seq 90 140); do
        [[ -e "/tmp/.X11-unix/X$n" || -e "/tmp/.X$n-lock" ]] && continue
        Xvfb ":$n" -screen 0 "${size}x24" -nolisten tcp >"$_vd_tmp/xvfb.log" 2>&1 &
        track_pid $!
        local waited=0
        while [[ ! -e "/tmp/.X11-unix/X$n" && $waited -lt 50 ]]; do sleep 0.1; waited=$((waited + 1)); done
        if [[ -e "/tmp/.X11-unix/X$n" ]]; then
            export DISPLAY=":$n"
            # The socket appears a moment before the server accepts connections.
            for waited in $(seq 1 50); do xprop -root >/dev/null 2>&1 && break; sleep 0.1; done
            [[ "$wm" == no-wm ]] && return 0
            openbox --sm-disable >"$_vd_tmp/openbox.log" 2>&1 &
            track_pid $!
            # openbox owns the window manager selection once it is ready.
            for waited in $(seq 1 50); do
                xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" && return 0
                sleep 0.1
            done
            return 0
        fi
    done
    echo "Could not start a virtual display (Xvfb)." >&2
    return 1
}
