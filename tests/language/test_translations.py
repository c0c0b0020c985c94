#!/usr/bin/python3
"""The translators' round trip: the carried table goes to .po files and back
byte for byte, po/ and the table agree, every .po passes msgfmt --check, and
a translation that breaks a placeholder, mnemonic, line break or room is
refused with its text number and nothing written."""
import pathlib
import re
import shutil
import subprocess
import sys
import tempfile

ROOT = pathlib.Path(__file__).resolve().parents[2]
TABLE = ROOT / "resources" / "custom" / "1000.lng"
PO = ROOT / "po"
failures = []


def run(script, *args):
    return subprocess.run([sys.executable, str(ROOT / "tools" / script), *map(str, args)],
                          capture_output=True, text=True)


def expect(condition, what):
    if not condition:
        failures.append(what)
        print("FAIL:", what)


def content(path):
    return path.read_bytes() if path.exists() else None


def translations(path):
    """(text number, translation) of each entry of a .po file."""
    entries = re.findall(r'^msgctxt "(\d+)"\nmsgid (?:".*"\n)+msgstr ((?:".*"\n?)+)', path.read_text(encoding="utf-8"), re.M)
    return [(number, "".join(re.findall(r'"(.*)"', text))) for number, text in entries]


def msgfmt_clean(path):
    result = subprocess.run(["msgfmt", "--check", "--check-accelerators=&", "-o", "/dev/null", str(path)],
                            capture_output=True, text=True)
    expect(result.returncode == 0 and result.stderr == "", "msgfmt --check %s: %s" % (path, result.stderr))


with tempfile.TemporaryDirectory() as temp:
    temp = pathlib.Path(temp)

    # Export, then import: the same table, byte for byte.
    out = run("po_export.py", "--table", TABLE, "--out", temp / "exported")
    expect(out.returncode == 0, "export: " + out.stderr)
    out = run("po_import.py", "--po", temp / "exported", "--table", temp / "exported.lng")
    expect(out.returncode == 0, "import of the export: " + out.stderr)
    expect(content(temp / "exported.lng") == TABLE.read_bytes(), "round trip changed the table")

    # po/ is the source: it gives the carried table and its own template.
    shutil.copytree(PO, temp / "po")
    out = run("po_import.py", "--po", temp / "po", "--table", temp / "po.lng")
    expect(out.returncode == 0, "import of po/: " + out.stderr)
    expect(content(temp / "po.lng") == TABLE.read_bytes(),
           "resources/custom/1000.lng is not what po/ gives: run tools/make_language_table.py")
    expect(content(temp / "po" / "tessaron.pot") == (PO / "tessaron.pot").read_bytes(),
           "po/tessaron.pot is out of date: run tools/make_language_table.py")

    for path in sorted(PO.glob("*.po")) + sorted((temp / "exported").glob("*.po")):
        msgfmt_clean(path)
    expect(len(list(PO.glob("*.po"))) == 5, "po/ does not hold five languages")

    # The game speaks to the player as du, tu, tú and tu everywhere; a formal
    # "Sie" or "vous" in one box reads as another game's.
    formal = {
        "de": re.compile(r"[^.:!?\s]\s+Sie\b|\bIhnen\b|\bIhre?[mnrs]?\b"),
        "fr": re.compile(r"\b(vous|votre|vos)\b", re.IGNORECASE),
        "es": re.compile(r"\bustedes\b|\busted\b", re.IGNORECASE),
        "it": re.compile(r"[^.:!?\s]\s+Lei\b"),
    }
    for code, pattern in formal.items():
        for number, text in translations(PO / (code + ".po")):
            expect(not pattern.search(text), "%s text %s addresses the player formally: %s" % (code, number, text))

    # One fault at a time, each in a file given to the import.
    faults = [
        ("fr", 'msgstr "Vodez a gagné', 'msgstr "Vodes a gagné', "fr text 127", "placeholders"),
        ("de", 'msgstr "noch %1 Teile"', 'msgstr "noch %2 Teile"', "de text 192", "placeholders"),
        ("de", 'msgstr "&Geräuscheffekte"', 'msgstr "Geräuscheffekte"', "de text 146", "mnemonics"),
        ("es", 'msgstr "&Una vez"', 'msgstr "&Una &vez"', "es text 148", "mnemonics"),
        ("it", 'msgstr "Vuoi davvero smettere adesso?"', 'msgstr "Vuoi davvero\\nsmettere adesso?"',
         "it text 124", "line breaks"),
        ("fr", 'msgstr "Afficher la &grille"', 'msgstr "Afficher toujours la &grille du plateau de jeu"',
         "fr text 150", "pixels wide"),
        ("de", 'msgstr "&Geräuscheffekte"', 'msgstr "&Geräusch\x01effekte"', "de text 146", "control character"),
    ]
    for code, old, new, entry, reason in faults:
        text = (PO / (code + ".po")).read_text(encoding="utf-8")
        expect(text.count(old) == 1, "%s.po lacks %r" % (code, old))
        broken = temp / ("broken-" + code + ".po")
        broken.write_text(text.replace(old, new), encoding="utf-8")
        before = (temp / "po" / (code + ".po")).read_bytes()
        out = run("po_import.py", "--po", temp / "po", "--table", temp / "refused.lng", broken)
        expect(out.returncode != 0, "%s accepted" % entry)
        expect(entry + ":" in out.stderr and reason in out.stderr, "%s not refused for %s: %s" % (entry, reason, out.stderr))
        expect(out.stderr.count(" text ") == 1, "%s: other entries blamed too: %s" % (entry, out.stderr))
        expect(not (temp / "refused.lng").exists(), "%s: a table was written" % entry)
        expect((temp / "po" / (code + ".po")).read_bytes() == before, "%s: po file replaced" % entry)

sys.exit(1 if failures else 0)
