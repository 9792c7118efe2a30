#!/usr/bin/env bash
# Draws Glimmerdeck's decorative resources with ImageMagick into authoring/app/:
# the program icon (101), the four tab icons and the three picture frames
# (103 selected picture, 128 file picture, 154 preview), and the two small
# pictures 145 and 146 that the preview's effects may ask for by name.
#
#   bash tools/make-wizard-art.sh
set -euo pipefail
out="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/authoring/app"

# frame NAME WIDTH HEIGHT: a rounded night-blue frame around a dark well.
frame() {
    convert -size "$2x$3" gradient:'#2a4f8a'-'#0e1c38' \
        -fill '#05080f' -draw "roundrectangle 10,10 $(($2 - 11)),$(($3 - 11)) 6,6" \
        -fill none -stroke '#9fc3ff' -draw "roundrectangle 6,6 $(($2 - 7)),$(($3 - 7)) 8,8" \
        -colors 16 -type Palette "BMP3:$out/$1.bmp"
}
frame page-frame 192 152      # bitmap 103: at (475, 275) around the 160 x 122 picture at (491, 290)
frame file-frame 340 262      # bitmap 128: at (45, 200) around the 304 x 225 picture at (65, 216)
frame preview-frame 320 219   # bitmap 154: stretched at (60, 35) to 320 x 248 around (86, 59) 268 x 201

# icon NAME COLOUR GLYPH: a rounded card with a letter, 16 and 32 pixels.
icon() {
    local sizes=() s
    for s in 16 32 48; do
        convert -size "${s}x${s}" xc:none -fill "$2" -draw "roundrectangle 0,0 $((s - 1)),$((s - 1)) $((s / 5)),$((s / 5))" \
            -fill white -gravity center -font DejaVu-Sans-Bold -pointsize $((s * 6 / 10)) -annotate 0 "$3" \
            "PNG32:/tmp/wizard-icon-$s.png"
        sizes+=("/tmp/wizard-icon-$s.png")
    done
    convert "${sizes[@]}" "$out/$1.ico"
    rm -f "${sizes[@]}"
}
icon glimmerdeck '#1d3a70' 'G'
icon tab-image '#2f7d4f' '1'
icon tab-text '#7d5a2f' '2'
icon tab-sound '#6b2f7d' '3'
icon tab-make '#2f5f7d' '4'

# The preview's named pictures (24-bit, as the by-name loader copies them).
convert -size 64x48 xc:'#87ceeb' -fill white -draw "polygon 8,24 40,20 56,24 40,28" \
    -draw "polygon 28,22 36,8 40,22" -draw "polygon 28,26 36,40 40,26" -type truecolor "BMP3:$out/airplane.bmp"
convert -size 48x64 xc:'#f0e6d2' -fill '#5a4632' -draw "ellipse 16,40 8,14 0,360" \
    -draw "ellipse 32,20 8,14 0,360" -type truecolor "BMP3:$out/footmark.bmp"
