# A machine whose kernel runs no 32-bit programs, made with tests/tools/no32.c
# (a seccomp filter that ends any process making a 32-bit system call):
# tools/probe-32bit must say so, and tools/test must build win32 but not run its
# suite, say why in its last line and not fail for it. tools/test runs from a
# copy of tools/ with stand-ins for tools/build, tools/wine-session, cmake and
# ctest that log their calls.
#   bash no32_machine.sh <source-dir>
set -uo pipefail
src=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
pass() { echo "ok: $*"; }

cc -O2 -o "$work/no32" "$src/tests/tools/no32.c" || { echo "FAIL: cannot build no32.c"; exit 1; }
no32=$work/no32

# --- tools/probe-32bit
out=$("$no32" bash "$src/tools/probe-32bit" 2>&1)
rc=$?
((rc == 1)) && [[ $out == no ]] && pass "probe: no 32-bit programs -> \"no\", status 1" ||
    fail "probe under no32: status $rc, said: $out"
out=$(bash "$src/tools/probe-32bit" 2>&1)
rc=$?
[[ ($rc == 0 && $out == yes) || ($rc == 1 && $out == no) ]] && pass "probe on this machine: $out" ||
    fail "probe on this machine: status $rc, said: $out"
# A folder that runs no programs at all is not taken for a kernel that runs no 32-bit ones.
mkdir -p "$work/probe-tree/tools"
cp "$src/tools/probe-32bit" "$work/probe-tree/tools/"
mkdir "$work/noexec"
out=$(TMPDIR=$work/noexec PATH="$work/fake-chmod:$PATH" bash -c '
    mkdir -p "$1"; printf "#!/bin/bash\nexit 0\n" >"$1/chmod"; /bin/chmod +x "$1/chmod"
    "$2" bash "$3"' _ "$work/fake-chmod" "$no32" "$work/probe-tree/tools/probe-32bit" 2>&1)
rc=$?
grep -qx yes <<<"$out" && grep -q 'cannot run a program' <<<"$out" &&
    pass "probe where no program of its own runs: \"yes\" with a warning" || fail "probe, nothing runs: status $rc, said: $out"

# --- tools/test
tree=$work/tree
mkdir -p "$tree/tools" "$work/bin"
cp "$src/tools/test" "$src/tools/probe-32bit" "$tree/tools/"
stub() { printf '#!/bin/bash\nlog=%q\n%s\n' "$work/calls.log" "$2" >"$1"; chmod +x "$1"; }
stub "$tree/tools/build" 'echo "build $*" >>"$log"'
stub "$tree/tools/wine-session" 'echo "wine-session $*" >>"$log"; [[ $1 == env ]] && echo "export VT_STUB=1"; exit 0'
stub "$work/bin/cmake" 'echo "cmake $*" >>"$log"'
# ctest --preset NAME ...: 7 tests, of which $CTEST_FAILS (default 0) fail.
stub "$work/bin/ctest" 'echo "ctest $*" >>"$log"; f=${CTEST_FAILS:-0}
echo "$(( (7 - f) * 100 / 7 ))% tests passed, $f tests failed out of 7"; ((f == 0))'

# run_test [no32] ARGS...: sets out, rc, last, calls.
run_test() {
    local wrap=()
    [[ $1 == no32 ]] && { wrap=("$no32"); shift; }
    : >"$work/calls.log"
    out=$(PATH="$work/bin:$PATH" "${wrap[@]}" bash "$tree/tools/test" "$@" 2>&1)
    rc=$?
    last=$(tail -n 1 <<<"$out")
    calls=$(cat "$work/calls.log")
}
show() { echo "--- output:"; echo "$out"; echo "--- calls:"; echo "$calls"; }

run_test no32 --wine
if ((rc == 0)) && [[ $last == "7 passed, 0 failed; win32 suite not run: this machine runs no 32-bit programs" ]]; then
    pass "no 32-bit programs: status 0, last line: $last"
else fail "no 32-bit programs: status $rc, last line: $last"; show; fi
grep -qx 'build win32' <<<"$calls" && pass "no 32-bit programs: win32 is still built" || { fail "win32 not built"; show; }
[[ $(grep '^ctest' <<<"$calls" | grep -o -- '--preset [a-z0-9-]*' | paste -sd,) == "--preset win64" ]] &&
    pass "no 32-bit programs: only the win64 suite runs" || { fail "suites run: $(grep '^ctest' <<<"$calls")"; show; }

CTEST_FAILS=2 run_test no32 --wine
((rc != 0)) && [[ $last == "5 passed, 2 failed; win32 suite not run: this machine runs no 32-bit programs" ]] &&
    pass "no 32-bit programs, failures: still a failing run ($last)" || { fail "failures hidden: status $rc, $last"; show; }

# Where 32-bit programs run, nothing changes: both suites, the plain line.
printf '#!/bin/bash\necho yes\n' >"$tree/tools/probe-32bit"
run_test --wine
if ((rc == 0)) && [[ $last == "14 passed, 0 failed" ]] &&
    [[ $(grep '^ctest' <<<"$calls" | grep -o -- '--preset [a-z0-9-]*' | paste -sd,) == "--preset win64,--preset win32" ]]
then pass "32-bit programs run: both suites, last line: $last"
else fail "32-bit programs run: status $rc, last line: $last"; show; fi

if ((failures)); then echo "$failures check(s) failed"; exit 1; fi
echo "all checks passed"
