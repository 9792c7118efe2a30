# Shared by tests/wine/glimmerdeck_*.sh (sourced after common.bash): a copy of
# Glimmerdeck in the scratch folder, the probe that drives it from outside, and
# the steps a user takes with it (open, save, click, type, answer questions).
program="$bin/Glimmerdeck.exe"
probe_exe="$bin/wizardprobe.exe"
[[ -f $program && -f $probe_exe ]] || { echo "FAIL: $program or $probe_exe is not built"; exit 1; }
# A copy of its own, so that no updater stands beside it.
cp "$program" "$scratch/Glimmerdeck.exe"
program="$scratch/Glimmerdeck.exe"

steps=("Glimmerdeck 1.1 - 1Step. Select image file"
       "Glimmerdeck 1.1 - 2Step. Write letter or image title"
       "Glimmerdeck 1.1 - 3Step. Select a sound file that enter as background sound of screen saver."
       "Glimmerdeck 1.1 - 4Step. After a little setting up to work done so far, make screen saver.")
cmd_new=40040 cmd_open=40013 cmd_save=40039 cmd_save_as=57671 cmd_exit=40012
yes=6 no=7 cancel=2

probe() { "$run" "$probe_exe" "$@" </dev/null 2>>"$scratch/probe.log"; }
winpath() { local p=${1//\//\\}; echo "Z:$p"; }

# sheet: the title the wizard's sheet has now (it names the step shown).
sheet() {
    local title
    for title in "${steps[@]}"; do
        [[ $(probe count "$title" | tr -d '\r') == 1 ]] && { echo "$title"; return 0; }
    done
    return 1
}

# start_wizard NAME: Glimmerdeck in the background (pid in $wizard_pid), up to its sheet.
start_wizard() {
    "$run" "$program" >"$scratch/$1.log" 2>&1 </dev/null &
    wizard_pid=$!
    probe wait "${steps[0]}" 60 >/dev/null || { fail "$1: no sheet"; kill "$wizard_pid"; finish; }
}

# stop_wizard: ends a wizard that did not end by itself (its Windows process
# too, which would refuse the next start as a second instance).
stop_wizard() {
    local title
    title=$(sheet) && probe end "$title" >/dev/null
    kill "$wizard_pid" 2>/dev/null
    wait_pid 10 "$wizard_pid" >/dev/null
}

# end_wizard NAME: Exit, letting go of whatever work is open; status 0 wanted.
end_wizard() {
    probe command "$(sheet)" "$cmd_exit" >/dev/null
    probe reply Glimmerdeck "Would you save work done so far ?" "$no" 5 >/dev/null
    wait_pid 30 "$wizard_pid"
    local rc=$?
    ((rc == 0)) || { fail "$1: status $rc at the end (124 = still running)"; ((rc == 124)) && stop_wizard; }
}

# show_step INDEX: selects a step and waits until the sheet shows it.
show_step() {
    local title
    title=$(sheet) || { fail "step $1: the sheet shows no step"; return 1; }
    probe page "$title" "$1" >/dev/null || { fail "step $1: the sheet took no page switch"; return 1; }
    # A loaded machine can take many seconds to build a step the first time.
    probe wait "${steps[$1]}" 60 >/dev/null || fail "step $1 never showed"
}

# open_file PATH: Open Scenario with PATH chosen in its dialog.
open_file() {
    probe command "$(sheet)" "$cmd_open" >/dev/null
    probe file Open "$(winpath "$1")" 30 >/dev/null || fail "open $1: no Open dialog"
    probe gone Open 30 >/dev/null || fail "open $1: the Open dialog stayed"
    probe wait "${steps[0]}" 30 >/dev/null
}

# wait_written FILE SECONDS: until FILE exists and has stopped growing.
wait_written() {
    local until=$((SECONDS + $2)) size=-1
    while ((SECONDS < until)); do
        if [[ -f $1 ]] && (($(stat -c %s "$1") == size)); then return 0; fi
        [[ -f $1 ]] && size=$(stat -c %s "$1")
        sleep 0.5
    done
    return 1
}

# save_over FILE: Save Scenario, which writes the open scenario's own file;
# true once FILE was written again.
save_over() {
    local title until=$((SECONDS + 30))
    touch -d '2000-01-01' "$1"
    # A loaded machine can still be switching the sheet's page, with no title of a step yet.
    until title=$(sheet) || ((SECONDS >= until)); do sleep 0.3; done
    probe send "$title" "$cmd_save" 30 >/dev/null
    until [[ $(stat -c %Y "$1") != 946684800 ]] || ((SECONDS >= until)); do sleep 0.3; done
    [[ $(stat -c %Y "$1") != 946684800 ]]
}

# save_as FILE: Save As into FILE; true once it is written.
save_as() {
    rm -f "$1"
    probe command "$(sheet)" "$cmd_save_as" >/dev/null
    probe file "Save as" "$(winpath "$1")" 30 >/dev/null && probe gone "Save as" 30 >/dev/null &&
        wait_written "$1" 20
}

# click ID: a mouse click on the shown step's control ID, which takes the focus.
click() {
    local at
    at=$(probe where "$(sheet)" "$1" | tr -d '\r') || { fail "no control $1 to click"; return 1; }
    xdotool mousemove $at click 1
    probe focused "$(sheet)" "$1" 10 >/dev/null || fail "control $1 never took the focus"
}

# control_text ID: the text of the shown step's control ID.
control_text() { probe text "$(sheet)" "$1" | tr -d '\r'; }

# differs A B: the first lines where two scenario files differ, for a message.
differs() { diff <(tr -d '\r' <"$1") <(tr -d '\r' <"$2" 2>/dev/null) | head -6 | tr '\n' ' '; }

# The steps' titles and the probe by the names the older scripts use.
step1=${steps[0]} step2=${steps[1]} step3=${steps[2]} step4=${steps[3]}
probe=$probe_exe
