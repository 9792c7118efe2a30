#!/usr/bin/env bash
# Glimmerdeck's Sound step under Wine with music files as they come: MP3s made
# by lame with ID3v2 tags at their start (a UTF-16 title, 200 KB of cover art).
# A tagged 128 kbps file is taken (path box, "Bit rate" 128 Kbps, its total
# time); a tagged 320 kbps one is refused with the bit-rate message, whether it
# comes with a scenario or is picked in the step's list (which then keeps the
# sound still chosen highlighted). The balance bar's thumb is drawn where its
# position (the centre) is.
source "$(dirname "$0")/common.bash"
need_display

source "$(dirname "$0")/lib/glimmerdeck.bash"
refusal="The selected file is not supported.  Sound file of upper 256 bitrate is not supported."

# Cover art: a JPEG start, then 200 KB of bytes that look like frame headers.
python3 -c '
import sys
art = bytearray(b"\xff\xd8\xff\xe0")
while len(art) < 200000:
    art += b"\xff\xfb\xa0\x64" + b"\x5a" * 518
open(sys.argv[1], "wb").write(art)' "$scratch/cover.jpg"
sox -q -n -r 44100 -c 2 -b 16 "$scratch/tone.wav" synth 3 sine 440 vol 0.5
lame --quiet -b 128 --ti "$scratch/cover.jpg" --id3v2-utf16 --tt "Évening over Paris" --ta Me \
    "$scratch/tone.wav" "$scratch/tagged128.mp3"
lame --quiet -b 320 --ti "$scratch/cover.jpg" --id3v2-utf16 --tt "Évening" "$scratch/tone.wav" "$scratch/tagged320.mp3"

for name in base420.jpg prog420.jpg; do cp "$src/tests/data/jpeg/$name" "$scratch/$name"; done
a=$(winpath "$scratch/base420.jpg") b=$(winpath "$scratch/prog420.jpg")
for name in tagged128 tagged320; do
    lines=(2 2 3 1 7 2 1 3 2 1 0 2 3000 8000 "$(winpath "$scratch/$name.mp3")" "$a" "$b" "$a" "$b" "Harbour" Nothing
           LETTER "Dear all," "see you at the sea")
    printf '%s\r\n' "${lines[@]}" >"$scratch/$name.sao"
done

start_wizard wizard

# sound_step SCENARIO: opens it on step 1, then shows the Sound step; the
# switch waits for whatever message the step shows ($page_pid, see sound_shown).
sound_step() {
    probe page "$step3" 0 >/dev/null 2>&1
    probe wait "$step1" 15 >/dev/null
    probe command "$step1" "$cmd_open" >/dev/null
    probe file Open "$(winpath "$1")" 30 >/dev/null || fail "open $1: no Open dialog"
    probe wait "$step1" 30 >/dev/null
    sleep 1
    probe page "$step1" 2 >/dev/null &
    page_pid=$!
    probe wait "$step3" 15 >/dev/null || fail "no Sound step after opening $1"
}
# sound_shown: the Sound step has taken its sound (its message answered).
sound_shown() { wait_pid 30 "$page_pid" >/dev/null || fail "the Sound step never finished showing"; }

sound_step "$scratch/tagged128.sao"
if probe message Glimmerdeck "$refusal" 3 >/dev/null; then fail "tagged 128 kbps: refused"; fi
sound_shown
path=$(probe text "$step3" 1012 | tr -d '\r')
[[ $path == "$(winpath "$scratch/tagged128.mp3")" ]] && pass "tagged 128 kbps: taken" ||
    fail "tagged 128 kbps: the path box shows \"$path\""
rows=$(probe cells "$step3" 1125 | tr -d '\r')
grep -qxF "Bit rate | 128 Kbps" <<<"$rows" && pass "tagged 128 kbps: \"Bit rate\" 128 Kbps" ||
    fail "tagged 128 kbps: rows were: $(tr '\n' ';' <<<"$rows")"
grep -qxF "Sampling rate | 44100 Hz" <<<"$rows" && pass "tagged 128 kbps: 44100 Hz" || fail "tagged 128 kbps: no 44100 Hz row"
grep -qxF "Total time | 00M03S" <<<"$rows" && pass "tagged 128 kbps: total time 00M03S" ||
    fail "tagged 128 kbps: no \"Total time | 00M03S\" row"
thumb=$(probe thumb "$step3" 1109 | tr -d '\r')
[[ $thumb == "thumb: in place" ]] && pass "balance: the thumb stands at the centre" || fail "balance: $thumb"

# The 320 kbps file picked in the Sound step's own list: refused, and the list
# highlights the sound still chosen, as the path box shows it.
if probe folder "$step3" 1123 "$(winpath "$scratch")" >/dev/null; then
    sleep 1
    probe choose "$step3" 1124 tagged320.mp3 >/dev/null || fail "no tagged320.mp3 in the Sound step's list"
    if probe message Glimmerdeck "$refusal" 20 >/dev/null; then pass "tagged 320 kbps picked in the list: refused"
    else fail "tagged 320 kbps picked in the list: no refusal"; fi
    sleep 1
    selected=$(probe selected "$step3" 1124 | tr -d '\r')
    path=$(probe text "$step3" 1012 | tr -d '\r')
    if [[ ${selected,,} == "${path,,}" && ${path,,} == "$(winpath "$scratch/tagged128.mp3" | tr '[:upper:]' '[:lower:]')" ]]; then
        pass "after the refusal the list highlights the sound still chosen"
    else
        fail "after the refusal the list highlights \"$selected\", the path box shows \"$path\""
    fi
else
    fail "the Sound step's folder tree does not reach $scratch"
fi

sound_step "$scratch/tagged320.sao"
if probe message Glimmerdeck "$refusal" 20 >/dev/null; then pass "tagged 320 kbps: refused for its bit rate"
else fail "tagged 320 kbps: no refusal"; fi
sound_shown

screenshot "$scratch/sound-step.png"
probe page "$step3" 0 >/dev/null
probe wait "$step1" 15 >/dev/null
# The refused sound left the work unlike its file, so Exit asks first.
end_wizard Exit
finish
