#!/usr/bin/python3
"""Makes the two pictures of the help window from the game's own art:

  resources/help/board.png     a 3 x 4 board in its gold frame with some pieces
                               laid, a wrong mark, a joker, and the stack beside it
  resources/help/buttons.png   the ten tool buttons in their two rows

Run again:  tools/make_help_pictures.py  (installs what it needs with apt)
"""
import pathlib
import sys

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))
from toolkit import ensure_packages  # noqa: E402

ensure_packages(["python3-pil"])

from PIL import Image  # noqa: E402

ROOT = pathlib.Path(__file__).resolve().parent.parent
ART = ROOT / "resources" / "art"
OUT = ROOT / "resources" / "help"


def board():
    picture = Image.open(ROOT / "resources" / "bitmap" / "201.bmp").convert("RGB")
    rows, cols, cell_w, cell_h = 3, 4, 90, 68
    picture = picture.resize((cols * cell_w, rows * cell_h), Image.LANCZOS)
    empty = Image.open(ART / "empty.png").convert("RGB").resize((cell_w, cell_h), Image.LANCZOS)
    wrong = Image.open(ART / "wrong.png").convert("RGB").resize((cell_w, cell_h), Image.LANCZOS)
    joker = Image.open(ART / "joker.png").convert("RGB").resize((cell_w, cell_h), Image.LANCZOS)
    back = Image.open(ART / "backs.bmp").convert("RGB").crop((400, 100, 500, 200)).resize((cell_w, cell_h), Image.LANCZOS)
    laid = {0, 1, 4, 5, 6, 9}
    frame_pad = 12
    stack_w = cell_w + 40
    image = Image.new("RGB", (stack_w + cols * cell_w + 2 * frame_pad + 20, rows * cell_h + 2 * frame_pad + 20), "black")
    frame = Image.open(ART / "frame_gold.png").convert("RGB").resize(
        (cols * cell_w + 2 * frame_pad, rows * cell_h + 2 * frame_pad), Image.LANCZOS)
    image.paste(frame, (stack_w, 10))
    for n in range(rows * cols):
        r, c = divmod(n, cols)
        x, y = stack_w + frame_pad + c * cell_w, 10 + frame_pad + r * cell_h
        if n in laid:
            image.paste(picture.crop((c * cell_w, r * cell_h, (c + 1) * cell_w, (r + 1) * cell_h)), (x, y))
        elif n == 7:
            image.paste(wrong, (x, y))
        elif n == 10:
            image.paste(joker, (x, y))
        else:
            image.paste(empty, (x, y))
    # The piece in hand: the one that belongs in cell 2, face up on the stack.
    image.paste(picture.crop((2 * cell_w, 0, 3 * cell_w, cell_h)), (20, 10 + frame_pad))
    image.paste(back, (20, 10 + frame_pad + cell_h + 20))
    return image


def buttons():
    size, gap = 38, 6
    image = Image.new("RGB", (5 * (size + gap) + gap, 2 * (size + gap) + gap), (20, 20, 20))
    for i in range(10):
        button = Image.open(ART / f"button_{i}.png").convert("RGBA").resize((size, size), Image.LANCZOS)
        image.paste(button, (gap + (i % 5) * (size + gap), gap + (i // 5) * (size + gap)), button)
    return image.resize((image.width * 2, image.height * 2), Image.LANCZOS)


def main():
    OUT.mkdir(parents=True, exist_ok=True)
    board().save(OUT / "board.png", optimize=True)
    buttons().save(OUT / "buttons.png", optimize=True)
    print("wrote", OUT / "board.png", "and", OUT / "buttons.png")


if __name__ == "__main__":
    main()
