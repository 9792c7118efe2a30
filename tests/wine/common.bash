# Shared by the tests/wine/*.sh scripts (sourced, not a test itself).
# Scripts are called as `bash script.sh <build-dir> <source-dir>` with the Wine
# session's environment (tools/wine-session env); exit 0 = pass.
set -uo pipefail

build=$(realpath "$1")
src=$(realpath "$2")
bin="$build/bin"
run="$src/tools/wine-run"
scratch="$build/test-scratch/$(basename "${BASH_SOURCE[1]}" .sh)"
rm -rf "$scratch"
mkdir -p "$scratch"
failures=0

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
pass() { echo "ok: $*"; }
finish() {
    if ((failures)); then echo "$failures check(s) failed"; exit 1; fi
    echo "all checks passed"
    exit 0
}

need_display() {
    if [[ -z ${DISPLAY:-} ]] || ! xdpyinfo >/dev/null 2>&1; then
        echo "FAIL: no X display; run under the Wine session (tools/test, or eval \"\$(tools/wine-session env)\")"
        exit 1
    fi
}

# screenshot FILE: the whole X screen as PNG.
screenshot() { xwd -root -silent -display "$DISPLAY" | convert xwd:- "png:$1"; }

# pixel FILE X Y: the pixel's colour as RRGGBB.
pixel() { convert "$1" -format "%[hex:p{$2,$3}]" info: 2>/dev/null | cut -c1-6; }

# pixels_are FILE "X,Y=RRGGBB ...": true when every listed pixel has its colour.
pixels_are() {
    local file=$1 spec xy want got
    for spec in $2; do
        xy=${spec%%=*} want=${spec#*=}
        got=$(pixel "$file" "${xy%,*}" "${xy#*,}")
        [[ ${got^^} == "${want^^}" ]] || return 1
    done
}

# wait_for_pixels SECONDS FILE "X,Y=RRGGBB ...": screenshots until the pixels match.
wait_for_pixels() {
    local until=$((SECONDS + $1))
    while ((SECONDS < until)); do
        screenshot "$2" && pixels_are "$2" "$3" && return 0
        sleep 0.3
    done
    return 1
}

# wait_pid SECONDS PID: waits for a background job; its status, or 124 on timeout.
wait_pid() {
    local until=$((SECONDS + $1))
    while ((SECONDS < until)); do
        if ! kill -0 "$2" 2>/dev/null; then
            wait "$2"
            return $?
        fi
        sleep 0.1
    done
    return 124
}
