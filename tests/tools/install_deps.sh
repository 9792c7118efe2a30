# tools/install-deps against stand-ins for dpkg-query, dpkg, apt-get, id and sudo
# that keep a pretend machine's state in a folder and log every call: from a
# fresh machine it must add i386, refresh the lists and install everything; a
# second run must do nothing; without root it goes through sudo, or stops
# clearly when there is none. On a machine that runs no 32-bit programs (the
# real tools/probe-32bit under tests/tools/no32.c) it must leave 32-bit Wine out.
#   bash install_deps.sh <source-dir>
set -uo pipefail
src=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The script runs from a copy of tools/ whose probe-32bit is either the real one
# or a stand-in answering "yes", so the cases below hold on either kind of machine.
mkdir -p "$work/tree/tools"
cp "$src/tools/install-deps" "$work/tree/tools/"
script="$work/tree/tools/install-deps"
probe_says_yes() { printf '#!/bin/bash\necho yes\n' >"$work/tree/tools/probe-32bit"; }
probe_is_real() { cp "$src/tools/probe-32bit" "$work/tree/tools/probe-32bit"; }
probe_says_yes
cc -O2 -o "$work/no32" "$src/tests/tools/no32.c" || { echo "FAIL: cannot build no32.c"; exit 1; }
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
pass() { echo "ok: $*"; }

# The stand-ins. State: installed (name:arch lines), foreign (architectures),
# updated (lists refreshed since the last architecture change), uid; calls.log.
stubs="$work/stubs"
mkdir -p "$stubs"
# They leave PATH alone: what sudo runs must be the stand-ins too, never the real tools.
stub() { printf '#!/bin/bash\nstate=%q\n%s\n' "$work/state" "$2" >"$stubs/$1"; chmod +x "$stubs/$1"; }
stub dpkg-query '
echo "dpkg-query $*" >>"$state/calls.log"
[[ $1 == -W && $2 == -f=* ]] || { echo "stand-in: unexpected dpkg-query $*" >&2; exit 2; }
fmt=${2#-f=}; shift 2; rc=0
for name; do
    if [[ $name == *:* ]]; then lines=$(grep -xF "$name" "$state/installed")
    else lines=$(awk -F: -v n="$name" "\$1 == n" "$state/installed"); fi
    if [[ -z $lines ]]; then echo "dpkg-query: no packages found matching $name" >&2; rc=1; continue; fi
    while IFS=: read -r n a; do
        out=${fmt//\$\{Package\}/$n}; out=${out//\$\{Architecture\}/$a}; out=${out//\$\{Status\}/install ok installed}
        printf "%b" "$out"
    done <<<"$lines"
done
exit $rc'
stub dpkg '
echo "dpkg $*" >>"$state/calls.log"
case $1 in
--print-architecture) echo amd64 ;;
--print-foreign-architectures) cat "$state/foreign" ;;
--add-architecture) [[ $(cat "$state/uid") == 0 ]] || { echo "dpkg: requested operation requires superuser privilege" >&2; exit 2; }
                    echo "$2" >>"$state/foreign"; rm -f "$state/updated" ;;
*) echo "stand-in: unexpected dpkg $*" >&2; exit 2 ;;
esac'
stub apt-get '
echo "apt-get $* [DEBIAN_FRONTEND=${DEBIAN_FRONTEND:-}]" >>"$state/calls.log"
[[ $(cat "$state/uid") == 0 ]] || { echo "E: Could not open lock file - are you root?" >&2; exit 100; }
case $1 in
update) touch "$state/updated" ;;
install)
    shift
    [[ -e $state/broken ]] && { echo "E: Sub-process /usr/bin/dpkg returned an error code (1)" >&2; exit 100; }
    [[ -e $state/updated ]] || { echo "E: package lists are out of date" >&2; exit 100; }
    for p; do
        [[ $p == -* ]] && continue
        arch=amd64
        [[ $p == *:* ]] && arch=${p#*:}
        [[ $arch == amd64 ]] || grep -qx "$arch" "$state/foreign" || { echo "E: Unable to locate package $p" >&2; exit 100; }
        echo "${p%%:*}:$arch" >>"$state/installed"
    done ;;
*) echo "stand-in: unexpected apt-get $*" >&2; exit 2 ;;
esac'
stub id '[[ $1 == -u ]] && cat "$state/uid" || exec /usr/bin/id "$@"'
stub sudo '
echo "sudo $*" >>"$state/calls.log"
echo 0 >"$state/uid.sudo"; cp "$state/uid" "$state/uid.user"; echo 0 >"$state/uid"
"$@"; rc=$?
cp "$state/uid.user" "$state/uid"; exit $rc'

# fresh_machine UID: nothing installed, no foreign architecture.
fresh_machine() {
    rm -rf "$work/state"
    mkdir -p "$work/state"
    : >"$work/state/installed"
    : >"$work/state/foreign"
    echo "$1" >"$work/state/uid"
}
# run_script [nosudo|no32]: one run with the stand-ins first on the PATH; sets out,
# rc, calls. no32: as on a machine whose kernel runs no 32-bit programs.
run_script() {
    local path="$stubs:/usr/bin:/bin" wrap=()
    [[ ${1:-} == no32 ]] && wrap=("$work/no32")
    if [[ ${1:-} == nosudo ]]; then
        # Only the tools the script needs, so no real sudo is found either.
        mkdir -p "$work/plain"
        for t in bash env grep awk cat cp rm touch dirname; do ln -sf "$(command -v $t)" "$work/plain/$t"; done
        mkdir -p "$work/nosudo"
        for t in dpkg-query dpkg apt-get id; do ln -sf "$stubs/$t" "$work/nosudo/$t"; done
        path="$work/nosudo:$work/plain"
    fi
    for t in dpkg-query dpkg apt-get id; do
        [[ $(PATH=$path command -v $t) == "$stubs/$t" || $(PATH=$path command -v $t) == "$work/nosudo/$t" ]] ||
            { echo "FAIL: $t is not the stand-in; not running the script"; exit 1; }
    done
    : >"$work/state/calls.log"
    out=$(PATH=$path "${wrap[@]}" bash "$script" 2>&1)
    rc=$?
    calls=$(cat "$work/state/calls.log")
}
show() { echo "--- output:"; echo "$out"; echo "--- calls:"; echo "$calls"; }

# The packages a fresh machine gets, in the order given.
installed_list() { grep '^apt-get install' <<<"$calls" | sed -E 's/^apt-get install -y //; s/ \[.*//'; }

# 1. Fresh machine, as root.
fresh_machine 0
run_script
list=$(installed_list)
if ((rc != 0)); then fail "fresh machine: status $rc"; show
else
    pass "fresh machine: status 0"
    order=$(grep -oE '^(dpkg --add-architecture i386|apt-get update|apt-get install)' <<<"$calls" | paste -sd,)
    [[ $order == "dpkg --add-architecture i386,apt-get update,apt-get install" ]] &&
        pass "adds i386, refreshes the lists, then installs" || { fail "order of calls: $order"; show; }
    grep -q 'DEBIAN_FRONTEND=noninteractive\]$' <<<"$(grep '^apt-get install' <<<"$calls")" &&
        pass "installs without questions" || fail "apt-get install not run with DEBIAN_FRONTEND=noninteractive"
    for p in g++-mingw-w64-x86-64 g++-mingw-w64-i686 wine wine64 wine32:i386 xvfb pulseaudio \
        gstreamer1.0-plugins-good:i386 fonts-nanum cmake ninja-build libgtest-dev imagemagick; do
        grep -qw -- "$p" <<<"$(tr ' ' '\n' <<<"$list")" || fail "install list lacks $p: $list"
    done
    [[ -z $(tr ' ' '\n' <<<"$list" | sort | uniq -d) ]] && pass "each package asked for once" ||
        fail "packages asked for twice: $(tr ' ' '\n' <<<"$list" | sort | uniq -d | paste -sd' ')"
    grep -q 'adding the i386 architecture' <<<"$out" && grep -q 'apt-get update' <<<"$out" &&
        grep -qE "installed $(wc -w <<<"$list") packages" <<<"$out" && pass "says what it did" ||
        { fail "output does not say what it did"; show; }
    ! grep -q '^sudo' <<<"$calls" && pass "as root: no sudo" || fail "as root it used sudo"
    grep -q 'this machine runs 32-bit programs' <<<"$out" && pass "says the machine runs 32-bit programs" ||
        { fail "does not say what it found of 32-bit programs"; show; }
fi

# 2. The same machine again: everything is there, nothing is done.
run_script
if ((rc == 0)) && ! grep -qE '^apt-get|--add-architecture' <<<"$calls" && grep -q 'packages are installed' <<<"$out"
then pass "second run: nothing to do"
else fail "second run: status $rc, or it did something"; show; fi

# 3. One package missing, i386 already there: only that package, no architecture change.
sed -i '/^sox:/d' "$work/state/installed"
run_script
if ((rc == 0)) && [[ $(installed_list) == sox ]] && ! grep -q -- '--add-architecture' <<<"$calls" &&
    grep -q '^apt-get update' <<<"$calls"; then pass "one missing package: refreshes and installs only it"
else fail "one missing package: status $rc"; show; fi

# 4. Not root, with sudo: everything that changes the machine goes through sudo.
fresh_machine 1000
run_script
if ((rc == 0)) && grep -q '^sudo dpkg --add-architecture i386' <<<"$calls" && grep -q '^sudo apt-get update' <<<"$calls" &&
    grep -q '^sudo env DEBIAN_FRONTEND=noninteractive apt-get install' <<<"$calls"; then
    pass "not root: uses sudo"
else fail "not root with sudo: status $rc"; show; fi

# 5. Not root, no sudo: a clear error before touching anything.
fresh_machine 1000
run_script nosudo
if ((rc != 0)) && grep -qi 'root' <<<"$out" && ! grep -qE '^apt-get|--add-architecture' <<<"$calls"; then
    pass "not root, no sudo: stops with a message (status $rc)"
else fail "not root without sudo: status $rc"; show; fi

# 6. A failing install is a failing run.
fresh_machine 0
touch "$work/state/broken"
run_script
((rc != 0)) && pass "apt-get failure: status $rc" || { fail "apt-get failure reported as success"; show; }

# 7. A machine that runs no 32-bit programs: no i386, no 32-bit Wine, and it says why.
probe_is_real
fresh_machine 0
run_script no32
list=$(tr ' ' '\n' <<<"$(installed_list)")
if ((rc != 0)); then fail "no 32-bit programs: status $rc"; show
else
    ! grep -q -- '--add-architecture' <<<"$calls" && ! grep -q ':i386$' <<<"$list" &&
        pass "no 32-bit programs: no i386 architecture, no i386 package" || { fail "no 32-bit programs: i386 asked for"; show; }
    for p in wine wine64 g++-mingw-w64-i686 g++-mingw-w64-x86-64 gstreamer1.0-plugins-good; do
        grep -qx -- "$p" <<<"$list" || fail "no 32-bit programs: install list lacks $p"
    done
    grep -q 'runs no 32-bit programs.*leaving out 32-bit Wine' <<<"$out" && pass "says it leaves 32-bit Wine out" ||
        { fail "no 32-bit programs: does not say so"; show; }
fi
run_script no32
((rc == 0)) && ! grep -qE '^apt-get' <<<"$calls" && grep -q 'packages are installed' <<<"$out" &&
    pass "no 32-bit programs, second run: nothing to do" || { fail "no 32-bit programs, second run: status $rc"; show; }
# 32-bit Wine left over from before: still nothing to install, and it says the rig goes around it.
echo wine32:i386 >>"$work/state/installed"
run_script no32
((rc == 0)) && grep -q 'wine32:i386 is installed but cannot start here' <<<"$out" &&
    pass "no 32-bit programs, wine32 installed: says so" || { fail "no 32-bit programs, wine32 installed"; show; }

if ((failures)); then echo "$failures check(s) failed"; exit 1; fi
echo "all checks passed"
