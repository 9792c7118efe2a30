#!/usr/bin/env bash
# One scenario after another in Glimmerdeck under Wine: opening a scenario (or
# File New) replaces the whole work. Scenario A has two pictures, titles, a
# sound, a letter and options away from the defaults; B has one picture and
# nothing else. Whichever of A's steps were shown, in whatever order, B opened
# next and saved is written back byte for byte, and every step then shows B
# (no sound path, no letter, B's picture named on step 1). File New after A
# saves the same file as a fresh start does, and an Open cancelled in its
# dialog keeps the open work whole.
source "$(dirname "$0")/common.bash"
source "$(dirname "$0")/lib/glimmerdeck.bash"
need_display

for name in base420.jpg base422.jpg prog420.jpg; do cp "$src/tests/data/jpeg/$name" "$scratch/$name"; done
cp "$src/tests/data/sound/tone.mp3" "$scratch/tone.mp3"
a1=$(winpath "$scratch/base420.jpg") a2=$(winpath "$scratch/base422.jpg") b=$(winpath "$scratch/prog420.jpg")
sound=$(winpath "$scratch/tone.mp3")
printf '%s\r\n' 2 2 3 1 7 2 1 3 2 1 0 2 3000 8000 "$sound" "$a1" "$a2" "$a1" "$a2" Harbour Nothing LETTER \
    "Dear all," "see you at the sea" >"$scratch/a.sao"
printf '%s\r\n' 1 1 1 1 5 0 1 0 2 0 0 1 2000 5000 Nothing "$b" "$b" Nothing LETTER "" >"$scratch/b-as-written.sao"
cp "$scratch/a.sao" "$scratch/a-as-written.sao"

# visit STEPS...: shows each step in turn.
visit() { local step; for step in "$@"; do show_step "$step"; done; }

# shows_b WHEN: every step shows B's work.
shows_b() {
    show_step 2
    [[ -z $(control_text 1012) ]] || fail "$1: the Sound step shows \"$(control_text 1012)\""
    show_step 1
    [[ -z $(control_text 1072) ]] || fail "$1: the Text step's letter is \"$(control_text 1072)\""
    show_step 0
    local until=$((SECONDS + 15))
    while ((SECONDS < until)) && [[ $(control_text 1011) != "$b" ]]; do sleep 0.3; done
    [[ $(control_text 1011) == "$b" ]] || fail "$1: step 1 names \"$(control_text 1011)\", not B's picture"
}

for order in "" "0 1 2 3" "3" "2" "1" "3 2 1 0" "1 3" "2 0 3"; do
    what="A's steps shown: ${order:-none}"
    cp "$scratch/b-as-written.sao" "$scratch/b.sao"
    start_wizard "reopen-${order// /}"
    open_file "$scratch/a.sao"
    visit $order
    open_file "$scratch/b.sao"
    if ! save_over "$scratch/b.sao"; then fail "$what: Save wrote nothing"
    elif cmp -s "$scratch/b.sao" "$scratch/b-as-written.sao"; then pass "$what: B saved is B"
    else fail "$what: B saved differs: $(differs "$scratch/b-as-written.sao" "$scratch/b.sao")"; fi
    shows_b "$what"
    save_over "$scratch/b.sao"
    cmp -s "$scratch/b.sao" "$scratch/b-as-written.sao" || fail "$what: B saved after its steps were shown differs"
    end_wizard "$what"
done

# File New after A: the same file as the untouched wizard's, and no picture named.
start_wizard new
save_as "$scratch/fresh.sao" || fail "no Save As of the fresh wizard"
open_file "$scratch/a.sao"
visit 1 2 3 0
probe send "$(sheet)" "$cmd_new" 30 >/dev/null || {
    fail "New after A only looked at: it asked a question"
    probe reply Glimmerdeck "Would you save work ?" "$no" 5 >/dev/null
}
if ! save_as "$scratch/new.sao"; then fail "no Save As after New"
elif cmp -s "$scratch/new.sao" "$scratch/fresh.sao"; then pass "New after A saves what a fresh start saves"
else fail "New after A: $(differs "$scratch/fresh.sao" "$scratch/new.sao")"; fi
[[ -z $(control_text 1011) ]] && pass "New: step 1 names no picture" || fail "New: step 1 still names \"$(control_text 1011)\""

# An Open cancelled in its dialog leaves A, steps not yet shown included.
open_file "$scratch/a.sao"
probe command "$(sheet)" "$cmd_open" >/dev/null
probe cancel Open 30 >/dev/null || fail "no Open dialog to cancel"
if ! save_over "$scratch/a.sao"; then fail "Save after the cancelled Open wrote nothing"
elif cmp -s "$scratch/a.sao" "$scratch/a-as-written.sao"; then pass "a cancelled Open keeps the open work"
else fail "a cancelled Open lost work: $(differs "$scratch/a-as-written.sao" "$scratch/a.sao")"; fi
end_wizard new
finish
