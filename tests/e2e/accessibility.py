#!/usr/bin/python3
"""Reads the game window as a screen reader does, over the accessibility bus.
  accessibility.py german|english|press-english|network-dialog
Checks the roles and names of the game window's controls in that language;
press-english presses the English flag through its accessible action;
network-dialog presses "Network game..." in the open options dialog and
checks the network game dialog's controls (English)."""
import sys
import time

import pyatspi

from atspi_press import press_control

LANGUAGES = {
    "german": {"buttons": ["Spiel starten", "Spiel beenden", "Tipp", "Hilfe"], "stack": "Stapel",
               "cell": "Zeile 1, Spalte 1", "empty": "leer", "time": "Zeit", "preview": "Vorschaubild",
               "left": "noch 20 Teile"},
    "english": {"buttons": ["Start a game", "End the game", "Hint", "Help"], "stack": "Stack",
                "cell": "Row 1, column 1", "empty": "empty", "time": "Time", "preview": "Preview picture",
                "left": "20 pieces left"},
}
FLAGS = ["Deutsch", "English", "Espa\u00f1ol", "Italiano", "Fran\u00e7ais"]


def game():
    for _ in range(100):
        desktop = pyatspi.Registry.getDesktop(0)
        for app in desktop:
            if app and app.name and app.name.lower().startswith("tessaron"):
                for window in app:
                    if window and window.name == "Tessaron" and window.childCount > 30:
                        return window
        time.sleep(0.1)
    sys.exit("FAIL: the game window is not on the accessibility bus")


def dialog(title):
    for _ in range(100):
        for app in pyatspi.Registry.getDesktop(0):
            if app and app.name and app.name.lower().startswith("tessaron"):
                for window in app:
                    if window and window.name == title and window.getState().contains(pyatspi.STATE_SHOWING):
                        return window
        time.sleep(0.1)
    sys.exit(f"FAIL: no dialog {title!r} on the accessibility bus")


def find(window, name, role, what):
    items = controls(window)
    for item in items:
        if item.name == name and item.getRoleName() == role:
            return item
    seen = sorted({(i.getRoleName(), i.name) for i in items if i.name})[:60]
    sys.exit(f"FAIL: {what} has no {role} named {name!r}; seen {seen}")


def network_dialog():
    button = find(dialog("Options"), "Network game...", "push button", "the options dialog")
    press_control(button, "the network game button")
    network = dialog("Network game")
    for name, role in [("Start hosting", "push button"), ("Players", "list"), ("Games on this network", "list"),
                       ("Address", "text"), ("Name", "text"), ("Join code", "text"), ("Join", "push button"),
                       ("OK", "push button")]:
        find(network, name, role, "the network game dialog")
    print("network game dialog: opened from the options, names and roles as expected")


def controls(window):
    found = []
    stack = [window]
    while stack:
        node = stack.pop()
        for child in node:
            if child is None:
                continue
            found.append(child)
            stack.append(child)
    return found


def check(language):
    expect = LANGUAGES[language]
    items = controls(game())
    by_name = {}
    for item in items:
        by_name.setdefault(item.name, []).append(item)

    def one(name, role):
        matches = [i for i in by_name.get(name, []) if i.getRoleName() == role]
        if not matches:
            seen = sorted({(i.getRoleName(), i.name) for i in items if i.name})[:60]
            sys.exit(f"FAIL ({language}): no {role} named {name!r}; seen {seen}")
        return matches[0]

    for name in expect["buttons"]:
        one(name, "push button")
    for name in FLAGS:
        one(name, "push button")
    stack = one(expect["stack"], "push button")
    if stack.description != expect["left"]:
        sys.exit(f"FAIL ({language}): the stack says {stack.description!r}, not {expect['left']!r}")
    cell = one(expect["cell"], "push button")
    if cell.description != expect["empty"]:
        sys.exit(f"FAIL ({language}): cell 1 says {cell.description!r}")
    one(expect["time"], "progress bar")
    one(expect["preview"], "image")
    print(f"{language}: {len(items)} controls, names and roles as expected")


def press_english():
    for item in controls(game()):
        if item.name == "English" and item.getRoleName() == "push button":
            press_control(item, "the English flag")
            return
    sys.exit("FAIL: no English flag")


if sys.argv[1] == "press-english":
    press_english()
elif sys.argv[1] == "network-dialog":
    network_dialog()
else:
    check(sys.argv[1])
