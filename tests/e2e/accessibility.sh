#!/usr/bin/env bash
# The game window as a screen reader sees it: over the desktop's accessibility
# bus (AT-SPI), every control has its role and a name in the game's language,
# and the English flag, pressed through its accessible action, switches them.
# The options dialog's "Network game..." opens the network game dialog, whose
# controls are named too, and Escape closes it.
set -euo pipefail
program=$1
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"

e2e_start_xvfb
e2e_copy_program "$program"
e2e_settings '[Optionen]\nnumPlayers=2\nSize=1\nPlayMusic=0\nPlaySound=0\nSprache=0\n'

e2e_start_accessibility
e2e_run_game 4 5
click "$START_X" "$START_Y" # the stack shows with a game
sleep 0.5

/usr/bin/python3 "$here/accessibility.py" german || e2e_fail "the German names"
/usr/bin/python3 "$here/accessibility.py" press-english || e2e_fail "pressing the English flag"
sleep 0.5
/usr/bin/python3 "$here/accessibility.py" english || e2e_fail "the English names"

# The gear: the third tool button of the second row.
click "$BUTTON_7_X" "$BUTTON_7_Y"
e2e_window_named Options >/dev/null || e2e_fail "the gear button did not open the options dialog"
/usr/bin/python3 "$here/accessibility.py" network-dialog || e2e_fail "the network game dialog"
network=$(e2e_window_named "Network game") || e2e_fail "no window titled \"Network game\""
# Keys go to the focused window (Qt ignores keys sent to a window by id).
xdotool windowactivate --sync "$network" 2>/dev/null || xdotool windowfocus --sync "$network"
xdotool key Escape
e2e_window_gone "$network" || e2e_fail "Escape did not close the network game dialog"
options=$(e2e_window_named Options) || e2e_fail "the options dialog went with the network game dialog"
xdotool windowactivate --sync "$options" 2>/dev/null || xdotool windowfocus --sync "$options"
xdotool key Escape
e2e_window_gone "$options" || e2e_fail "Escape did not close the options dialog"

e2e_close_window "$window"
e2e_wait_for_end "$pid"
