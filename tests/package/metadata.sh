#!/usr/bin/env bash
# The desktop entry and the metadata as software centres read them: both
# validate (the metadata pedantically, offline: its screenshot addresses
# are checked for their form only), and every screenshot the metadata names
# is a PNG in data/screenshots of the size it states, with a caption in each
# of the game's languages; the first is the default one, and no picture there
# is left unnamed.
set -euo pipefail
source_dir=$1
version=$2
work=$(mktemp -d "${TMPDIR:-/tmp}/tessaron-metadata-XXXXXX")
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

data="$source_dir/data"
desktop-file-validate "$data/example.marlpit.Tessaron.desktop" || fail "the desktop entry does not validate"
# As the build configures it for installing.
sed "s/@PROJECT_VERSION@/$version/g" "$data/example.marlpit.Tessaron.metainfo.xml" >"$work/example.marlpit.Tessaron.metainfo.xml"
appstreamcli validate --no-net --pedantic "$work/example.marlpit.Tessaron.metainfo.xml" >"$work/appstream.log" 2>&1 \
  || { cat "$work/appstream.log"; fail "the metadata does not validate"; }

python3 - "$work/example.marlpit.Tessaron.metainfo.xml" "$data/screenshots" <<'PY' || fail "the screenshots do not match the metadata"
import os
import struct
import sys
import xml.etree.ElementTree as ET

LANG = "{http://www.w3.org/XML/1998/namespace}lang"
metadata, folder = sys.argv[1], sys.argv[2]
root = ET.parse(metadata).getroot()
homepage = root.findtext("url[@type='homepage']").rstrip("/")
shots = root.findall("screenshots/screenshot")
problems = []
if not shots:
    problems.append("the metadata names no screenshot")
elif shots[0].get("type") != "default":
    problems.append("the first screenshot is not the default one")
if sum(shot.get("type") == "default" for shot in shots) > 1:
    problems.append("more than one screenshot is the default one")
named = set()
for shot in shots:
    languages = sorted(c.get(LANG, "") for c in shot.findall("caption") if (c.text or "").strip())
    if languages != ["", "de", "es", "fr", "it"]:
        problems.append(f"a screenshot has captions in {languages}, not in English, de, es, fr and it")
    for image in shot.findall("image"):
        url = (image.text or "").strip()
        if not url.startswith(homepage + "/screenshots/"):
            problems.append(f"{url} is not under {homepage}/screenshots/")
            continue
        name = url.rsplit("/", 1)[1]
        named.add(name)
        path = os.path.join(folder, name)
        if not os.path.isfile(path):
            problems.append(f"{url}: no {name} in data/screenshots")
            continue
        with open(path, "rb") as f:
            head = f.read(24)
        if head[:8] != b"\x89PNG\r\n\x1a\n" or head[12:16] != b"IHDR":
            problems.append(f"data/screenshots/{name} is no PNG")
            continue
        width, height = struct.unpack(">II", head[16:24])
        stated = (int(image.get("width", 0)), int(image.get("height", 0)))
        if stated != (width, height):
            problems.append(f"data/screenshots/{name} is {width}x{height}, the metadata says {stated[0]}x{stated[1]}")
unnamed = sorted(set(f for f in os.listdir(folder) if f.endswith(".png")) - named) if os.path.isdir(folder) else []
if unnamed:
    problems.append(f"data/screenshots holds pictures the metadata does not name: {unnamed}")
for problem in problems:
    print(problem, file=sys.stderr)
sys.exit(1 if problems else 0)
PY
echo "the desktop entry and the metadata validate, with ${version}'s screenshots in data/screenshots"
