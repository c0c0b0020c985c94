#!/usr/bin/python3
"""The program's dialogs as a screen reader reads them, over the accessibility bus:
  qt_texts.py names TITLE        prints "ROLE: NAME" of the push buttons and text
                                 fields of the dialog or message box TITLE, one a line
  qt_texts.py press TITLE NAME   presses its push button NAME through its action
A TITLE of "*" stands for any dialog of the program.
Waits up to 10 s for the dialog; fails with the titles it saw instead."""
import sys
import time

import pyatspi

from atspi_press import press_control

ROLES = {"push button", "text"}
VIEWS = {"list", "table", "tree", "tree table"}  # rows come and go while a folder is read


def dialog(title):
    seen = set()
    for _ in range(100):
        try:
            for app in pyatspi.Registry.getDesktop(0):
                if app and app.name and app.name.lower().startswith("tessaron"):
                    for window in app:
                        if window and window.getRoleName() in ("dialog", "alert") \
                                and window.getState().contains(pyatspi.STATE_SHOWING):
                            if title in ("*", window.name):
                                return window
                            seen.add(window.name)
        except Exception:
            pass  # a window that closes while it is read
        time.sleep(0.1)
    sys.exit(f"FAIL: no dialog {title!r}; seen {sorted(seen)}")


def controls(window):
    found, stack = [], [window]
    while stack:
        node = stack.pop()
        for child in node:
            if child is None:
                continue
            role = child.getRoleName()
            if role in ROLES:
                found.append((role, child.name, child))
            if role not in VIEWS:
                stack.append(child)
    return found


if sys.argv[1] == "names":
    for role, name, _ in controls(dialog(sys.argv[2])):
        print(f"{role}: {name}")
elif sys.argv[1] == "press":
    for role, name, item in controls(dialog(sys.argv[2])):
        if role == "push button" and name == sys.argv[3]:
            press_control(item, repr(name))
            break
    else:
        sys.exit(f"FAIL: no button {sys.argv[3]!r} in {sys.argv[2]!r}")
else:
    sys.exit(__doc__)
