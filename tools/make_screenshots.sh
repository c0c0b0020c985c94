#!/usr/bin/env bash
# Makes the screenshots that software centres show (the metadata in
# data/example.marlpit.Tessaron.metainfo.xml names them) from the real game,
# played under Xvfb with openbox and xdotool as the end-to-end tests play it:
#
#   data/screenshots/game.png            two players in a game, a piece in hand
#                                        and a wrong click marked
#   data/screenshots/picture-choice.png  the picture choice over the game window
#   data/screenshots/champions.png       the champions list after three
#                                        one-player games
#
# Run again:  tools/make_screenshots.sh [PROGRAM]   (default build/tessaron,
# with its pics folder beside it; builds nothing). The game runs from a copy,
# with fresh HOME and XDG folders, in English.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
program=$(realpath "${1:-$root/build/tessaron}")
out="$root/data/screenshots"
[ -x "$program" ] || { echo "no program at $program: build it first (./play.sh)" >&2; exit 1; }

missing=()
for package in xvfb openbox xdotool wmctrl imagemagick x11-utils; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
fi

source "$root/tests/e2e/lib.sh"
stop_game() {
  if [ -n "${pid:-}" ]; then kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; fi
  e2e_cleanup
}
trap stop_game EXIT

# A 4:3 screen: the game fills the largest 4:3 area it gets.
e2e_start_xvfb 1280x960
e2e_copy_program "$program"
mkdir -p "$out"

# The size the metadata states for every screenshot: the framed game window
# filling this screen's height.
size=1254x960

# save NAME: the game window with its frame and whatever dialog stands over
# it, as one picture, written to data/screenshots/NAME.png at $size.
save() {
  local x y width height
  sleep 1 # the last paint
  read -r x y width height <<< "$(e2e_frame "$window")"
  import -window root "$E2E_ROOT/screen.png"
  # A window manager on a busy machine now and then leaves the window a little
  # smaller: scaled to the stated size then.
  [ "${width}x${height}" = "$size" ] || echo "note: the window is ${width}x${height}, scaled to $size"
  convert "$E2E_ROOT/screen.png" -crop "${width}x${height}+${x}+${y}" +repage -resize "$size!" -strip \
    -define png:compression-level=9 "$out/$1.png"
  echo "wrote data/screenshots/$1.png"
}

# dialog_over: the id of a window of the game other than the game window,
# once one shows (up to 10 s).
dialog_over() {
  local candidate
  for _ in $(seq 1 100); do
    for candidate in $(xdotool search --all --pid "$pid" --onlyvisible --name '' 2>/dev/null); do
      [ "$candidate" != "$window" ] && echo "$candidate" && return 0
    done
    sleep 0.1
  done
  return 1
}

# draw: clicks the stack until a piece lies face up on it; sets $piece to its cell.
draw() {
  for _ in $(seq 1 5); do
    click $((STACK_X + CELL_W / 2)) $((STACK_Y + CELL_H / 2))
    for _ in $(seq 1 20); do
      sleep 0.2
      shot turn
      crop turn "$STACK_X" "$STACK_Y" piece
      if ! below "$(distance "$E2E_ROOT/back.png" "$E2E_ROOT/piece.png")" 0.05; then
        piece=$(e2e_which_piece "$E2E_ROOT/piece.png")
        return 0
      fi
    done
  done
  e2e_fail "no piece turned over on the stack"
}

# wrong_click: clicks an empty cell that is not the piece's own (the cell
# after the last one laid, going round).
wrong_click() {
  local cell=$(( (piece + 1) % E2E_PIECES ))
  [ "${#laid_cells[@]}" -lt $((E2E_PIECES - 1)) ] || return 0
  while [ -n "${laid_cells[$cell]:-}" ] || [ "$cell" = "$piece" ]; do cell=$(( (cell + 1) % E2E_PIECES )); done
  eval "click \$CELL_${cell}_X \$CELL_${cell}_Y"
  sleep 0.4
}

# lay: clicks the piece's own cell and waits for the next turn.
lay() {
  eval "click \$CELL_${piece}_X \$CELL_${piece}_Y"
  laid_cells[piece]=1
  sleep 0.6
}

# start: the start button, and the back of the stack to tell a drawn piece by.
start() {
  laid_cells=()
  click "$START_X" "$START_Y"
  sleep 1
  shot started
  crop started "$STACK_X" "$STACK_Y" back
}

# 1. Two players on a 4 x 5 board with the houses by the harbour: first the
# picture choice, then a game in progress.
e2e_settings '[Optionen]\nnumPlayers=2\nSpieler1=Anna\nSpieler2=Ben\nTime=0\nSize=1\nJoker=0\nTipp=1\nGrid=1\nMiniatur=1\nPlayMusic=0\nPlaySound=0\nSprache=1000\n[Pictures]\nAlbum=0\nPicture=103\nBack=9\n'
e2e_run_game 4 5
e2e_cut_picture "$root/resources/bitmap/203.bmp" 4 5

click "$BUTTON_3_X" "$BUTTON_3_Y"
choice=$(dialog_over) || e2e_fail "the picture choice did not open"
save picture-choice
xdotool windowactivate --sync "$choice" 2>/dev/null || true
xdotool key Escape
e2e_window_gone "$choice" || e2e_fail "the picture choice did not close"

start
for turn in $(seq 1 9); do
  draw
  # Now and then a wrong click first, as players make them.
  if [ $((turn % 4)) -eq 2 ]; then wrong_click; fi
  lay
done
draw
wrong_click
save game
kill "$pid"
wait "$pid" 2>/dev/null || true
pid=""

# 2. Three one-player games on a 3 x 4 board, each champion named; the list
# after the third.
e2e_settings '[Optionen]\nnumPlayers=1\nTime=0\nSize=0\nJoker=0\nTipp=1\nPlayMusic=0\nPlaySound=0\nSprache=1000\n[Pictures]\nAlbum=0\nPicture=101\nBack=9\n'
e2e_run_game 3 4
e2e_cut_picture "$root/resources/bitmap/201.bmp" 3 4
game=0
for champion in "Chiara" "Anna" "Ben"; do
  game=$((game + 1))
  start
  for turn in $(seq 1 12); do
    draw
    # Fewer points for some: a wrong click on every game-th piece after the first game.
    if [ "$game" -gt 1 ] && [ $((turn % (5 - game))) -eq 0 ]; then wrong_click; fi
    lay
  done
  name_box=$(e2e_window_named 'Congratulations!') || e2e_fail "no name was asked for after game $game"
  xdotool windowactivate --sync "$name_box" 2>/dev/null || true
  xdotool type --delay 30 "$champion"
  xdotool key Return
  list=$(e2e_window_named 'Tessaron Champions') || e2e_fail "the champions list did not show after game $game"
  if [ "$game" -eq 3 ]; then save champions; fi
  xdotool windowactivate --sync "$list" 2>/dev/null || true
  xdotool key Return
  e2e_window_gone "$list" || e2e_fail "the champions list did not close"
done
