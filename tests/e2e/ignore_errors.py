#!/usr/bin/python3
"""Answers every error report of the game with Ignore, as a player who never
stops would, over the accessibility bus:
  ignore_errors.py LOG
Until it is ended, it presses "Ignore" in each error dialog (ErrorDialog) and "OK"
in each message box, and writes one line to LOG for each press, so the test
sees how many there were and when the last one was."""
import sys
import time

import pyatspi

from atspi_press import press_control


def buttons(node, depth=0):
    """The push buttons under a window (the error dialog nests them in frames)."""
    found = []
    if depth > 6:
        return found
    for child in node:
        if child is None:
            continue
        if child.getRoleName() == "push button":
            found.append(child)
        elif child.childCount:
            found.extend(buttons(child, depth + 1))
    return found


def showing(item):
    return item.getState().contains(pyatspi.STATE_SHOWING)


def answer_once(log):
    desktop = pyatspi.Registry.getDesktop(0)
    for app in desktop:
        if not (app and app.name and app.name.lower().startswith("tessaron")):
            continue
        for window in app:
            # The game window (its tools, panels and the board: thirty controls and more) is never a report.
            if window is None or window.childCount > 30 or not showing(window):
                continue
            shown = [b for b in buttons(window) if showing(b)]
            ignore = [b for b in shown if b.name.endswith("Ignore")]
            ok = [b for b in shown if b.name == "OK"]
            if ignore:
                press_control(ignore[0], "Ignore")
                print(f"{time.monotonic():.1f} ignore", file=log, flush=True)
                return True
            if ok and len(shown) == 1:
                press_control(ok[0], "OK")
                print(f"{time.monotonic():.1f} ok", file=log, flush=True)
                return True
    return False


def main():
    with open(sys.argv[1], "a", encoding="utf-8") as log:
        while True:
            try:
                # The press is a click after a short delay: give the dialog time to go.
                time.sleep(0.5 if answer_once(log) else 0.2)
            except Exception as error:  # a window that closed while being read
                print(f"{time.monotonic():.1f} skipped: {error}", file=log, flush=True)
                time.sleep(0.2)


main()
