#!/usr/bin/env bash
# One whole game on the smallest board played with the keyboard only: Space
# on the start button, Space on the stack, the arrow keys to the cell where
# the piece belongs (recognised by comparing it with the picture), Space to
# lay it; at the end the champion's name is typed and Return closes the list.
set -euo pipefail
program=$1
picture=$2 # the carried picture 201, to recognise the pieces by
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"

e2e_start_xvfb
e2e_copy_program "$program"
e2e_settings '[Optionen]\nnumPlayers=1\nTime=0\nSize=0\nJoker=0\nPlayMusic=0\nPlaySound=0\nSprache=1000\n'
e2e_run_game 3 4
e2e_cut_picture "$picture" 3 4
xdotool windowactivate --sync "$window" 2>/dev/null || true
key() { xdotool key --window "$window" "$@"; sleep 0.12; }

key space # the start button has the focus at first
sleep 0.5
placed=()
last=0
for turn in $(seq 1 12); do
  key space # draw: the focus goes to the board
  sleep 0.3
  shot turn
  crop turn "$STACK_X" "$STACK_Y" piece
  target=$(e2e_which_piece "$E2E_ROOT/piece.png")
  # Where the focus stands: the last cell visited while it is empty, else the first empty one.
  focus=$last
  if [[ " ${placed[*]} " == *" $focus "* ]]; then
    for n in $(seq 0 11); do [[ " ${placed[*]} " == *" $n "* ]] || { focus=$n; break; }; done
  fi
  dy=$(( target / 4 - focus / 4 )); dx=$(( target % 4 - focus % 4 ))
  while [ $dy -gt 0 ]; do key Down; dy=$((dy - 1)); done
  while [ $dy -lt 0 ]; do key Up; dy=$((dy + 1)); done
  while [ $dx -gt 0 ]; do key Right; dx=$((dx - 1)); done
  while [ $dx -lt 0 ]; do key Left; dx=$((dx + 1)); done
  key space # lay it: the focus goes back to the stack
  placed+=("$target")
  last=$target
  sleep 0.3
done

name_box=$(xdotool search --onlyvisible --name '^Congratulations!$' | head -n 1)
[ -n "$name_box" ] || e2e_fail "the game did not end with the name box (${#placed[@]} pieces laid)"
xdotool type --delay 20 "Keys"
xdotool key Return
sleep 0.5
[ -n "$(xdotool search --onlyvisible --name '^Tessaron Champions$' | head -n 1)" ] || e2e_fail "no champions list"
xdotool key Return
sleep 0.3
grep -q '^1=18' "$E2E_PROGRAM_DIR/Tessaron.hsc" || e2e_fail "the result with the name Keys is not the champion"

e2e_close_window "$window"
e2e_wait_for_end "$pid"
echo "a whole game was played with the keyboard only"
