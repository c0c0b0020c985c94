#!/usr/bin/python3
"""Makes the five built-in pictures and the picture folder.

  resources/bitmap/201.bmp .. 205.bmp   640 x 480, 256 colours (dithered), plain 8-bit BMP
  pics/puzzle01.jpg .. puzzle05.*       640 x 480 (4:3), JPEG, GIF and BMP

Built-in: a raccoon in the grass and Van Gogh's "The Starry Night" (a photo
and a painting from Debian packages, see CREDITS.md), and three pictures of
our own drawn here: a harbour town of painted houses, a stained-glass window
and a flower meadow.
The picture folder holds autumn leaves, a Julia set, a pebble beach and a
bookshelf of our own, and Chelsea the cat (a CC0 photo).

Every picture has detail everywhere, so that each piece of a 12 x 16 board
can be told apart; each run prints how many of the 192 pieces are plain and
how many have a near-identical twin elsewhere (a handful at most).

Run again:  tools/make_pictures.py  (installs what it needs with apt)
"""
import bz2
import math
import pathlib
import random
import sys

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))
from toolkit import ensure_packages  # noqa: E402

NEEDED = ["python3-pil", "python3-numpy", "python3-scipy", "python3-skimage", "opencv-doc"]

ensure_packages(NEEDED)

import numpy as np  # noqa: E402
from PIL import Image, ImageDraw, ImageFilter  # noqa: E402

ROOT = pathlib.Path(__file__).resolve().parent.parent
W, H = 640, 480
SKIMAGE = pathlib.Path("/usr/lib/python3/dist-packages/skimage/data")


def crop_4_3(image, focus=(0.5, 0.5)):
    image = image.convert("RGB")
    w, h = image.size
    if w * 3 > h * 4:
        nw = h * 4 // 3
        left = int(max(0, min(w - nw, focus[0] * w - nw / 2)))
        image = image.crop((left, 0, left + nw, h))
    else:
        nh = w * 3 // 4
        top = int(max(0, min(h - nh, focus[1] * h - nh / 2)))
        image = image.crop((0, top, w, top + nh))
    return image.resize((W, H), Image.LANCZOS)


# ---------------------------------------------------------------- photos

def raccoon():
    raw = bz2.decompress(open("/usr/lib/python3/dist-packages/scipy/misc/face.dat", "rb").read())
    return crop_4_3(Image.fromarray(np.frombuffer(raw, dtype=np.uint8).reshape(768, 1024, 3)))


def starry_night():
    # The scan has a dark border and a light frame line: leave them out.
    return crop_4_3(Image.open("/usr/share/doc/opencv-doc/examples/data/starry_night.jpg").crop((20, 20, 732, 580)))


def chelsea():
    # Close on the cat: the plain wall beside it would give pieces that look
    # alike. The photo is small: a gentle sharpen after the enlargement keeps the fur crisp.
    return crop_4_3(Image.open(SKIMAGE / "chelsea.png").crop((60, 30, 360, 255))).filter(ImageFilter.UnsharpMask(2, 60, 2))




# ---------------------------------------------------------------- our own

def hsv_to_rgb(h, s, v):
    """Vectorised HSV (0..1) to RGB (0..255)."""
    i = np.floor(h * 6).astype(int) % 6
    f = h * 6 - np.floor(h * 6)
    p, q, t = v * (1 - s), v * (1 - f * s), v * (1 - (1 - f) * s)
    r = np.choose(i, [v, q, p, p, t, v])
    g = np.choose(i, [t, v, v, q, p, p])
    b = np.choose(i, [p, p, t, v, v, q])
    return (np.stack([r, g, b], axis=-1) * 255).clip(0, 255).astype(np.uint8)


def supersampled(render, factor=3):
    big = render(W * factor, H * factor)
    return Image.fromarray(big).resize((W, H), Image.LANCZOS)


def julia():
    """A Julia set in fire colours, shaded by stripe averaging so that even the
    space between the spirals carries fine detail."""
    def render(w, h):
        x = np.linspace(-0.9, 0.9, w)
        y = np.linspace(-0.675, 0.675, h)
        z = x[None, :] + 1j * y[:, None]
        c = complex(-0.7269, 0.1889)
        total = np.zeros(z.shape)
        count = np.zeros(z.shape)
        previous = np.zeros(z.shape)
        smooth = np.full(z.shape, np.nan)
        alive = np.ones(z.shape, bool)
        for n in range(500):
            z[alive] = z[alive] ** 2 + c
            stripe = 0.5 + 0.5 * np.sin(5 * np.angle(z[alive]))
            previous[alive] = total[alive] / np.maximum(count[alive], 1)
            total[alive] += stripe
            count[alive] += 1
            escaped = alive & (np.abs(z) > 1e3)
            smooth[escaped] = n + 1 - np.log2(np.log(np.abs(z[escaped])))
            alive &= ~escaped
        inside = np.isnan(smooth)
        t = np.nan_to_num(smooth)
        average = total / np.maximum(count, 1)
        v = previous + (average - previous) * (t - np.floor(t))
        phase = np.log1p(t) * 3.0
        rgb = hsv_to_rgb((0.02 + 0.16 * np.sin(phase) + 0.22 * v) % 1.0, 0.5 + 0.45 * v, 0.25 + 0.75 * (0.35 + 0.65 * v))
        rgb[inside] = (15, 15, 35)
        return rgb
    return supersampled(render, 2)


def noise_field(w, h, rng, octaves=5):
    field = np.zeros((h, w))
    for o in range(octaves):
        cells = 4 * 2 ** o
        small = rng.random((cells * 3 // 4 + 2, cells + 2))
        layer = np.asarray(Image.fromarray((small * 255).astype(np.uint8)).resize((w, h), Image.BICUBIC)) / 255.0
        field += layer / 2 ** o
    return field / field.max()


def flower_meadow():
    """A meadow full of flowers, smaller towards the horizon."""
    rng = random.Random(201)
    nrng = np.random.default_rng(201)
    s = 3
    w, h = W * s, H * s
    grass = noise_field(w, h, nrng)
    base = np.stack([40 + 50 * grass, 95 + 90 * grass, 30 + 30 * grass], axis=-1).astype(np.uint8)
    image = Image.fromarray(base)
    draw = ImageDraw.Draw(image)
    # blades of grass
    for _ in range(9000):
        x, y = rng.uniform(0, w), rng.uniform(0, h)
        length = (6 + 30 * y / h) * s * rng.uniform(0.5, 1.2)
        lean = rng.uniform(-0.5, 0.5)
        green = (rng.randint(30, 90), rng.randint(110, 190), rng.randint(30, 70))
        draw.line([(x, y), (x + lean * length, y - length)], fill=green, width=max(1, int(s * (0.5 + y / h))))
    palette = [(230, 40, 50), (250, 210, 40), (250, 250, 245), (240, 120, 180), (150, 70, 200),
               (250, 140, 30), (70, 110, 230), (200, 30, 120), (255, 170, 200), (120, 200, 255)]
    flowers = []
    for _ in range(1100):
        y = rng.uniform(-10, h)
        flowers.append((y, rng.uniform(-10, w)))
    for y, x in sorted(flowers):
        size = (4 + 18 * max(0.0, y) / h) * s * rng.uniform(0.7, 1.3)
        colour = rng.choice(palette)
        shade = tuple(max(0, int(c * 0.75)) for c in colour)
        petals = rng.randint(5, 8)
        turn = rng.uniform(0, math.pi)
        for p in range(petals):
            a = turn + 2 * math.pi * p / petals
            px, py = x + math.cos(a) * size * 0.55, y + math.sin(a) * size * 0.4
            r = size * 0.42
            draw.ellipse([px - r, py - r * 0.75, px + r, py + r * 0.75], fill=colour, outline=shade)
        centre = rng.choice([(250, 200, 30), (120, 70, 20), (240, 150, 20)])
        draw.ellipse([x - size * 0.2, y - size * 0.16, x + size * 0.2, y + size * 0.16], fill=centre)
    return image.resize((W, H), Image.LANCZOS)


def stained_glass():
    """A window of coloured glass panes held by lead, lit from the middle."""
    rng = np.random.default_rng(202)
    s = 2
    w, h = W * s, H * s
    seeds = rng.random((420, 2)) * [w, h]
    yy, xx = np.mgrid[0:h, 0:w]
    best = np.full((h, w), np.inf)
    second = np.full((h, w), np.inf)
    owner = np.zeros((h, w), int)
    for i, (sx, sy) in enumerate(seeds):
        d = np.hypot(xx - sx, yy - sy)
        closer = d < best
        second = np.where(closer, best, np.minimum(second, d))
        owner = np.where(closer, i, owner)
        best = np.where(closer, d, best)
    # Hue follows the angle around the centre and the distance from it, so no two panes match.
    angle = np.arctan2(seeds[:, 1] - h / 2, seeds[:, 0] - w / 2)
    radius = np.hypot(seeds[:, 0] - w / 2, seeds[:, 1] - h / 2) / math.hypot(w / 2, h / 2)
    hue = (angle / (2 * math.pi) + radius * 0.6 + rng.normal(0, 0.05, len(seeds))) % 1.0
    sat = 0.6 + 0.4 * rng.random(len(seeds))
    val = 0.65 + 0.35 * rng.random(len(seeds))
    colours = hsv_to_rgb(hue, sat, val).astype(float)
    image = colours[owner]
    texture = noise_field(w, h, rng, octaves=6)
    glow = 1.15 - 0.55 * np.hypot(xx - w / 2, yy - h / 2) / math.hypot(w / 2, h / 2)
    image *= (0.75 + 0.35 * texture)[..., None] * glow[..., None]
    lead = (second - best) < 3.2 * s
    image[lead] = (35, 30, 28)
    return Image.fromarray(image.clip(0, 255).astype(np.uint8)).resize((W, H), Image.LANCZOS)


def autumn_leaves():
    """Fallen leaves of every autumn colour, overlapping."""
    rng = random.Random(203)
    s = 3
    w, h = W * s, H * s
    image = Image.new("RGB", (w, h), (70, 50, 30))
    draw = ImageDraw.Draw(image)
    colours = [(200, 60, 20), (230, 150, 30), (180, 30, 30), (240, 200, 60), (150, 90, 30),
               (120, 140, 40), (210, 100, 40), (160, 40, 60), (235, 180, 110)]
    for _ in range(420):
        x, y = rng.uniform(-40, w + 40), rng.uniform(-40, h + 40)
        size = rng.uniform(25, 70) * s
        turn = rng.uniform(0, 2 * math.pi)
        base = rng.choice(colours)
        colour = tuple(int(max(0, min(255, c * rng.uniform(0.8, 1.15)))) for c in base)
        lobes = rng.choice([1, 3, 5])
        outline = []
        for k in range(60):
            t = 2 * math.pi * k / 60
            r = size * (0.55 + 0.45 * abs(math.cos(lobes * t / 2)) if lobes > 1 else 1.0) * (0.5 + 0.5 * abs(math.sin(t)))
            if lobes == 1:
                r = size * 0.5 * (1 + math.cos(t)) ** 0.5 * (0.7 + 0.3 * math.sin(t * 9) ** 2)
            outline.append((x + r * math.cos(t + turn), y + 0.62 * r * math.sin(t + turn) * (1 if lobes == 1 else 1.4)))
        dark = tuple(int(c * 0.6) for c in colour)
        draw.polygon(outline, fill=colour, outline=dark)
        # midrib and veins
        tip = (x + size * math.cos(turn), y + size * 0.62 * math.sin(turn))
        tail = (x - size * 0.4 * math.cos(turn), y - size * 0.4 * 0.62 * math.sin(turn))
        draw.line([tail, tip], fill=dark, width=max(1, s))
        for v in range(1, 5):
            fx = x + (v / 5 - 0.2) * size * math.cos(turn)
            fy = y + (v / 5 - 0.2) * size * 0.62 * math.sin(turn)
            for side in (-1, 1):
                a = turn + side * 0.9
                draw.line([(fx, fy), (fx + size * 0.3 * math.cos(a), fy + size * 0.3 * math.sin(a))],
                          fill=dark, width=max(1, s // 2))
    return image.resize((W, H), Image.LANCZOS)


def pebble_beach():
    """Wet pebbles of many stones, each with its own colour, grain and shine."""
    rng = random.Random(204)
    nrng = np.random.default_rng(204)
    s = 2
    w, h = W * s, H * s
    sand = noise_field(w, h, nrng, octaves=6)
    image = Image.fromarray(np.stack([150 + 60 * sand, 130 + 55 * sand, 100 + 45 * sand], -1).astype(np.uint8))
    draw = ImageDraw.Draw(image)
    stones = [(120, 120, 125), (170, 150, 130), (90, 80, 75), (200, 190, 175), (140, 100, 80),
              (80, 95, 110), (185, 160, 110), (110, 125, 100), (220, 215, 205), (160, 80, 70)]
    for _ in range(700):
        x, y = rng.uniform(0, w), rng.uniform(0, h)
        rx = rng.uniform(10, 34) * s
        ry = rx * rng.uniform(0.55, 0.95)
        colour = rng.choice(stones)
        colour = tuple(int(max(0, min(255, c * rng.uniform(0.8, 1.2)))) for c in colour)
        draw.ellipse([x - rx + 3 * s, y - ry + 4 * s, x + rx + 3 * s, y + ry + 4 * s], fill=(60, 50, 40))
        draw.ellipse([x - rx, y - ry, x + rx, y + ry], fill=colour)
        for _ in range(int(rx * ry / (18 * s * s))):  # grain
            gx, gy = rng.uniform(-0.8, 0.8) * rx + x, rng.uniform(-0.8, 0.8) * ry + y
            g = tuple(int(c * rng.uniform(0.7, 1.25)) for c in colour)
            draw.ellipse([gx - s, gy - s, gx + s, gy + s], fill=g)
        if rng.random() < 0.5:  # a band of quartz
            a = rng.uniform(0, math.pi)
            draw.line([(x - rx * 0.8 * math.cos(a), y - ry * 0.8 * math.sin(a)),
                       (x + rx * 0.8 * math.cos(a), y + ry * 0.8 * math.sin(a))], fill=(235, 230, 220), width=2 * s)
        draw.ellipse([x - rx * 0.45, y - ry * 0.7, x - rx * 0.05, y - ry * 0.35], fill=tuple(min(255, c + 60) for c in colour))
    return image.resize((W, H), Image.LANCZOS)


def bookshelf():
    """Shelves full of books: every spine its own colour, width, bands and title marks."""
    rng = random.Random(205)
    s = 3
    w, h = W * s, H * s
    image = Image.new("RGB", (w, h), (90, 55, 30))
    draw = ImageDraw.Draw(image)
    wood = noise_field(w, h, np.random.default_rng(205), octaves=6)
    rings = 0.5 + 0.5 * np.sin(np.arange(w)[None, :] / (7.0 * s) + 9 * wood)  # the grain of the back wall
    grain = np.stack([60 + 70 * wood + 30 * rings, 35 + 45 * wood + 18 * rings, 18 + 22 * wood + 8 * rings], -1)
    grain = grain.clip(0, 255).astype(np.uint8)
    image.paste(Image.fromarray(grain))
    colours = [(150, 30, 35), (30, 60, 120), (35, 100, 60), (200, 160, 60), (110, 40, 100), (220, 220, 200),
               (30, 30, 35), (200, 90, 30), (60, 140, 160), (170, 120, 80), (240, 200, 180), (90, 110, 40)]
    shelf = 120 * s
    for top in range(0, h, shelf):
        bottom = top + shelf - 14 * s
        x = rng.uniform(0, 6) * s
        while x < w:
            bw = rng.uniform(11, 30) * s
            tall = rng.uniform(0.84, 0.98) * (bottom - top - 6 * s)  # little plain wall above the books
            colour = rng.choice(colours)
            colour = tuple(int(max(0, min(255, c * rng.uniform(0.8, 1.2)))) for c in colour)
            if rng.random() < 0.07:  # a stack of books lying flat, up to the shelf above
                y = bottom
                depth = tall * 0.8
                while y > top + 10 * s:
                    thick = rng.uniform(8, 16) * s
                    tone = tuple(int(max(0, min(255, c * rng.uniform(0.7, 1.3)))) for c in rng.choice(colours))
                    draw.rectangle([x, y - thick, x + depth, y], fill=tone, outline=(20, 15, 10))
                    draw.line([(x + 3 * s, y - thick / 2), (x + depth - 3 * s, y - thick / 2)], fill=(225, 190, 80), width=s)
                    y -= thick
                x += depth + 2 * s
                continue
            y0 = bottom - tall
            draw.rectangle([x, y0, x + bw, bottom], fill=colour, outline=(20, 15, 10))
            light = tuple(min(255, c + 45) for c in colour)
            dark = tuple(int(c * 0.6) for c in colour)
            draw.rectangle([x + 2 * s, y0, x + 4 * s, bottom], fill=light)
            gold = rng.choice([(225, 190, 80), (235, 235, 225), (30, 25, 20)])
            for band in range(rng.randint(1, 3)):
                by = y0 + (0.08 + 0.12 * band) * tall
                draw.rectangle([x, by, x + bw, by + rng.uniform(2, 5) * s], fill=gold)
            ty = y0 + tall * rng.uniform(0.35, 0.5)  # title marks
            for _ in range(rng.randint(3, 7)):
                draw.rectangle([x + bw * 0.3, ty, x + bw * 0.7, ty + 2.5 * s], fill=gold)
                ty += rng.uniform(5, 9) * s
            draw.rectangle([x + bw * 0.2, bottom - 14 * s, x + bw * 0.8, bottom - 8 * s], fill=dark)
            ly = y0 + tall * rng.uniform(0.58, 0.8)  # a label low on the spine, at its own height
            lh = rng.uniform(7, 13) * s
            paper = rng.choice([(240, 230, 200), (30, 25, 20), (225, 190, 80), light])
            draw.rectangle([x + bw * 0.15, ly, x + bw * 0.85, ly + lh], fill=paper, outline=dark)
            draw.line([(x + bw * 0.25, ly + lh * 0.5), (x + bw * 0.75, ly + lh * 0.5)], fill=dark, width=s)
            x += bw + rng.uniform(0, 2) * s
        draw.rectangle([0, bottom, w, bottom + 14 * s], fill=(120, 75, 40), outline=(50, 30, 15))
        draw.line([(0, bottom + 2 * s), (w, bottom + 2 * s)], fill=(170, 115, 70), width=2 * s)
    return image.resize((W, H), Image.LANCZOS)


def painted_houses():
    """A harbour town climbing a hill: rows of houses, each its own colour,
    with windows, shutters, flower boxes, doors and tiled roofs, and boats on
    the water below, so that every piece of a 12 x 16 board has its own look."""
    rng = random.Random(203)
    s = 3
    w, h = W * s, H * s
    image = Image.new("RGB", (w, h), (120, 170, 210))
    draw = ImageDraw.Draw(image)
    plaster = noise_field(w, h, np.random.default_rng(203), octaves=6)
    rows = [(0, 92), (92, 188), (188, 290), (290, 392)]  # top and bottom of each row, in pixels
    for row, (top, bottom) in enumerate(rows):
        top, bottom = top * s, bottom * s
        x = -rng.uniform(0, 30) * s
        while x < w:
            hw = rng.uniform(48, 96) * s
            hue = rng.random()
            base = hsv_to_rgb(np.array(hue), np.array(rng.uniform(0.35, 0.75)), np.array(rng.uniform(0.7, 0.98)))
            roof_h = rng.uniform(16, 26) * s
            y0 = top + roof_h
            x0, x1 = int(x), int(x + hw)
            patch = plaster[int(y0):int(bottom), max(0, x0):min(w, x1)]
            shade = (0.82 + 0.3 * patch)[..., None] * base.astype(float)[None, None, :]
            image.paste(Image.fromarray(shade.clip(0, 255).astype(np.uint8)), (max(0, x0), int(y0)))
            roof = tuple(int(c) for c in rng.choice([(170, 70, 45), (140, 55, 40), (110, 80, 70), (90, 90, 100)]))
            draw.polygon([(x - 4 * s, y0), (x + hw / 2, top + 2 * s), (x + hw + 4 * s, y0)], fill=roof, outline=(60, 30, 20))
            for ty in np.arange(top + 6 * s, y0, 4 * s):  # rows of tiles
                span = (ty - top) / roof_h * (hw / 2 + 4 * s)
                draw.line([(x + hw / 2 - span, ty), (x + hw / 2 + span, ty)], fill=tuple(max(0, c - 35) for c in roof), width=s)
            if rng.random() < 0.5:  # a chimney
                cx = x + hw * rng.uniform(0.2, 0.7)
                draw.rectangle([cx, top + 4 * s, cx + 6 * s, y0 - 8 * s], fill=(120, 60, 50), outline=(60, 30, 20))
            floors = 2 if bottom - y0 < 70 * s else 3
            cols = max(2, int(hw / (24 * s)))
            shutter = tuple(int(c) for c in hsv_to_rgb(np.array((hue + rng.uniform(0.3, 0.7)) % 1),
                                                        np.array(0.6), np.array(0.55)))
            fh = (bottom - y0) / floors
            for f in range(floors):
                for c in range(cols):
                    wx = x + (c + 0.5) * hw / cols - 5 * s
                    wy = y0 + f * fh + fh * 0.25
                    ww, wh = 10 * s, fh * 0.45
                    if f == floors - 1 and c == rng.randrange(cols):  # the door
                        draw.rectangle([wx - 1 * s, wy, wx + ww + s, y0 + (f + 1) * fh],
                                       fill=(rng.randint(60, 140), rng.randint(40, 90), rng.randint(20, 60)), outline=(30, 20, 10))
                        draw.ellipse([wx + ww - 3 * s, wy + wh * 0.8, wx + ww - 1 * s, wy + wh * 0.8 + 2 * s], fill=(230, 200, 80))
                        continue
                    draw.rectangle([wx, wy, wx + ww, wy + wh], fill=(40, 55, 75) if rng.random() < 0.7 else (250, 225, 150),
                                   outline=(235, 235, 225), width=s)
                    draw.line([(wx + ww / 2, wy), (wx + ww / 2, wy + wh)], fill=(235, 235, 225), width=s)
                    if rng.random() < 0.7:
                        draw.rectangle([wx - 4 * s, wy, wx - s, wy + wh], fill=shutter)
                        draw.rectangle([wx + ww + s, wy, wx + ww + 4 * s, wy + wh], fill=shutter)
                    if rng.random() < 0.5:  # flowers in a box
                        draw.rectangle([wx - s, wy + wh, wx + ww + s, wy + wh + 3 * s], fill=(110, 70, 40))
                        for _ in range(5):
                            fx = wx + rng.uniform(0, ww)
                            colour = rng.choice([(220, 40, 60), (250, 200, 40), (240, 120, 200), (255, 255, 255)])
                            draw.ellipse([fx - 1.5 * s, wy + wh - 1.5 * s, fx + 1.5 * s, wy + wh + 1.5 * s], fill=colour)
            draw.line([(x, y0), (x, bottom)], fill=(70, 60, 50), width=s)
            x += hw
    # The harbour: water with ripples and boats of every colour.
    sea_top = rows[-1][1] * s
    water = noise_field(w, h - sea_top, np.random.default_rng(204), octaves=6)
    waves = 0.5 + 0.5 * np.sin(np.arange(h - sea_top)[:, None] / (2.2 * s) + 12 * water)
    sea = np.stack([20 + 40 * water + 30 * waves, 70 + 60 * water + 40 * waves, 110 + 70 * water + 40 * waves], -1)
    image.paste(Image.fromarray(sea.clip(0, 255).astype(np.uint8)), (0, sea_top))
    draw.rectangle([0, sea_top, w, sea_top + 8 * s], fill=(150, 140, 125), outline=(80, 75, 70))
    x = rng.uniform(0, 20) * s
    while x < w:
        bl = rng.uniform(40, 70) * s
        by = sea_top + rng.uniform(30, 70) * s
        hull = tuple(int(c) for c in hsv_to_rgb(np.array(rng.random()), np.array(0.8), np.array(0.85)))
        draw.polygon([(x, by), (x + bl, by), (x + bl - 8 * s, by + 12 * s), (x + 8 * s, by + 12 * s)], fill=hull, outline=(30, 30, 30))
        draw.rectangle([x + bl * 0.3, by - 10 * s, x + bl * 0.6, by], fill=(240, 240, 230), outline=(60, 60, 60))
        draw.line([(x + bl * 0.5, by - 10 * s), (x + bl * 0.5, by - rng.uniform(25, 45) * s)], fill=(90, 60, 40), width=s)
        x += bl + rng.uniform(10, 30) * s
    return image.resize((W, H), Image.LANCZOS)


def twin_pieces(image, threshold=8.0):
    """How many of the 192 pieces of a 12 x 16 board have a near-identical
    twin elsewhere in the picture (mean difference below `threshold` of 255)."""
    a = np.asarray(image.convert("RGB").filter(ImageFilter.GaussianBlur(1)), dtype=np.float32)
    pieces = np.stack([a[r * 40:(r + 1) * 40, c * 40:(c + 1) * 40].reshape(-1) for r in range(12) for c in range(16)])
    twins = 0
    for i in range(len(pieces)):
        d = np.abs(pieces - pieces[i]).mean(axis=1)
        d[i] = np.inf
        twins += d.min() < threshold
    return twins


# ---------------------------------------------------------------- output

BUILT_IN = {201: raccoon, 202: starry_night, 203: painted_houses, 204: stained_glass, 205: flower_meadow}
FOLDER = {"puzzle01.jpg": autumn_leaves, "puzzle02.gif": julia, "puzzle03.bmp": pebble_beach,
          "puzzle04.jpg": bookshelf, "puzzle05.jpg": chelsea}


def plain_pieces(image):
    """How many of the 192 pieces of a 12 x 16 board carry hardly any fine detail."""
    grey = image.convert("L")
    fine = np.asarray(grey).astype(float) - np.asarray(grey.filter(ImageFilter.GaussianBlur(3))).astype(float)
    return sum(1 for r in range(12) for c in range(16) if fine[r * 40:(r + 1) * 40, c * 40:(c + 1) * 40].std() < 4)


def palette_256(image):
    return image.quantize(colors=256, method=Image.Quantize.MEDIANCUT, dither=Image.Dither.FLOYDSTEINBERG)


def save(image, path):
    path.parent.mkdir(parents=True, exist_ok=True)
    suffix = path.suffix.lower()
    if suffix == ".jpg":
        image.save(path, quality=90, optimize=True)
    elif suffix == ".gif":
        palette_256(image).save(path)
    else:
        palette_256(image).save(path)
    print(f"{path.relative_to(ROOT)}: {image.size[0]} x {image.size[1]}, plain pieces {plain_pieces(image)}/192,"
          f" pieces with a twin {twin_pieces(Image.open(path))}/192")


def main():
    only = sys.argv[1:]
    for number, make in BUILT_IN.items():
        if not only or str(number) in only:
            save(make(), ROOT / "resources" / "bitmap" / f"{number}.bmp")
    for name, make in FOLDER.items():
        if not only or name in only:
            save(make(), ROOT / "pics" / name)


if __name__ == "__main__":
    main()
