#!/usr/bin/env bash
# Skyfetch against a local update server under Wine, driven by
# tests/winprog/updaterprobe.exe (which also plays the running authoring
# program): a full update (the newer files replace the old ones, the authoring
# program is told to close and started again, the running updater's own file
# is replaced too), a download cut short and a file missing on the server (the
# old file stays), auto close without an owner window, the refusal for an
# authoring program of 1.9, a server that is down and a version list that is
# garbage or far too large (nothing offered, nothing replaced, no crash), the
# list's texts (a missing program, the rows after the run, no cut headings), and a
# server that stops answering: the window stays responsive, Escape or the close
# box end the program at once, a stall gives up on its own, and partial files of
# a killed run are gone at the next start. A download that is not the offered
# program (a log-in page, an empty body, an older build) replaces nothing and
# stops the run with one message. Sizes come from the headers (each
# file is sent once) and nothing is left in WinInet's cache. The
# server is reached as Wine's HTTP proxy, so Skyfetch asks for its own fixed
# addresses.
source "$(dirname "$0")/common.bash"
need_display

skyfetch="$bin/Skyfetch.exe"
probe="$bin/updaterprobe.exe"
engine="$bin/engine.scr"
for f in "$skyfetch" "$probe" "$engine"; do
    [[ -f $f ]] || { echo "FAIL: $f is not built"; exit 1; }
done
winpath() { local p=$1; printf 'Z:%s' "${p//\//\\}"; }

server_pid=
stop_server() {
    if [[ -n $server_pid ]]; then
        kill "$server_pid" 2>/dev/null
        wait "$server_pid" 2>/dev/null
        server_pid=
    fi
}
trap stop_server EXIT

# start_server WWW [ARGS...]: serves WWW, logging this server's requests; sets $port.
start_server() {
    local www=$1
    shift
    rm -f "$scratch/port" "$scratch/requests.log"
    python3 "$src/tests/wine/lib/update_server.py" "$www" "$scratch/port" "$scratch/requests.log" "$@" \
        >"$scratch/server.out" 2>&1 &
    server_pid=$!
    for _ in $(seq 100); do [[ -s $scratch/port ]] && break; sleep 0.05; done
    port=$(cat "$scratch/port" 2>/dev/null)
    [[ -n $port ]] || { echo "FAIL: the update server did not start"; cat "$scratch/server.out"; exit 1; }
}

# A port nothing listens on.
free_port() { python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'; }

# install DIR: the installed programs: Skyfetch 1.1.0.0, an authoring program of
# 1.1.0.0 (a copy of Skyfetch, for its version block), the engine 1.1.1.0, no
# Packwright.
install() {
    rm -rf "$1"
    mkdir -p "$1"
    cp "$skyfetch" "$1/Skyfetch.exe"
    cp "$skyfetch" "$1/Glimmerdeck.exe"
    cp "$engine" "$1/engine.scr"
}

# run_probe NAME PROXYPORT DIR STEPS...: drives Skyfetch; output in $scratch/NAME.log.
run_probe() {
    local name=$1 proxy=$2 dir=$3
    shift 3
    http_proxy="http://127.0.0.1:$proxy" "$run" "$probe" drive "$(winpath "$dir")" "$@" \
        >"$scratch/$name.log" 2>&1 </dev/null
    local rc=$?
    sed -i 's/\r$//' "$scratch/$name.log"   # the Windows console's line ends
    sed "s/^/  $name| /" "$scratch/$name.log"
    ((rc == 0)) || fail "$name: the probe ended with status $rc"
}

has_line() { grep -qxF -- "$2" "$scratch/$1.log"; }
# expect_last NAME PREFIX WANT: the last line of NAME's log that starts with PREFIX is WANT.
expect_last() {
    local got
    got=$(awk -v p="$2" 'index($0, p) == 1 { last = $0 } END { print last }' "$scratch/$1.log")
    if [[ $got == "$3" ]]; then pass "$1: $3"; else fail "$1: last \"$2\" line is \"$got\", not \"$3\""; fi
}
expect_line() { if has_line "$1" "$2"; then pass "$1: $2"; else fail "$1: no line \"$2\""; fi; }
expect_no_line() { if has_line "$1" "$2"; then fail "$1: unexpected \"$2\""; else pass "$1: no \"$2\""; fi; }
same() { cmp -s "$1" "$2"; }
# expect_same WHAT WANT FILE: FILE holds WANT's bytes.
expect_same() { if same "$2" "$3"; then pass "$1"; else fail "$1 (differs)"; fi; }
no_leftovers() {
    local left
    left=$(find "$1" -name '*.download' | tr '\n' ' ')
    if [[ -z $left ]]; then pass "$2: no partial download left"; else fail "$2: left behind: $left"; fi
}

# set_version FILE A B C D: FILE's version block says file version A.B.C.D.
set_version() {
    python3 - "$@" <<'PY'
import struct, sys
path, parts = sys.argv[1], [int(p) for p in sys.argv[2:6]]
data = bytearray(open(path, "rb").read())
# The fixed file information: its signature, then structure version 1.0.
sign = struct.pack("<II", 0xFEEF04BD, 0x00010000)
at = data.find(sign)
assert at > 0 and data.find(sign, at + 1) < 0, "one version block expected"
struct.pack_into("<II", data, at + 8, parts[0] << 16 | parts[1], parts[2] << 16 | parts[3])
open(path, "wb").write(data)
PY
}

www="$scratch/www"
mkdir -p "$www"
# Every download carries the version the list offers for it, as a real update
# does. The newer authoring program is the probe itself (1.1.1.0), so the
# restart shows.
cp "$probe" "$www/Glimmerdeck.exe"
# A newer updater replaces the running one (still a program, with a tail of its own).
cp "$skyfetch" "$scratch/skyfetch-1.2.exe"
set_version "$scratch/skyfetch-1.2.exe" 1 2 0 0
{ cat "$scratch/skyfetch-1.2.exe"; printf 'newer updater'; } >"$www/Skyfetch.exe"
# A newer engine: the installed one as 1.2.0.0, several reads' worth.
cp "$engine" "$www/engine.scr"
set_version "$www/engine.scr" 1 2 0 0
printf '1200\r\n1110\r\n1200\r\n0000\r\nGlimmerdeck 1.1.1.0: faster previews.\r\n' >"$www/version.txt"
# The same list without a newer updater, for the other cases.
printf '1100\r\n1110\r\n1200\r\n0000\r\n' >"$www/version-no-self.txt"

# 1. A full update: the authoring program and the engine are newer on the server.
app="$scratch/app"
install "$app"
start_server "$www"
run_probe full "$port" "$app" check update ok
expect_line full "status: Version Check Completed"
expect_line full "box: Exit the Program for Updating Glimmerdeck."
expect_line full "owner: WM_DESTROY"
expect_line full "status: Update completed"
expect_line full "box: The newest Version Update completed"
expect_line full "box: Reexecuting  Glimmerdeck."
# The list: a program that is not there says so; after the run every
# downloaded row shows its new version as the installed one; no heading or cell
# is cut at the list's font.
expect_line full "row 3: Packwright | Not installed | 0.0.0.0 | Not installed."
expect_line full "row 1: Glimmerdeck | 1.1.0.0 | 1.1.1.0 | Using Old Version."
for row in "0: Skyfetch | 1.2.0.0 | 1.2.0.0" "1: Glimmerdeck | 1.1.1.0 | 1.1.1.0" "2: engine | 1.2.0.0 | 1.2.0.0"; do
    expect_line full "row $row | Using New Version."
done
if grep -q '^column [0-9]*: cut' "$scratch/full.log"; then fail "full: $(grep -m1 '^column [0-9]*: cut' "$scratch/full.log")"
elif grep -q '^columns: fit' "$scratch/full.log"; then pass "full: every heading and cell fits its column"
else fail "full: the list was never reported"; fi
expect_line full "exit: 0"
expect_same "full: engine.scr replaced" "$www/engine.scr" "$app/engine.scr"
expect_same "full: Glimmerdeck.exe replaced" "$www/Glimmerdeck.exe" "$app/Glimmerdeck.exe"
expect_same "full: the running Skyfetch.exe replaced" "$www/Skyfetch.exe" "$app/Skyfetch.exe"
[[ -e $app/Packwright.exe ]] && fail "full: Packwright.exe (announced 0000) was fetched"
for _ in $(seq 50); do [[ -f $app/restarted.txt ]] && break; sleep 0.1; done
if [[ -f $app/restarted.txt ]]; then pass "full: Glimmerdeck.exe started again"; else fail "full: no restart"; fi
no_leftovers "$app" full
for name in engine.scr Glimmerdeck.exe Skyfetch.exe; do
    sent=$(grep -c "^GET .*/eng/$name$" "$scratch/requests.log")
    if ((sent == 1)); then pass "full: $name sent once"; else fail "full: $name sent $sent times"; fi
done
# WinInet's cache lives in the prefix's user folders: no copy of a download may stay there.
cached=$(find "$WINEPREFIX/drive_c/users" -type f -size "$(stat -c %s "$www/engine.scr")c" 2>/dev/null | tr '\n' ' ')
if [[ -z $cached ]]; then pass "full: no cached copy of the download"; else fail "full: cached copies: $cached"; fi
if grep -qE "^GET http://www\.vantrelle\.example(:80)?/update/glimmerdeck/eng/version\.txt$" "$scratch/requests.log"; then
    pass "full: the version list came from the update folder"
else
    fail "full: requests were:"; cat "$scratch/requests.log"
fi
stop_server
# The running updater's old copy was moved aside; the next start removes it.
run_probe rerun "$(free_port)" "$app" noowner close
expect_line rerun "exit: 0"
if [[ -e $app/Skyfetch.exe.old ]]; then fail "rerun: Skyfetch.exe.old still there"
else pass "rerun: no copy left aside"; fi

# 2. The engine's download breaks off half way: the authoring program (fetched
# first) stays replaced, the engine keeps its old file.
app="$scratch/app-cut"
install "$app"
cp "$www/version-no-self.txt" "$www/version.txt"
start_server "$www" --truncate engine.scr
run_probe cut "$port" "$app" noowner check update close
expect_line cut "status:  Unable to Complete Update."
expect_line cut "exit: 0"
expect_same "cut: engine.scr kept whole" "$engine" "$app/engine.scr"
expect_same "cut: the file fetched before stays replaced" "$www/Glimmerdeck.exe" "$app/Glimmerdeck.exe"
# Announced 1100 against its own 1.1.0.0: the installed version was read.
expect_same "cut: Skyfetch.exe (same version) untouched" "$skyfetch" "$app/Skyfetch.exe"
expect_no_line cut "owner: WM_DESTROY"
no_leftovers "$app" cut
stop_server

# 2a. A server that answers HEAD with 501: the sizes come from plain requests.
app="$scratch/app-nohead"
install "$app"
start_server "$www" --no-head
run_probe nohead "$port" "$app" noowner check update close
expect_line nohead "status: Update completed"
expect_no_line nohead "box: Can't access Glimmerdeck Server!, Try it again"
expect_same "nohead: engine.scr replaced" "$www/engine.scr" "$app/engine.scr"
stop_server

# 2b. The engine is missing on the server (404): the run stops there.
nofile="$scratch/www-nofile"
mkdir -p "$nofile"
cp "$www/version-no-self.txt" "$nofile/version.txt"
cp "$www/Glimmerdeck.exe" "$nofile/"
app="$scratch/app-nofile"
install "$app"
start_server "$nofile"
run_probe nofile "$port" "$app" noowner check update close
expect_line nofile "box: Server is not ready! Update file not found !"
expect_line nofile "status:  Unable to Complete Update."
expect_same "nofile: engine.scr kept" "$engine" "$app/engine.scr"
expect_same "nofile: the file fetched before stays replaced" "$www/Glimmerdeck.exe" "$app/Glimmerdeck.exe"
no_leftovers "$app" nofile
stop_server

# 2c. Started by hand (no owner window) with "Auto Close after the Download": no
# close request, and once the run is over the authoring program starts again and
# the updater ends by itself.
app="$scratch/app-auto"
install "$app"
start_server "$www"
run_probe auto "$port" "$app" noowner autoclose check update exit
expect_line auto "box: Reexecuting  Glimmerdeck."
expect_line auto "exit: 0"
expect_no_line auto "box: Exit the Program for Updating Glimmerdeck."
expect_no_line auto "owner: WM_DESTROY"
expect_same "auto: engine.scr replaced" "$www/engine.scr" "$app/engine.scr"
for _ in $(seq 50); do [[ -f $app/restarted.txt ]] && break; sleep 0.1; done
if [[ -f $app/restarted.txt ]]; then pass "auto: Glimmerdeck.exe started again"; else fail "auto: no restart"; fi
stop_server

# 2d. An authoring program of 1.9.0.0 is past what the updater may replace:
# "Update" only says so.
app="$scratch/app-refused"
install "$app"
set_version "$app/Glimmerdeck.exe" 1 9 0 0
cp "$app/Glimmerdeck.exe" "$scratch/glimmerdeck-1.9.exe"
refused="$scratch/www-refused"
mkdir -p "$refused"
cp "$www/engine.scr" "$www/Glimmerdeck.exe" "$refused/"
printf '1100\r\n1950\r\n1200\r\n0000\r\n' >"$refused/version.txt"
start_server "$refused"
run_probe refused "$port" "$app" check refused close
expect_line refused "update button: enabled"
expect_line refused "box: Auto Update Fuction is Supported up to the version 2.0 Current installed at Glimmerdeck."
expect_no_line refused "owner: WM_DESTROY"
expect_same "refused: Glimmerdeck.exe kept" "$scratch/glimmerdeck-1.9.exe" "$app/Glimmerdeck.exe"
expect_same "refused: engine.scr kept" "$engine" "$app/engine.scr"
if grep -q "engine.scr" "$scratch/requests.log"; then fail "refused: the server was asked for a file"
else pass "refused: no file asked for"; fi
stop_server

# 3. The server is down.
app="$scratch/app-down"
install "$app"
run_probe down "$(free_port)" "$app" check close
expect_line down "box: Unable to connect to the Server, Please Check the internet Connection."
expect_no_line down "box: Server is not ready! Update file not found !"
expect_line down "status: Unable to Complete Version Check"
expect_line down "update button: disabled"
expect_line down "exit: 0"

# 4. A garbage version list: nothing is offered.
garbage="$scratch/www-garbage"
mkdir -p "$garbage"
cp "$www/engine.scr" "$www/Glimmerdeck.exe" "$garbage/"
{ printf '99999999999999999999999\r\n<html>\0\377\r\n-1500'; head -c 3000 /dev/urandom | tr -d '0-9'; } \
    >"$garbage/version.txt"
app="$scratch/app-garbage"
install "$app"
start_server "$garbage"
run_probe garbage "$port" "$app" check close
expect_line garbage "status: Version Check Completed"
expect_line garbage "update button: disabled"
expect_line garbage "exit: 0"
stop_server

# 5. A "version list" far larger than one: refused whole.
huge="$scratch/www-huge"
mkdir -p "$huge"
{ printf '1100\r\n1200\r\n1200\r\n1200\r\n'; head -c 3000000 /dev/zero | tr '\0' 'x'; } >"$huge/version.txt"
app="$scratch/app-huge"
install "$app"
start_server "$huge"
run_probe huge "$port" "$app" check close
expect_line huge "status: Unable to Complete Version Check"
expect_line huge "update button: disabled"
expect_line huge "exit: 0"
stop_server

# 6. The engine's download stalls half way: the window still answers, Escape
# ends the program at once, the file fetched before stays, the engine keeps its
# old file and no partial file is left.
app="$scratch/app-stall"
install "$app"
start_server "$www" --stall engine.scr
run_probe stall "$port" "$app" noowner check press-update wait responsive escape
expect_line stall "responsive: yes"
expect_line stall "exit: 0"
expect_no_line stall "box: Can't access Glimmerdeck Server!, Try it again"
expect_same "stall: engine.scr kept whole" "$engine" "$app/engine.scr"
expect_same "stall: the file fetched before stays replaced" "$www/Glimmerdeck.exe" "$app/Glimmerdeck.exe"
no_leftovers "$app" stall

# 6b. The same stall, and the program is killed: the next start cleans up.
app="$scratch/app-killed"
install "$app"
run_probe killed "$port" "$app" noowner check press-update wait kill
if [[ -e $app/engine.scr.download ]]; then pass "killed: a partial download was left"
else fail "killed: no partial download to clean up (the stall did not hold)"; fi
stop_server
run_probe killed-rerun "$(free_port)" "$app" noowner close
expect_line killed-rerun "exit: 0"
no_leftovers "$app" killed-rerun
expect_same "killed: engine.scr kept whole" "$engine" "$app/engine.scr"

# 7. The version list stalls: the close box ends the program during the check;
# left alone, the check gives up by itself.
stalled="$scratch/www-stalled"
mkdir -p "$stalled"
{ printf '1100\r\n1200\r\n1200\r\n0000\r\n'; head -c 20000 /dev/zero | tr '\0' 'x'; } >"$stalled/version.txt"
app="$scratch/app-stalled-list"
install "$app"
start_server "$stalled" --stall version.txt
run_probe closebox "$port" "$app" noowner press-check wait responsive closebox
expect_line closebox "responsive: yes"
expect_line closebox "exit: 0"
expect_no_line closebox "box: Unable to connect to the Server, Please Check the internet Connection."
run_probe giveup "$port" "$app" noowner check close
expect_line giveup "status: Unable to Complete Version Check"
expect_line giveup "update button: disabled"
expect_line giveup "exit: 0"
stop_server

# 8. The server answers 200 for the engine with something that is not the
# engine it offered: a log-in page, an empty body, an older engine (1.0.0.0).
# Each leaves the installed engine as it was and stops the run with one
# message; the authoring program fetched before stays replaced. The offered
# engine itself (1.2.0.0) served the same way does replace it.
wrong="$scratch/www-wrong"
mkdir -p "$wrong"
cp "$www/version-no-self.txt" "$wrong/version.txt"
cp "$www/Glimmerdeck.exe" "$wrong/"
answers="$scratch/answers"
mkdir -p "$answers"
printf '<html><head><title>Sign in</title></head><body></body></html>\n' >"$answers/page"
: >"$answers/empty"
cp "$engine" "$answers/older"
set_version "$answers/older" 1 0 0 0
cp "$www/engine.scr" "$answers/offered"
for answer in page empty older offered; do
    app="$scratch/app-$answer"
    install "$app"
    cp "$answers/$answer" "$wrong/engine.scr"
    start_server "$wrong"
    run_probe "$answer" "$port" "$app" noowner check update close
    expect_line "$answer" "exit: 0"
    expect_same "$answer: the file fetched before stays replaced" "$wrong/Glimmerdeck.exe" "$app/Glimmerdeck.exe"
    no_leftovers "$app" "$answer"
    if [[ $answer == offered ]]; then
        expect_same "offered: engine.scr replaced" "$answers/offered" "$app/engine.scr"
        expect_last offered "status: " "status: Update completed"
        expect_line offered "box: The newest Version Update completed"
    else
        expect_same "$answer: engine.scr kept byte for byte" "$engine" "$app/engine.scr"
        expect_last "$answer" "status: " "status:  Unable to Complete Update."
        expect_last "$answer" "ok button: " "ok button: disabled"
        expect_no_line "$answer" "box: The newest Version Update completed"
        expect_line "$answer" "box: The file the server sent for engine.scr is not the update, so it was not put in place."
        boxes=$(grep -c '^box: ' "$scratch/$answer.log")
        if ((boxes == 1)); then pass "$answer: one message"; else fail "$answer: $boxes messages"; fi
        expect_last "$answer" "row 2: " "row 2: engine | 1.1.1.0 | 1.2.0.0 | Using Old Version."
    fi
    stop_server
done

for dir in "$scratch"/app-down "$scratch"/app-garbage "$scratch"/app-huge; do
    expect_same "$(basename "$dir"): engine.scr untouched" "$engine" "$dir/engine.scr"
    expect_same "$(basename "$dir"): Glimmerdeck.exe untouched" "$skyfetch" "$dir/Glimmerdeck.exe"
done
finish
