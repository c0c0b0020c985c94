#!/usr/bin/env bash
# Save and load through the real window: two pieces laid with the mouse, the
# game saved, the program closed and started again, the game loaded: the two
# pieces lie on their cells again and the stack waits for the next draw.
# With a folder name as third argument, the program runs from a folder of
# that name and the picture is the file of its picture folder given as second
# argument, with names in other scripts: the saved path and names come back.
set -euo pipefail
program=$1
picture=$2 # the carried picture 201, to recognise the pieces by (or a file of pics)
folder=${3:-}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"

e2e_start_xvfb
if [ -n "$folder" ]; then
  E2E_PROGRAM_DIR="$E2E_ROOT/$folder/program"
  e2e_copy_program "$program"
  e2e_settings "[Optionen]\nnumPlayers=2\nSpieler1=Łukasz\nSpieler2=陈\nTime=0\nSize=0\nJoker=0\nPlayMusic=0\nPlaySound=0\nSprache=1000\n[Pictures]\nAlbum=1\nFile=$(basename "$picture")\n"
else
  e2e_copy_program "$program"
  e2e_settings '[Optionen]\nnumPlayers=2\nSpieler1=Anna\nSpieler2=Ben\nTime=0\nSize=0\nJoker=0\nPlayMusic=0\nPlaySound=0\nSprache=1000\n'
fi

e2e_run_game 3 4
e2e_cut_picture "$picture" 3 4

click "$START_X" "$START_Y"
sleep 0.5
laid=()
for turn in 1 2; do
  click $((STACK_X + CELL_W / 2)) $((STACK_Y + CELL_H / 2))
  sleep 0.4
  shot drawn
  crop drawn "$STACK_X" "$STACK_Y" piece
  cell=$(e2e_which_piece "$E2E_ROOT/piece.png")
  eval "x=\$CELL_${cell}_X; y=\$CELL_${cell}_Y"
  click "$x" "$y"
  sleep 0.4
  laid+=("$cell")
done

click "$BUTTON_5_X" "$BUTTON_5_Y"
sleep 0.3
saved="$E2E_PROGRAM_DIR/Quadrello.qdr"
[ -f "$saved" ] || e2e_fail "saving wrote no file beside the program"
if [ -n "$folder" ]; then
  # The picture's path and the names in UTF-8, whole.
  for text in "$E2E_PROGRAM_DIR/pics/$(basename "$picture")" "Łukasz" "陈"; do
    grep -qF "$text" "$saved" || e2e_fail "the saved game lacks \"$text\""
  done
else
  # 130 bytes, no picture path, the names "Anna" and "Ben"; then the 12 pieces'
  # joker marks after "JOKR" and their count.
  [ "$(stat -c %s "$saved")" -eq 155 ] || e2e_fail "the saved game has $(stat -c %s "$saved") bytes, not 155"
fi

e2e_close_window "$window"
e2e_wait_for_end "$pid"

e2e_run_game 3 4
click "$BUTTON_6_X" "$BUTTON_6_Y"
sleep 0.5
shot loaded
for cell in "${laid[@]}"; do
  eval "x=\$CELL_${cell}_X; y=\$CELL_${cell}_Y"
  crop loaded $((x - CELL_W / 2)) $((y - CELL_H / 2)) "loaded$cell"
  below "$(distance "$E2E_ROOT/ref$cell.png" "$E2E_ROOT/loaded$cell.png")" 0.12 \
    || e2e_fail "after loading, cell $cell does not show its piece"
done
crop loaded "$STACK_X" "$STACK_Y" stack
read -r r g b <<< "$(convert "$E2E_ROOT/loaded.png" -format "%[fx:int(255*p{$((STACK_X + CELL_W / 2)),$((STACK_Y + CELL_H / 2))}.r)] %[fx:int(255*p{$((STACK_X + CELL_W / 2)),$((STACK_Y + CELL_H / 2))}.g)] %[fx:int(255*p{$((STACK_X + CELL_W / 2)),$((STACK_Y + CELL_H / 2))}.b)]" info:)"
[ $((r + g + b)) -gt 60 ] || e2e_fail "the stack is not there after loading"
[ -n "${E2E_KEEP_SHOTS:-}" ] && cp "$E2E_ROOT/loaded.png" "$E2E_KEEP_SHOTS/loaded.png"

e2e_close_window "$window"
e2e_wait_for_end "$pid"
echo "a game was saved, the program restarted, and the game loaded again"
