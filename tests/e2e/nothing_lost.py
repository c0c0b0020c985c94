#!/usr/bin/python3
"""Reads what the game shows over the accessibility bus.
  nothing_lost.py notice TEXT     waits for a message box of the game that says TEXT
  nothing_lost.py names NAME...   the game window has controls with these names
"""
import sys
import time

import pyatspi


def windows():
    desktop = pyatspi.Registry.getDesktop(0)
    for app in desktop:
        if app and app.name and app.name.lower().startswith("tessaron"):
            for window in app:
                if window:
                    yield window


def names_in(node):
    found, stack = [], [node]
    while stack:
        item = stack.pop()
        for child in item:
            if child is not None:
                found.append(child.name or "")
                stack.append(child)
    return found


def notice(text):
    for _ in range(150):
        for window in windows():
            if window.childCount < 50 and any(text in name for name in names_in(window)):
                print("\n".join(n for n in names_in(window) if n))
                return
        time.sleep(0.1)
    sys.exit(f"FAIL: no message box says {text!r}")


def names(wanted):
    missing = wanted
    for _ in range(100):
        for window in windows():
            if window.name == "Tessaron" and window.childCount > 30:
                have = set(names_in(window))
                missing = [n for n in wanted if n not in have]
                if not missing:
                    return
        time.sleep(0.1)
    sys.exit(f"FAIL: the game window lacks {missing!r}")


if sys.argv[1] == "notice":
    notice(sys.argv[2])
else:
    names(sys.argv[2:])
