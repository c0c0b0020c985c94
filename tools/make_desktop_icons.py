#!/usr/bin/python3
"""Draws the desktop icon of the game in the hicolor sizes:

  data/icons/hicolor/<n>x<n>/apps/example.marlpit.Tessaron.png   n = 16 ... 512

The same four tiles as the program icon (tools/make_window_art.py), drawn
large and scaled down for each size.

Run again:  tools/make_desktop_icons.py  (installs what it needs with apt)
"""
import pathlib
import sys

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))
from make_window_art import program_icon  # noqa: E402

ROOT = pathlib.Path(__file__).resolve().parent.parent
APP_ID = "example.marlpit.Tessaron"
SIZES = (16, 22, 24, 32, 48, 64, 128, 256, 512)


def main():
    for size in SIZES:
        folder = ROOT / "data" / "icons" / "hicolor" / f"{size}x{size}" / "apps"
        folder.mkdir(parents=True, exist_ok=True)
        program_icon(size).save(folder / f"{APP_ID}.png", optimize=True)
    print("wrote", len(SIZES), "icons")


if __name__ == "__main__":
    main()
