# On a machine whose kernel runs no 32-bit programs (made here with
# tests/tools/no32.c, a seccomp filter that ends any process making a 32-bit
# system call) the Wine rig must still make a prefix and run 64-bit programs,
# whether or not 32-bit Wine is installed, and refuse a 32-bit program with the
# reason. Run by both Windows builds.
source "$(dirname "$0")/common.bash"
need_display

cc -O2 -o "$scratch/no32" "$src/tests/tools/no32.c" || { fail "cannot build no32.c"; finish; }
no32=$scratch/no32
# The same tiny program (exits with 32) as a 64-bit and a 32-bit Windows program.
x86_64-w64-mingw32-gcc -O2 -s -o "$scratch/p64.exe" "$src/tools/wine/probe32.c" &&
    i686-w64-mingw32-gcc -O2 -s -o "$scratch/p32.exe" "$src/tools/wine/probe32.c" ||
    { fail "cannot build the probes"; finish; }

# The stand-in machine shows the fault it stands for: Debian's `wine` picks the
# 32-bit loader whenever 32-bit Wine is installed, which cannot start here.
if [[ -x /usr/lib/wine/wine ]]; then
    out=$("$no32" wine cmd /c exit 5 2>&1 </dev/null)
    rc=$?
    ((rc != 5)) && pass "stand-in machine: Debian's wine wrapper cannot start (status $rc)" ||
        fail "stand-in machine: the wrapper ran; the filter does not stand for such a machine"
fi

# A new prefix, made on such a machine (its own wineserver, ended below).
prefix=$scratch/prefix
out=$(WINEPREFIX=$prefix "$no32" "$run" --init 2>&1 </dev/null)
rc=$?
((rc == 0)) && [[ -f $prefix/.vt-prefix ]] && pass "a new prefix is made (status 0)" ||
    { fail "new prefix: status $rc"; echo "$out"; }
vt_stop_prefix() { WINEPREFIX=$prefix timeout 20 wineserver -k >/dev/null 2>&1; }
trap vt_stop_prefix EXIT
out=$(WINEPREFIX=$prefix "$no32" "$run" reg query 'HKCU\Software\Wine\X11 Driver' /v Managed 2>&1 </dev/null)
grep -q 'Managed.*REG_SZ.*N' <<<"$out" && pass "the prefix has its settings (regedit ran)" ||
    { fail "the prefix's settings are missing"; echo "$out"; }

out=$(WINEPREFIX=$prefix "$no32" "$run" cmd /c exit 5 2>&1 </dev/null)
rc=$?
((rc == 5)) && pass "Wine's own cmd runs, status 5" || { fail "cmd /c exit 5: status $rc"; echo "$out"; }

out=$(WINEPREFIX=$prefix "$no32" "$run" "$scratch/p64.exe" 2>&1 </dev/null)
rc=$?
((rc == 32)) && pass "a 64-bit program runs (its status 32 comes back)" || { fail "64-bit program: status $rc"; echo "$out"; }

out=$(WINEPREFIX=$prefix "$no32" "$run" "$scratch/p32.exe" 2>&1 </dev/null)
rc=$?
if ((rc != 0 && rc != 32)) && grep -q 'wine-run: error: this machine runs no 32-bit programs' <<<"$out"; then
    pass "a 32-bit program is refused with the reason (status $rc)"
else fail "32-bit program: status $rc"; echo "$out"; fi

# This build's own program: runs where it is 64-bit, refused where it is 32-bit;
# a crash is still a failure.
probe="$bin/crashprobe.exe"
out=$(WINEPREFIX=$prefix "$no32" "$run" "$probe" exit 0 2>&1 </dev/null)
rc=$?
if [[ $(od -An -tx2 -j$(($(od -An -tu4 -j60 -N4 "$probe") + 4)) -N2 "$probe" | tr -d ' ') == 014c ]]; then
    ((rc != 0)) && grep -q 'runs no 32-bit programs' <<<"$out" && pass "this 32-bit build's program is refused" ||
        { fail "32-bit crashprobe: status $rc"; echo "$out"; }
else
    ((rc == 0)) && pass "this build's program runs, status 0" || { fail "crashprobe exit 0: status $rc"; echo "$out"; }
    out=$(WINEPREFIX=$prefix "$no32" "$run" "$probe" null 2>&1 </dev/null)
    rc=$?
    ((rc != 0)) && grep -q 'wine-run: error:' <<<"$out" && pass "a crash still fails the run (status $rc)" ||
        { fail "crash: status $rc"; echo "$out"; }
fi

finish
