"""The language table's texts as gettext files: writing and reading them, and
the checks a translation must pass before it goes into the table.

One entry per text number: msgctxt is the number, msgid the English text,
msgstr the text in the file's language. The extracted comments (#.) say where
the text shows and how much room it has; they are written from
tools/text_places.py and never read back.
"""
import pathlib
import re

import make_language_table as table
import text_places

ROOT = pathlib.Path(__file__).resolve().parent.parent
PO_FOLDER = ROOT / "po"
TEMPLATE = "tessaron.pot"

NAMES = {"de": "German", "en": "English", "es": "Spanish", "it": "Italian", "fr": "French"}
CODES = [code for code, _ in table.LANGS]
BASES = dict(table.LANGS)

# Fixed, so that the files only change when a text does.
HEADER = """Project-Id-Version: Tessaron
Report-Msgid-Bugs-To: 
PO-Revision-Date: 2025-01-01 00:00+0000
Last-Translator: Tessaron <tessaron@localhost>
Language-Team: {team}
Language: {code}
MIME-Version: 1.0
Content-Type: text/plain; charset=UTF-8
Content-Transfer-Encoding: 8bit
"""

FONT_NAMES = {text_places.SANS: "DejaVu Sans", text_places.SANS_BOLD: "DejaVu Sans Bold",
              text_places.MONO_BOLD: "DejaVu Sans Mono Bold"}

PLACEHOLDER = re.compile(r"Vodez|%[1-9]")
MAX_LENGTH = 254  # the reader's buffer keeps no more


# --- writing ---------------------------------------------------------------

def quoted(text):
    escaped = text.replace("\\", "\\\\").replace('"', '\\"').replace("\t", "\\t")
    parts = escaped.split("\n")
    if len(parts) == 1:
        return '"%s"' % parts[0]
    pieces = [p + "\\n" for p in parts[:-1]] + ([parts[-1]] if parts[-1] else [])
    return '""\n' + "\n".join('"%s"' % p for p in pieces)


def comments(number, english):
    lines = []
    for name in text_places.TEXT_PLACES[number]:
        place = text_places.PLACES[name]
        if place.room is None:
            lines.append("Shows as: %s. Room: no limit." % place.where)
        else:
            room = place.room
            lines.append("Shows as: %s. Room: %d pixels in %s at %d px%s." % (
                place.where, room.width, FONT_NAMES[room.font], room.pixels,
                ", the & not counted" if "&" in english else ""))
    for mark in sorted(set(PLACEHOLDER.findall(english))):
        meaning = text_places.TEXT_PLACEHOLDERS.get(number, {}).get(mark, text_places.PLACEHOLDERS[mark])
        lines.append("Keep %s: the game puts %s in its place." % (mark, meaning))
    if "&" in english:
        lines.append("The letter after & is the keyboard shortcut; keep exactly one &.")
    return ["#. " + line for line in lines]


def po_text(code, texts):
    """A .po file (code "" for the template) for texts {number: {base: text}}."""
    head = HEADER.format(team=NAMES.get(code, "none"), code=code)
    out = ['msgid ""', 'msgstr ' + quoted(head)]
    for number in sorted(texts):
        english = texts[number][BASES["en"]]
        out.append("")
        out += comments(number, english)
        if re.search(r"%[1-9]", english):
            out.append("#, qt-format")
        out.append('msgctxt "%d"' % number)
        out.append("msgid " + quoted(english))
        out.append("msgstr " + quoted(texts[number][BASES[code]] if code else ""))
    return "\n".join(out) + "\n"


# --- reading ---------------------------------------------------------------

class PoError(ValueError):
    pass


def unquote(literal, where):
    if len(literal) < 2 or literal[0] != '"' or literal[-1] != '"':
        raise PoError("%s: not a quoted string" % where)
    body, out, i = literal[1:-1], [], 0
    escapes = {"n": "\n", "t": "\t", '"': '"', "\\": "\\", "r": "\r"}
    while i < len(body):
        c = body[i]
        if c == "\\":
            if i + 1 >= len(body) or body[i + 1] not in escapes:
                raise PoError("%s: unknown escape" % where)
            out.append(escapes[body[i + 1]])
            i += 2
        elif c == '"':
            raise PoError("%s: stray quote" % where)
        else:
            out.append(c)
            i += 1
    return "".join(out)


def read_po(path):
    """(language code, {number: (msgid, msgstr, flags)}) of a .po file."""
    text = pathlib.Path(path).read_text(encoding="utf-8")
    entries, current, field = [], None, None

    def finish():
        if current is not None:
            entries.append(current)

    for lineno, raw in enumerate(text.splitlines(), 1):
        line = raw.strip()
        where = "%s:%d" % (path, lineno)
        if not line or (line.startswith("#") and not line.startswith("#,")):
            if not line and current is not None and "msgstr" in current:
                finish()
                current, field = None, None
            continue
        if current is None or ("msgstr" in current and not line.startswith('"')):
            finish()
            current, field = {"flags": set(), "line": lineno}, None
        if line.startswith("#,"):
            current["flags"] |= {f.strip() for f in line[2:].split(",")}
            continue
        keyword, _, rest = line.partition(" ")
        if line.startswith('"'):
            if field is None:
                raise PoError("%s: text without a keyword" % where)
            current[field] += unquote(line, where)
        elif keyword in ("msgctxt", "msgid", "msgstr"):
            if keyword in current:
                raise PoError("%s: second %s" % (where, keyword))
            field = keyword
            current[field] = unquote(rest.strip(), where)
        else:
            raise PoError("%s: %s is not used by the language table" % (where, keyword))
    finish()

    code, result = None, {}
    for e in entries:
        if "msgid" not in e or "msgstr" not in e:
            raise PoError("%s:%d: entry without msgid or msgstr" % (path, e["line"]))
        if e["msgid"] == "" and "msgctxt" not in e:
            found = re.search(r"^Language: *(\S*)", e["msgstr"], re.M)
            code = found.group(1) if found else None
            continue
        context = e.get("msgctxt", "")
        if not context.isdigit():
            raise PoError("%s:%d: msgctxt %r is not a text number" % (path, e["line"], context))
        number = int(context)
        if number in result:
            raise PoError("%s:%d: text %d twice" % (path, e["line"], number))
        result[number] = (e["msgid"], e["msgstr"], e["flags"])
    if code not in BASES:
        raise PoError("%s: its Language header names none of %s" % (path, ", ".join(CODES)))
    return code, result


# --- checking --------------------------------------------------------------

_fonts = {}


def width(room, text):
    from PIL import ImageFont  # python3-pil
    key = (room.font, room.pixels)
    if key not in _fonts:
        _fonts[key] = ImageFont.truetype(text_places.FONT_FOLDER + room.font, room.pixels)
    drawn = text.replace("&&", "\0").replace("&", "").replace("\0", "&") + room.tail
    return _fonts[key].getlength(drawn)


def mnemonics(text):
    return len(re.findall(r"&(?!&)", text.replace("&&", "")))


def problems(number, english, translation, flags):
    """Why a translation of text number cannot go into the table ([] if it can)."""
    found = []
    if number not in text_places.TEXT_PLACES:
        return ["no place is known for it (add it to tools/text_places.py)"]
    if "fuzzy" in flags:
        found.append("it is marked fuzzy")
    if translation == "":
        return found + ["it is not translated"]
    if sorted(PLACEHOLDER.findall(translation)) != sorted(PLACEHOLDER.findall(english)):
        found.append("its placeholders %s differ from the English %s" % (
            sorted(PLACEHOLDER.findall(translation)), sorted(PLACEHOLDER.findall(english))))
    if mnemonics(translation) != mnemonics(english):
        found.append("it has %d mnemonics (&), the English %d" % (mnemonics(translation), mnemonics(english)))
    if translation.count("\n") != english.count("\n"):
        found.append("it has %d line breaks, the English %d" % (translation.count("\n"), english.count("\n")))
    # A line of the table cannot hold these; no English text has a line break either.
    if "\r" in translation or "\t" in translation:
        found.append("the table cannot hold a TAB or carriage return")
    elif any(ord(c) < 32 and c != "\n" for c in translation) or "\x7f" in translation:
        found.append("the table cannot hold a control character")
    if translation != translation.strip(" \t"):
        found.append("it starts or ends in a blank, which the game drops")
    if len(translation) > MAX_LENGTH:
        found.append("it is %d characters long; the game reads %d" % (len(translation), MAX_LENGTH))
    try:
        translation.encode("cp1252")
    except UnicodeEncodeError as error:
        found.append("%r cannot be written in code page 1252" % error.object[error.start:error.end])
    for name in text_places.TEXT_PLACES[number]:
        room = text_places.PLACES[name].room
        if room is not None and width(room, translation) > room.width:
            found.append("it is %d pixels wide as %s; the room is %d" % (
                round(width(room, translation)), text_places.PLACES[name].where, room.width))
    return found


def check(translations):
    """Texts {number: {base: text}} from {code: {number: (msgid, msgstr, flags)}},
    or raises PoError naming every entry that cannot go into the table."""
    english = {n: entry[0] for n, entry in translations["en"].items()}
    errors, texts = [], {n: {} for n in english}
    for code in CODES:
        entries = translations[code]
        for number in sorted(set(english) | set(entries)):
            where = "%s text %d" % (code, number)
            if number not in english:
                errors.append("%s: not in the English file" % where)
                continue
            if number not in entries:
                errors.append("%s: missing" % where)
                continue
            msgid, msgstr, flags = entries[number]
            if msgid != english[number]:
                errors.append("%s: its msgid %r is not the English text %r (merge the file with po/%s)"
                              % (where, msgid, english[number], TEMPLATE))
                continue
            if code == "en" and msgstr != msgid:
                errors.append("%s: the English text must equal its msgid" % where)
            errors += ["%s: %s" % (where, reason) for reason in problems(number, english[number], msgstr, flags)]
            texts[number][BASES[code]] = msgstr
    if errors:
        raise PoError("\n".join(errors))
    return texts
