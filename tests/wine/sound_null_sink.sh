# Sound under the test session: a DirectSound tone played under Wine reaches the
# session's PulseAudio null sink in real time and can be recorded from its monitor.
source "$(dirname "$0")/common.bash"
if [[ -z ${VT_PULSE_MONITOR:-} ]]; then
    echo "FAIL: no PulseAudio null sink; run under the Wine session (tools/test)"
    exit 1
fi
rec="$scratch/recorded.wav"
# A short latency, and SIGINT to stop: otherwise parec loses the last seconds it
# holds in its buffer.
parec --latency-msec=20 -d "$VT_PULSE_MONITOR" --file-format=wav "$rec" &
rec_pid=$!
sleep 0.3
start=$(date +%s%N)
out=$("$run" "$bin/soundprobe.exe" 2>&1)
rc=$?
elapsed=$((($(date +%s%N) - start) / 1000000))
sleep 0.3
kill -INT "$rec_pid"
wait "$rec_pid" 2>/dev/null
echo "$out"
((rc == 0)) && pass "soundprobe played (status 0)" || fail "soundprobe status $rc"
((elapsed >= 3450)) && pass "playing took real time (${elapsed} ms)" || fail "1.5 s of waiting and 2 s of sound took ${elapsed} ms"

# Quarter seconds of the recording that hold the tone (0.26 RMS when present).
tone_in "$rec"
echo "recorded ${len} s, the tone in $loud quarter seconds, median ${freq:-?} Hz"
((loud >= 7)) && pass "the tone was recorded (at least 1.75 s of it)" || fail "too little of the tone recorded"
awk -v f="${freq:-0}" 'BEGIN { exit !(f > 420 && f < 460) }' && pass "at 440 Hz" || fail "frequency ${freq:-?} Hz"
finish
