#!/usr/bin/env bash
# Remakes the seed files of tests/fuzz/corpus from the tools the tests use:
# cjpeg pictures of every kind the codec meets, lame MP3s, savers packed by the
# native makesaver (tools/build native). Run by hand; commit what changed.
# Files made elsewhere (the Adobe CMYK picture, the scenario files, the version
# lists) are left as they are.
#
# Folders: corpus/<target>/ for the target fuzz_<target>; corpus/jpeg/ seeds
# every fuzz_jpeg_* target (see tests/CMakeLists.txt).
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/../.." && pwd)
corpus="$here/corpus"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# ---- JPEG: every sampling, grey, RGB, progressive, restarts, optimised and
# arithmetic coding, odd sizes, and frames above one megapixel.
jpeg="$corpus/jpeg"
mkdir -p "$jpeg"
convert -seed 7 -size 64x48 plasma:fractal "$tmp/small.ppm"
convert -seed 8 -size 67x41 plasma:fractal "$tmp/odd.ppm"
convert -seed 9 -size 1600x1000 plasma:fractal -blur 0x8 "$tmp/big.ppm"
convert -size 2400x1500 xc:gray60 "$tmp/flat.ppm"
cj() { local out=$1 in=$2; shift 2; cjpeg "$@" -outfile "$jpeg/$out.jpg" "$tmp/$in.ppm"; }
cj base444 small -sample 1x1
cj base422 small -sample 2x1
cj base420 small -sample 2x2
cj base440 small -sample 1x2
cj base411 small -sample 4x1
cj mixed_sampling small -sample 2x2,1x2,2x1
cj grey small -grayscale
cj rgb small -rgb
cj prog420 small -progressive
cj prog444 small -progressive -sample 1x1
cj prog_grey small -progressive -grayscale
cj restart420 small -restart 1
cj restart_blocks odd -restart 3B -sample 2x1
cj optimised odd -optimize -quality 95
cj arithmetic small -arithmetic
cj q100 odd -quality 100 -sample 1x1
cj q5 odd -quality 5
cj big420 big -quality 20
cj flat444 flat -quality 50 -sample 1x1 -optimize

# ---- MP3: MPEG 1, 2 and 2.5, mono and stereo, CBR and VBR (Xing), ID3v1 and ID3v2 tags.
mp3="$corpus/mp3_info"
mkdir -p "$mp3"
for rate in 44100 22050 8000; do
    sox -n -r $rate -c 2 "$tmp/tone$rate.wav" synth 0.15 sine 440
done
lame --quiet -b 128 "$tmp/tone44100.wav" "$mp3/cbr128_stereo.mp3"
lame --quiet -m m -b 32 "$tmp/tone22050.wav" "$mp3/mpeg2_mono.mp3"
lame --quiet -b 8 "$tmp/tone8000.wav" "$mp3/mpeg25.mp3"
lame --quiet -V 2 "$tmp/tone44100.wav" "$mp3/vbr_xing.mp3"
lame --quiet -b 320 --id3v1-only --tt "Title" --ta "Artist" "$tmp/tone44100.wav" "$mp3/id3v1.mp3"
lame --quiet -b 64 --id3v2-only --tt "Title" --ta "Artist" "$tmp/tone22050.wav" "$mp3/id3v2.mp3"

# ---- Savers: packages made by the authoring program's writer.
makesaver="$root/build/native/bin/makesaver"
if [[ -x $makesaver ]]; then
    scr="$corpus/scenario"
    mkdir -p "$scr"
    # A small stand-in engine: the reader only looks at what follows it.
    head -c 2048 /dev/zero >"$tmp/engine.scr"
    printf 'MZ' | dd of="$tmp/engine.scr" conv=notrunc status=none
    printf 'Dear reader,\r\nthis is the letter.\r\n' >"$tmp/letter.txt"
    a="$jpeg/base420.jpg" b="$jpeg/grey.jpg"
    "$makesaver" --engine "$tmp/engine.scr" --out "$scr/one_picture.scr" --picture "$a" >/dev/null
    "$makesaver" --engine "$tmp/engine.scr" --out "$scr/titles_sound_letter.scr" --picture "$a" \
        --picture "$b" --title "First" --title "Second" --sound "$mp3/mpeg2_mono.mp3" \
        --letter "$tmp/letter.txt" >/dev/null
    "$makesaver" --engine "$tmp/engine.scr" --out "$scr/empty_titles.scr" --picture "$a" --picture "$b" \
        --title "" --title "" --saver-path "" >/dev/null
else
    echo "make-corpus: $makesaver is not built; savers left as they are" >&2
fi
du -sh "$corpus"
