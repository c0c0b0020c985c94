#!/usr/bin/env bash
# Plays through the real window with the mouse: start a game, draw a piece,
# find its cell by comparing it with the picture, lay it, then abandon the
# game with the end button and close the window.
set -euo pipefail
program=$1
picture=$2 # the carried picture 201, to recognise the pieces by
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"

e2e_start_xvfb
e2e_copy_program "$program"
e2e_settings '[Optionen]\nnumPlayers=2\nSpieler1=Anna\nSpieler2=Ben\nTime=0\nSize=0\nJoker=0\nPlayMusic=0\n'

e2e_run_game 3 4

click "$START_X" "$START_Y"
sleep 2 # the shuffle sound plays to its end
shot started
crop started "$STACK_X" "$STACK_Y" back

click $((STACK_X + CELL_W / 2)) $((STACK_Y + CELL_H / 2))
sleep 1
shot drawn
crop drawn "$STACK_X" "$STACK_Y" piece
below 0.05 "$(distance "$E2E_ROOT/back.png" "$E2E_ROOT/piece.png")" \
  || e2e_fail "the stack did not turn a piece over"

# Which cell of the picture is it?
e2e_cut_picture "$picture" 3 4
best=$(e2e_which_piece "$E2E_ROOT/piece.png")
echo "the piece in hand belongs in cell $best"
eval "x=\$CELL_${best}_X; y=\$CELL_${best}_Y"
click "$x" "$y"
sleep 3 # the score sound plays to its end
shot placed
crop placed $((x - CELL_W / 2)) $((y - CELL_H / 2)) laid
below "$(distance "$E2E_ROOT/ref$best.png" "$E2E_ROOT/laid.png")" 0.12 \
  || e2e_fail "the piece was not laid on cell $best"
crop placed "$STACK_X" "$STACK_Y" back_again
below "$(distance "$E2E_ROOT/back.png" "$E2E_ROOT/back_again.png")" 0.05 \
  || e2e_fail "the stack does not show the back side for the next turn"
[ -n "${E2E_KEEP_SHOTS:-}" ] && cp "$E2E_ROOT/placed.png" "$E2E_KEEP_SHOTS/placed.png"

# The end button abandons the running game: the stack goes away.
click "$END_X" "$END_Y"
sleep 1
shot abandoned
read -r r g b <<< "$(convert "$E2E_ROOT/abandoned.png" -format "%[fx:int(255*p{$((STACK_X + CELL_W / 2)),$((STACK_Y + CELL_H / 2))}.r)] %[fx:int(255*p{$((STACK_X + CELL_W / 2)),$((STACK_Y + CELL_H / 2))}.g)] %[fx:int(255*p{$((STACK_X + CELL_W / 2)),$((STACK_Y + CELL_H / 2))}.b)]" info:)"
[ "$r" -lt 20 ] && [ "$g" -lt 20 ] && [ "$b" -lt 20 ] || e2e_fail "the stack is still there after abandoning"

e2e_close_window "$window"
e2e_wait_for_end "$pid"
echo "a turn was played with the mouse and the game abandoned"
