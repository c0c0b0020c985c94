#!/usr/bin/python3
"""Finds the windows in a screenshot of weston by the title bars Qt draws on
Wayland (light grey, 30 pixels high, rounded at the top):
  titlebars.py SCREENSHOT [MIN_WIDTH]
prints one line "LEFT TOP WIDTH HEIGHT ACTIVE" per window, widest first: LEFT
and WIDTH span the title bar with its borders, TOP is its top edge, HEIGHT runs
down the left border to the window's bottom, ACTIVE is 1 for the active window
(its buttons drawn dark, not greyed), else 0.
  titlebars.py SCREENSHOT REFERENCE RIGHT TOP
prints "RIGHT TOP" of each title bar in SCREENSHOT whose buttons look as they
do in REFERENCE on the bar whose last column is RIGHT and top edge TOP: the
active window's, where the light of an overlapped bar hides a window's edge. A dialog whose body has
the same grey is found by its top edge all the same."""
import re
import sys

from PIL import Image, ImageChops

GREY = 239          # Qt's window colour, which the decorations take
TOLERANCE = 12      # the rounded corners blend into the background
HEIGHT = 30


# The buttons (minimize, maximize, close) as seen from the bar's last column
# and top edge: a box wholly inside the bar, its middle row through them.
BUTTONS = (-72, 4, 69, 23)


def light_rows(image):
    """Each row as bytes, 255 where the pixel is near the grey, else 0."""
    width, height = image.size
    bands = [band.point(lambda c: 255 if abs(c - GREY) <= TOLERANCE else 0) for band in image.split()]
    mask = ImageChops.multiply(ImageChops.multiply(bands[0], bands[1]), bands[2]).tobytes()
    return [mask[y * width:(y + 1) * width] for y in range(height)]


def find_buttons(image, reference, right, top):
    dx, dy, w, h = BUTTONS
    box = (right + dx, top + dy, right + dx + w, top + dy + h)
    sample = reference.crop(box)
    pattern = re.compile(re.escape(light_rows(sample)[h // 2]))
    rows = light_rows(image)
    wanted = list(sample.getdata())
    for y in range(h // 2, image.size[1] - h + h // 2 + 1):
        for match in pattern.finditer(rows[y]):
            x, y0 = match.start(), y - h // 2
            seen = image.crop((x, y0, x + w, y0 + h)).getdata()
            close = sum(max(abs(a - b) for a, b in zip(p, q)) <= 16 for p, q in zip(seen, wanted))
            if close >= 0.98 * len(wanted):
                print(x - dx, y0 - dy)


def main():
    image = Image.open(sys.argv[1]).convert("RGB")
    if len(sys.argv) == 5:
        find_buttons(image, Image.open(sys.argv[2]).convert("RGB"), int(sys.argv[3]), int(sys.argv[4]))
        return
    min_width = int(sys.argv[2]) if len(sys.argv) > 2 else 150
    width, height = image.size
    rows = light_rows(image)
    gray = image.convert("L")
    runs = re.compile(rb"\xff{%d,}" % min_width)
    found = []
    for top in range(1, height - HEIGHT):
        # Three rows down the corners are round no more: the row spans the whole bar.
        for run in runs.finditer(rows[top + 3]):
            start, end = run.start(), run.end()
            middle = range(start + 10, end - 10)
            # The top edge: light along the row, not so just above it; and the
            # bar's side borders run the whole height of the title bar.
            edge = sum(rows[top][i] == 255 and rows[top - 1][i] == 0 for i in middle)
            sides = all(rows[y][start] == 255 and rows[y][end - 1] == 255 for y in range(top + 3, top + HEIGHT))
            if edge >= 0.9 * len(middle) and sides:
                bottom = top + HEIGHT
                while bottom < height and rows[bottom][start + 1] == 255:
                    bottom += 1
                dx, dy, w, h = BUTTONS
                buttons = gray.crop((end - 1 + dx, top + dy, end - 1 + dx + w, top + dy + h))
                found.append((start, top, end - start, bottom - top, int(min(buttons.getdata()) < 100)))
    for window in sorted(found, key=lambda f: -f[2]):
        print(*window)


main()
