#!/usr/bin/env python3
"""Prints where the game window puts its controls, for the end-to-end tests:
  layout.py WIDTH HEIGHT ROWS COLS
prints shell assignments: the centres of the start and end buttons and of the
stack, the centre of every tool button (BUTTON_0_X ...) and flag (FLAG_0_X ...),
the size of a cell,
and the centre of every cell (CELL_0_X ...).
Python's round() goes to the even neighbour at halves, as the game does."""
import struct
import sys


def single(value):
    return struct.unpack("f", struct.pack("f", value))[0]


def main():
    sw, sh, rows, cols = (int(a) for a in sys.argv[1:5])
    f = single(sw / 1024 * 0.9)
    b = round(sh - 38 * 3 * 1.2 * f)
    s = round(38 * f)
    bw = round(sh * 0.93)
    bx = round((sw - bw) / 1.1)
    by = round(bx * 0.72)
    pw = round(bw / cols)
    ph = round(bw * 0.75 / rows)
    fw = round(pw * cols + 35 * f)
    fx = round(bx + int(round(pw * cols - fw) / 2))
    pvw = round(fx - 10 * f)
    preview_h = round(pvw * 0.75)
    sx = int(round(bx - pw - 17 * f) / 2)
    sy = round(by + preview_h + 10 * f)
    print(f"START_X={round(20 * f) + s // 2} START_Y={b + s // 2}")
    print(f"END_X={round(20 * f + 38 * 1.1 * f) + s // 2} END_Y={b + s // 2}")
    for i in range(10):
        bx_i = round(20 * f + (i % 5) * 38 * 1.1 * f)
        by_i = b if i < 5 else round(b + 38 * 1.2 * f)
        print(f"BUTTON_{i}_X={bx_i + s // 2} BUTTON_{i}_Y={by_i + s // 2}")
    for i in range(5):
        print(f"FLAG_{i}_X={round(45 * f + i * 32 * f) + 16} FLAG_{i}_Y={round(b + 2.4 * s) + 10}")
    print(f"STACK_X={sx} STACK_Y={sy} CELL_W={pw} CELL_H={ph}")
    print(f"BOARD_X={bx} BOARD_Y={by}")
    print(f"PREVIEW_X={round(3 * f)} PREVIEW_Y={round(by - 15 * f)} PREVIEW_W={pvw} PREVIEW_H={round(pvw * 0.75)}")
    for n in range(rows * cols):
        r, c = divmod(n, cols)
        print(f"CELL_{n}_X={bx + c * pw + pw // 2} CELL_{n}_Y={by + r * ph + ph // 2}")


main()
