#!/usr/bin/env bash
# Every PCM WAV layout a user may have, played by a real saver: for each layout
# sox makes a 5-second 880 Hz tone, makesaver packs it into a saver, the saver
# runs full screen under Wine, and what reached the sound device is recorded
# from the session's PulseAudio null sink: the tone must be heard (its level)
# at its pitch (the dominant frequency).
source "$(dirname "$0")/common.bash"
need_display
if [[ -z ${VT_PULSE_MONITOR:-} ]]; then
    echo "FAIL: no PulseAudio null sink; run under the Wine session (tools/test)"
    exit 1
fi
makesaver=$(makesaver_tool) || exit 1
cd "$scratch" || exit 1
convert -size 64x48 xc:gray -quality 90 picture.jpg

# name  sox encoding  bits  channels  rate
cases=(
    "u8-8000-mono        unsigned-integer  8 1  8000"
    "s16-11025-mono      signed-integer   16 1 11025"
    "s16-48000-stereo    signed-integer   16 2 48000"
    "s24-22050-mono      signed-integer   24 1 22050"
    "s24-96000-stereo    signed-integer   24 2 96000"
    "s32-22050-mono      signed-integer   32 1 22050"
    "s32-44100-stereo    signed-integer   32 2 44100"
    "f32-44100-stereo    floating-point   32 2 44100"
    "f32-32000-mono      floating-point   32 1 32000"
    "f64-48000-stereo    floating-point   64 2 48000"
)

for c in "${cases[@]}"; do
    read -r name encoding bits channels rate <<<"$c"
    sox -q -n -r "$rate" -c "$channels" -b "$bits" -e "$encoding" "$name.wav" synth 5 sine 880 vol 0.5
    # Empty title: nothing but the picture and the sound.
    "$makesaver" --engine "$bin/engine.scr" --out "$name.scr" --picture picture.jpg --title "" \
        --sound "$name.wav" >/dev/null || { fail "$name: makesaver"; continue; }

    parec --latency-msec=20 -d "$VT_PULSE_MONITOR" --file-format=wav "$name.rec.wav" &
    rec_pid=$!
    "$run" --desktop 1024x768 "$name.scr" /s >"$name.log" 2>&1 </dev/null &
    pid=$!
    until=$((SECONDS + 30))
    while [[ $(desktop_size) != "$frame_size" ]] && ((SECONDS < until)); do sleep 0.05; done
    sleep 3.5   # the first second or so after the device opens never reaches the sink
    xdotool key space
    wait_pid 15 "$pid"
    rc=$?
    ((rc == 124)) && kill "$pid" 2>/dev/null
    sleep 0.2
    kill -INT "$rec_pid"
    wait "$rec_pid" 2>/dev/null
    ((rc == 0)) || fail "$name: the saver's status was $rc after the key"

    # The loudest quarter seconds of the recording: the tone's level and pitch.
    tone_in "$name.rec.wav"
    if ((loud >= 4)) && awk -v f="${freq:-0}" 'BEGIN { exit !(f > 830 && f < 930) }'; then
        pass "$name: heard ($loud loud quarter seconds of $len s), ${freq} Hz"
        rm -f "$name.rec.wav"
    else
        fail "$name: $loud loud quarter seconds of $len s recorded, median ${freq:-?} Hz (880 Hz expected)"
    fi
done
finish
