"""Checks over the frames that capture_show (common.bash) grabbed from a full-screen
saver: raw RGB files of 640 x 480 named by the milliseconds since the first grab.
Prints "ok: ..." and "FAIL: ..." lines; the exit status is the number of failures.

  frames.py layouts DIR RECT=RRGGBB ...
      Each argument is one picture as the engine must show it: the rectangle
      X,Y,W,H it is fitted into (black everywhere else) and its flat colour. The
      frames that show one exactly must show them in the order given, each for at
      least the plain half of the show time.

  frames.py show DIR REF.rgb ...
      REF.rgb are the pictures' own decodes (640 x 480, shown unscaled), in show
      order. Every cycle must show the picture plain for the second half of the
      show time, something else (the image effect) in the first half, and frames
      that are neither picture during the transition; cycles S + T apart.
"""
import os
import sys

WIDTH, HEIGHT = 640, 480
ROW = WIDTH * 3
SHOW_MS, TRANSITION_MS = 5000, 2000
PLAIN_MIN_MS = 2000           # the plain half of S is 2,500 ms; grabs are ~100-200 ms apart
CYCLE_SLACK_MS = 400          # Wine's timer and the grabbing are not exact
WINDOW_MARGIN_MS = 300        # kept clear of the phase ends when a frame is judged by its time
JUDGED_MIN = 2                # image effects and transitions judged, each
# A phase begins on the first frame after its moment, so each phase boundary
# is late by up to the time between two frames, which grows with the machine's
# load: the slacks grow with that time as measured in the run (frame_period).

failures = 0


def check(ok, text):
    global failures
    print(("ok: " if ok else "FAIL: ") + text)
    if not ok:
        failures += 1
    return ok


def frames(directory):
    """(milliseconds, file) of every grab, in time order."""
    names = sorted(n for n in os.listdir(directory) if n.endswith(".rgb"))
    paths = [(int(n[:-4]), os.path.join(directory, n)) for n in names]
    # A grab that went wrong on the X side is left out rather than judged.
    return [(ms, p) for ms, p in paths if os.path.getsize(p) == ROW * HEIGHT]


def read(path):
    with open(path, "rb") as f:
        return f.read()


def frame_period(grabbed, marks, ends):
    """How far apart the engine's frames came at most, from the transitions that
    follow the given ends of plain phases (clear of their ends): a transition
    moves on with every frame, so a grab that differs from the one before saw a
    frame drawn since that one, and two such frames are at most as far apart as
    the grab before the first change and the grab of the next."""
    longest = 0
    for end in ends:
        lo, hi = end + WINDOW_MARGIN_MS, end + TRANSITION_MS - WINDOW_MARGIN_MS
        inside = [(ms, marks[ms]) for ms, _ in grabbed if lo <= ms <= hi]
        since = None   # the grab before the last change
        for (before, a), (ms, b) in zip(inside, inside[1:]):
            if a != b:
                if since is not None:
                    longest = max(longest, ms - since)
                since = before
    return longest


def slacks(period):
    """What the checks allow for frames that come `period` ms apart: the shortest
    plain phase, and how far a cycle may be off S + T."""
    plain_min = min(PLAIN_MIN_MS, SHOW_MS // 2 - 2 * period)
    cycle_slack = max(CYCLE_SLACK_MS, 2 * period)
    print(f"frames came at most {period} ms apart: a plain phase stands for at least {plain_min} ms, "
          f"a cycle may differ by {cycle_slack} ms")
    return plain_min, cycle_slack


# --- layouts ----------------------------------------------------------------

ABOVE = bytes(0 if v <= 8 else 1 for v in range(256))   # a channel brighter than black


def lit_box(frame):
    """Bounding box (x0, y0, x1, y1), exclusive ends, of the pixels that are not black."""
    top = bottom = None
    left, right = WIDTH, 0
    for y in range(HEIGHT):
        marks = frame[y * ROW:(y + 1) * ROW].translate(ABOVE)
        first = marks.find(1)
        if first < 0:
            continue
        if top is None:
            top = y
        bottom = y + 1
        left = min(left, first // 3)
        right = max(right, marks.rfind(1) // 3 + 1)
    return None if top is None else (left, top, right, bottom)


def flat_inside(frame, box, colour, tolerance=12):
    x0, y0, x1, y1 = box
    for y in range(y0, y1):
        row = frame[y * ROW + x0 * 3:y * ROW + x1 * 3]
        for c in range(3):
            channel = row[c::3]
            if min(channel) < colour[c] - tolerance or max(channel) > colour[c] + tolerance:
                return False
    return True


def parse_layout(text):
    rect, colour = text.split("=")
    x, y, w, h = (int(v) for v in rect.split(","))
    return (x, y, x + w, y + h), tuple(int(colour[i:i + 2], 16) for i in (0, 2, 4))


def layouts(directory, specs):
    wanted = [parse_layout(s) for s in specs]
    runs = []   # [index, first ms, last ms] of the frames that showed a layout, merged in order
    grabbed, marks = [], {}
    for ms, path in frames(directory):
        frame = read(path)
        grabbed.append((ms, None))
        marks[ms] = hash(frame)
        box = lit_box(frame)
        for i, (rect, colour) in enumerate(wanted):
            if box == rect and flat_inside(frame, rect, colour):
                if runs and runs[-1][0] == i:
                    runs[-1][2] = ms
                else:
                    runs.append([i, ms, ms])
                break
    print("layouts seen: " + ", ".join(f"{specs[i]} {a}-{b} ms" for i, a, b in runs))
    period = frame_period(grabbed, marks, [last for _, first, last in runs if last - first >= SHOW_MS // 4])
    plain_min, _ = slacks(period)
    # A picture is shown when it stands for the plain half of the show time (or
    # until the grabbing ended); a transition frame may look like one of the
    # pictures for a moment (flat colours turned into each other).
    shown = [r for r in runs if r[2] - r[1] >= plain_min or r[2] == grabbed[-1][0]]
    seen = [r[0] for r in shown]
    order = list(range(len(wanted))) + [0]
    check(seen[:len(order)] == order,
          f"each picture fitted and centred on black, standing at least {plain_min} ms, in turn and back to "
          f"the first ({order} seen as {seen}: " + ", ".join(f"{b - a} ms" for _, a, b in shown) + ")")


# --- show -------------------------------------------------------------------

STRIDE = 29   # every 29th byte: all three channels, spread over the whole frame


def distance(a, b):
    """Mean absolute channel difference over a sample of the frame."""
    sa, sb = a[::STRIDE], b[::STRIDE]
    return sum(abs(x - y) for x, y in zip(sa, sb)) / len(sa)


PLAIN = 2.0     # the engine's decode against ImageMagick's: about 0.5
CHANGED = 6.0   # a picture visibly different from the plain one
# The image effect is drawn at random and some touch only part of the frame
# (a few circles, a light), which a mean over the frame hides: it is judged by
# the share of samples that differ from the engine's own plain frame.
EFFECT_STEP = 16         # a visible change of one channel
EFFECT_SHARE = 0.002     # of the samples, in at least one grab


def changed_share(a, b):
    sa, sb = a[::STRIDE], b[::STRIDE]
    return sum(1 for x, y in zip(sa, sb) if abs(x - y) > EFFECT_STEP) / len(sa)


def show(directory, refs):
    pictures = [read(r) for r in refs]
    n = len(pictures)
    grabbed = []   # (ms, [distance to each picture])
    marks = {}     # ms: a digest of the grab, to see whether the picture changed
    # Plain phases: runs of identical grabs (the picture copied unchanged) that
    # equal one picture, lasting most of S / 2. Their ends mark the transitions,
    # but not always to a grab: many transitions leave the old picture untouched
    # for their first frames (a page turned from off screen, a domino whose first
    # tiles fall outside the frame: up to a quarter of T), and an image effect
    # may end on the picture itself, so a run can outlast the plain half at
    # either end (see transition_start).
    plains = []    # [picture, first ms, last ms, the plain frame]
    previous = None
    frames_at = {}
    for ms, path in frames(directory):
        frame = read(path)
        d = [distance(frame, p) for p in pictures]
        k = min(range(n), key=lambda j: d[j])
        if d[k] < PLAIN:
            if plains and plains[-1][0] == k and plains[-1][2] == grabbed[-1][0] and frame == previous:
                plains[-1][2] = ms
            else:
                plains.append([k, ms, ms, frame])
        grabbed.append((ms, d))
        frames_at[ms] = path
        marks[ms] = hash(frame)
        previous = frame
    # The frame period, from the transitions after the runs that are plain
    # phases beyond doubt (most of S / 2); then the plain phases proper.
    plain_min, cycle_slack = slacks(
        frame_period(grabbed, marks, [p[2] for p in plains if p[2] - p[1] >= SHOW_MS // 4]))
    plains = [p for p in plains if p[2] - p[1] >= plain_min]
    print("plain phases: " + ", ".join(f"picture {k} {a}-{b} ms" for k, a, b, _ in plains))
    order = [k for k, _, _, _ in plains]
    check(len(order) >= n and order == [i % n for i in range(len(order))],
          f"every picture stands plain for at least {plain_min} ms, in turn ({order})")

    # A window that no grab fell in (the grabbing stalled on a loaded machine)
    # holds no evidence either way: it is left unjudged, and enough others must be.
    judged = {"image effect": 0, "transition": 0}

    def judge(kind, values, ok, what):
        if not values:
            print(f"not judged: {what} (no grab fell in its window)")
            return
        judged[kind] += 1
        check(ok, what)

    times = [ms for ms, _ in grabbed]

    def before(ms):
        earlier = [t for t in times if t < ms]
        return earlier[-1] if earlier else None

    def after(ms):
        later = [t for t in times if t > ms]
        return later[0] if later else ms

    def transition_start(first, last):
        """When the transition after a plain run began, as a range: no later than
        the grab after the run's last one, no earlier than S / 2 after the grab
        before its first one (the plain half starts S / 2 before the transition),
        whichever end of the run a still effect or transition lengthened. A run
        the grabbing began in has no start to go by."""
        ahead = before(first)
        lo = last if ahead is None else min(last, ahead + SHOW_MS // 2)
        return lo, after(last)

    starts = [transition_start(first, last) for _, first, last, _ in plains]
    for (k, _, _, plain), (start_lo, start_hi) in zip(plains, starts):
        # The image effect: [start - S, start - S / 2), judged where it surely runs.
        lo, hi = start_hi - SHOW_MS + WINDOW_MARGIN_MS, start_lo - SHOW_MS // 2 - WINDOW_MARGIN_MS
        if lo >= grabbed[0][0]:
            shares = [changed_share(read(frames_at[ms]), plain) for ms, _ in grabbed if lo <= ms <= hi]
            judge("image effect", shares, bool(shares) and max(shares) >= EFFECT_SHARE,
                  f"picture {k}: the first half of its show time changes it (at most "
                  f"{100 * max(shares, default=0):.1f}% of the frame changed over {len(shares)} grabs at {lo}-{hi} ms)")
        # The transition: [start, start + T).
        nxt = (k + 1) % n
        lo, hi = start_hi + WINDOW_MARGIN_MS, start_lo + TRANSITION_MS - WINDOW_MARGIN_MS
        if hi <= grabbed[-1][0]:
            values = [min(d[k], d[nxt]) for ms, d in grabbed if lo <= ms <= hi]
            judge("transition", values, bool(values) and max(values) >= CHANGED,
                  f"transition {k} -> {nxt}: frames differ from both pictures (largest "
                  f"{max(values, default=0):.1f} over {len(values)} grabs at {lo}-{hi} ms)")
    for kind, count in judged.items():
        check(count >= JUDGED_MIN, f"{count} phases of {kind} judged (at least {JUDGED_MIN})")
    cycle = SHOW_MS + TRANSITION_MS
    for (a_lo, a_hi), (b_lo, b_hi) in zip(starts, starts[1:]):
        shortest, longest = b_lo - a_hi, b_hi - a_lo
        check(shortest - cycle_slack <= cycle <= longest + cycle_slack,
              f"a cycle took {shortest}-{longest} ms ({cycle} +- {cycle_slack})")


def main(argv):
    if len(argv) < 3 or argv[0] not in ("layouts", "show"):
        raise SystemExit(__doc__)
    if not frames(argv[1]):
        check(False, f"no frames were grabbed into {argv[1]}")
    elif argv[0] == "layouts":
        layouts(argv[1], argv[2:])
    else:
        show(argv[1], argv[2:])
    return failures


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
