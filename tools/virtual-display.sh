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
# openbox window manager unless "no-wm" is given. Returns non-zero, naming the cause, when either
# is not up.
start_virtual_display() {
    local size="${1:-1280x800}" wm="${2:-wm}" n="" waited
    _vd_tmp="$(mktemp -d)"
    # Xvfb chooses a free display number itself and writes it to the pipe once it accepts
    # connections: no other program can take the same number meanwhile, and no guess is needed
    # of when it is ready.
    mkfifo "$_vd_tmp/display"
    Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp 3>"$_vd_tmp/display" \
        >"$_vd_tmp/xvfb.log" 2>&1 &
    track_pid $!
    read -r -t 30 n <"$_vd_tmp/display" || true
    if [[ ! "$n" =~ ^[0-9]+$ ]]; then
        echo "Could not start a virtual display: Xvfb did not report one within 30 s." >&2
        sed 's/^/  xvfb: /' "$_vd_tmp/xvfb.log" >&2
        return 1
    fi
    export DISPLAY=":$n"
    [[ "$wm" == no-wm ]] && return 0
    openbox --sm-disable >"$_vd_tmp/openbox.log" 2>&1 &
    local openbox=$!
    track_pid "$openbox"
    # openbox announces itself on the root window once it manages windows.
    for waited in $(seq 1 150); do
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" && return 0
        kill -0 "$openbox" 2>/dev/null || break
        sleep 0.1
    done
    echo "The window manager (openbox) did not come up on $DISPLAY within 15 s." >&2
    sed 's/^/  openbox: /' "$_vd_tmp/openbox.log" >&2
    return 1
}
