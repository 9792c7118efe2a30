# A Windows program that crashes, in any of the usual places, must fail its run
# through tools/wine-run with a non-zero status and a "wine-run: error:" line;
# a fault inside a guard must not. Run by both Windows builds (32 and 64-bit).
source "$(dirname "$0")/common.bash"
probe="$bin/crashprobe.exe"

expect_crash() {
    local what=$1 out rc
    shift
    out=$("$run" "$@" 2>&1)
    rc=$?
    if ((rc == 0)); then fail "$what: exit status 0"; echo "$out"; return; fi
    if ! grep -q "wine-run: error:" <<<"$out"; then fail "$what: no 'wine-run: error:' line"; echo "$out"; return; fi
    pass "$what: status $rc"
}

expect_crash "null write" "$probe" null
expect_crash "null write, no filter of ours (Wine's own path)" "$probe" null-nofilter
expect_crash "integer division by zero" "$probe" divzero
expect_crash "fault in a worker thread" "$probe" thread
expect_crash "fault in a window procedure" "$probe" window
expect_crash "fault in a WM_TIMER handler" "$probe" timer
expect_crash "exit status 256 (low byte 0)" "$probe" exit 256
expect_crash "exit status 1" "$probe" exit 1
expect_crash "crash in a virtual desktop" --desktop 1024x768 "$probe" null

out=$("$run" "$probe" guarded 2>&1)
rc=$?
if ((rc == 0)) && grep -q "guarded: caught 0xC0000005" <<<"$out"; then pass "guarded fault caught, status 0"
else fail "guarded fault: status $rc"; echo "$out"; fi

"$run" "$probe" exit 0 >/dev/null 2>&1 && pass "exit 0 passes" || fail "exit 0 reported as failure"

# Without 32-bit Wine a 32-bit program ends with a silent status 0, which must
# never read as a pass: hide the 32-bit loader in a mount namespace of our own
# (needs root) and expect wine-run to refuse.
machine=$(od -An -tx2 -j$(($(od -An -tu4 -j60 -N4 "$probe") + 4)) -N2 "$probe" | tr -d ' ')
loader=/usr/lib/wine/wine
if [[ $machine != 014c ]]; then :
elif [[ ! -x $loader ]] || ! unshare -m true 2>/dev/null; then
    echo "skip: 32-bit Wine missing: no $loader to hide, or no mount namespace (not root)"
else
    : >"$scratch/no-loader"
    out=$(unshare -m bash -c 'mount --bind "$1" "$2" && shift 2 && exec "$@"' _ "$scratch/no-loader" "$loader" \
        "$run" "$probe" exit 0 2>&1)
    rc=$?
    if ((rc != 0)) && grep -q "wine-run: error:.*32-bit" <<<"$out"; then pass "no 32-bit Wine: refused, status $rc"
    else fail "no 32-bit Wine: status $rc"; echo "$out"; fi
fi

finish
