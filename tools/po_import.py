#!/usr/bin/python3
"""Takes translations back from gettext files into the language table.

    /usr/bin/python3 tools/po_import.py [--po FOLDER] [--table FILE] [FILE.po ...]

Reads po/<code>.po for every language of tools/make_language_table.py; each
FILE.po given replaces the language its "Language:" header names. Every text
is checked against the English one (placeholders, mnemonics, line breaks,
code page 1252, length, and the room where it shows, see tools/text_places.py).
If any entry fails, it names each by language and text number, says why and
writes nothing. Otherwise it copies the given files into the folder, writes
the template po/tessaron.pot from the English texts and writes the table
resources/custom/1000.lng (or --table) exactly as the game reads it.
"""
import argparse
import os
import pathlib
import shutil
import sys
import tempfile

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))
import language_po  # noqa: E402
import make_language_table as table  # noqa: E402


def replace_file(path, data):
    """Writes data to path through a temporary file, so a reader never sees half."""
    path = pathlib.Path(path)
    path.parent.mkdir(parents=True, exist_ok=True)
    handle, temporary = tempfile.mkstemp(dir=path.parent, prefix="." + path.name)
    try:
        with os.fdopen(handle, "wb") as out:
            out.write(data)
        os.replace(temporary, path)
    except BaseException:
        os.unlink(temporary)
        raise


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--po", type=pathlib.Path, default=language_po.PO_FOLDER)
    parser.add_argument("--table", type=pathlib.Path, default=table.TABLE)
    parser.add_argument("files", nargs="*", type=pathlib.Path)
    args = parser.parse_args(argv)
    try:
        sources = {code: args.po / (code + ".po") for code in language_po.CODES}
        given = {}
        for path in args.files:
            code, _ = language_po.read_po(path)
            given[code] = path
        sources.update(given)
        translations = {code: language_po.read_po(path)[1] for code, path in sources.items()}
        texts = language_po.check(translations)
        data = table.table_bytes(texts)
    except (OSError, UnicodeDecodeError, language_po.PoError) as error:
        print("nothing written:\n%s" % error, file=sys.stderr)
        return 1
    for code, path in given.items():
        target = args.po / (code + ".po")
        if path.resolve() != target.resolve():
            shutil.copyfile(path, target)
    replace_file(args.po / language_po.TEMPLATE, language_po.po_text("", texts).encode("utf-8"))
    replace_file(args.table, data)
    print("wrote %s: %d texts in %d languages" % (args.table, len(texts), len(language_po.CODES)))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
