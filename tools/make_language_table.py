#!/usr/bin/python3
"""Writes resources/custom/1000.lng, the language table the game carries,
from the translations in po/ (one .po file per language of LANGS).

The file is INI text in code page 1252 with CR LF after every line: first the
section line "[lang]", then one entry per text number and language, ordered by
number and within a number by language base (0, 1000, ...). Most entries end
in a TAB, a few in blanks; the reader trims both. A few keys appear twice: the
first counts. The texts live in po/; the table's own quirks (the blank
endings and the second lines) live here, since no translator should see them.

Run it again after changing a .po file:  /usr/bin/python3 tools/make_language_table.py
(the same as tools/po_import.py without files: it checks every text first).
"""
import pathlib

# The game's languages as (code, base): the same as the table Languages in
# src/language/Languages.h, in its order; po/<code>.po holds its texts. test_language checks that the file
# written here holds exactly that table's bases.
LANGS = [
    ("de", 0),
    ("en", 1000),
    ("es", 2000),
    ("it", 3000),
    ("fr", 6000),
]

# Second lines under a key that is already there: the reader never sees them.
DUPLICATES = {
    (131, 3000): "Immagine precedente",
    (132, 3000): "Immagine successiva",
    (143, 1000): "&Frame color",
}

# Entries that end in blanks instead of the usual TAB.
BLANK_ENDINGS = {(153, 1000): "     ", (166, 0): "  ", (119, 2000): "   "}


def entry(number, lang, text):
    ending = BLANK_ENDINGS.get((number, lang), "\t")
    return "%04d=%s%s" % (lang + number, text, ending)




TABLE = pathlib.Path(__file__).resolve().parent.parent / "resources" / "custom" / "1000.lng"


def table_bytes(texts):
    """The table for texts {number: {base: text}}, every number in every language."""
    lines = ["[lang]"]
    for number in sorted(texts):
        # By base, whatever the order of the flags.
        for _, lang in sorted(LANGS, key=lambda pair: pair[1]):
            lines.append(entry(number, lang, texts[number][lang]))
            if (number, lang) in DUPLICATES:
                lines.append(entry(number, lang, DUPLICATES[(number, lang)]))
    return "".join(line + "\r\n" for line in lines).encode("cp1252")


def read_table(data):
    """The texts {number: {base: text}} of a table, first lines only. Raises
    ValueError for a table that table_bytes would not give back as it is."""
    try:
        lines = data.decode("cp1252").split("\r\n")
    except UnicodeDecodeError as error:
        raise ValueError("not code page 1252: %s" % error)
    if not lines or lines[0] != "[lang]" or lines[-1] != "":
        raise ValueError("not \"[lang]\" then lines ending in CR LF")
    texts = {}
    for line in lines[1:-1]:
        key, equals, text = line.partition("=")
        if not equals or len(key) != 4 or not key.isdigit():
            raise ValueError("not an entry: %r" % line)
        number, lang = int(key) % 1000, int(key) // 1000 * 1000
        texts.setdefault(number, {}).setdefault(lang, text.rstrip(" \t"))
    if table_bytes_or_none(texts) != data:
        raise ValueError("its endings, second lines, order or languages differ from the rules in "
                         "tools/make_language_table.py (LANGS, DUPLICATES, BLANK_ENDINGS)")
    return texts


def table_bytes_or_none(texts):
    try:
        return table_bytes(texts)
    except (KeyError, UnicodeEncodeError):
        return None


def main():
    import po_import
    raise SystemExit(po_import.main([]))


if __name__ == "__main__":
    main()
