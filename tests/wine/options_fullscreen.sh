#!/usr/bin/env bash
# A saver's registry values in a full-screen run inside a Wine virtual desktop:
# "Display" sets the frame size (800 x 600, 400 x 300, and 640 x 480 for a text
# the engine does not know), "Sfx" and "Trx" decide when the second picture comes,
# "Key" keeps the show on a key press. The Windows side (wintest_OptionsFullScreen)
# writes the values, starts the saver and checks the display and the pictures;
# this side watches the desktop and takes a screenshot at each size.
set -uo pipefail
build=$1
src=$2
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
. "$here/lib/session.sh"
vt_begin_session "$src"

tester="$build/bin/wintest_OptionsFullScreen.exe"
[[ -f $tester && -f $build/bin/engine.scr ]] || { echo "FAIL: $tester or engine.scr not built"; exit 1; }
work=$(mktemp -d)
vt_exit_cmds=("$(printf 'rm -rf %q' "$work")" "${vt_exit_cmds[@]}")

VT_OPTIONS_FULLSCREEN=1 VT_WINE_DESKTOP=options "$wine_run" --desktop 1024x768 "$tester" \
    >"$work/tester.log" 2>&1 </dev/null &
tester_pid=$!

status=0
expected=(800x600 400x300 640x480)
next=0
while kill -0 "$tester_pid" 2>/dev/null && ((next < ${#expected[@]})); do
    desktop=$(xdotool search --name '^options.* - Wine desktop$' 2>/dev/null | head -n 1)
    if [[ -n $desktop && $(vt_window_size "$desktop") == "${expected[next]}" ]]; then
        sleep 0.5
        xwd -root -silent | convert xwd:- "$work/shot-$next.png"
        # The saver's picture fills the whole desktop at that size.
        w=${expected[next]%x*}
        h=${expected[next]#*x}
        lit=$(convert "$work/shot-$next.png" -crop "${w}x${h}+0+0" +repage -colorspace gray -threshold 5% \
            -format '%[fx:mean]' info:)
        if awk -v v="$lit" 'BEGIN { exit !(v > 0.9) }'; then
            echo "ok: full screen at ${expected[next]}, the picture over $lit of it"
        else
            echo "FAIL: the picture covers only $lit of the ${expected[next]} screen"
            cp "$work/shot-$next.png" "$build/options_fullscreen-${expected[next]}.png"
            status=1
        fi
        next=$((next + 1))
    fi
    sleep 0.1
done
((next == ${#expected[@]})) || { echo "FAIL: saw only ${expected[*]:0:next} of ${expected[*]}"; status=1; }

wait "$tester_pid"
code=$?
cat "$work/tester.log"
if ((code != 0)) || ! grep -q '^\[  PASSED  \] 3 tests' "$work/tester.log" || grep -q 'SKIPPED' "$work/tester.log"; then
    echo "FAIL: the Windows side of the full-screen run (status $code)"
    status=1
fi
exit $status
