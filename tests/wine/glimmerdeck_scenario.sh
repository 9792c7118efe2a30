#!/usr/bin/env bash
# Glimmerdeck's scenario files under Wine, through its own menu commands and
# file dialogs: a ".sao" opened on step 1 (the other steps never shown) and
# saved at once with Save writes the opened file back byte for byte, Save As
# under a new name writes the same bytes, and opening that copy and saving it
# again changes nothing (the letter gains no line break on the way).
source "$(dirname "$0")/common.bash"
source "$(dirname "$0")/lib/glimmerdeck.bash"
need_display

step1=${steps[0]}

# The work: two pictures with titles (one empty), a sound, a letter of two
# lines, options of every step away from their defaults.
for name in base420.jpg prog420.jpg; do cp "$src/tests/data/jpeg/$name" "$scratch/$name"; done
cp "$src/tests/data/sound/tone.mp3" "$scratch/tone.mp3"
a=$(winpath "$scratch/base420.jpg") b=$(winpath "$scratch/prog420.jpg") sound=$(winpath "$scratch/tone.mp3")
lines=(2 2 3 1 7 2 1 3 2 1 0 2 3000 8000 "$sound" "$a" "$b" "$a" "$b" "Harbour" Nothing LETTER
       "Dear all," "see you at the sea")
printf '%s\r\n' "${lines[@]}" >"$scratch/trip.sao"
cp "$scratch/trip.sao" "$scratch/trip-as-written.sao"

start_wizard wizard

# Open, then Save from step 1: the opened file is written again, unchanged.
open_file "$scratch/trip.sao"
touch -d '2000-01-01' "$scratch/trip.sao"
probe command "$step1" "$cmd_save" >/dev/null
until=$((SECONDS + 20))
while ((SECONDS < until)) && [[ $(stat -c %Y "$scratch/trip.sao") == 946684800 ]]; do sleep 0.3; done
if [[ $(stat -c %Y "$scratch/trip.sao") == 946684800 ]]; then fail "Save after Open wrote nothing"
elif cmp -s "$scratch/trip.sao" "$scratch/trip-as-written.sao"; then pass "Save after Open writes the opened file unchanged"
else fail "Save after Open changed the file: $(diff <(tr -d '\r' <"$scratch/trip-as-written.sao") <(tr -d '\r' <"$scratch/trip.sao") | head -5 | tr '\n' ' ')"; fi

# Save As under a new name: the same bytes.
probe command "$step1" "$cmd_save_as" >/dev/null
probe file "Save as" "$(winpath "$scratch/copy.sao")" 30 >/dev/null || fail "no \"Save as\" dialog"
if wait_written "$scratch/copy.sao" 20 && cmp -s "$scratch/copy.sao" "$scratch/trip-as-written.sao"; then
    pass "Save As after Open writes what was opened"
else
    fail "Save As after Open: $(diff <(tr -d '\r' <"$scratch/trip-as-written.sao") <(tr -d '\r' <"$scratch/copy.sao" 2>/dev/null) | head -5 | tr '\n' ' ')"
fi

# The copy opened and saved under a third name: still the same bytes.
open_file "$scratch/copy.sao"
probe command "$step1" "$cmd_save_as" >/dev/null
probe file "Save as" "$(winpath "$scratch/again.sao")" 30 >/dev/null || fail "no second \"Save as\" dialog"
if wait_written "$scratch/again.sao" 20 && cmp -s "$scratch/again.sao" "$scratch/trip-as-written.sao"; then
    pass "open and save again: the same bytes"
else
    fail "open and save again changed the file"
fi

screenshot "$scratch/step1-after-open.png"
probe command "$step1" "$cmd_exit" >/dev/null
wait_pid 30 "$wizard_pid"
rc=$?
((rc == 0)) && pass "Exit: status 0" || { fail "Exit: status $rc"; ((rc == 124)) && kill "$wizard_pid" 2>/dev/null; }
finish
