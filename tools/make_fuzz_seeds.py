#!/usr/bin/python3
"""Writes the seed corpus of the fuzz targets: small real files of each kind
the game reads, made the way the game makes them.

  fuzz/corpus/<target>/...

Run again:  tools/make_fuzz_seeds.py  (installs what it needs with apt)
"""
import pathlib
import shutil
import struct
import sys
import zlib

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))
from toolkit import ensure_packages  # noqa: E402

ensure_packages(["python3-pil"])

from PIL import Image  # noqa: E402

ROOT = pathlib.Path(__file__).resolve().parent.parent
CORPUS = ROOT / "fuzz" / "corpus"
KEY = b"Tessaron"


def conv(entry: bytes) -> bytes:
    scrambled = bytes(c ^ KEY[i % len(KEY)] for i, c in enumerate(entry))
    digits = "".join("%02X" % c for c in scrambled)
    return ("%02d" % len(digits) + digits).encode()


def champions():
    lines = [b"[m1]"] + [b"%d=%s" % (r, conv(e) if e else b"00")
                         for r, e in enumerate([b"00120Vodez", b"00045Anna", b"00030Bob"] + [b""] * 7, 1)]
    lines += [b"[m9]", b"1=" + conv(b"01234Zo\xeb")] + [b"%d=00" % r for r in range(2, 11)]
    return b"\r\n".join(lines) + b"\r\n"


def text(value: bytes) -> bytes:
    return struct.pack("<h", len(value)) + value


def saved_game(size=0, rows=3, cols=4, players=2, picture_file=b""):
    record = struct.pack("<hh", 101, 0) + text(picture_file) + struct.pack("<hh", 1, size)
    row_bits = [0] * 13
    row_bits[1] = 0b1010
    row_bits[rows] = (1 << cols) - 1
    record += struct.pack("<13i", *row_bits)
    record += struct.pack("<h", players) + struct.pack("<4i", 150, 75, 0, 0)
    names = [b"Anna", b"Ben", b"", b""]
    record += b"".join(text(n if i < players else b"") for i, n in enumerate(names))
    marks = [0] * 21
    marks[1] = 1
    record += struct.pack("<21h", *marks)
    return record


def saved_game_with_jokers():
    # After the record, every piece's mark: "JOKR", the count, a byte each.
    jokers = [0] * 12
    jokers[1] = jokers[9] = 1
    return saved_game() + b"JOKR" + struct.pack("<h", len(jokers)) + bytes(jokers)


def settings():
    return (b"[Optionen]\r\nSize=1\r\nnumPlayers=2\r\nSpieler1=Anna\r\nMusicLoop=-1\r\nSprache= 1000\r\n"
            b"[Pictures]\r\nAlbum=1\r\nFile=puzzle01.jpg\r\nBack=9\r\n")


def hostile_settings():
    """Values outside their keys' domains, as a hand or another program leaves them."""
    return (b"[Optionen]\nSprache=32767\nSize=-32768\nnumPlayers=5\nMusicloop=1\nGrid=2\nRahmen=1e9\nTime=x\n"
            b"Flip=\nSpieler2= Ben \n[Pictures]\nAlbum=99999\nPicture=100\nBack=10\nFile= beach.jpg")


def picture_name_settings():
    """A file that ends in a picture's name the settings cannot hold: too long, with blanks at its ends."""
    return b"[Pictures]\nAlbum=1\nFile=x.jpg\n " + b"a" * 250 + b".jpg "


def cbor(value) -> bytes:
    """The few CBOR shapes network messages use: maps, lists, texts, bytes, whole numbers, true and false."""
    def head(major, n):
        if n < 24:
            return bytes([major << 5 | n])
        for extra, size in ((24, 1), (25, 2), (26, 4), (27, 8)):
            if n < 1 << (8 * size):
                return bytes([major << 5 | extra]) + n.to_bytes(size, "big")
        raise ValueError(n)
    if isinstance(value, bool):
        return b"\xf5" if value else b"\xf4"
    if isinstance(value, int):
        return head(0, value) if value >= 0 else head(1, -1 - value)
    if isinstance(value, str):
        data = value.encode()
        return head(3, len(data)) + data
    if isinstance(value, bytes):
        return head(2, len(value)) + value
    if isinstance(value, list):
        return head(4, len(value)) + b"".join(cbor(v) for v in value)
    return head(5, len(value)) + b"".join(cbor(k) + cbor(v) for k, v in value.items())


def net_messages():
    """One message of each kind, as the game sends them (net/Wire.cpp)."""
    seat = lambda n, name, on: {"seat": n, "name": name, "on": on}  # noqa: E731
    return {
        "hello.cbor": {"t": "hello", "major": 2, "minor": 0, "name": "Anna", "code": "004200"},
        "hello_newer.cbor": {"t": "hello", "major": 3, "minor": 1},
        "welcome.cbor": {"t": "welcome", "seat": 2, "major": 2, "minor": 0},
        "refused.cbor": {"t": "refused", "reason": "name", "major": 2, "minor": 0},
        "lobby.cbor": {"t": "lobby", "seats": [seat(0, "Host", True), seat(1, "Zo\u00eb", False), seat(3, "Bob", True)]},
        "place.cbor": {"t": "action", "act": "place", "cell": 11},
        "draw.cbor": {"t": "action", "act": "draw"},
        "state.cbor": {"t": "state", "state": {"cells": [0, 5, -1, 7], "players": [{"name": "Anna", "score": 3}], "turn": 1}},
        "picture.cbor": {"t": "picture", "pic": 203},
        "picture_bytes.cbor": {"t": "picture", "bytes": b"BM" + bytes(60)},
        "sound.cbor": {"t": "sound", "n": 4},
        "notice.cbor": {"t": "notice", "n": 217, "args": ["Anna", "2"]},
        "bye.cbor": {"t": "bye"},
    }


def websocket_seeds():
    """Both sides' openings and frames (net/WebSocketWire.cpp); the first byte
    is the size of the pieces the fuzz target feeds the reader, less one, and
    its top bit has the frames read as a joining computer reads a host's."""
    request = (b"GET / HTTP/1.1\r\nHost: 10.0.0.2:47474\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
               b"Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\nSec-WebSocket-Version: 13\r\n\r\n")
    mask = bytes([0x12, 0x34, 0x56, 0x78])

    def frame(first, payload, masked=True):
        size = len(payload)
        bit = 0x80 if masked else 0
        head = bytes([first, bit | size]) if size < 126 else bytes([first, bit | 126, size >> 8, size & 0xFF])
        if not masked:
            return head + payload
        return head + mask + bytes(b ^ mask[i % 4] for i, b in enumerate(payload))

    hello = cbor(net_messages()["hello.cbor"])
    welcome = cbor(net_messages()["welcome.cbor"])
    return {
        "request.txt": request,
        "request_browser.txt": request.replace(b"\r\n\r\n", b"\r\nOrigin: http://10.0.0.9\r\n\r\n"),
        "frames.bin": bytes([7]) + frame(0x82, hello) + frame(0x89, b"hi") + frame(0x02, hello[:5])
        + frame(0x8A, b"") + frame(0x80, hello[5:]) + frame(0x88, b"\x03\xe8bye"),
        "long_frame.bin": bytes([100]) + frame(0x82, bytes(300)),
        "answer.txt": b"HTTP/1.1 101 Switching Protocols\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
        b"Sec-WebSocket-Accept: s3pPLMBiTxaQ9kYGzzhZRbK+xOo=\r\n\r\n",
        "host_frames.bin": bytes([0x80 | 6]) + frame(0x82, welcome, False) + frame(0x89, b"", False)
        + frame(0x02, welcome[:3], False) + frame(0x80, welcome[3:], False) + frame(0x82, welcome),
    }


def png_chunk(kind: bytes, data: bytes) -> bytes:
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))


def small_png(side_chunks: bytes = b"") -> bytes:
    """16 x 12 pixels in RGB, `side_chunks` after its header."""
    rows = b"".join(b"\0" + b"".join(bytes((x * 16, y * 20, 40)) for x in range(16)) for y in range(12))
    header = struct.pack(">IIBBBBB", 16, 12, 8, 2, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + png_chunk(b"IHDR", header) + side_chunks
            + png_chunk(b"IDAT", zlib.compress(rows)) + png_chunk(b"IEND", b""))


def side_data_pictures(jpeg: bytes, gif: bytes):
    """Small pictures that carry texts, profiles, comments and more frames
    beside their pixels: what the game leaves out before decoding."""
    packed = zlib.compress(b"A" * 4000)
    texts = (png_chunk(b"tEXt", b"Title\0x") + png_chunk(b"zTXt", b"Comment\0\0" + packed)
             + png_chunk(b"iTXt", b"Comment\0\1\0\0\0" + packed) + png_chunk(b"iCCP", b"icc\0\0" + packed)
             + png_chunk(b"eXIf", b"MM\0*" + bytes(12)) + png_chunk(b"zzZz", bytes(16)))
    segment = lambda marker, body: b"\xff" + bytes([marker]) + struct.pack(">H", len(body) + 2) + body  # noqa: E731
    exif = segment(0xE1, b"Exif\0\0MM\0*\0\0\0\x08\0\x01\x01\x12\0\x03\0\0\0\x01\0\x06\0\0\0\0\0\0")
    side = (segment(0xFE, b"comment " * 20) + segment(0xE2, b"ICC_PROFILE\0\x01\x01" + bytes(64))
            + segment(0xE1, b"http://ns.adobe.com/xap/1.0/\0<x/>") + exif + exif)
    table = 3 << ((gif[10] & 7) + 1) if gif[10] & 0x80 else 0
    screen, image = gif[:13 + table], gif[13 + table:-1]
    extensions = b"\x21\xfe\x08comments\0" + b"\x21\xff\x0bNETSCAPE2.0\x03\x01\0\0\0"
    icon_png = small_png(png_chunk(b"zTXt", b"Comment\0\0" + packed))
    icon = struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", 16, 12, 0, 0, 1, 32, len(icon_png), 22) + icon_png
    return {
        "side_data.png": small_png(texts),
        "side_data.jpeg": jpeg[:2] + side + jpeg[2:-2] + segment(0xFE, b"between") + jpeg[-2:] + b"after the end",
        "side_data.gif": b"GIF89a" + screen[6:] + extensions + image + extensions + image + b";",
        "png_in_icon.ico": icon,
    }


def write(target, name, data):
    folder = CORPUS / target
    folder.mkdir(parents=True, exist_ok=True)
    (folder / name).write_bytes(data)


def main():
    if CORPUS.exists():
        shutil.rmtree(CORPUS)
    table = (ROOT / "resources" / "custom" / "1000.lng").read_bytes()
    write("profile", "settings.ini", settings())
    write("profile", "champions.hsc", champions())
    write("profile", "language.lng", table[:1500])
    write("settings", "settings.ini", settings())
    write("settings", "hostile.ini", hostile_settings())
    write("settings", "picture_name.ini", picture_name_settings())
    write("language", "table.lng", table)
    write("champions", "champions.hsc", champions())
    write("saved_game", "two_players.qdr", saved_game())
    write("saved_game", "two_players_all_jokers.qdr", saved_game_with_jokers())
    write("saved_game", "one_player_16_columns.qdr", saved_game(size=9, rows=12, cols=16, players=1, picture_file=b"C:\\pics\\x.jpg"))
    write("midi", "song_1004.mid", (ROOT / "resources" / "midi" / "1004.mid").read_bytes())
    for kind in ("bmp", "gif", "jpeg"):
        image = Image.new("RGB", (16, 12), (200, 120, 40))
        for x in range(16):
            image.putpixel((x, x % 12), (20, 60, 200))
        path = CORPUS / "picture" / f"small.{kind}"
        path.parent.mkdir(parents=True, exist_ok=True)
        image.save(path, format=kind.upper())
    write("picture", "small.png", small_png())
    pictures = CORPUS / "picture"
    for name, data in side_data_pictures((pictures / "small.jpeg").read_bytes(), (pictures / "small.gif").read_bytes()).items():
        write("picture", name, data)
    for name, message in net_messages().items():
        write("net_message", name, cbor(message))
    for name, data in websocket_seeds().items():
        write("websocket", name, data)
    print("wrote the seed corpus to", CORPUS)


if __name__ == "__main__":
    main()
