#!/usr/bin/env bash
# Savers whose sound is junk (random bytes named .mp3, zeros named .wav):
# Wine's multimedia streaming now and then hangs on such files for good (in the
# open, a sample update, a seek or the release; wintest_SoundPlayerJunkTest
# meets it in the player itself). The saver must still show, and on a key its
# window must close and its process end within a second.
source "$(dirname "$0")/common.bash"
need_display
makesaver=$(makesaver_tool) || exit 1
cd "$scratch" || exit 1
convert -size 64x48 xc:gray -quality 90 picture.jpg
cp "$src/tests/data/sound/junk.mp3" junk.mp3   # 5,000 random bytes
head -c 100 /dev/zero >junk.wav

for sound in junk.mp3 junk.wav; do
    name=${sound/./-}
    "$makesaver" --engine "$bin/engine.scr" --out "$name.scr" --picture picture.jpg --title "" \
        --sound "$sound" >/dev/null || { fail "$name: makesaver"; continue; }
    "$run" --desktop 1024x768 "$name.scr" /s >"$name.log" 2>&1 </dev/null &
    pid=$!
    window=
    for ((i = 0; i < 300; i++)); do
        window=$(xdotool search --name '^Screen Saver$' 2>/dev/null | head -n 1)
        [[ -n $window ]] && break
        sleep 0.1
    done
    if [[ -z $window ]]; then
        fail "$name: no saver window within 30 s"
        kill "$pid" 2>/dev/null
        wait "$pid" 2>/dev/null
        continue
    fi
    sleep 2   # the show runs, the sound thread meets the junk
    kill -0 "$pid" 2>/dev/null || { fail "$name: the saver ended before the key"; continue; }
    start=${EPOCHREALTIME/./}
    xdotool key space
    closed= ended=
    while now=${EPOCHREALTIME/./}; (((now - start) < 5000000)); do
        [[ -z $closed ]] && ! xdotool search --name '^Screen Saver$' >/dev/null 2>&1 && closed=$(((now - start) / 1000))
        if [[ -z $ended ]] && ! kill -0 "$pid" 2>/dev/null; then ended=$(((now - start) / 1000)); fi
        [[ -n $closed && -n $ended ]] && break
        sleep 0.02
    done
    if [[ -z $ended ]]; then
        kill "$pid" 2>/dev/null
        wait "$pid" 2>/dev/null
        fail "$name: still running 5 s after the key (window ${closed:+closed after $closed ms}${closed:-open})"
        continue
    fi
    wait "$pid"
    rc=$?
    ((rc == 0)) || fail "$name: status $rc"
    if ((${closed:-99999} <= 1000 && ended <= 1000)); then
        pass "$name: the window closed after $closed ms and the process ended after $ended ms"
    else
        fail "$name: the window closed after ${closed:-?} ms and the process ended after $ended ms (1 s allowed)"
    fi
done
finish
