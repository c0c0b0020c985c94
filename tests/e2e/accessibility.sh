#!/usr/bin/env bash
# The game window as a screen reader sees it: over the desktop's accessibility
# bus (AT-SPI), every control has its role and a name in the game's language,
# and the English flag, pressed through its accessible action, switches them.
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

e2e_close_window "$window"
e2e_wait_for_end "$pid"
