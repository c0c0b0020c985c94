#!/usr/bin/env bash
# A one-player game played to its end with the mouse: every drawn piece is
# recognised by comparing it with the picture and laid on its cell. The new
# champion types a name into the name box, the champions list shows it, and
# the list opened again from the button bar shows it still.
set -euo pipefail
program=$1
picture=$2 # the carried picture 201, to recognise the pieces by
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"

e2e_start_xvfb
e2e_copy_program "$program"
e2e_settings '[Optionen]\nnumPlayers=1\nTime=0\nSize=0\nJoker=1\nPlayMusic=0\nPlaySound=0\nSprache=1000\n'

e2e_run_game 3 4

dialog() { xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1; }

e2e_cut_picture "$picture" 3 4

click "$START_X" "$START_Y"
sleep 0.5
shot started
crop started "$STACK_X" "$STACK_Y" back

laid=0
for turn in $(seq 1 40); do
  [ -n "$(dialog '^Congratulations!$')" ] && break
  click $((STACK_X + CELL_W / 2)) $((STACK_Y + CELL_H / 2))
  sleep 0.4
  shot turn
  crop turn "$STACK_X" "$STACK_Y" piece
  if below "$(distance "$E2E_ROOT/back.png" "$E2E_ROOT/piece.png")" 0.05; then
    sleep 1 # a joker lays itself
    continue
  fi
  best=$(e2e_which_piece "$E2E_ROOT/piece.png")
  eval "x=\$CELL_${best}_X; y=\$CELL_${best}_Y"
  click "$x" "$y"
  laid=$((laid + 1))
  sleep 0.3 # a joker drawn meanwhile lays itself; clicks during its blinking are dropped
done

name_box=$(dialog '^Congratulations!$')
[ -n "$name_box" ] || e2e_fail "no name was asked for at the end of the game ($laid pieces laid by hand)"
xdotool windowactivate --sync "$name_box" 2>/dev/null || true
xdotool type --delay 20 "  Anna Champion  "
xdotool key Return
sleep 0.5
list=$(dialog '^Tessaron Champions$')
[ -n "$list" ] || e2e_fail "the champions list did not show after the name"
import -window "$list" "$E2E_ROOT/list.png"
[ -n "${E2E_KEEP_SHOTS:-}" ] && cp "$E2E_ROOT/list.png" "$E2E_KEEP_SHOTS/champions_after_game.png"
xdotool key Return
sleep 0.5
[ -f "$E2E_PROGRAM_DIR/Tessaron.hsc" ] || e2e_fail "the champions file was not written beside the program"
grep -q '^\[m0\]' "$E2E_PROGRAM_DIR/Tessaron.hsc" || e2e_fail "the champions file has no list for 3 x 4"
grep -aq '^1=36' "$E2E_PROGRAM_DIR/Tessaron.hsc" || e2e_fail "the first rank does not hold the points and the name without its blanks"

# The button bar opens the list again, only to look at it.
before=$(md5sum < "$E2E_PROGRAM_DIR/Tessaron.hsc")
click "$BUTTON_8_X" "$BUTTON_8_Y"
sleep 0.5
list=$(dialog '^Tessaron Champions$')
[ -n "$list" ] || e2e_fail "the champions button did not open the list"
import -window "$list" "$E2E_ROOT/list_again.png"
[ -n "${E2E_KEEP_SHOTS:-}" ] && cp "$E2E_ROOT/list_again.png" "$E2E_KEEP_SHOTS/champions_from_button.png"
xdotool key Return
sleep 0.3
[ "$(md5sum < "$E2E_PROGRAM_DIR/Tessaron.hsc")" = "$before" ] || e2e_fail "looking at the list changed the file"

e2e_close_window "$window"
e2e_wait_for_end "$pid"
echo "a one-player game was played to its end and its champion entered the list"
