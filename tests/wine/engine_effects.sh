#!/usr/bin/env bash
# The slide show's cycle under Wine: with the default show time S = 5 s and
# transition time T = 2 s, every picture plays an image effect (driven by a
# beating sound) for the first half of S, stands plain for the second half, and
# a transition turns it into the next one; the cycles follow S + T apart.
# The pictures are structured (flat ones hide most effects) and 640 x 480, so
# the plain frame can be compared with ImageMagick's decode of the same file.
source "$(dirname "$0")/common.bash"
need_display
makesaver=$(makesaver_tool) || exit 1

cd "$scratch" || exit 1
# Fine line patterns over smooth colour: blurs and paint dabs change them visibly.
convert -size 640x480 -seed 11 plasma:red-yellow \( -size 640x480 pattern:hs_cross \) \
    -compose multiply -composite -sampling-factor 1x1 -quality 95 p0.jpg
convert -size 640x480 -seed 12 plasma:green-blue \( -size 640x480 pattern:crosshatch45 \) \
    -compose multiply -composite -sampling-factor 1x1 -quality 95 p1.jpg
convert -size 640x480 gradient:navy-orange -swirl 180 \( -size 640x480 pattern:hs_diagcross \) \
    -compose multiply -composite -sampling-factor 1x1 -quality 95 p2.jpg
for p in p0 p1 p2; do convert $p.jpg -depth 8 rgb:$p.rgb; done
# A burst of full-scale noise every half second: a beat each time, and a level
# that swings between loud and quiet, so every effect shows.
sox -q -n -r 22050 -c 1 -b 16 burst.wav synth 0.06 whitenoise pad 0 0.44
sox -q burst.wav beats.wav repeat 59
# Empty titles: a saver without any title would show the maker's address over the pictures.
"$makesaver" --engine "$bin/engine.scr" --out effects.scr \
    --picture p0.jpg --picture p1.jpg --picture p2.jpg --title "" --title "" --title "" --sound beats.wav >/dev/null ||
    { fail "makesaver"; finish; }

# Three cycles.
capture_show "$scratch/effects.scr" 22 "$scratch/frames"
check_frames show "$scratch/frames" p0.rgb p1.rgb p2.rgb
((failures)) || rm -rf "$scratch/frames"
finish
