# The minimal saver runs full screen in a Wine virtual desktop: the screenshot
# shows its four colours, a key ends it with status 0, and a display-mode switch
# inside the desktop shrinks the picture to the new mode and is undone at the end.
source "$(dirname "$0")/common.bash"
need_display
saver="$bin/testsaver.scr"

# run_saver NAME EXPECTED-PIXELS [saver args...]
run_saver() {
    local name=$1 want=$2 shot="$scratch/$1.png" pid rc
    shift 2
    "$run" --desktop 1024x768 "$saver" /s --timeout 30000 "$@" &
    pid=$!
    if wait_for_pixels 30 "$shot" "$want"; then pass "$name: screenshot shows the saver's colours"
    else fail "$name: the saver's colours never showed (last screenshot: $shot)"; fi
    xdotool key space
    wait_pid 15 "$pid"
    rc=$?
    if ((rc == 0)); then pass "$name: a key ended it with status 0"
    else
        fail "$name: status $rc after the key (3 = timed out, 124 = still running)"
        ((rc == 124)) && kill "$pid" 2>/dev/null
    fi
}

run_saver full "256,192=FF0000 768,192=00FF00 256,576=0000FF 768,576=FFFF00"
# 800x600 inside the 1024x768 desktop: the desktop window shrinks to the mode.
run_saver mode800 "200,150=FF0000 600,150=00FF00 200,450=0000FF 600,450=FFFF00 900,700=000000" --mode 800x600
sleep 0.5
if [[ $(xwininfo -root -tree | grep -F '"vt-1024x768 - Wine desktop"') == *1024x768+0+0* ]]; then
    pass "display mode restored after the saver"
else
    fail "the virtual desktop did not return to 1024x768"
fi
finish
