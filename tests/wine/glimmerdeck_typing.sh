#!/usr/bin/env bash
# Typing into Glimmerdeck under Wine with the real keyboard (xdotool): capitals
# and editing keys reach the title box and the letter although the wizard's
# accelerators use the same keys (Shift+S, Shift+E, Shift+F, Shift+P,
# Ctrl+Delete); keys that never type (Ctrl+S) still run their command from a
# text box, and the accelerators still work on the title list.
source "$(dirname "$0")/common.bash"
source "$(dirname "$0")/lib/glimmerdeck.bash"
need_display

for name in base420.jpg prog420.jpg; do cp "$src/tests/data/jpeg/$name" "$scratch/$name"; done
a=$(winpath "$scratch/base420.jpg") b=$(winpath "$scratch/prog420.jpg")
printf '%s\r\n' 2 2 1 1 5 0 1 0 2 0 0 1 2000 5000 Nothing "$a" "$b" "$a" "$b" Nothing Nothing LETTER "" \
    >"$scratch/trip.sao"
title="Sunset over Paris, France. Evening"
letter="Dear Eve, Sunset over Paris was Fine. Phil"

start_wizard typing
open_file "$scratch/trip.sao"
show_step 1

# The title box: typed, Ctrl+Delete at its end, then Enter puts it on the first row.
click 1033
probe settext "$(sheet)" 1033 "" >/dev/null
xdotool type --delay 40 "$title"
xdotool key ctrl+Delete
got=$(control_text 1033)
[[ $got == "$title" ]] && pass "title box: every capital typed arrives" || fail "title box shows \"$got\""
rows=$(probe rows "$(sheet)" 1122 | tr -d '\r')
[[ $rows == 2 ]] && pass "Ctrl+Delete in the title box leaves the title list" || fail "title list has $rows rows after Ctrl+Delete in the title box"
xdotool key Return

# The letter, after choosing to write one.
click 1115
click 1072
xdotool type --delay 40 "$letter"
got=$(control_text 1072)
[[ $got == "$letter" ]] && pass "letter: every capital typed arrives" || fail "the letter shows \"$got\""

# Ctrl+S types nothing: from the letter it saves the open scenario.
touch -d '2000-01-01' "$scratch/trip.sao"
xdotool key ctrl+s
until=$((SECONDS + 20))
while ((SECONDS < until)) && [[ $(stat -c %Y "$scratch/trip.sao") == 946684800 ]]; do sleep 0.3; done
if [[ $(stat -c %Y "$scratch/trip.sao") == 946684800 ]]; then fail "Ctrl+S in the letter saved nothing"
else
    wait_written "$scratch/trip.sao" 10
    tr -d '\r' <"$scratch/trip.sao" >"$scratch/saved.txt"
    grep -qFx "$title" "$scratch/saved.txt" && pass "Ctrl+S saves the typed title" || fail "the saved file has no title \"$title\""
    grep -qFx "$letter" "$scratch/saved.txt" && pass "Ctrl+S saves the typed letter" || fail "the saved file has no letter \"$letter\""
fi

# Back in title mode, on its button (clicking the title list sends the focus to
# the title box), Ctrl+Delete is its command again: the list is emptied.
click 1114
xdotool key ctrl+Delete
until=$((SECONDS + 10))
while ((SECONDS < until)) && [[ $(probe rows "$(sheet)" 1122 | tr -d '\r') != 0 ]]; do sleep 0.3; done
rows=$(probe rows "$(sheet)" 1122 | tr -d '\r')
[[ $rows == 0 ]] && pass "Ctrl+Delete on a button deletes the title rows" || fail "the title list kept $rows rows after Ctrl+Delete on a button"

screenshot "$scratch/typed.png"
end_wizard typing
finish
