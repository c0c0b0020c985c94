#!/usr/bin/env bash
# A photo of the player's own in the installed game, read-only prefix: added
# through "Add picture..." and the file chooser, copied into the player's
# data folder, shown by the choice dialog and the game window, cut into the
# pieces of a game, saved, and after a restart loaded again with the photo.
set -euo pipefail
build=$1
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"

prefix="$E2E_ROOT/prefix"
cmake --install "$build" --prefix "$prefix" >/dev/null
program="$prefix/bin/tessaron"
fallback="$prefix/share/tessaron/pics/puzzle01.jpg"
[ -f "$fallback" ] || e2e_fail "no puzzle01.jpg in the installed picture folder"
e2e_lock_prefix "$prefix"
unlock() {
  e2e_unlock_prefix "$prefix"
  # After a failure the program may still wait in a dialog.
  if [ -n "${pid:-}" ]; then kill "$pid" 2>/dev/null || true; fi
  e2e_stop_helpers
  e2e_cleanup
}
trap unlock EXIT

# A holiday photo of our own: sky, sun, sea, island, boat and beach, with a
# texture so that every piece of a 3 x 4 board differs from the others.
photo="$HOME/Pictures/Holiday photo.jpg"
mkdir -p "$HOME/Pictures"
convert \( -size 640x300 gradient:'#1e6fd0-#bfe6ff' \) \( -size 640x100 gradient:'#0b7fb0-#0b3d6b' \) \
  \( -size 640x80 gradient:'#f0d890-#c8a050' \) -append \
  -fill '#ff5a1e' -draw 'circle 470,110 525,110' -fill '#2f7a32' -draw 'ellipse 90,300 110,70 180,360' \
  -fill white -draw 'polygon 400,250 400,330 460,330' -fill '#6b3b1a' -draw 'polygon 370,335 480,335 465,355 385,355' \
  -fill '#d81e2c' -draw 'ellipse 560,420 60,30 180,360' -fill '#5a3a1a' -draw 'rectangle 557,420 563,475' \
  \( -seed 4 -size 640x480 plasma:fractal -blur 0x2 -colorspace gray -level 15%,85% \) -compose overlay -composite \
  -quality 92 "$photo"
copied="$XDG_DATA_HOME/Tessaron/pics/Holiday photo.jpg"

e2e_start_xvfb
e2e_start_accessibility
e2e_settings '[Optionen]\nnumPlayers=2\nSpieler1=Anna\nSpieler2=Ben\nTime=0\nSize=0\nJoker=0\nPlayMusic=0\nPlaySound=0\nSprache=1000\n[Pictures]\nAlbum=1\nFile=puzzle01.jpg\n'
marker="$E2E_ROOT/marker"
touch "$marker"
sleep 1 # file times in whole seconds on some file systems

# cell_shows SHOT CELL: whether CELL, in a new screenshot SHOT, shows its piece of
# the photo, nearer to it than to any other piece of the photo or to the fall-back's piece there.
cell_shows() {
  local x y d
  shot "$1"
  eval "x=\$CELL_${2}_X; y=\$CELL_${2}_Y"
  crop "$1" $((x - CELL_W / 2)) $((y - CELL_H / 2)) "$1-cell"
  d=$(distance "$E2E_ROOT/ref$2.png" "$E2E_ROOT/$1-cell.png")
  below "$d" 0.12 && [ "$(e2e_which_piece "$E2E_ROOT/$1-cell.png")" = "$2" ] \
    && below "$d" "$(distance "$E2E_ROOT/fallback$2.png" "$E2E_ROOT/$1-cell.png")"
}

e2e_run_game 3 4 "$program"
e2e_cut_picture "$fallback" 3 4
for n in $(seq 0 11); do mv "$E2E_ROOT/ref$n.png" "$E2E_ROOT/fallback$n.png"; done
e2e_cut_picture "$photo" 3 4
e2e_eventually e2e_preview_shows before "$fallback" || e2e_fail "at the start the preview does not show puzzle01.jpg"

# The picture choice (4th tool button), then "Add picture..." as a screen reader presses it.
click "$BUTTON_3_X" "$BUTTON_3_Y"
/usr/bin/python3 "$here/own_picture.py" press "Add picture..." \
  || e2e_fail "the picture choice has no \"Add picture...\" button"
chooser=$(e2e_window_named "Add picture") || e2e_fail "\"Add picture...\" opened no file chooser"
/usr/bin/python3 "$here/own_picture.py" chooser >"$E2E_ROOT/chooser.txt" || e2e_fail "the file chooser is not on the accessibility bus"
grep -qFx "$HOME/Pictures" "$E2E_ROOT/chooser.txt" \
  || e2e_fail "the file chooser does not open in the Pictures folder: $(cat "$E2E_ROOT/chooser.txt")"
for pattern in bmp jpg jpeg gif png; do
  grep -q "(.*\*\.${pattern}[ )]" "$E2E_ROOT/chooser.txt" || e2e_fail "the file chooser does not list *.$pattern files: $(cat "$E2E_ROOT/chooser.txt")"
done
# Qt's own chooser: its file name box has the focus; the window must have it too.
# xdotool loses a key now and then on a busy machine: typed again until the box holds the path.
typed=""
for _ in 1 2 3; do
  xdotool windowactivate --sync "$chooser"
  sleep 0.3
  xdotool key ctrl+a
  LC_ALL=C.UTF-8 xdotool type --delay 20 "$photo"
  typed=$(/usr/bin/python3 "$here/own_picture.py" typed) || e2e_fail "the file chooser has no file name box"
  [ "$typed" = "$photo" ] && break
done
[ "$typed" = "$photo" ] || e2e_fail "the chooser's file name box holds \"$typed\", not \"$photo\""
# Return may first close the list of completions; the chooser is still open then.
xdotool key Return
if ! e2e_window_gone "$chooser"; then
  xdotool key Return
  e2e_window_gone "$chooser" || e2e_fail "the file chooser did not take \"$photo\""
fi

# The chooser goes first; the copy follows once the photo is decoded.
copied_whole() { cmp -s "$photo" "$copied"; }
if ! e2e_eventually copied_whole; then
  [ -f "$copied" ] && e2e_fail "the copy of the photo differs from the photo"
  e2e_fail "the photo was not copied into the player's pictures: $(ls -A "$XDG_DATA_HOME/Tessaron/pics" 2>&1)"
fi
[ -f "$photo" ] || e2e_fail "the photo was moved from the Pictures folder"

# The dialog's preview (found and named over the accessibility bus) shows the photo at once.
choice_named() {
  read -r px py pw ph pname <<< "$(/usr/bin/python3 "$here/own_picture.py" preview)" && [ "$pname" = "Holiday photo.jpg" ]
}
e2e_eventually choice_named || e2e_fail "the choice's preview is named \"${pname:-}\", not after the photo"
[ "$pw $ph" = "267 200" ] || e2e_fail "the choice's preview is ${pw}x${ph}, not 267x200"
convert "$photo" -resize "${pw}x${ph}!" "$E2E_ROOT/photo-choice.png"
choice_shows_photo() {
  import -window root "$E2E_ROOT/choice.png"
  convert "$E2E_ROOT/choice.png" -crop "${pw}x${ph}+${px}+${py}" +repage "$E2E_ROOT/choice-preview.png"
  below "$(distance "$E2E_ROOT/photo-choice.png" "$E2E_ROOT/choice-preview.png")" 0.1
}
e2e_eventually choice_shows_photo || e2e_fail "the choice's preview does not show the added photo"

/usr/bin/python3 "$here/own_picture.py" press "OK" || e2e_fail "the picture choice has no OK button"
stored() { grep -qx 'Album=1' "$XDG_CONFIG_HOME/Tessaron/Tessaron.ini" && grep -qx 'File=Holiday photo.jpg' "$XDG_CONFIG_HOME/Tessaron/Tessaron.ini"; }
e2e_eventually stored || { cat "$XDG_CONFIG_HOME/Tessaron/Tessaron.ini" >&2; e2e_fail "OK did not store the photo in the settings"; }
e2e_eventually e2e_preview_shows chosen "$photo" || e2e_fail "after OK the game window's preview does not show the photo"

# A game: the first piece drawn is a piece of the photo; it is laid on its cell and the game saved.
e2e_draw_first_piece || e2e_fail "the drawn piece is no piece of the photo"
eval "x=\$CELL_${cell}_X; y=\$CELL_${cell}_Y"
click "$x" "$y"
e2e_eventually cell_shows laid "$cell" || e2e_fail "cell $cell does not show its piece of the photo"
click "$BUTTON_5_X" "$BUTTON_5_Y"
saved="$XDG_DATA_HOME/Tessaron/Quadrello.qdr"
e2e_eventually test -s "$saved" || e2e_fail "saving wrote no file in the data folder"
grep -qF "$copied" "$saved" || e2e_fail "the saved game lacks the path of the photo, $copied"
e2e_close_window "$window"
e2e_wait_for_end "$pid"

# Again: the settings bring the photo back, and loading lays its piece again.
e2e_run_game 3 4 "$program"
e2e_eventually e2e_preview_shows restarted "$photo" || e2e_fail "after a restart the preview does not show the photo"
click "$BUTTON_6_X" "$BUTTON_6_Y"
if ! e2e_eventually cell_shows loaded "$cell"; then
  e2e_preview_shows loaded "$fallback" && e2e_fail "after loading the game shows the fall-back puzzle01.jpg, not the photo"
  e2e_fail "after loading, cell $cell does not show its piece of the photo"
fi
e2e_preview_shows loaded "$photo" || e2e_fail "after loading the preview does not show the photo"

e2e_close_window "$window"
e2e_wait_for_end "$pid"
[ ! -f "$XDG_DATA_HOME/Tessaron/tessaron.EPT" ] || { cat "$XDG_DATA_HOME/Tessaron/tessaron.EPT" >&2; e2e_fail "an error was logged"; }
written=$(find "$prefix" -newer "$marker")
[ -z "$written" ] || e2e_fail "the program wrote into its installation: $written"
echo "the photo was added, shown, played, saved and loaded again from the read-only installation"
