#!/usr/bin/env bash
# A work without sound holds none in Glimmerdeck under Wine, heard from the
# session's PulseAudio null sink. Scenario A's sound (a 440 Hz tone) is picked
# in the Sound step's list, played and stopped; then scenario B, which has no
# sound, is opened: the Sound step highlights no row and Play plays nothing.
# A2 (a 660 Hz tone) opened next plays its own tone, so the sink is heard when
# there is something to hear. File New after A2 plays nothing either. B opened
# after A's Sound step and reached through the Text and Make steps makes a
# saver without A's sound and a silent full-screen preview; A2 reached the same
# way previews with A2's tone.
source "$(dirname "$0")/common.bash"
source "$(dirname "$0")/lib/glimmerdeck.bash"
need_display
if [[ -z ${VT_PULSE_MONITOR:-} ]]; then
    echo "FAIL: no PulseAudio null sink; run under the Wine session (tools/test)"
    exit 1
fi

mkdir -p "$scratch/sounds"
for name in a:440 a2:660; do
    sox -q -n -r 44100 -c 2 -b 16 "$scratch/${name%:*}.wav" synth 12 sine "${name#*:}" vol 0.5
    lame --quiet -b 128 "$scratch/${name%:*}.wav" "$scratch/sounds/${name%:*}.mp3"
done
cp "$src/tests/data/jpeg/base420.jpg" "$scratch/picture.jpg"
cp "$bin/engine.scr" "$scratch/engine.scr"
picture=$(winpath "$scratch/picture.jpg")
for name in a a2 b; do
    sound=Nothing
    [[ $name != b ]] && sound=$(winpath "$scratch/sounds/$name.mp3")
    printf '%s\r\n' 1 1 1 1 5 0 1 0 2 0 0 1 2000 5000 "$sound" "$picture" "$picture" Nothing LETTER "" \
        >"$scratch/$name.sao"
done

# listen NAME SECONDS: records the sink for SECONDS into NAME.wav; tone_in
# tells what it holds ($loud, $freq).
listen() {
    local rec="$scratch/$1.wav" rec_pid
    parec --latency-msec=20 -d "$VT_PULSE_MONITOR" --file-format=wav "$rec" &
    rec_pid=$!
    sleep "$2"
    kill -INT "$rec_pid"
    wait "$rec_pid" 2>/dev/null
    tone_in "$rec"
    freq=${freq:-0}
}

# play_and_listen NAME: presses Play on the Sound step and records 3 s.
play_and_listen() {
    click 1015
    listen "$1" 3
}

# silent WHAT NAME: Play on the Sound step is heard as nothing, and the step's
# position stays at its start.
silent() {
    [[ -z $(control_text 1012) ]] || fail "$1: the Sound step shows \"$(control_text 1012)\""
    local row
    row=$(probe selected "$step3" 1124 | tr -d '\r')
    [[ $row == "(none)" ]] && pass "$1: no sound highlighted" || fail "$1: the list highlights \"$row\""
    play_and_listen "$2"
    if ((loud == 0)); then pass "$1: Play is silent"
    else fail "$1: Play gave $loud loud quarter seconds at ${freq} Hz"; fi
    [[ $(control_text 1019) == "00 : 00" ]] || fail "$1: the position reads \"$(control_text 1019)\" after Play"
}

# heard WHAT NAME LOW HIGH: Play on the Sound step gives a tone between LOW and HIGH Hz.
heard() {
    play_and_listen "$2"
    if ((loud >= 4)) && awk -v f="$freq" -v lo="$3" -v hi="$4" 'BEGIN { exit !(f > lo && f < hi) }'; then
        pass "$1: Play gives the tone ($loud loud quarter seconds, $freq Hz)"
    else
        fail "$1: Play gave $loud loud quarter seconds at $freq Hz ($3-$4 Hz wanted)"
    fi
    click 1016
}

# press ID: a mouse click on the shown step's button ID (the Make step's keep no focus).
press() {
    local at
    at=$(probe where "$(sheet)" "$1" | tr -d '\r') || { fail "no control $1 to press"; return 1; }
    xdotool mousemove $at click 1
}

# preview WHAT NAME: the Make step's full-screen preview, listened to for 3 s
# (into NAME.wav) and ended with a click. The session's X screen has no other
# display modes, so the preview first says it falls back to 640 x 480.
fallback=$'Can\'t change screen mode. This mode is not supported by graphic card. \r\nit changes into 640*480 mode.'
preview() {
    press 1100
    probe message Glimmerdeck "$fallback" 20 >/dev/null
    probe wait "Preview Full Screen" 10 >/dev/null || { fail "$1: no preview window"; return 1; }
    listen "$2" 3
    screenshot "$scratch/$2.png"
    xdotool mousemove 320 240 click 1
    probe gone "Preview Full Screen" 15 >/dev/null || fail "$1: the preview never closed"
}

# contains FILE SOUND: true when FILE holds the bytes of SOUND.
contains() { python3 -c 'import sys; sys.exit(open(sys.argv[2], "rb").read() not in open(sys.argv[1], "rb").read())' "$@"; }

start_wizard no-sound

# A's sound, picked in the list as a user does, played and stopped.
open_file "$scratch/a.sao"
show_step 2
probe folder "$step3" 1123 "$(winpath "$scratch/sounds")" >/dev/null || fail "the folder tree does not reach the sounds"
sleep 1
probe choose "$step3" 1124 a.mp3 >/dev/null || fail "no a.mp3 in the Sound step's list"
sleep 1
heard "A" a 420 460

open_file "$scratch/b.sao"
show_step 2
silent "B after A" b

open_file "$scratch/a2.sao"
show_step 2
heard "A2 after B" a2 630 690

probe send "$(sheet)" "$cmd_new" 30 >/dev/null || {
    fail "New after A2 only looked at: it asked a question"
    probe reply Glimmerdeck "Would you save work ?" "$no" 5 >/dev/null
}
show_step 2
silent "New after A2" new

# B reached through the other steps after A's sound was shown: the Make step's
# outputs take B's sound, which is none.
open_file "$scratch/a.sao"
show_step 2
open_file "$scratch/b.sao"
show_step 1
show_step 3
saver="$scratch/b.scr"
press 1022
if probe file Save "$(winpath "$saver")" 30 >/dev/null && probe message Glimmerdeck Completed 60 >/dev/null; then
    if contains "$saver" "$scratch/sounds/a.mp3"; then fail "the saver made from B holds A's sound"
    else pass "the saver made from B holds no sound of A"; fi
else
    fail "no saver made from B"
fi
preview "B's full-screen preview" preview-b
((loud == 0)) && pass "B's full-screen preview is silent" || fail "B's full-screen preview: $loud loud quarter seconds at $freq Hz"
show_step 2
[[ -z $(control_text 1012) ]] || fail "B through the Make step: the Sound step shows \"$(control_text 1012)\""

# The same way to A2's preview, which plays A2's tone.
open_file "$scratch/a2.sao"
show_step 1
show_step 3
preview "A2's full-screen preview" preview-a2
if ((loud >= 4)) && awk -v f="$freq" 'BEGIN { exit !(f > 630 && f < 690) }'; then
    pass "A2's full-screen preview plays its tone ($loud loud quarter seconds, $freq Hz)"
else
    fail "A2's full-screen preview: $loud loud quarter seconds at $freq Hz"
fi

end_wizard no-sound
finish
