#!/usr/bin/env bash
# Unsaved work in Glimmerdeck under Wine. Any change since the last Open, Save
# or New makes the work unsaved; File New, Open, Exit (menu or a step's Exit
# button) and closing the sheet then ask (Yes saves, No lets go, Cancel keeps
# the work and drops the action), and a Save As cancelled after Yes drops the
# action too; each asks once. Work as opened or saved is let go without a
# question.
source "$(dirname "$0")/common.bash"
source "$(dirname "$0")/lib/glimmerdeck.bash"
need_display

for name in base420.jpg base422.jpg; do cp "$src/tests/data/jpeg/$name" "$scratch/$name"; done
cp "$src/tests/data/sound/tone.mp3" "$scratch/tone.mp3"
a1=$(winpath "$scratch/base420.jpg") a2=$(winpath "$scratch/base422.jpg") sound=$(winpath "$scratch/tone.mp3")
printf '%s\r\n' 2 2 3 1 7 2 1 3 2 1 0 2 3000 8000 "$sound" "$a1" "$a2" "$a1" "$a2" Harbour Nothing LETTER \
    "Dear all," "see you at the sea" >"$scratch/a.sao"

pictures() { show_step 0; probe rows "${steps[0]}" 1121 | tr -d '\r'; }

# answer QUESTION BUTTON WHAT: the question must come; BUTTON answers it.
answer() {
    if probe reply Glimmerdeck "$1" "$2" 30 >/dev/null; then probe gone Glimmerdeck 30 >/dev/null; return 0; fi
    fail "$3: no question \"$1\""
    return 1
}

# kept WHAT: the changed work (one picture left) is still open.
kept() { [[ $(pictures) == 1 ]] && pass "$1: the work is kept" || fail "$1: $(pictures) pictures left, not 1"; }

start_wizard unsaved
probe send "$(sheet)" "$cmd_new" 30 >/dev/null && pass "New on untouched work asks nothing" || {
    fail "New on untouched work asked"
    probe reply Glimmerdeck "Would you save work ?" "$no" 5 >/dev/null
}

# Open, Save, then delete the first picture.
open_file "$scratch/a.sao"
save_over "$scratch/a.sao" || fail "Save after Open wrote nothing"
probe send "$(sheet)" 1008 30 >/dev/null
[[ $(pictures) == 1 ]] || fail "deleting a picture left $(pictures)"

probe command "$(sheet)" "$cmd_new" >/dev/null
answer "Would you save work ?" "$cancel" "New after a change" && kept "New, Cancel"

probe command "$(sheet)" "$cmd_new" >/dev/null
if answer "Would you save work ?" "$yes" "New after a change (Yes)"; then
    probe cancel "Save as" 30 >/dev/null || fail "New, Yes: no Save As dialog"
    probe gone "Save as" 30 >/dev/null
    kept "New, Yes, Save As cancelled"
fi

probe command "$(sheet)" "$cmd_open" >/dev/null
answer "Would you save work ?" "$cancel" "Open after a change" && kept "Open, Cancel"

for exit in "close:close" "close box:sysclose" "Exit:command $cmd_exit" "step 3 Exit button:command 1102"; do
    [[ $exit == step* ]] && show_step 3
    read -r verb id <<<"${exit#*:}"
    probe "$verb" "$(sheet)" $id >/dev/null
    answer "Would you save work done so far ?" "$cancel" "${exit%%:*}" && kept "${exit%%:*}, Cancel"
    kill -0 "$wizard_pid" 2>/dev/null || { fail "${exit%%:*}, Cancel: the program ended"; finish; }
done

# The close box with Yes saves the changed work under the name given, then
# ends without asking again.
probe sysclose "$(sheet)" >/dev/null
if answer "Would you save work done so far ?" "$yes" "close (Yes)"; then
    probe file "Save as" "$(winpath "$scratch/kept.sao")" 30 >/dev/null || fail "close, Yes: no Save As dialog"
fi
wait_pid 30 "$wizard_pid"
rc=$?
((rc == 0)) && pass "close, Yes: ended with status 0" || { fail "close, Yes: status $rc"; ((rc == 124)) && stop_wizard; }
if [[ $(sed -n '1p;15p;16p' "$scratch/kept.sao" 2>/dev/null | tr -d '\r' | tr '\n' '|') == "1|$sound|$a2|" ]]; then
    pass "close, Yes: the changed work is saved"
else
    fail "close, Yes: kept.sao does not hold the changed work"
fi

# Work as opened is let go without a question: New empties it, Exit ends.
start_wizard saved
open_file "$scratch/a.sao"
visit_all() { show_step 1; show_step 2; show_step 3; show_step 0; }
visit_all
probe send "$(sheet)" "$cmd_new" 30 >/dev/null && pass "New after Open asks nothing" || fail "New after Open asked"
[[ $(pictures) == 0 ]] && pass "New empties the work" || fail "New left $(pictures) pictures"
probe command "$(sheet)" "$cmd_exit" >/dev/null
wait_pid 30 "$wizard_pid"
rc=$?
((rc == 0)) && pass "Exit of unchanged work asks nothing" || { fail "Exit of unchanged work: status $rc"; ((rc == 124)) && stop_wizard; }

# The close box with No lets the changed work go and ends, asked once.
start_wizard letgo
open_file "$scratch/a.sao"
probe send "$(sheet)" 1008 30 >/dev/null
probe sysclose "$(sheet)" >/dev/null
answer "Would you save work done so far ?" "$no" "close box (No)"
wait_pid 30 "$wizard_pid"
rc=$?
((rc == 0)) && pass "close box, No: ended with status 0" || { fail "close box, No: status $rc (asked again?)"; ((rc == 124)) && stop_wizard; }
finish
