#!/usr/bin/env bash
# The slide-show check of the Wine tests (tests/wine/lib/frames.py show) over
# made-up grabs of a show with S = 5 s and T = 2 s, one grab every 40 ms: it
# must pass a right show whatever the random effects do at the phase ends (a
# transition that leaves the old picture untouched for its first frames, an
# image effect that ends on the picture), and still fail a wrong cycle.
#   bash frame_checks.sh <source-dir>
set -uo pipefail
src=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
pass() { echo "ok: $*"; }

# show NAME [still_head_ms] [still_tail_ms] [transition_ms]: grabs into
# $work/NAME; the still parts are put into the last cycle (picture 2).
python3 - "$work" <<'EOF' || { echo "FAIL: cannot make the grabs"; exit 1; }
import os, sys
work = sys.argv[1]
W, H = 640, 480
S, START, END, STEP = 5000, 500, 22000, 40

def picture(k):
    # Three unlike patterns, so that a blend of two is far from both.
    return bytes(((x * (3 + k) + y * (5 - k) + 85 * k) * 7) & 255 for y in range(H) for x in range(W) for _ in range(3))

pics = [picture(k) for k in range(3)]
for k, p in enumerate(pics):
    open(f"{work}/p{k}.rgb", "wb").write(p)

def effect(p, v):
    # A bright box that moves with every frame, over part of the picture.
    f = bytearray(p)
    x0 = 100 + 60 * v
    for y in range(100, 200):
        f[(y * W + x0) * 3:(y * W + x0 + 80) * 3] = b"\xff" * 240
    return bytes(f)

def blend(a, b, v):
    return bytes((x + y + v) >> 1 for x, y in zip(a, b))

variants = {}   # one file per distinct frame, linked into each show
def frame(key, make):
    if key not in variants:
        variants[key] = f"{work}/v{len(variants)}.rgb"
        open(variants[key], "wb").write(make())
    return variants[key]

black = frame("black", lambda: bytes(W * H * 3))

def show(name, still_head=0, still_tail=0, transition=2000):
    os.mkdir(f"{work}/{name}")
    cycle = S + transition
    for t in range(0, END, STEP):
        k, at = divmod(t - START, cycle) if t >= START else (None, 0)
        if k is None:
            path = black
        else:
            last = k == 2
            p, q = k % 3, (k + 1) % 3
            if at < S // 2 and not (last and at >= S // 2 - still_tail):
                path = frame(("e", p, t // STEP % 2), lambda: effect(pics[p], t // STEP % 2))
            elif at < S or (last and at < S + still_head):
                path = frame(("p", p), lambda: pics[p])
            else:
                path = frame(("t", p, t // STEP % 2), lambda: blend(pics[p], pics[q], t // STEP % 2))
        os.symlink(path, f"{work}/{name}/{t:06d}.rgb")

show("right")
show("still_head", still_head=500)
show("still_tail", still_tail=400)
show("still_both", still_head=500, still_tail=400)
show("long_cycle", transition=2600)
EOF

check() {
    python3 "$src/tests/wine/lib/frames.py" show "$work/$1" "$work"/p{0,1,2}.rgb >"$work/$1.out"
}
for name in right still_head still_tail still_both; do
    if check "$name"; then pass "$name: the show passes"
    else fail "$name: the show failed: $(grep FAIL "$work/$name.out" | tr '\n' ' ')"; fi
done
if check long_cycle; then fail "long_cycle: a 7.6 s cycle passed"
elif grep -q "FAIL: a cycle took 7" "$work/long_cycle.out"; then pass "long_cycle: the 7.6 s cycle fails"
else fail "long_cycle: failed, but not on the cycle: $(grep FAIL "$work/long_cycle.out" | tr '\n' ' ')"; fi

((failures)) && { echo "$failures check(s) failed"; exit 1; }
echo "all checks passed"
