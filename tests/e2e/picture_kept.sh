#!/usr/bin/env bash
# The picture choice left without OK: six steps forward, then Escape; again,
# then the window's close button. Each time the game window goes on showing
# the picture it had, the settings keep it, and the next game is played with it.
set -euo pipefail
program=$1
picture=$2 # the carried picture 203, the one the game shows at the start
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"

e2e_start_xvfb
e2e_start_accessibility
e2e_copy_program "$program"
e2e_settings '[Optionen]\nnumPlayers=1\nTime=0\nSize=0\nJoker=0\nPlayMusic=0\nPlaySound=0\nSprache=1000\n[Pictures]\nAlbum=0\nPicture=103\n'
settings="$XDG_CONFIG_HOME/Tessaron/Tessaron.ini"
stop() {
  # After a failure the program may still wait in a dialog.
  if [ -n "${pid:-}" ]; then kill "$pid" 2>/dev/null || true; fi
  e2e_stop_helpers
  e2e_cleanup
}
trap stop EXIT

# The picture choice: a window titled as the game's, but not the game window.
choice_window() {
  local id
  for _ in $(seq 1 100); do
    for id in $(xdotool search --onlyvisible --name '^Tessaron$' 2>/dev/null); do
      [ "$id" != "$window" ] && echo "$id" && return 0
    done
    sleep 0.1
  done
  return 1
}
choice_name() { /usr/bin/python3 "$here/own_picture.py" preview | cut -d' ' -f5-; }

e2e_run_game 3 4
e2e_eventually e2e_preview_shows start "$picture" || e2e_fail "at the start the preview does not show picture 103"
cp "$settings" "$E2E_ROOT/settings-before.ini"

for leave in Escape close; do
  click "$BUTTON_3_X" "$BUTTON_3_Y"
  dialog=$(choice_window) || e2e_fail "the Picture button opened no picture choice"
  first=$(choice_name) || e2e_fail "the picture choice has no preview on the accessibility bus"
  for _ in $(seq 1 6); do
    /usr/bin/python3 "$here/own_picture.py" press "next picture" || e2e_fail "the picture choice has no \"next picture\" button"
  done
  moved() { [ "$(choice_name)" != "$first" ]; }
  e2e_eventually moved || e2e_fail "six steps forward left the choice on \"$first\""
  if [ "$leave" = Escape ]; then
    # Typed into the dialog as the player does, once it has the focus.
    xdotool windowactivate --sync "$dialog" 2>/dev/null || true
    xdotool key Escape
  else
    e2e_close_window "$dialog"
  fi
  e2e_window_gone "$dialog" || e2e_fail "$leave did not close the picture choice"
  e2e_eventually e2e_preview_shows "after-$leave" "$picture" || e2e_fail "after $leave the game window no longer shows picture 103"
  cmp -s "$settings" "$E2E_ROOT/settings-before.ini" || { diff "$E2E_ROOT/settings-before.ini" "$settings" >&2; e2e_fail "$leave changed the settings"; }
done

# The next game is played with it: the first piece drawn is a piece of picture 103.
e2e_cut_picture "$picture" 3 4
e2e_draw_first_piece || e2e_fail "the piece drawn is no piece of picture 103"

e2e_close_window "$window"
e2e_wait_for_end "$pid"
[ ! -f "$XDG_DATA_HOME/Tessaron/tessaron.EPT" ] || { cat "$XDG_DATA_HOME/Tessaron/tessaron.EPT" >&2; e2e_fail "an error was logged"; }
echo "left without OK, by Escape and by the close button, the picture choice kept the game's picture"
