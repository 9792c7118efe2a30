# Sourced by the engine's Wine scripts: joins the test run's Wine session
# (tools/wine-session), or starts one for this script and stops it at exit.
# Sets wine_run to the wrapper: "$wine_run" [--desktop WxH] PROGRAM ARGS...
# Commands added to vt_exit_cmds run when the script exits.

vt_exit_cmds=()
vt_on_exit() {
    local c
    for c in "${vt_exit_cmds[@]}"; do eval "$c"; done
}
trap vt_on_exit EXIT

vt_begin_session() {
    local src=$1 env
    wine_run="$src/tools/wine-run"
    local session="$src/tools/wine-session"
    if [[ ! -x $wine_run || ! -x $session ]]; then
        echo "FAIL: the Wine rig (tools/wine-run, tools/wine-session) is missing" >&2
        exit 1
    fi
    if ! env=$("$session" env 2>/dev/null); then
        "$session" start || { echo "FAIL: cannot start a Wine session" >&2; exit 1; }
        vt_exit_cmds+=("$(printf '%q stop' "$session")")
        env=$("$session" env) || exit 1
    fi
    eval "$env"
}

# Waits up to $2 seconds for an X window whose name is exactly $1; prints its id.
vt_wait_window() {
    local name=$1 limit=$2 id
    for ((i = 0; i < limit * 10; i++)); do
        id=$(xdotool search --name "^$name\$" 2>/dev/null | head -n 1)
        [[ -n $id ]] && { echo "$id"; return 0; }
        sleep 0.1
    done
    return 1
}

# Width x height of an X window; nothing and status 1 when there is no such
# window. xwininfo given no usable id waits for a mouse click to pick one, which
# never comes on a test display: only a window id reaches it, and never for long.
vt_window_size() {
    [[ $1 =~ ^(0x[0-9a-fA-F]+|[0-9]+)$ ]] || return 1
    timeout 10 xwininfo -id "$1" 2>/dev/null |
        awk '/Width:/ { w = $2 } /Height:/ { h = $2 } END { if (w == "") exit 1; print w "x" h }'
}
