#!/usr/bin/env bash
# The package marker must never stand in the engine's own file (as one string, so
# at no multiple of 512 either): a saver's reader would take the engine's bytes for
# its package. Scans both built engine files.
set -uo pipefail
build=$1
root=$(dirname "$build")
marker="VTLRES""OURCES1000"
status=0
checked=0
for file in "$build/bin/engine.scr" "$root/win64/bin/engine.scr" "$root/win32/bin/engine.scr"; do
    [[ -f $file ]] || continue
    file=$(realpath "$file")
    [[ " ${seen:-} " == *" $file "* ]] && continue
    seen="${seen:-} $file"
    checked=$((checked + 1))
    if grep -q -a -F "$marker" "$file"; then
        echo "FAIL: $file holds the package marker at byte $(grep -a -b -o -F "$marker" "$file" | head -n 1 | cut -d: -f1)"
        status=1
    else
        echo "ok: no package marker in $file ($(stat -c %s "$file") bytes)"
    fi
done
if [[ ! -f $build/bin/engine.scr ]]; then
    echo "FAIL: $build/bin/engine.scr is not built"
    status=1
fi
[[ -f $root/win32/bin/engine.scr ]] || echo "note: $root/win32/bin/engine.scr is not built; scanned $checked file(s)"
exit $status
