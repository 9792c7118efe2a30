#!/usr/bin/env bash
# The scripts' window look-ups on the test display: a window that is there is
# found and measured, and one that is not (no id at all, a stale id, a name no
# window has) fails within seconds instead of waiting for a mouse click.
source "$(dirname "$0")/common.bash"
need_display

# within SECONDS WHAT COMMAND...: runs a look-up in a shell of its own, which is
# ended after SECONDS; prints what it printed, and its status (124 when ended).
within() {
    local limit=$1 what=$2 out rc
    shift 2
    out=$(timeout "$limit" bash -c "source '$src/tests/wine/lib/session.sh'; $*" 2>/dev/null)
    rc=$?
    echo "$what: status $rc, printed '$out'"
    looked_up=$out looked_rc=$rc
}

root=$(xwininfo -root | awk '/Window id:/ { print $4 }')
screen=$(xdpyinfo | awk '/dimensions:/ { print $2 }')
within 20 "the root window's size" vt_window_size "$root"
[[ $looked_rc == 0 && $looked_up == "$screen" ]] && pass "a window that is there is measured ($screen)" ||
    fail "the root window $root measured '$looked_up' (status $looked_rc), not $screen"

cases=(
    "no window id|vt_window_size ''"
    "an id no window has|vt_window_size 0x7ffffff0"
    "a name no window has|vt_wait_window 'No such window here' 2"
)
for c in "${cases[@]}"; do
    within 20 "${c%%|*}" "${c#*|}"
    if ((looked_rc == 124)); then fail "${c%%|*}: the look-up still waited after 20 s"
    elif ((looked_rc == 0)) || [[ -n $looked_up ]]; then fail "${c%%|*}: found '$looked_up' (status $looked_rc)"
    else pass "${c%%|*}: nothing found, status $looked_rc"; fi
done
finish
