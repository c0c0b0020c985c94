#!/usr/bin/env bash
# Qt's own texts follow the game's language: in the German game a screen
# reader reads the file chooser of "Add picture...", the question before the
# program ends and the name box of a new champion with Qt's German.
set -euo pipefail
program=$1
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"

e2e_start_xvfb
e2e_copy_program "$program"
e2e_settings '[Optionen]\nnumPlayers=1\nTime=0\nSize=0\nJoker=0\nPlayMusic=0\nPlaySound=0\nSprache=0\n'
# A saved game of one player on 3 x 4 with one piece left, the last cell's (11).
/usr/bin/python3 - "$E2E_PROGRAM_DIR/Quadrello.qdr" <<'PY'
import struct, sys
text = lambda s: struct.pack("<h", len(s)) + s
record = struct.pack("<hhh", 101, 0, 0) + struct.pack("<hh", 0, 0) + struct.pack("<13i", 0, 15, 15, 14, *[0] * 9) \
    + struct.pack("<h", 1) + struct.pack("<4i", 500, 0, 0, 0) + text(b"Anna") + text(b"") * 3 + struct.pack("<21h", *[0] * 21)
open(sys.argv[1], "wb").write(record)
PY

e2e_start_accessibility
e2e_run_game 3 4
trap 'kill "$pid" 2>/dev/null || true; e2e_stop_helpers; e2e_cleanup' EXIT

# expect TITLE WHAT LINE...: the dialog TITLE shows each "ROLE: NAME" LINE.
expect() {
  local title=$1 what=$2 line
  shift 2
  /usr/bin/python3 "$here/qt_texts.py" names "$title" >"$E2E_ROOT/names.txt" || e2e_fail "$what did not show"
  for line in "$@"; do
    grep -qFx "$line" "$E2E_ROOT/names.txt" || e2e_fail "$what lacks \"$line\"; it reads: $(paste -sd '|' "$E2E_ROOT/names.txt")"
  done
}
press() { /usr/bin/python3 "$here/qt_texts.py" press "$1" "$2" || e2e_fail "no button \"$2\" in \"$1\""; }

# The picture choice, then Qt's own file chooser.
click "$BUTTON_3_X" "$BUTTON_3_Y"
press '*' "Bild hinzufügen..."
expect "Bild hinzufügen" "the file chooser" "text: Dateiname:" "push button: Abbrechen"
chooser=$(e2e_window_named "Bild hinzufügen") || e2e_fail "the file chooser has no window"
press "Bild hinzufügen" "Abbrechen"
e2e_window_gone "$chooser" || e2e_fail "the file chooser stays after Abbrechen"
press "Tessaron" "OK" # the picture choice, its picture unchanged
sleep 0.5

# The end button while no game runs: the question before the program ends.
click "$END_X" "$END_Y"
expect "Tessaron" "the question before the program ends" "push button: Ja" "push button: Nein"
press "Tessaron" "Nein"
sleep 0.5

# The saved game loaded and its last piece laid: the name box of the new champion.
click "$BUTTON_6_X" "$BUTTON_6_Y"
sleep 0.5
click $((STACK_X + CELL_W / 2)) $((STACK_Y + CELL_H / 2))
sleep 0.5
click "$CELL_11_X" "$CELL_11_Y"
expect "Glückwunsch!" "the name box" "push button: OK" "push button: Abbrechen"
press "Glückwunsch!" "Abbrechen"
echo "the file chooser, the question and the name box read in Qt's German"
