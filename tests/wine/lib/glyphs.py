"""Counts the distinct glyph shapes of the letter in grabbed frames (raw RGB,
640 x 480): ink is the letter's colour; a text line is a band of rows with ink,
a glyph a run of inked columns inside it. Real text has many different shapes;
a face without glyphs for the text draws one empty box over and over.

  glyphs.py RRGGBB FRAME.rgb ...   prints "FRAME: N glyphs, M distinct" for each
"""
import sys

WIDTH, HEIGHT = 640, 480
TOLERANCE = 40


def ink_mask(data, colour):
    mask = []
    for y in range(HEIGHT):
        row = data[y * WIDTH * 3:(y + 1) * WIDTH * 3]
        mask.append([all(abs(row[x * 3 + c] - colour[c]) <= TOLERANCE for c in range(3)) for x in range(WIDTH)])
    return mask


def runs(flags):
    """(start, end) of each run of True, end exclusive."""
    out, start = [], None
    for i, f in enumerate(flags + [False]):
        if f and start is None:
            start = i
        elif not f and start is not None:
            out.append((start, i))
            start = None
    return out


def glyph_shapes(mask):
    shapes = []
    for top, bottom in runs([sum(row) >= 2 for row in mask]):
        if bottom - top < 6:
            continue
        band = mask[top:bottom]
        for left, right in runs([any(row[x] for row in band) for x in range(WIDTH)]):
            rows = [tuple(row[left:right]) for row in band]
            while rows and not any(rows[0]):
                rows.pop(0)
            while rows and not any(rows[-1]):
                rows.pop()
            if len(rows) >= 3 and right - left >= 2:
                shapes.append(tuple(rows))
    return shapes


def main():
    colour = tuple(int(sys.argv[1][i:i + 2], 16) for i in (0, 2, 4))
    for path in sys.argv[2:]:
        with open(path, "rb") as f:
            data = f.read()
        if len(data) != WIDTH * HEIGHT * 3:
            continue
        shapes = glyph_shapes(ink_mask(data, colour))
        print(f"{path}: {len(shapes)} glyphs, {len(set(shapes))} distinct")


main()
