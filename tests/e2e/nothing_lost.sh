#!/usr/bin/env bash
# Nothing lost through the real program: Save between games asks before it
# replaces a saved game (Enter answers No, and the file stays byte for byte);
# with both temporary folders unwritable and music on, the texts still come,
# the player hears once that the song could not be written, activating the
# window again brings no further message, and the error log stays empty.
set -euo pipefail
program=$1
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"

e2e_start_xvfb
e2e_copy_program "$program"

# Small windows of the program (message boxes), by process id.
message_boxes() {
  local candidate width
  for candidate in $(xdotool search --all --pid "$1" --onlyvisible --name '.' 2>/dev/null); do
    width=$(xdotool getwindowgeometry "$candidate" 2>/dev/null | sed -n 's/.*Geometry: \([0-9]*\)x.*/\1/p')
    [ "${width:-0}" -gt 0 ] && [ "${width:-0}" -lt 800 ] && echo "$candidate"
  done
  return 0
}
wait_for_message_box() {
  local box=""
  for _ in $(seq 1 100); do
    box=$(message_boxes "$1" | head -n 1)
    [ -n "$box" ] && { echo "$box"; return 0; }
    sleep 0.1
  done
  return 1
}
wait_until_no_message_box() {
  for _ in $(seq 1 100); do
    [ -z "$(message_boxes "$1")" ] && return 0
    sleep 0.1
  done
  return 1
}

# 1. A saved game, then Save before Start in a new run.
e2e_settings '[Optionen]\nnumPlayers=2\nTime=0\nSize=0\nJoker=0\nPlayMusic=0\nPlaySound=0\nSprache=1000\n'
e2e_run_game 3 4
click "$START_X" "$START_Y"
sleep 0.5
click $((STACK_X + CELL_W / 2)) $((STACK_Y + CELL_H / 2))
sleep 0.4
click "$BUTTON_5_X" "$BUTTON_5_Y"
saved="$E2E_PROGRAM_DIR/Quadrello.qdr"
for _ in $(seq 1 50); do [ -f "$saved" ] && break; sleep 0.1; done
[ -f "$saved" ] || e2e_fail "saving during a game wrote no file"
cp "$saved" "$E2E_ROOT/hours-of-play.qdr"
e2e_close_window "$window"
e2e_wait_for_end "$pid"

e2e_run_game 3 4
click "$BUTTON_5_X" "$BUTTON_5_Y"
box=$(wait_for_message_box "$pid") || e2e_fail "Save before Start asked nothing"
xdotool windowactivate --sync "$box" key Return || true
wait_until_no_message_box "$pid" || e2e_fail "the question did not close"
cmp -s "$saved" "$E2E_ROOT/hours-of-play.qdr" || e2e_fail "Enter at the question replaced the saved game"
# The game goes on as usual: Start still starts (the closed question took no click).
click "$START_X" "$START_Y"
sleep 0.5
[ -z "$(message_boxes "$pid")" ] || e2e_fail "a message box came back after it was closed"
e2e_close_window "$window"
e2e_wait_for_end "$pid"

# 2. No temporary folder can be written, music on.
e2e_start_accessibility

printf 'x' > "$E2E_ROOT/not-a-folder"
e2e_settings '[Optionen]\nnumPlayers=2\nSize=0\nPlayMusic=1\nMusicloop=-1\nPlaySound=0\nSprache=1000\n'
TMPDIR="$E2E_ROOT/not-a-folder" XDG_RUNTIME_DIR="$E2E_ROOT/not-a-folder" e2e_run_game 3 4
/usr/bin/python3 "$here/nothing_lost.py" notice "could not be written" > "$E2E_ROOT/notice.txt" \
  || e2e_fail "the player was not told that the song could not be written"
grep -q '~tmp.mid' "$E2E_ROOT/notice.txt" || { cat "$E2E_ROOT/notice.txt" >&2; e2e_fail "the notice does not name the song"; }
box=$(wait_for_message_box "$pid") || e2e_fail "the notice is not on the screen"
xdotool windowactivate --sync "$box" key Return || true
wait_until_no_message_box "$pid" || e2e_fail "the notice did not close"
# Each activation would write the song again: no second message, no error.
for _ in 1 2 3; do
  xdotool windowactivate --sync "$window" 2>/dev/null || true
  sleep 0.7
  [ -z "$(message_boxes "$pid")" ] || e2e_fail "a message came again on activation"
done
/usr/bin/python3 "$here/nothing_lost.py" names "Start a game" "Hint" "Stack" \
  || e2e_fail "without a temporary folder the game window has no texts"
[ ! -s "$E2E_PROGRAM_DIR/tessaron.EPT" ] || { head -c 2000 "$E2E_PROGRAM_DIR/tessaron.EPT" >&2; e2e_fail "errors were logged"; }
e2e_close_window "$window"
e2e_wait_for_end "$pid"
echo "Save between games asked first; without temporary folders the game spoke, told once, and logged nothing"
