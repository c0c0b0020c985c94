"""Pressing a control the way a screen reader does: its "Press" action."""
import sys


def press_control(item, what):
    actions = item.queryAction()
    for i in range(actions.nActions):
        if actions.getName(i) == "Press":
            actions.doAction(i)
            return
    sys.exit(f"FAIL: {what} has no press action: {[actions.getName(i) for i in range(actions.nActions)]}")
