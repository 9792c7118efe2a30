#!/usr/bin/env bash
# The letter, drawn with its font request (Korean character set, stroke
# precision, roman family, "Times New Roman"), must come out as readable text:
# a saver with a letter over plain white pictures is grabbed while the letter
# is in view, and its dark red ink must hold many different glyph shapes, not
# one empty box repeated.
source "$(dirname "$0")/common.bash"
need_display
makesaver=$(makesaver_tool) || exit 1

convert -size 640x480 xc:white -quality 95 "$scratch/white.jpg"
printf 'The quick brown fox jumps over the lazy dog.\r\nPack my box with five dozen liquor jugs.\r\n' \
    >"$scratch/letter.txt"
"$makesaver" --engine "$bin/engine.scr" --out "$scratch/letterprobe.scr" --letter "$scratch/letter.txt" \
    --picture "$scratch/white.jpg" --picture "$scratch/white.jpg" --title "" --title "" >/dev/null ||
    { fail "makesaver"; finish; }
# Letter mode is the saver's option (named by its file name), as Glimmerdeck sets it.
"$run" reg add 'HKCU\Software\Vantrelle\Tool\ScrOption' /v letterprobeIsLetter /t REG_DWORD /d 1 /f >/dev/null 2>&1 ||
    { fail "cannot set the letter option"; finish; }

# The letter starts 5 s into the show and rises 30 pixels a second from the
# bottom: in view from about 6 s until it leaves the top after 20 s.
"$run" --desktop 1024x768 "$scratch/letterprobe.scr" /s >"$scratch/run.log" 2>&1 </dev/null &
pid=$!
until=$((SECONDS + 30))
while [[ $(desktop_size) != "$frame_size" ]] && ((SECONDS < until)); do sleep 0.05; done
if [[ $(desktop_size) != "$frame_size" ]]; then
    fail "the desktop never switched to $frame_size"
else
    start=$SECONDS
    for at in 10 12 14; do
        sleep $((start + at - SECONDS))
        xwd -root -silent -display "$DISPLAY" | convert xwd:- -crop "$frame_size+0+0" -depth 8 "rgb:$scratch/at$at.rgb"
    done
fi
xdotool key space
wait_pid 15 "$pid" || { fail "the saver did not end on a key"; kill "$pid" 2>/dev/null; }

# The letter's colour is the option's default, 80 (COLORREF), dark red.
best=0
while read -r file count _ distinct _; do
    echo "${file##*/} $count glyphs, $distinct distinct"
    ((distinct > best)) && best=$distinct
done < <(python3 "$src/tests/wine/lib/glyphs.py" 500000 "$scratch"/at*.rgb)
if ((best >= 15)); then pass "the letter shows $best distinct glyph shapes"
else
    fail "the letter shows at most $best distinct glyph shapes (boxes or nothing); frames in $scratch"
    for f in "$scratch"/at*.rgb; do convert -size "$frame_size" -depth 8 "rgb:$f" "${f%.rgb}.png"; done
fi
finish
