"""Where each text of the language table shows, and how much room it has there.

po_export.py writes this into the translators' comments; po_import.py refuses
a translation that does not fit. A room is a width in pixels, measured with
the game's font, DejaVu Sans, at the size the place uses (Qt's default 9 pt
is 12 pixels on a 96 dpi screen; the champions dialog uses 12 pt, 16 pixels),
on the text as drawn: without the "&" of a mnemonic, with any fixed tail the
game appends. None means the place grows with its text: tool tips, menus,
message boxes and their titles wrap or widen, and screen readers draw nothing.

Fixed controls (the champions dialog, the player panel) give their room from
their geometry in the code at the game's default size. The options dialog and
the picture choice dialog fit themselves to their texts; there the room is the
width the control has today in its widest language (rounded up to a multiple of 10 pixels),
so that no translation makes the dialog wider than it already is somewhere.
"""
import collections

FONT_FOLDER = "/usr/share/fonts/truetype/dejavu/"

Room = collections.namedtuple("Room", "font pixels width tail")
Place = collections.namedtuple("Place", "where room")

SANS = "DejaVuSans.ttf"
SANS_BOLD = "DejaVuSans-Bold.ttf"
MONO_BOLD = "DejaVuSansMono-Bold.ttf"

PLACES = {
    "tool-tip": Place("tip of a tool button under the board", None),
    "menu": Place("entry of the help menu", None),
    "title": Place("title bar of a message box or dialog", None),
    "message": Place("text of a message box or question; the box wraps it", None),
    "prompt": Place("prompt of the box that asks for a name", None),
    "arrow": Place("picture choice: tip and screen-reader name of an arrow button", None),
    "spoken": Place("read out by screen readers only, never drawn", None),
    "network-seat": Place("game window, network game: a player's label in place of the name; the "
                          "font gets smaller to fit", None),
    "picture": Place("name of a built-in picture, read out by screen readers only", None),
    "unused": Place("shown by no window today", None),
    "button": Place("standard button of a message box or the name box, in a language Qt has no "
                    "translation for", None),
    "player-label": Place("game window: the score label of the one player's panel (bold, 12 pt)",
                          Room(SANS_BOLD, 16, 130, "")),
    "champions-name": Place("champions dialog: header of the name column (bold, 12 pt)",
                            Room(MONO_BOLD, 16, 220, "")),
    "champions-points": Place("champions dialog: header of the points column (bold, 12 pt)",
                              Room(MONO_BOLD, 16, 90, "")),
    "champions-size": Place("champions dialog: the board size line, followed by \": 12 x 16\" (bold, 12 pt)",
                            Room(MONO_BOLD, 16, 420, ": 12 x 16")),
    "champions-clear": Place("champions dialog: the clear button, 150 pixels wide with its margins",
                             Room(SANS, 12, 130, "")),
    "options-label": Place("options dialog: label beside a list", Room(SANS, 12, 70, "")),
    "options-frame": Place("options dialog: title of the frame-colour frame", Room(SANS, 12, 50, "")),
    "options-colour": Place("options dialog: one of two option buttons side by side", Room(SANS, 12, 60, "")),
    "options-check": Place("options dialog: check box in the right column", Room(SANS, 12, 190, "")),
    "options-repeat": Place("options dialog: option button in the right column, indented by 24 pixels",
                            Room(SANS, 12, 166, "")),
    "add-button": Place("picture choice dialog: the button beside OK", Room(SANS, 12, 130, "")),
    "options-network": Place("options dialog: the button at the bottom left, across from OK",
                             Room(SANS, 12, 110, "")),
    "network-frame": Place("network game dialog: title of the hosting or the joining frame", Room(SANS, 12, 140, "")),
    "network-button": Place("network game dialog: a button in a frame", Room(SANS, 12, 140, "")),
    "network-caption": Place("network game dialog: caption beside a field or a value", Room(SANS, 12, 90, "")),
    "network-list-caption": Place("network game dialog: caption above a list", Room(SANS, 12, 170, "")),
    "network-computer": Place("network game dialog: in the list of players, in brackets after the host "
                              "player's name, where the others show their computer's address", None),
    "network-message": Place("network game dialog: a message under the fields, wrapped to the frame's width",
                             None),
}

# text number: the places it shows in
TEXT_PLACES = {
    111: ["player-label", "champions-points"],
    **{n: ["tool-tip"] for n in range(112, 121)},
    118: ["tool-tip", "title"],
    119: ["tool-tip", "title"],
    121: ["tool-tip", "menu"],
    122: ["menu"],
    123: ["menu"],
    124: ["message"],
    125: ["title"],
    126: ["prompt"],
    127: ["message"],
    128: ["message"],
    129: ["title"],
    130: ["message"],
    131: ["arrow"],
    132: ["arrow"],
    **{n: ["button"] for n in range(133, 137)},
    141: ["options-label", "champions-size"],
    142: ["options-label"],
    143: ["options-frame"],
    144: ["options-colour"],
    145: ["options-colour"],
    146: ["options-check"],
    147: ["options-check"],
    148: ["options-repeat"],
    149: ["options-repeat"],
    **{n: ["options-check"] for n in range(150, 156)},
    166: ["champions-name"],
    171: ["title"],
    172: ["champions-clear"],
    173: ["message"],
    175: ["unused"],
    **{n: ["message"] for n in (176, 177, 178, 179, 180, 181, 182, 183, 194)},
    **{n: ["spoken"] for n in range(184, 194)},
    195: ["add-button", "title"],
    **{n: ["picture"] for n in range(196, 201)},
    201: ["options-network", "title"],
    202: ["network-frame"],
    203: ["network-frame"],
    204: ["network-button"],
    205: ["network-button"],
    206: ["network-caption"],
    207: ["network-caption"],
    208: ["network-caption"],
    209: ["network-list-caption"],
    210: ["network-computer"],
    211: ["network-list-caption"],
    212: ["network-message"],
    213: ["network-caption"],
    214: ["network-button"],
    215: ["network-message"],
    **{n: ["message"] for n in (216, 217, 218, 219, 220, 221, 222, 223, 224, 226, 229, 230, 231, 232, 233, 234, 235)},
    227: ["unused"],  # network play is part of the program: it cannot be missing
    225: ["title"],
    228: ["network-message"],
    229: ["message", "network-message"],
    **{n: ["network-seat"] for n in (236, 237)},
}

# What the game puts in place of a placeholder, by the text's convention.
PLACEHOLDERS = {
    "Vodez": "the winner's name",
    "%1": "a number",
    "%2": "a number",
}
# Where a text's placeholder stands for something else.
TEXT_PLACEHOLDERS = {
    236: {"%1": "the player's name"},
    237: {"%1": "the player's name"},
}
