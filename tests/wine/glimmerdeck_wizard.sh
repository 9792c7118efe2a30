#!/usr/bin/env bash
# Glimmerdeck under Wine: the wizard sheet comes up on step 1, a second start
# says "Program is executed already." and ends with status 1 without a second
# sheet, every step can be selected (the Make step first creates the Text step),
# Update without the updater says "Error code = 280", Update with one beside the program starts it in the
# program's folder, and both the Exit command and closing the sheet end the program with status 0.
source "$(dirname "$0")/common.bash"
need_display

source "$(dirname "$0")/lib/glimmerdeck.bash"

# start_wizard NAME: starts Glimmerdeck in the background (pid in $wizard_pid)
# and waits for its sheet.
start_wizard() {
    "$run" "$program" >"$scratch/$1.log" 2>&1 </dev/null &
    wizard_pid=$!
    if probe wait "$step1" 60 >/dev/null; then pass "$1: the sheet shows step 1"
    else fail "$1: no sheet titled \"$step1\""; fi
}

# end_wizard NAME: the first instance must end with status 0.
end_wizard() {
    wait_pid 30 "$wizard_pid"
    local rc=$?
    if ((rc == 0)); then pass "$1: ended with status 0"
    else
        fail "$1: status $rc (124 = still running)"
        ((rc == 124)) && kill "$wizard_pid" 2>/dev/null
    fi
}

start_wizard "first run"

"$run" "$program" >"$scratch/second.log" 2>&1 </dev/null &
second=$!
if probe message Glimmerdeck "Program is executed already." 60 >/dev/null; then
    pass "second start: \"Program is executed already.\""
else
    fail "second start: no \"Program is executed already.\" box"
fi
wait_pid 40 "$second"
rc=$?
if ((rc == 1)); then pass "second start: status 1"
else
    fail "second start: status $rc"
    # Its box still up, it would refuse every later start as the one already running.
    ((rc == 124)) && { probe end Glimmerdeck >/dev/null; wait_pid 10 "$second" >/dev/null || kill "$second"; }
fi
count=$(probe count "$step1" | tr -d '\r')
[[ $count == 1 ]] && pass "one sheet after the second start" || fail "$count sheets after the second start"

for page in "3:$step4" "1:$step2" "2:$step3" "0:$step1"; do
    probe page "$step1" "${page%%:*}" >/dev/null 2>&1 || probe page "$step2" "${page%%:*}" >/dev/null 2>&1 ||
        probe page "$step3" "${page%%:*}" >/dev/null 2>&1 || probe page "$step4" "${page%%:*}" >/dev/null 2>&1
    if probe wait "${page#*:}" 15 >/dev/null; then pass "page ${page%%:*}: \"${page#*:}\""
    else fail "page ${page%%:*}: the sheet title never became \"${page#*:}\""; fi
done

# Update with no updater beside the program; Help without "help.chm" shows nothing.
probe command "$step1" 40043 >/dev/null
probe command "$step1" 40046 >/dev/null
if probe message Vantrelle "Error code = 280" 20 >/dev/null; then pass "Update without Skyfetch: \"Error code = 280\""
else fail "Update without Skyfetch: no \"Error code = 280\" box"; fi

# With an updater beside the program (the updater probe stands in for it), Update
# starts that one, in the program's own folder, whatever folder the program was
# started in.
cp "$bin/updaterprobe.exe" "$scratch/Skyfetch.exe"
rm -f "$scratch/restarted.txt"
probe command "$step1" 40046 >/dev/null
for _ in $(seq 100); do [[ -s $scratch/restarted.txt ]] && break; sleep 0.1; done
started_in=$(sed -n 2p "$scratch/restarted.txt" 2>/dev/null | tr -d '\r' | sed 's/\\$//')
want=$(printf 'Z:%s' "${scratch//\//\\}")
if [[ ${started_in,,} == "${want,,}" ]]; then pass "Update starts Skyfetch in the program's folder"
else fail "Update: Skyfetch started in \"$started_in\", not \"$want\""; fi
# The stand-in ends at once and has no window: whichever complaint that brings is answered.
probe message Vantrelle "Error code = 280" 10 >/dev/null || probe message Error "Error code = 279" 10 >/dev/null
rm -f "$scratch/Skyfetch.exe"

probe command "$step1" 40012 >/dev/null || fail "could not send Exit"
end_wizard "Exit command"

start_wizard "second run"
probe close "$step1" >/dev/null || fail "could not close the sheet"
end_wizard "closing the sheet"

finish
