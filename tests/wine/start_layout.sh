#!/usr/bin/env bash
# Wine here has no preloader, so a Wine process whose C heap begins at a random
# place can find Windows' shared page taken and die before its program runs
# (about one start in ten thousand: a test lost at random). Everything
# tools/wine-run starts, the launcher and the program it starts, runs with
# address randomisation off, its heap right above the loader. Where the kernel
# refuses that (some container profiles) there is nothing to check.
source "$(dirname "$0")/common.bash"

if ! setarch -R true 2>/dev/null; then
    pass "this kernel keeps address randomisation on for everyone: nothing to check"
    finish
fi

title="start-layout-$$"
"$run" "$bin/wizardprobe.exe" wait "$title" 60 >/dev/null 2>&1 </dev/null &
launcher=$!
# up PID: the process runs Wine's loader (wine-run has got that far) and its heap is there.
up() { [[ $(readlink "/proc/$1/exe" 2>/dev/null) =~ /wine(64)?$ ]] && grep -q '\[heap\]' "/proc/$1/maps" 2>/dev/null; }
program=
until=$((SECONDS + 60))
while ((SECONDS < until)); do
    # (Looked for again each time: a fork on its way to becoming the program matches too.)
    program=$(pgrep -f -- "wizardprobe.exe wait $title" | grep -vx "$launcher" | head -1)
    [[ -n $program ]] && up "$launcher" && up "$program" && break
    sleep 0.2
done

# fixed NAME PID: the process runs with randomisation off and its heap where the
# loader ends.
fixed() {
    local persona heap loader_end
    persona=$(cat "/proc/$2/personality" 2>/dev/null)
    if [[ -z $persona ]]; then fail "$1: no process"; return; fi
    ((0x$persona & 0x0040000)) || { fail "$1: address randomisation on (personality $persona)"; return; }
    loader_end=$(awk '$6 ~ /\/wine(64)?$/ { split($1, r, "-"); end = r[2] } END { print end }' "/proc/$2/maps")
    heap=$(awk '$6 == "[heap]" { split($1, r, "-"); print r[1]; exit }' "/proc/$2/maps")
    [[ -n $heap && $heap == "$loader_end" ]] && pass "$1: randomisation off, heap at $heap right above the loader" ||
        fail "$1: heap at '${heap:-none}', the loader ends at '$loader_end'"
}
fixed "the launcher" "$launcher"
fixed "the program" "$program"
# The probe would wait its minute for a window that never comes.
kill "${program:-$launcher}" 2>/dev/null
wait_pid 20 "$launcher" >/dev/null || kill "$launcher" 2>/dev/null
finish
