# Shared by the tests/wine/*.sh scripts (sourced, not a test itself).
# Scripts are called as `bash script.sh <build-dir> <source-dir>` with the Wine
# session's environment (tools/wine-session env); exit 0 = pass.
set -uo pipefail

build=$(realpath "$1")
src=$(realpath "$2")
bin="$build/bin"
run="$src/tools/wine-run"
scratch="$build/test-scratch/$(basename "${BASH_SOURCE[1]}" .sh)"
rm -rf "$scratch"
mkdir -p "$scratch"
failures=0

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
pass() { echo "ok: $*"; }
finish() {
    if ((failures)); then echo "$failures check(s) failed"; exit 1; fi
    echo "all checks passed"
    exit 0
}

need_display() {
    if [[ -z ${DISPLAY:-} ]] || ! xdpyinfo >/dev/null 2>&1; then
        echo "FAIL: no X display; run under the Wine session (tools/test, or eval \"\$(tools/wine-session env)\")"
        exit 1
    fi
}

# screenshot FILE: the whole X screen as PNG.
screenshot() { xwd -root -silent -display "$DISPLAY" | convert xwd:- "png:$1"; }

# pixel FILE X Y: the pixel's colour as RRGGBB.
pixel() { convert "$1" -format "%[hex:p{$2,$3}]" info: 2>/dev/null | cut -c1-6; }

# pixels_are FILE "X,Y=RRGGBB ...": true when every listed pixel has its colour.
pixels_are() {
    local file=$1 pair xy want got
    for pair in $2; do
        xy=${pair%%=*} want=${pair#*=}
        got=$(pixel "$file" "${xy%,*}" "${xy#*,}")
        [[ ${got^^} == "${want^^}" ]] || return 1
    done
}

# wait_for_pixels SECONDS FILE "X,Y=RRGGBB ...": screenshots until the pixels match.
wait_for_pixels() {
    local until=$((SECONDS + $1))
    while ((SECONDS < until)); do
        screenshot "$2" && pixels_are "$2" "$3" && return 0
        sleep 0.3
    done
    return 1
}

# wait_pid SECONDS PID: waits for a background job; its status, or 124 on timeout.
wait_pid() {
    local until=$((SECONDS + $1))
    while ((SECONDS < until)); do
        if ! kill -0 "$2" 2>/dev/null; then
            wait "$2"
            return $?
        fi
        sleep 0.1
    done
    return 124
}

# The engine's full-screen frame: the 640 x 480 display mode, at the top left of
# the Xvfb screen once the virtual desktop has switched to it.
frame_size=640x480

# makesaver_tool: the native package tool (built by the native preset).
makesaver_tool() {
    local tool
    tool=$(realpath -m "$build/../native/bin/makesaver")
    [[ -x $tool ]] || { echo "FAIL: $tool is not built (tools/build native)" >&2; return 1; }
    echo "$tool"
}

# desktop_size: the Wine virtual desktop window's size, e.g. 640x480.
desktop_size() {
    xwininfo -root -tree 2>/dev/null | awk '/ - Wine desktop"/ { print $(NF-1); exit }' | cut -d+ -f1
}

# capture_show SAVER SECONDS DIR: runs SAVER full screen ("/s") in a 1024x768
# virtual desktop, waits for the 640x480 mode, then grabs the frame as fast as
# it can for SECONDS into DIR (raw RGB, 640 x 480, named by the milliseconds
# since the first grab), and ends the saver with a key. Fails the check (and
# ends the saver's own process) when the mode never comes or the key does not
# end it with status 0.
capture_show() {
    local saver=$1 seconds=$2 dir=$3 pid rc start now until
    mkdir -p "$dir"
    "$run" --desktop 1024x768 "$saver" /s >"$dir.log" 2>&1 </dev/null &
    pid=$!
    until=$((SECONDS + 30))
    while [[ $(desktop_size) != "$frame_size" ]] && ((SECONDS < until)); do sleep 0.05; done
    if [[ $(desktop_size) != "$frame_size" ]]; then
        fail "$(basename "$saver"): the desktop never switched to $frame_size"
    else
        start=${EPOCHREALTIME/./}
        until=$((start + seconds * 1000000))
        while now=${EPOCHREALTIME/./}; ((now < until)); do
            # A grab that fails (rarely, an X error) is left out.
            xwd -root -silent -display "$DISPLAY" 2>/dev/null |
                convert xwd:- -crop "$frame_size+0+0" -depth 8 \
                    "rgb:$dir/$(printf %06d $(((now - start) / 1000))).rgb" 2>/dev/null
        done
    fi
    xdotool key space
    wait_pid 15 "$pid"
    rc=$?
    if ((rc == 0)); then pass "$(basename "$saver"): a key ended it with status 0"
    else
        fail "$(basename "$saver"): status $rc after the key (124 = still running)"
        ((rc == 124)) && kill "$pid" 2>/dev/null
    fi
}

# tone_in FILE: the quarter seconds of a recording from the sink that hold a
# tone (RMS over 0.1; a tone at half scale gives about 0.3) in $loud, the median
# of their pitch estimates in $freq (empty when none: the edges of a tone skew
# theirs), and the recording's length in seconds in $len.
tone_in() {
    local t=0 stats freqs=()
    len=$(soxi -D "$1" 2>/dev/null || echo 0)
    while awk -v t="$t" -v l="$len" 'BEGIN { exit !(t + 0.25 <= l) }'; do
        stats=$(sox "$1" -n trim "$t" 0.25 remix - stat 2>&1)
        if awk '/RMS     amplitude/ { exit !($3 > 0.1) }' <<<"$stats"; then
            freqs+=("$(awk '/Rough   frequency/ {print $3}' <<<"$stats")")
        fi
        t=$(awk -v t="$t" 'BEGIN { print t + 0.25 }')
    done
    loud=${#freqs[@]}
    freq=$( ((loud)) && printf '%s\n' "${freqs[@]}" | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }')
}

# check_frames layouts|show DIR ARGS...: the checks of tests/wine/lib/frames.py
# over the grabs of capture_show; its failures count here.
check_frames() {
    python3 "$src/tests/wine/lib/frames.py" "$@"
    failures=$((failures + $?))
}
