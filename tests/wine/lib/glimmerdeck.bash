# Shared by the tests/wine/glimmerdeck_*.sh scripts, sourced after common.bash:
# a copy of Glimmerdeck of the script's own (no updater beside it), the probe
# that drives it, the sheet's titles of the four steps.
program="$bin/Glimmerdeck.exe"
probe="$bin/wizardprobe.exe"
[[ -f $program && -f $probe ]] || { echo "FAIL: $program or $probe is not built"; exit 1; }
cp "$program" "$scratch/Glimmerdeck.exe"
program="$scratch/Glimmerdeck.exe"

step1="Glimmerdeck 1.1 - 1Step. Select image file"
step2="Glimmerdeck 1.1 - 2Step. Write letter or image title"
step3="Glimmerdeck 1.1 - 3Step. Select a sound file that enter as background sound of screen saver."
step4="Glimmerdeck 1.1 - 4Step. After a little setting up to work done so far, make screen saver."

probe() { "$run" "$probe" "$@" </dev/null 2>>"$scratch/probe.log"; }
winpath() { local p=${1//\//\\}; echo "Z:$p"; }
