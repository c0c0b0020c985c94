#!/usr/bin/env bash
# The end of a game through the real program: a saved game of two players
# with one piece left is loaded and its last piece laid. While the winner's
# box shows, and after it, the gold turn marker sits on the winner, though
# the turn passed after the last piece; on a draw it sits on nobody.
set -euo pipefail
program=$1
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"

e2e_start_xvfb
e2e_copy_program "$program"
e2e_settings '[Optionen]\nnumPlayers=2\nSpieler1=Anna\nSpieler2=Ben\nTime=0\nSize=0\nJoker=0\nPlayMusic=0\nPlaySound=0\nSprache=0\nRahmen=1\n'

# saved_game ANNA BEN: 3 x 4, every piece laid but the last cell's (11).
saved_game() {
  /usr/bin/python3 - "$E2E_PROGRAM_DIR/Quadrello.qdr" "$1" "$2" <<'PY'
import struct, sys
text = lambda s: struct.pack("<h", len(s)) + s
record = struct.pack("<hhh", 101, 0, 0) + struct.pack("<hh", 0, 0) + struct.pack("<13i", 0, 15, 15, 14, *[0] * 9) \
    + struct.pack("<h", 2) + struct.pack("<4i", int(sys.argv[2]), int(sys.argv[3]), 0, 0) \
    + text(b"Anna") + text(b"Ben") + text(b"") * 2 + struct.pack("<21h", *[0] * 21)
open(sys.argv[1], "wb").write(record)
PY
}

# marker SHOT: the middle "X Y" of the gold marker (a label drawn black on
# gold: long runs of gold) above the board, where the players are, or "none".
marker() {
  /usr/bin/python3 - "$E2E_ROOT/$1.png" "$BOARD_Y" <<'PY'
import sys
from PIL import Image
image = Image.open(sys.argv[1]).convert("RGB")
width, height = image.size
pixels = image.load()
xs, ys = [], []
for y in range(min(height, int(sys.argv[2]))):
    run = 0
    for x in range(width):
        r, g, b = pixels[x, y]
        run = run + 1 if abs(r - 255) < 8 and abs(g - 204) < 8 and b < 8 else 0
        if run == 30:
            xs.append(x)
            ys.append(y)
print(f"{sum(xs) // len(xs)} {sum(ys) // len(ys)}" if xs else "none")
PY
}

# same A B: two markers' places within a few pixels of each other.
same() {
  [ "$1" != none ] && [ "$2" != none ] || return 1
  local ax ay bx by
  read -r ax ay <<< "$1"
  read -r bx by <<< "$2"
  [ $(( (ax - bx) * (ax - bx) + (ay - by) * (ay - by) )) -lt 100 ]
}

# box_named TITLE: the id of the program's small window of that title (any
# title: '.*') once it shows.
box_named() {
  local candidate width
  for _ in $(seq 1 100); do
    for candidate in $(xdotool search --all --pid "$pid" --onlyvisible --name "^$1\$" 2>/dev/null); do
      width=$(xdotool getwindowgeometry "$candidate" 2>/dev/null | sed -n 's/.*Geometry: \([0-9]*\)x.*/\1/p')
      [ "${width:-0}" -gt 0 ] && [ "${width:-0}" -lt 800 ] && { echo "$candidate"; return 0; }
    done
    sleep 0.1
  done
  return 1
}

# play ANNA BEN: loads the saved game and lays its last piece; $before is
# the marker before, $during while the first box shows, $after once it closed.
play() {
  saved_game "$1" "$2"
  e2e_run_game 3 4
  click "$BUTTON_6_X" "$BUTTON_6_Y"
  sleep 1
  shot loaded
  before=$(marker loaded)
  click $((STACK_X + CELL_W / 2)) $((STACK_Y + CELL_H / 2))
  sleep 0.5
  click "$CELL_11_X" "$CELL_11_Y"
  local box
  box=$(box_named "$3") || { e2e_describe_program "$pid"; e2e_fail "no box \"$3\" at the end of the game"; }
  xdotool windowmove "$box" 0 0 # off the player labels
  sleep 0.5
  shot during
  during=$(marker during)
  xdotool windowactivate --sync "$box" key Return || true
  box=$(box_named "Spielende!") || e2e_fail "no question for another round"
  xdotool windowmove "$box" 0 0
  sleep 0.5
  shot after
  after=$(marker after)
  [ -n "${E2E_KEEP_SHOTS:-}" ] && cp "$E2E_ROOT"/{loaded,during,after}.png "$E2E_KEEP_SHOTS/" || true
  xdotool windowactivate --sync "$box" key Escape || true # No: the program ends
  e2e_wait_for_end "$pid"
}

# Anna is on turn after loading and lays the last piece (100 points): she wins.
play 900 0 ".*"
echo "a win: the marker before $before, with the box $during, after it $after"
[ "$before" != none ] || e2e_fail "no turn marker after loading"
same "$during" "$before" || e2e_fail "while the winner's box shows, the marker is at $during, not on Anna at $before"
same "$after" "$before" || e2e_fail "after the winner's box, the marker is at $after, not on Anna at $before"

# 400 + 100 against 500: a draw, and nobody has the marker.
play 400 500 ".*"
echo "a draw: the marker before $before, with the box $during, after it $after"
[ "$during" = none ] && [ "$after" = none ] || e2e_fail "on a draw the marker sits at $during, then $after"
echo "the end of a game marks its winner, and nobody on a draw"
