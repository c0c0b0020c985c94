#!/usr/bin/python3
"""Writes the language table's texts as gettext files for translators:
po/tessaron.pot (the template: every English text, nothing translated) and
po/<code>.po for each language of tools/make_language_table.py.

    /usr/bin/python3 tools/po_export.py [--table FILE] [--out FOLDER]

Reads resources/custom/1000.lng unless --table names another table. A table
whose blank endings or second lines differ from the rules in
make_language_table.py is refused: they are not in the .po files, and
po_import.py writes them back from those rules.
"""
import argparse
import pathlib
import sys

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))
import language_po  # noqa: E402
import make_language_table as table  # noqa: E402
import text_places  # noqa: E402


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--table", type=pathlib.Path, default=table.TABLE)
    parser.add_argument("--out", type=pathlib.Path, default=language_po.PO_FOLDER)
    args = parser.parse_args(argv)
    try:
        texts = table.read_table(args.table.read_bytes())
    except (OSError, ValueError) as error:
        print("%s: %s" % (args.table, error), file=sys.stderr)
        return 1
    unplaced = sorted(set(texts) - set(text_places.TEXT_PLACES))
    if unplaced:
        print("texts %s: no place known; add them to tools/text_places.py" % unplaced, file=sys.stderr)
        return 1
    args.out.mkdir(parents=True, exist_ok=True)
    files = {language_po.TEMPLATE: language_po.po_text("", texts)}
    files.update({code + ".po": language_po.po_text(code, texts) for code in language_po.CODES})
    for name, text in files.items():
        (args.out / name).write_text(text, encoding="utf-8", newline="\n")
    print("wrote %d files to %s" % (len(files), args.out))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
