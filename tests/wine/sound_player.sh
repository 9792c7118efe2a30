#!/bin/bash
# Plays generated tones through the sound player under Wine: a 22,050 Hz mono WAV
# (plays unconverted), a 48,000 Hz stereo WAV (converted) and an MP3, each to its
# end and again from the start. Needs sox and lame on the host, and an audio
# device for Wine: when no PulseAudio server answers, a private one with a null
# sink is started for the run (and stopped again).
#   bash sound_player.sh <build-dir> <source-dir>
set -euo pipefail
build=$(cd "$1" && pwd)
src=$(cd "$2" && pwd)
program="$build/bin/wintest_SoundPlayerTest.exe"
[ -f "$program" ] || { echo "missing $program"; exit 1; }

fixtures="$build/test-scratch/sound-fixtures"
rm -rf "$fixtures"
mkdir -p "$fixtures"
sox -q -n -r 22050 -c 1 -b 16 "$fixtures/tone22050.wav" synth 2.5 sine 860 vol 0.5
sox -q -n -r 48000 -c 2 -b 16 "$fixtures/tone48000.wav" synth 2.5 sine 860 vol 0.5
sox -q -n -r 44100 -c 2 -b 16 "$fixtures/tone44100.wav" synth 2.5 sine 860 vol 0.5
lame --quiet -b 128 "$fixtures/tone44100.wav" "$fixtures/tone.mp3"

pulse_pid=
cleanup() {
    if [ -n "$pulse_pid" ]; then kill "$pulse_pid" 2>/dev/null || true; wait "$pulse_pid" 2>/dev/null || true; fi
}
trap cleanup EXIT
if ! pactl info >/dev/null 2>&1; then
    runtime="$build/test-scratch/sound-pulse"
    rm -rf "$runtime"
    mkdir -p "$runtime"
    chmod 700 "$runtime"
    XDG_RUNTIME_DIR="$runtime" pulseaudio --daemonize=no -n --exit-idle-time=-1 \
        --load="module-null-sink sink_name=nullsink rate=44100" \
        --load="module-native-protocol-unix auth-anonymous=1 socket=$runtime/native" \
        >"$runtime/log" 2>&1 &
    pulse_pid=$!
    for _ in $(seq 50); do
        [ -S "$runtime/native" ] && break
        sleep 0.1
    done
    export PULSE_SERVER="unix:$runtime/native"
    pactl info >/dev/null 2>&1 || { echo "PulseAudio did not start:"; cat "$runtime/log"; exit 1; }
fi

out="$build/test-scratch/sound-player.log"
status=0
VT_SOUND_FIXTURES="$fixtures" "$src/tools/wine-run" "$program" >"$out" 2>&1 || status=$?
cat "$out"
grep -q '\[  PASSED  \]' "$out" || exit 1
# A crash after the last test still fails the run.
[ "$status" -eq 0 ] || { echo "sound player test program exited with $status"; exit 1; }
if grep -q -E '\[  (FAILED|SKIPPED) \]' "$out"; then exit 1; fi
