#!/usr/bin/env bash
# A saver made with makesaver from three flat pictures of different shapes plays
# them full screen in turn, each decoded and fitted into the 640 x 480 frame with
# its aspect ratio kept, centred on black: 1000 x 400 (bars above and below),
# 300 x 600 (bars left and right), and 320 x 240 (the frame's shape, scaled up
# to fill it).
source "$(dirname "$0")/common.bash"
need_display
makesaver=$(makesaver_tool) || exit 1

picture() { convert -size "$1" "xc:#$2" -quality 90 "$scratch/$3.jpg"; }
picture 1000x400 FF0000 wide
picture 300x600 00FF00 tall
picture 320x240 0000FF small
# Empty titles: a saver without any title would show the maker's address over the pictures.
"$makesaver" --engine "$bin/engine.scr" --out "$scratch/pictures.scr" \
    --picture "$scratch/wide.jpg" --picture "$scratch/tall.jpg" --picture "$scratch/small.jpg" \
    --title "" --title "" --title "" >/dev/null ||
    { fail "makesaver"; finish; }

# Three cycles of 7 s and the plain half of the fourth.
capture_show "$scratch/pictures.scr" 26 "$scratch/frames"
# Fitted size from the shapes: 640 x (400 x 640 / 1000), (300 x 480 / 600) x 480, 640 x 480.
check_frames layouts "$scratch/frames" \
    0,112,640,256=FF0000 200,0,240,480=00FF00 0,0,640,480=0000FF
((failures)) || rm -rf "$scratch/frames"
finish
