#!/usr/bin/python3
"""Draws the window art of the game and the program icon.

  resources/art/logo.png            800 x 50   header logo strip with the name
  resources/art/copyright.png       100 x 50   small badge at the top right
  resources/art/panel.png           600 x 80   header panel behind the players
  resources/art/timebar.png         100 x 8    background strip of the time bar
  resources/art/choice_background.png 400 x 320 the picture choice's background
  resources/art/frame_gold.png      640 x 480  gold frame around the board
  resources/art/frame_black.png     640 x 480  black frame around the board
  resources/art/empty.png           100 x 100  an empty board cell
  resources/art/wrong.png           100 x 100  the wrong mark: a red cross
  resources/art/joker.png           100 x 100  the joker mark: a golden star
  resources/art/flag_0.png .. _6    32 x 20    German, British, Spanish, Italian, French flags
  resources/art/button_0.png .. _9  38 x 38    tool buttons
  resources/art/digits.png          180 x 27   digits 0 to 9, 18 x 27 each
  resources/art/*@2x.png                       logo, panel, flags, buttons and digits at twice the size
  resources/art/backs.bmp           500 x 200  ten back-side designs, 256 colours
  resources/art/splash_title.png    start-up window: the name
  resources/art/splash_board.png    start-up window: a board being filled
  resources/icon/30001.png          32 x 32    program icon
  resources/art/icon_48.png .. 256  larger icons for the desktop

Everything is drawn here, at several times the size and then scaled down, so
edges are smooth. The wrong mark and the joker mark differ in shape (a cross,
a star) as well as in colour. Fonts: Lobster (OFL) for the name, DejaVu for digits.

Run again:  tools/make_window_art.py  (installs what it needs with apt)
"""
import math
import pathlib
import random
import sys

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))
from toolkit import ensure_packages  # noqa: E402

NEEDED = ["python3-pil", "python3-numpy", "fonts-lobster", "fonts-dejavu-core"]

ensure_packages(NEEDED)

import numpy as np  # noqa: E402
from PIL import Image, ImageDraw, ImageFilter, ImageFont  # noqa: E402

ROOT = pathlib.Path(__file__).resolve().parent.parent
ART = ROOT / "resources" / "art"
LOBSTER = "/usr/share/fonts/opentype/lobster/lobster.otf"
DEJAVU_BOLD = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"
MONO_BOLD = "/usr/share/fonts/truetype/dejavu/DejaVuSansMono-Bold.ttf"

GOLD = (255, 204, 0)
GOLD_DARK = (150, 105, 20)
GOLD_LIGHT = (255, 236, 150)
S = 8  # drawing scale before the final reduction


def canvas(w, h, colour=(0, 0, 0, 0)):
    image = Image.new("RGBA", (w * S, h * S), colour)
    return image, ImageDraw.Draw(image)


def finish(image, w, h):
    return image.resize((w, h), Image.LANCZOS)


def gradient(w, h, top, bottom, horizontal=False):
    t = np.linspace(0, 1, w if horizontal else h)
    colours = np.array(top)[None, :] * (1 - t[:, None]) + np.array(bottom)[None, :] * t[:, None]
    if horizontal:
        block = np.repeat(colours[None, :, :], h, axis=0)
    else:
        block = np.repeat(colours[:, None, :], w, axis=1)
    return Image.fromarray(block.astype(np.uint8), "RGB" if len(top) == 3 else "RGBA")


def save(image, name, folder=ART):
    folder.mkdir(parents=True, exist_ok=True)
    path = folder / name
    image.save(path)
    print(f"{path.relative_to(ROOT)}: {image.size[0]} x {image.size[1]}")


# ---------------------------------------------------------------- header

def gold_text(size, text, font_path, font_size, shadow=True):
    w, h = size
    layer = Image.new("RGBA", (w, h), (0, 0, 0, 0))
    font = ImageFont.truetype(font_path, font_size)
    draw = ImageDraw.Draw(layer)
    box = draw.textbbox((0, 0), text, font=font)
    x = (w - (box[2] - box[0])) // 2 - box[0]
    y = (h - (box[3] - box[1])) // 2 - box[1]
    if shadow:
        draw.text((x + font_size // 18, y + font_size // 18), text, font=font, fill=(0, 0, 0, 200))
    mask = Image.new("L", (w, h), 0)
    ImageDraw.Draw(mask).text((x, y), text, font=font, fill=255)
    shine = gradient(w, h, GOLD_LIGHT + (255,), GOLD_DARK + (255,))
    layer.paste(shine, (0, 0), mask)
    outline = mask.filter(ImageFilter.MaxFilter(3))
    edge = Image.new("RGBA", (w, h), (90, 55, 0, 255))
    result = Image.new("RGBA", (w, h), (0, 0, 0, 0))
    result.paste(edge, (0, 0), outline)
    result.alpha_composite(layer)
    return result


def tile_row(draw, w, h, y, size, rng, alpha=255):
    x = 0
    while x < w:
        shade = rng.randint(45, 70)
        colour = (shade, int(shade * 0.8), int(shade * 0.4), alpha)
        draw.rectangle([x + 1, y + 1, x + size - 2, y + size - 2], fill=colour)
        x += size


def logo(scale=1):
    w, h = 800, 50
    rng = random.Random(1)
    base = gradient(w * 4, h * 4, (20, 14, 6), (5, 4, 2)).convert("RGBA")
    draw = ImageDraw.Draw(base)
    for row in range(0, h * 4, 40):  # a band of little tesserae
        tile_row(draw, w * 4, h * 4, row, 40, rng, 60)
    text = gold_text((w * 4, h * 4), "Tessaron", LOBSTER, 150)
    base.alpha_composite(text)
    draw.line([(0, h * 4 - 4), (w * 4, h * 4 - 4)], fill=GOLD_DARK, width=6)
    return finish(base, w * scale, h * scale).convert("RGB")


def panel(scale=1):
    w, h = 600, 80
    image = gradient(w * 4, h * 4, (45, 20, 12), (18, 8, 5)).convert("RGBA")
    draw = ImageDraw.Draw(image)
    rng = random.Random(2)
    for _ in range(600):  # velvet texture
        x, y = rng.uniform(0, w * 4), rng.uniform(0, h * 4)
        draw.point((x, y), fill=(70, 35, 20, 255))
    draw.rounded_rectangle([6, 6, w * 4 - 7, h * 4 - 7], radius=40, outline=GOLD_DARK, width=10)
    draw.rounded_rectangle([20, 20, w * 4 - 21, h * 4 - 21], radius=30, outline=(110, 75, 15), width=4)
    for cx in (60, w * 4 - 60):
        draw.regular_polygon((cx, h * 2, 22), 4, rotation=45, fill=GOLD_DARK)
    return finish(image, w * scale, h * scale).convert("RGB")


def choice_background():
    # The picture choice's background: the header panel's velvet and gold,
    # with a faint band of tesserae along the top and the bottom.
    w, h = 400, 320
    image = gradient(w * 4, h * 4, (40, 18, 10), (14, 6, 4)).convert("RGBA")
    draw = ImageDraw.Draw(image)
    rng = random.Random(3)
    for _ in range(2500):
        x, y = rng.uniform(0, w * 4), rng.uniform(0, h * 4)
        draw.point((x, y), fill=(66, 32, 18, 255))
    tile_row(draw, w * 4, h * 4, 24, 40, rng, 70)
    tile_row(draw, w * 4, h * 4, h * 4 - 64, 40, rng, 70)
    draw.rounded_rectangle([6, 6, w * 4 - 7, h * 4 - 7], radius=36, outline=GOLD_DARK, width=10)
    draw.rounded_rectangle([22, 22, w * 4 - 23, h * 4 - 23], radius=26, outline=(110, 75, 15), width=4)
    return finish(image, w, h).convert("RGB")


def timebar():
    w, h = 100, 8
    a = np.zeros((h, w, 3))
    t = np.linspace(0, 1, w)
    a[:, :, 0] = (60 + 180 * t)[None, :]
    a[:, :, 1] = (150 - 90 * t)[None, :]
    a[:, :, 2] = 30
    a[0, :, :] *= 1.3
    a[-1, :, :] *= 0.6
    return Image.fromarray(a.clip(0, 255).astype(np.uint8))


# ---------------------------------------------------------------- board

def frame(kind):
    w, h = 640, 480
    if kind == "gold":
        outer, mid, inner, light = (120, 80, 10), (215, 165, 40), (90, 60, 10), (255, 230, 130)
    else:
        outer, mid, inner, light = (10, 10, 10), (45, 45, 50), (0, 0, 0), (120, 120, 130)
    image = Image.new("RGB", (w * 2, h * 2), inner)
    draw = ImageDraw.Draw(image)
    border = 40  # 20 pixels at the final size; the board covers the middle
    for i in range(border):
        t = i / border
        c = tuple(int(outer[k] + (mid[k] - outer[k]) * math.sin(t * math.pi)) for k in range(3))
        draw.rectangle([i, i, w * 2 - 1 - i, h * 2 - 1 - i], outline=c)
    draw.rectangle([6, 6, w * 2 - 7, h * 2 - 7], outline=light, width=2)
    draw.rectangle([border - 6, border - 6, w * 2 - border + 5, h * 2 - border + 5], outline=light, width=2)
    rng = random.Random(3)
    for x in range(24, w * 2 - 24, 28):  # beading along the frame
        for y in (20, h * 2 - 21):
            draw.ellipse([x - 5, y - 5, x + 5, y + 5], fill=light if kind == "gold" else (80, 80, 90))
    for y in range(24, h * 2 - 24, 28):
        for x in (20, w * 2 - 21):
            draw.ellipse([x - 5, y - 5, x + 5, y + 5], fill=light if kind == "gold" else (80, 80, 90))
    for cx, cy in ((20, 20), (w * 2 - 21, 20), (20, h * 2 - 21), (w * 2 - 21, h * 2 - 21)):
        draw.regular_polygon((cx, cy, 16), 4, rotation=45 + rng.randint(0, 0), fill=light, outline=outer)
    return image.resize((w, h), Image.LANCZOS)


def empty_cell():
    w = h = 100
    image = gradient(w * 4, h * 4, (52, 48, 44), (30, 28, 26)).convert("RGBA")
    draw = ImageDraw.Draw(image)
    draw.rectangle([0, 0, w * 4 - 1, h * 4 - 1], outline=(75, 70, 62), width=8)
    draw.line([(8, h * 4 - 8), (w * 4 - 8, h * 4 - 8)], fill=(20, 18, 16), width=8)
    draw.line([(w * 4 - 8, 8), (w * 4 - 8, h * 4 - 8)], fill=(20, 18, 16), width=8)
    # a faint tessera in the middle says "a piece belongs here"
    c = w * 2
    draw.polygon([(c, c - 70), (c + 70, c), (c, c + 70), (c - 70, c)], outline=(70, 64, 56), width=6)
    return finish(image, w, h).convert("RGB")


def wrong_mark():
    w = h = 100
    image, draw = canvas(w, h, (60, 10, 10, 255))
    draw.rectangle([0, 0, w * S - 1, h * S - 1], outline=(140, 30, 30), width=5 * S)
    m, t = 22 * S, 14 * S
    for a, b in (((m, m), (w * S - m, h * S - m)), ((w * S - m, m), (m, h * S - m))):
        draw.line([a, b], fill=(0, 0, 0), width=t + 6 * S)
        draw.line([a, b], fill=(235, 40, 40), width=t)
        draw.line([a, b], fill=(255, 120, 110), width=t // 4)
    return finish(image, w, h).convert("RGB")


def star_points(cx, cy, outer, inner, points=5, turn=-math.pi / 2):
    pts = []
    for i in range(points * 2):
        r = outer if i % 2 == 0 else inner
        a = turn + i * math.pi / points
        pts.append((cx + r * math.cos(a), cy + r * math.sin(a)))
    return pts


def joker_mark():
    w = h = 100
    image, draw = canvas(w, h, (20, 30, 90, 255))
    draw.rectangle([0, 0, w * S - 1, h * S - 1], outline=(70, 90, 200), width=5 * S)
    c = w * S / 2
    draw.polygon(star_points(c, c + 3 * S, 42 * S, 18 * S), fill=(0, 0, 0))
    draw.polygon(star_points(c, c, 40 * S, 17 * S), fill=GOLD, outline=(160, 110, 0))
    draw.polygon(star_points(c, c, 20 * S, 8.5 * S), fill=GOLD_LIGHT)
    for sx, sy in ((16, 18), (82, 24), (20, 84), (84, 80)):  # sparkles
        draw.polygon(star_points(sx * S, sy * S, 6 * S, 1.5 * S, 4, 0), fill=(255, 255, 255))
    return finish(image, w, h).convert("RGB")


# ---------------------------------------------------------------- flags

def flag(code, scale=1):
    w, h = 32, 20
    image, draw = canvas(w, h, (255, 255, 255, 255))
    W8, H8 = w * S, h * S
    if code == 0:  # Germany
        for i, c in enumerate([(0, 0, 0), (221, 0, 0), (255, 206, 0)]):
            draw.rectangle([0, i * H8 / 3, W8, (i + 1) * H8 / 3], fill=c)
    elif code == 1:  # United Kingdom
        blue, red = (1, 33, 105), (200, 16, 46)
        draw.rectangle([0, 0, W8, H8], fill=blue)
        for a, b in (((0, 0), (W8, H8)), ((W8, 0), (0, H8))):
            draw.line([a, b], fill=(255, 255, 255), width=int(H8 * 0.2))
            draw.line([a, b], fill=red, width=int(H8 * 0.07))
        draw.rectangle([W8 / 2 - H8 / 6, 0, W8 / 2 + H8 / 6, H8], fill=(255, 255, 255))
        draw.rectangle([0, H8 / 2 - H8 / 6, W8, H8 / 2 + H8 / 6], fill=(255, 255, 255))
        draw.rectangle([W8 / 2 - H8 / 10, 0, W8 / 2 + H8 / 10, H8], fill=red)
        draw.rectangle([0, H8 / 2 - H8 / 10, W8, H8 / 2 + H8 / 10], fill=red)
    elif code == 2:  # Spain
        draw.rectangle([0, 0, W8, H8], fill=(170, 21, 27))
        draw.rectangle([0, H8 / 4, W8, H8 * 3 / 4], fill=(241, 191, 0))
        draw.rounded_rectangle([W8 * 0.22, H8 * 0.36, W8 * 0.36, H8 * 0.66], radius=S, fill=(170, 21, 27),
                               outline=(120, 80, 0), width=S // 2)
    elif code == 3:  # Italy
        for i, c in enumerate([(0, 146, 70), (255, 255, 255), (206, 43, 55)]):
            draw.rectangle([i * W8 / 3, 0, (i + 1) * W8 / 3, H8], fill=c)
    elif code == 6:  # France
        for i, c in enumerate([(0, 35, 149), (255, 255, 255), (237, 41, 57)]):
            draw.rectangle([i * W8 / 3, 0, (i + 1) * W8 / 3, H8], fill=c)
    draw.rectangle([0, 0, W8 - 1, H8 - 1], outline=(60, 60, 60), width=S // 2)
    return finish(image, w * scale, h * scale).convert("RGB")


# ---------------------------------------------------------------- tool buttons

def button_base():
    image, draw = canvas(38, 38)
    n = 38 * S
    draw.rounded_rectangle([0, 0, n - 1, n - 1], radius=7 * S, fill=(70, 52, 14))
    draw.rounded_rectangle([S, S, n - 1 - S, n - 1 - S], radius=6 * S, fill=(30, 24, 14))
    top = gradient(n - 6 * S, n - 6 * S, (75, 60, 35), (22, 18, 12)).convert("RGBA")
    mask = Image.new("L", top.size, 0)
    ImageDraw.Draw(mask).rounded_rectangle([0, 0, top.size[0] - 1, top.size[1] - 1], radius=5 * S, fill=255)
    image.paste(top, (3 * S, 3 * S), mask)
    return image, draw


def icon_start(d, n):
    d.polygon([(n * 0.34, n * 0.22), (n * 0.34, n * 0.78), (n * 0.8, n * 0.5)], fill=(70, 210, 80), outline=(20, 90, 30))


def icon_end(d, n):
    c, r = n / 2, n * 0.27
    d.arc([c - r, c - r + n * 0.03, c + r, c + r + n * 0.03], 300, 240, fill=(240, 70, 60), width=int(n * 0.09))
    d.line([(c, n * 0.16), (c, n * 0.5)], fill=(240, 70, 60), width=int(n * 0.09))


def icon_hint(d, n):
    c = n / 2
    d.ellipse([c - n * 0.22, n * 0.14, c + n * 0.22, n * 0.58], fill=(255, 230, 80), outline=(170, 130, 0), width=S)
    d.rectangle([c - n * 0.1, n * 0.56, c + n * 0.1, n * 0.7], fill=(190, 190, 200))
    for y in (0.6, 0.65):
        d.line([(c - n * 0.1, n * y), (c + n * 0.1, n * y)], fill=(110, 110, 120), width=S)
    d.rectangle([c - n * 0.06, n * 0.7, c + n * 0.06, n * 0.76], fill=(110, 110, 120))
    for a in range(-150, -20, 32):  # rays
        r1, r2 = n * 0.3, n * 0.38
        x, y = math.cos(math.radians(a)), math.sin(math.radians(a))
        d.line([(c + r1 * x, n * 0.36 + r1 * y), (c + r2 * x, n * 0.36 + r2 * y)], fill=(255, 240, 150), width=S)


def icon_picture(d, n):
    d.rectangle([n * 0.18, n * 0.24, n * 0.82, n * 0.76], fill=(120, 190, 240), outline=(230, 200, 120), width=2 * S)
    d.ellipse([n * 0.56, n * 0.3, n * 0.7, n * 0.44], fill=(255, 220, 60))
    d.polygon([(n * 0.21, n * 0.73), (n * 0.42, n * 0.42), (n * 0.58, n * 0.73)], fill=(60, 140, 60))
    d.polygon([(n * 0.45, n * 0.73), (n * 0.63, n * 0.5), (n * 0.79, n * 0.73)], fill=(40, 110, 50))


def card_back(d, box, colour):
    x0, y0, x1, y1 = box
    d.rounded_rectangle(box, radius=S * 2, fill=(250, 250, 245), outline=(40, 40, 40), width=S // 2)
    d.rounded_rectangle([x0 + S * 1.5, y0 + S * 1.5, x1 - S * 1.5, y1 - S * 1.5], radius=S, fill=colour)
    step = S * 3
    for y in np.arange(y0 + S * 2, y1 - S * 2, step):
        for x in np.arange(x0 + S * 2, x1 - S * 2, step):
            d.polygon([(x + step / 2, y), (x + step, y + step / 2), (x + step / 2, y + step), (x, y + step / 2)],
                      outline=(255, 255, 255))


def icon_back(d, n):
    card_back(d, [n * 0.16, n * 0.22, n * 0.56, n * 0.8], (40, 80, 170))
    card_back(d, [n * 0.4, n * 0.16, n * 0.82, n * 0.76], (190, 30, 40))


def icon_save(d, n):
    d.rounded_rectangle([n * 0.2, n * 0.2, n * 0.8, n * 0.8], radius=S * 2, fill=(60, 110, 200), outline=(20, 40, 90), width=S)
    d.rectangle([n * 0.32, n * 0.2, n * 0.66, n * 0.4], fill=(200, 205, 215))
    d.rectangle([n * 0.56, n * 0.24, n * 0.62, n * 0.36], fill=(60, 110, 200))
    d.rectangle([n * 0.3, n * 0.52, n * 0.7, n * 0.76], fill=(245, 245, 240))
    for y in (0.59, 0.66):
        d.line([(n * 0.35, n * y), (n * 0.65, n * y)], fill=(150, 150, 160), width=S)


def icon_load(d, n):
    d.polygon([(n * 0.16, n * 0.3), (n * 0.38, n * 0.3), (n * 0.44, n * 0.36), (n * 0.8, n * 0.36),
               (n * 0.8, n * 0.78), (n * 0.16, n * 0.78)], fill=(200, 150, 50), outline=(110, 75, 15))
    d.polygon([(n * 0.26, n * 0.46), (n * 0.9, n * 0.46), (n * 0.8, n * 0.78), (n * 0.16, n * 0.78)],
              fill=(245, 200, 90), outline=(110, 75, 15))
    d.polygon([(n * 0.53, n * 0.12), (n * 0.68, n * 0.28), (n * 0.58, n * 0.28), (n * 0.58, n * 0.42),
               (n * 0.48, n * 0.42), (n * 0.48, n * 0.28), (n * 0.38, n * 0.28)], fill=(90, 200, 90))


def icon_options(d, n):
    c = n / 2
    teeth = []
    for i in range(16):
        r = n * (0.34 if i % 2 == 0 else 0.26)
        a = i * math.pi / 8
        for da in (-0.17, 0.17):
            teeth.append((c + r * math.cos(a + da), c + r * math.sin(a + da)))
    d.polygon(teeth, fill=(190, 195, 205), outline=(80, 85, 95))
    d.ellipse([c - n * 0.11, c - n * 0.11, c + n * 0.11, c + n * 0.11], fill=(30, 24, 14), outline=(80, 85, 95), width=S)


def icon_champions(d, n):
    gold, dark = (255, 200, 30), (150, 100, 0)
    d.chord([n * 0.26, n * 0.06, n * 0.74, n * 0.58], 0, 180, fill=gold, outline=dark, width=S)
    d.rectangle([n * 0.26, n * 0.18, n * 0.74, n * 0.32], fill=gold)
    d.line([(n * 0.26, n * 0.18), (n * 0.74, n * 0.18)], fill=dark, width=S)
    for side in (-1, 1):
        x = n / 2 + side * n * 0.27
        d.arc([x - n * 0.1, n * 0.2, x + n * 0.1, n * 0.42], 90 if side < 0 else -90, 270 if side < 0 else 90,
              fill=gold, width=int(n * 0.05))
    d.rectangle([n * 0.46, n * 0.56, n * 0.54, n * 0.7], fill=gold, outline=dark)
    d.rectangle([n * 0.32, n * 0.7, n * 0.68, n * 0.82], fill=(120, 70, 30), outline=(60, 30, 10))
    d.polygon(star_points(n / 2, n * 0.33, n * 0.08, n * 0.035), fill=(255, 250, 220))


def icon_help(d, n):
    c = n / 2
    d.ellipse([n * 0.16, n * 0.16, n * 0.84, n * 0.84], fill=(60, 120, 220), outline=(20, 50, 120), width=S)
    font = ImageFont.truetype(DEJAVU_BOLD, int(n * 0.5))
    box = d.textbbox((0, 0), "?", font=font)
    d.text((c - (box[2] + box[0]) / 2, c - (box[3] + box[1]) / 2), "?", font=font, fill=(255, 255, 255))


ICONS = [icon_start, icon_end, icon_hint, icon_picture, icon_back, icon_save, icon_load, icon_options,
         icon_champions, icon_help]


def tool_button(index, scale=1):
    image, _ = button_base()
    draw = ImageDraw.Draw(image)
    ICONS[index](draw, 38 * S)
    return finish(image, 38 * scale, 38 * scale)


# ---------------------------------------------------------------- digits

def digits(scale=1):
    w, h = 18, 27
    strip = Image.new("RGB", (w * 10 * S, h * S), (0, 0, 0))
    font = ImageFont.truetype(MONO_BOLD, int(h * S * 0.95))
    for d in range(10):
        cell = gold_text((w * S, h * S), str(d), MONO_BOLD, int(h * S * 0.95), shadow=False)
        strip.paste(cell, (d * w * S, 0), cell)
    del font
    return strip.resize((w * 10 * scale, h * scale), Image.LANCZOS)


# ---------------------------------------------------------------- back sides

def back_design(i):
    n = 100 * 4
    image = Image.new("RGB", (n, n), (0, 0, 0))
    d = ImageDraw.Draw(image)
    rng = random.Random(100 + i)
    if i == 0:  # blue lattice of diamonds
        d.rectangle([0, 0, n, n], fill=(20, 50, 130))
        for y in range(-40, n + 40, 40):
            for x in range(-40, n + 40, 40):
                o = 20 if (y // 40) % 2 else 0
                d.polygon([(x + o, y - 18), (x + o + 18, y), (x + o, y + 18), (x + o - 18, y)], fill=(90, 140, 230),
                          outline=(200, 220, 255))
    elif i == 1:  # tartan
        d.rectangle([0, 0, n, n], fill=(150, 20, 30))
        for k, (c, wdt) in enumerate([((20, 60, 30), 46), ((10, 20, 60), 24), ((230, 200, 60), 6)]):
            for p in range(0, n, 100):
                o = p + 20 + k * 28
                band = Image.new("RGBA", (n, n), (0, 0, 0, 0))
                bd = ImageDraw.Draw(band)
                bd.rectangle([o, 0, o + wdt, n], fill=c + (150,))
                bd.rectangle([0, o, n, o + wdt], fill=c + (150,))
                image.paste(band, (0, 0), band)
    elif i == 2:  # green ripples
        for r in range(300, 0, -14):
            g = 60 + (r // 14 % 2) * 90
            d.ellipse([n / 2 - r, n / 2 - r, n / 2 + r, n / 2 + r], fill=(20, g, 60))
    elif i == 3:  # purple night with stars
        d.rectangle([0, 0, n, n], fill=(60, 20, 90))
        for _ in range(26):
            x, y, r = rng.uniform(20, n - 20), rng.uniform(20, n - 20), rng.uniform(8, 26)
            d.polygon(star_points(x, y, r, r * 0.42), fill=(255, 220, 120))
    elif i == 4:  # art-deco fans in gold on black
        d.rectangle([0, 0, n, n], fill=(12, 12, 12))
        for y in range(0, n + 100, 100):
            for x in range(0, n + 100, 100):
                o = 50 if (y // 100) % 2 else 0
                for r in range(50, 0, -10):
                    d.pieslice([x + o - r, y - r, x + o + r, y + r], 180, 360,
                               fill=GOLD if (r // 10) % 2 else (60, 45, 10))
    elif i == 5:  # teal checks, turned
        for y in range(-n, 2 * n, 40):
            for x in range(-n, 2 * n, 40):
                c = (20, 140, 140) if ((x + y) // 40) % 2 else (220, 245, 240)
                d.rectangle([x, y, x + 40, y + 40], fill=c)
        image = image.rotate(30, resample=Image.BICUBIC, expand=False, fillcolor=(20, 140, 140))
        d = ImageDraw.Draw(image)
    elif i == 6:  # orange waves
        d.rectangle([0, 0, n, n], fill=(240, 140, 30))
        for y in range(-20, n + 40, 32):
            pts = [(x, y + 12 * math.sin(x / 24)) for x in range(0, n + 8, 8)]
            d.line(pts, fill=(150, 50, 10), width=10)
            d.line([(x, y2 + 9) for x, y2 in pts], fill=(255, 220, 120), width=4)
    elif i == 7:  # moon and stars on navy
        d.rectangle([0, 0, n, n], fill=(10, 20, 60))
        for _ in range(70):
            x, y = rng.uniform(0, n), rng.uniform(0, n)
            d.ellipse([x - 3, y - 3, x + 3, y + 3], fill=(255, 255, 230))
        d.ellipse([120, 100, 300, 280], fill=(250, 235, 160))
        d.ellipse([165, 80, 345, 260], fill=(10, 20, 60))
    elif i == 8:  # rosette
        d.rectangle([0, 0, n, n], fill=(245, 235, 215))
        c = n / 2
        for ring, (count, r, pr, col) in enumerate([(16, 150, 40, (190, 60, 90)), (12, 95, 34, (60, 120, 170)),
                                                    (8, 45, 26, (230, 170, 40))]):
            for k in range(count):
                a = 2 * math.pi * k / count + ring * 0.2
                x, y = c + r * math.cos(a), c + r * math.sin(a)
                d.ellipse([x - pr, y - pr, x + pr, y + pr], fill=col, outline=(90, 40, 40), width=3)
        d.ellipse([c - 22, c - 22, c + 22, c + 22], fill=(120, 40, 40))
        for x, y in ((30, 30), (n - 30, 30), (30, n - 30), (n - 30, n - 30)):
            d.ellipse([x - 18, y - 18, x + 18, y + 18], fill=(60, 120, 170))
    else:  # 9: the classic red card back
        d.rectangle([0, 0, n, n], fill=(250, 250, 245))
        d.rounded_rectangle([14, 14, n - 15, n - 15], radius=18, fill=(185, 25, 35))
        for y in range(20, n - 20, 24):
            for x in range(20, n - 20, 24):
                d.polygon([(x + 12, y), (x + 24, y + 12), (x + 12, y + 24), (x, y + 12)], outline=(250, 210, 210),
                          width=2)
        d.rounded_rectangle([14, 14, n - 15, n - 15], radius=18, outline=(250, 250, 245), width=6)
        d.ellipse([n / 2 - 60, n / 2 - 60, n / 2 + 60, n / 2 + 60], fill=(250, 250, 245))
        d.polygon(star_points(n / 2, n / 2, 50, 20), fill=(185, 25, 35))
    d.rectangle([0, 0, n - 1, n - 1], outline=(30, 30, 30), width=4)
    return image.resize((100, 100), Image.LANCZOS)


def back_sheet():
    sheet = Image.new("RGB", (500, 200))
    for i in range(10):
        sheet.paste(back_design(i), ((i % 5) * 100, (i // 5) * 100))
    return sheet.quantize(colors=256, method=Image.Quantize.MEDIANCUT, dither=Image.Dither.FLOYDSTEINBERG)


# ---------------------------------------------------------------- start-up and icon

def splash_title():
    w, h = 480, 120
    image = Image.new("RGBA", (w * 2, h * 2), (0, 0, 0, 255))
    image.alpha_composite(gold_text((w * 2, h * 2), "Tessaron", LOBSTER, 190))
    return image.resize((w, h), Image.LANCZOS).convert("RGB")


def splash_board():
    """A small board half filled with pieces of the flower meadow, one piece on its way."""
    picture = Image.open(ROOT / "resources" / "bitmap" / "205.bmp").convert("RGB").resize((240, 180), Image.LANCZOS)
    cell = empty_cell().resize((40, 36), Image.LANCZOS)
    board = Image.new("RGB", (240, 180))
    rng = random.Random(7)
    for r in range(5):
        for c in range(6):
            box = (c * 40, r * 36, c * 40 + 40, r * 36 + 36)
            board.paste(picture.crop(box) if rng.random() < 0.6 else cell, box[:2])
    framed = frame("gold").resize((264, 204), Image.LANCZOS)
    framed.paste(board, (12, 12))
    piece = picture.crop((80, 72, 120, 108)).resize((52, 47), Image.LANCZOS)
    shadow = Image.new("RGBA", (52, 47), (0, 0, 0, 120))
    out = framed.convert("RGBA")
    out.alpha_composite(shadow, (196, 146))
    out.paste(piece, (190, 140))
    ImageDraw.Draw(out).rectangle([190, 140, 241, 186], outline=GOLD, width=2)
    return out.convert("RGB")


def program_icon(size):
    n = size * S if size < 128 else size * 2
    image = Image.new("RGBA", (n, n), (0, 0, 0, 0))
    d = ImageDraw.Draw(image)
    d.rounded_rectangle([0, 0, n - 1, n - 1], radius=n // 6, fill=(25, 18, 8, 255), outline=(150, 105, 20, 255),
                        width=max(1, n // 24))
    colours = [(220, 60, 50), (60, 130, 220), (70, 180, 90), (255, 204, 0)]
    gap, m = n * 0.06, n * 0.14
    t = (n - 2 * m - gap) / 2
    for k, colour in enumerate(colours):
        x = m + (k % 2) * (t + gap)
        y = m + (k // 2) * (t + gap)
        if k == 3:  # the last piece is on its way into place
            x, y = x + n * 0.05, y + n * 0.05
            d.rectangle([x + n * 0.03, y + n * 0.03, x + t + n * 0.03, y + t + n * 0.03], fill=(0, 0, 0, 160))
        d.rectangle([x, y, x + t, y + t], fill=colour + (255,), outline=(255, 255, 255, 220), width=max(1, n // 40))
    return image.resize((size, size), Image.LANCZOS)


def copyright_badge():
    """The small picture at the top right: four tiles and the year."""
    w, h = 100, 50
    image = Image.new("RGBA", (w * 4, h * 4), (0, 0, 0, 255))
    d = ImageDraw.Draw(image)
    d.rounded_rectangle([4, 4, w * 4 - 5, h * 4 - 5], radius=24, outline=GOLD_DARK, width=6)
    for k, colour in enumerate([(220, 60, 50), (60, 130, 220), (70, 180, 90), GOLD]):
        x, y = 24 + (k % 2) * 72, 28 + (k // 2) * 72
        d.rectangle([x, y, x + 64, y + 64], fill=colour, outline=(255, 255, 255), width=3)
    text = gold_text((240, 200), "2026", DEJAVU_BOLD, 64, shadow=False)
    image.alpha_composite(text, (170, 0))
    return finish(image, w, h).convert("RGB")


def main():
    save(copyright_badge(), "copyright.png")
    save(logo(), "logo.png")
    save(logo(2), "logo@2x.png")
    save(panel(), "panel.png")
    save(panel(2), "panel@2x.png")
    save(timebar(), "timebar.png")
    save(choice_background(), "choice_background.png")
    save(frame("gold"), "frame_gold.png")
    save(frame("black"), "frame_black.png")
    save(empty_cell(), "empty.png")
    save(wrong_mark(), "wrong.png")
    save(joker_mark(), "joker.png")
    # "@2x": the same pictures at twice the size, for screens of double density.
    for code in (0, 1, 2, 3, 6):
        save(flag(code), f"flag_{code}.png")
        save(flag(code, 2), f"flag_{code}@2x.png")
    for i in range(10):
        save(tool_button(i), f"button_{i}.png")
        save(tool_button(i, 2), f"button_{i}@2x.png")
    save(digits(), "digits.png")
    save(digits(2), "digits@2x.png")
    save(back_sheet(), "backs.bmp")
    save(splash_title(), "splash_title.png")
    save(splash_board(), "splash_board.png")
    save(program_icon(32), "30001.png", ROOT / "resources" / "icon")
    for size in (48, 64, 128, 256):
        save(program_icon(size), f"icon_{size}.png")


if __name__ == "__main__":
    main()
