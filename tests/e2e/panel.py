#!/usr/bin/python3
"""A desktop panel for the end-to-end tests: a dock window along the bottom of
the screen that reserves its height with _NET_WM_STRUT_PARTIAL, so the window
manager's work area (_NET_WORKAREA) ends above it. Runs until killed."""
import sys

from Xlib import X, Xatom, display

height = int(sys.argv[1]) if len(sys.argv) > 1 else 48
d = display.Display()
screen = d.screen()
width, total = screen.width_in_pixels, screen.height_in_pixels
window = screen.root.create_window(0, total - height, width, height, 0, screen.root_depth,
                                   background_pixel=screen.black_pixel)
atom = d.intern_atom
window.change_property(atom("_NET_WM_WINDOW_TYPE"), Xatom.ATOM, 32, [atom("_NET_WM_WINDOW_TYPE_DOCK")])
# left, right, top, bottom, then the start and end of each edge's span
window.change_property(atom("_NET_WM_STRUT_PARTIAL"), Xatom.CARDINAL, 32,
                       [0, 0, 0, height, 0, 0, 0, 0, 0, 0, 0, width - 1])
window.change_property(atom("_NET_WM_STRUT"), Xatom.CARDINAL, 32, [0, 0, 0, height])
window.set_wm_name("panel")
window.map()
d.flush()
print("ready", flush=True)
while True:
    d.next_event()
