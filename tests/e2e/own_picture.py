#!/usr/bin/python3
"""The picture choice dialog as a screen reader sees it, over the accessibility bus:
  own_picture.py press NAME   presses the dialog's push button NAME through its action
  own_picture.py preview      prints "X Y WIDTH HEIGHT NAME" of the dialog's preview
  own_picture.py chooser      prints the names of the combo boxes of the file
                              chooser "Add picture" (its folder, its filter), one a line
  own_picture.py typed        prints what the chooser's file name box holds
Waits up to 10 s for the dialog and the control; fails with what it saw instead."""
import sys
import time

import pyatspi

from atspi_press import press_control


def dialogs(title=None):
    """The program's dialogs that show (not the game window), or those titled TITLE."""
    found = []
    for app in pyatspi.Registry.getDesktop(0):
        if app and app.name and app.name.lower().startswith("tessaron"):
            for window in app:
                if window and window.getRoleName() == "dialog" and (title is None or window.name == title) \
                        and window.getState().contains(pyatspi.STATE_SHOWING):
                    found.append(window)
    return found


# Views whose rows come and go while a folder is read: their rows are no controls.
VIEWS = {"list", "table", "tree", "tree table"}


def controls(window):
    """(role, name, object) of the controls in WINDOW; one that goes away while
    they are read (the tree changes as the dialog fills) is left out."""
    found, stack = [], [window]
    while stack:
        node = stack.pop()
        try:
            children = [child for child in node if child is not None]
        except Exception:
            continue
        for child in children:
            try:
                role = child.getRoleName()
                found.append((role, child.name, child))
            except Exception:
                continue
            if role not in VIEWS:
                stack.append(child)
    return found


def wait_for(role, name=None):
    seen = set()
    for _ in range(100):
        try:
            for dialog in dialogs():
                for item_role, item_name, item in controls(dialog):
                    if item_role == role and (name is None or item_name == name):
                        return item
                    if item_name:
                        seen.add((item_role, item_name))
        except Exception:
            pass  # a dialog that closes while it is read
        time.sleep(0.1)
    what = f"{role} {name!r}" if name else role
    sys.exit(f"FAIL: no {what} in a dialog of the program; seen {sorted(seen)[:40]}")


def press(name):
    press_control(wait_for("push button", name), repr(name))


def preview():
    image = wait_for("image")
    box = image.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    print(box.x, box.y, box.width, box.height, image.name)


def chooser():
    for _ in range(100):
        try:
            for dialog in dialogs("Add picture"):
                boxes = [name for role, name, _ in controls(dialog) if role == "combo box"]
                if boxes:
                    print("\n".join(boxes))
                    return
        except Exception:
            pass
        time.sleep(0.1)
    sys.exit("FAIL: no file chooser \"Add picture\" with combo boxes on the accessibility bus")


def typed():
    for _ in range(50):
        try:
            for dialog in dialogs("Add picture"):
                for role, name, item in controls(dialog):
                    if role == "text" and name == "File name:":
                        print(item.queryText().getText(0, -1))
                        return
        except Exception:
            pass
        time.sleep(0.1)
    sys.exit("FAIL: no file name box in the file chooser")


if sys.argv[1] == "press":
    press(sys.argv[2])
elif sys.argv[1] == "preview":
    preview()
elif sys.argv[1] == "chooser":
    chooser()
elif sys.argv[1] == "typed":
    typed()
else:
    sys.exit(__doc__)
