#!/usr/bin/env bash
# A settings file full of values the game does not know (a picture source
# "x", five players, a language 32767, every other key at -32768): the game
# still comes up with its board and plays, tells the player which settings
# went back to their defaults, and writes the defaults back.
set -euo pipefail
program=$1
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"

e2e_start_xvfb
e2e_copy_program "$program"
options=""
for key in Size PlayMusic Musicloop PlaySound Grid Joker Tipp Miniatur Rahmen Time Flip; do
  options+="$key=-32768\n"
done
e2e_settings "[Optionen]\n${options}numPlayers=5\nSprache=32767\nSpieler1=Anna\n[Pictures]\nAlbum=x\nPicture=-32768\nBack=-32768\n"
ini="$XDG_CONFIG_HOME/Tessaron/Tessaron.ini"

# notice_window GAME: the id of the message over the game window, once it shows.
notice_window() {
  local id
  for _ in $(seq 1 150); do
    for id in $(xdotool search --onlyvisible --name '^Tessaron$' 2>/dev/null); do
      [ "$id" != "$1" ] && echo "$id" && return 0
    done
    sleep 0.1
  done
  return 1
}

e2e_run_game 4 5 # the default board
e2e_running "$pid" || e2e_fail "the program ended at the start"
notice=$(notice_window "$window") || e2e_fail "the player was not told of the settings reset"
xdotool windowactivate --sync "$notice" 2>/dev/null || xdotool windowfocus --sync "$notice"
xdotool key Return
e2e_window_gone "$notice" || e2e_fail "the notice did not close"

for expected in 'numPlayers=4' 'Album=0' 'Picture=101' 'Back=9' 'Size=1' 'Grid=1' 'Musicloop=0' 'Spieler1=Anna'; do
  grep -qx "$expected" "$ini" || { cat "$ini" >&2; e2e_fail "the settings file lacks $expected"; }
done
grep -Eqx 'Sprache= ?(0|1000|2000|3000|6000)' "$ini" || { cat "$ini" >&2; e2e_fail "no language of the game stored"; }

# A game on the board: the stack shows the back side, a draw turns a piece over.
# A click while the shuffle sound plays is dropped: each is repeated until the window shows it.
mean() { convert "$1" -format "%[fx:mean]" info:; }
stack_shown() { shot started && crop started "$STACK_X" "$STACK_Y" back && below 0.05 "$(mean "$E2E_ROOT/back.png")"; }
piece_shown() { shot drawn && crop drawn "$STACK_X" "$STACK_Y" piece && below 0.05 "$(distance "$E2E_ROOT/back.png" "$E2E_ROOT/piece.png")"; }
for _ in $(seq 1 30); do click "$START_X" "$START_Y"; sleep 0.5; stack_shown && break; done
stack_shown || e2e_fail "no stack after the start of a game"
for _ in $(seq 1 30); do click $((STACK_X + CELL_W / 2)) $((STACK_Y + CELL_H / 2)); sleep 0.5; piece_shown && break; done
piece_shown || e2e_fail "the stack did not turn a piece over"
e2e_close_window "$window"
e2e_wait_for_end "$pid"

[ ! -f "$E2E_PROGRAM_DIR/tessaron.EPT" ] || { cat "$E2E_PROGRAM_DIR/tessaron.EPT"; e2e_fail "an error was logged"; }
! grep -q 'terminate called' "$E2E_ROOT/stderr.log" || e2e_fail "the program ended with an exception"
echo "hostile settings: the game came up with its board, the player was told, the defaults were written back"
