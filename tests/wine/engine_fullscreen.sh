#!/usr/bin/env bash
# engine.scr "/s" in a Wine virtual desktop, for the bare engine and for a saver
# with a package: the saver starts, switches the display to 640 x 480, shows its
# black frames (with only a title over them), ends on a key pressed with xdotool,
# and restores the display.
# The Windows side (wintest_SaverProcess, FullScreenSaver) starts the savers and
# checks the display modes and exit codes; this side looks and presses the key.
set -uo pipefail
build=$1
src=$2
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
. "$here/lib/session.sh"
vt_begin_session "$src"

tester="$build/bin/wintest_SaverProcess.exe"
[[ -f $tester && -f $build/bin/engine.scr ]] || { echo "FAIL: $tester or engine.scr not built"; exit 1; }
work=$(mktemp -d)
vt_exit_cmds=("$(printf 'rm -rf %q' "$work")" "${vt_exit_cmds[@]}")

VT_FULLSCREEN_KEY=1 "$wine_run" --desktop 1024x768 "$tester" --gtest_filter='FullScreenSaver.*' \
    >"$work/tester.log" 2>&1 </dev/null &
tester_pid=$!

status=0
for saver in engine.scr saver-with-package.scr; do
    if ! window=$(vt_wait_window "Screen Saver" 60); then
        echo "FAIL: $saver: no saver window appeared"
        status=1
        break
    fi
    # A loaded machine can take several seconds between the window and the mode
    # switch; ask for the desktop window afresh each time.
    size=
    for ((i = 0; i < 200; i++)); do
        desktop=$(xdotool search --name ' - Wine desktop$' 2>/dev/null | head -n 1)
        size=$(vt_window_size "$desktop")
        [[ $size == 640x480 ]] && break
        sleep 0.1
    done
    [[ $size == 640x480 ]] || { echo "FAIL: $saver: the desktop is $size, not 640x480"; status=1; }
    # The pictures are not JPEG files: black frames, with the title (the maker's
    # address when the saver has none) drawn over a small part of them; some
    # title styles put a band behind it (up to about an eighth of the frame),
    # while a shown picture would light most of it. The image effect drawn at
    # random in the first half of the show time may light black frames too (a
    # grey wash, a faint pattern), so the frames are grabbed for a whole cycle
    # (S + T = 7 s) and judged where they are plain: at the darkest grab.
    lit=1 grabs=0
    until=$((SECONDS + 7))
    while ((SECONDS < until)); do
        xwd -root -silent 2>/dev/null | convert xwd:- -crop 640x480+0+0 +repage "$work/grab.png" 2>/dev/null || continue
        grabs=$((grabs + 1))
        share=$(convert "$work/grab.png" -colorspace gray -threshold 5% -format '%[fx:mean]' info:)
        if awk -v v="$share" -v m="$lit" 'BEGIN { exit !(v < m) }'; then
            lit=$share
            mv "$work/grab.png" "$work/shot.png"
        fi
    done
    if awk -v v="$lit" 'BEGIN { exit !(v < 0.25) }'; then
        echo "ok: $saver: full screen at 640x480, black frames ($lit lit at the darkest of $grabs grabs)"
    else
        echo "FAIL: $saver: the frame is not black ($lit of it lit at the darkest of $grabs grabs)"
        [[ -f $work/shot.png ]] && cp "$work/shot.png" "$build/engine_fullscreen-$saver.png"
        status=1
    fi
    if ! xdotool search --name '^Screen Saver$' >/dev/null 2>&1; then
        echo "FAIL: $saver ended before the key"
        status=1
        continue
    fi
    xdotool key space
    gone=0
    for ((i = 0; i < 100; i++)); do
        xdotool search --name '^Screen Saver$' >/dev/null 2>&1 || { gone=1; break; }
        sleep 0.1
    done
    ((gone)) || { echo "FAIL: $saver did not end on the key"; status=1; }
done

wait "$tester_pid"
code=$?
cat "$work/tester.log"
if ((code != 0)) || ! grep -q '^\[  PASSED  \] 1 test' "$work/tester.log" || grep -q 'SKIPPED' "$work/tester.log"; then
    echo "FAIL: the Windows side of the full-screen run (status $code)"
    status=1
fi
exit $status
