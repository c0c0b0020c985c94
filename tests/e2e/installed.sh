#!/usr/bin/env bash
# The game as a desktop installs it: `cmake --install` into a fresh prefix,
# the desktop entry and the metadata validated, and the installed program
# started under Xvfb, once from the prefix as installed (writable, as for
# root or a prefix in the home) and once with the whole prefix read-only. It
# shows a picture of its share folder, keeps its settings, saved game and
# logs in the player's XDG folders, never in the prefix, and ends cleanly.
set -euo pipefail
build=$1
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"

prefix="$E2E_ROOT/prefix"
cmake --install "$build" --prefix "$prefix" >/dev/null
desktop-file-validate "$prefix"/share/applications/example.marlpit.Tessaron.desktop \
  || e2e_fail "the desktop entry does not validate"
appstreamcli validate --no-net "$prefix"/share/metainfo/example.marlpit.Tessaron.metainfo.xml >"$E2E_ROOT/appstream.log" \
  || { cat "$E2E_ROOT/appstream.log"; e2e_fail "the metadata does not validate"; }
for size in 16 32 48 256 512; do
  [ -f "$prefix/share/icons/hicolor/${size}x${size}/apps/example.marlpit.Tessaron.png" ] || e2e_fail "no ${size}px icon"
done
[ -f "$prefix/share/man/man6/tessaron.6.gz" ] || e2e_fail "no manual page"

e2e_start_xvfb
e2e_settings '[Optionen]\nnumPlayers=2\nPlayMusic=0\nSprache=1000\n[Pictures]\nAlbum=1\nFile=puzzle03.bmp\n'

# Starts the installed program, checks its picture, starts a game, saves it
# and closes it: the saved game, the settings and no error log must be in the
# player's XDG folders, and nothing new in the prefix.
play_and_save() {
  local marker="$E2E_ROOT/marker-$1"
  rm -f "$XDG_DATA_HOME/Tessaron/Quadrello.qdr"
  touch "$marker"
  sleep 1 # file times in whole seconds on some file systems
  e2e_run_game 4 5 "$prefix/bin/tessaron"

  # The preview shows the picture of share/tessaron/pics.
  shot shown
  convert "$E2E_ROOT/shown.png" -crop "${PREVIEW_W}x${PREVIEW_H}+${PREVIEW_X}+${PREVIEW_Y}" +repage "$E2E_ROOT/preview.png"
  convert "$prefix/share/tessaron/pics/puzzle03.bmp" -resize "${PREVIEW_W}x${PREVIEW_H}!" "$E2E_ROOT/expected.png"
  below "$(distance "$E2E_ROOT/expected.png" "$E2E_ROOT/preview.png")" 0.1 \
    || e2e_fail "$1: the preview does not show the picture of the share folder"

  click "$START_X" "$START_Y"
  sleep 1
  click "$BUTTON_5_X" "$BUTTON_5_Y" # save
  sleep 0.5
  [ -f "$XDG_DATA_HOME/Tessaron/Quadrello.qdr" ] || e2e_fail "$1: the saved game is not in the data folder"
  grep -q '^Sprache=1000' "$XDG_CONFIG_HOME/Tessaron/Tessaron.ini" || e2e_fail "$1: the settings were not written"
  [ ! -f "$XDG_DATA_HOME/Tessaron/tessaron.EPT" ] || { cat "$XDG_DATA_HOME/Tessaron/tessaron.EPT"; e2e_fail "$1: an error was logged"; }
  e2e_close_window "$window"
  e2e_wait_for_end "$pid"
  local written
  written=$(find "$prefix" -newer "$marker")
  [ -z "$written" ] || e2e_fail "$1: the program wrote into its installation: $written"
}

# A prefix that can be written, as for root or a prefix in the home: an
# installed program writes to the player's folders all the same.
echo "running as user $(id -u) from a writable prefix"
play_and_save "writable prefix"

e2e_lock_prefix "$prefix"
unlock() { e2e_unlock_prefix "$prefix"; e2e_cleanup; }
trap unlock EXIT
play_and_save "read-only prefix"
echo "the installed game ran from a writable and a read-only prefix and kept its files in the XDG folders"
