#!/usr/bin/env bash
# Two copies of the game at once, as one player may start them: each keeps its
# temporary files (language table, song) in a folder of its own, so closing
# one with music on leaves the other its texts.
set -euo pipefail
program=$1
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"

e2e_start_xvfb
e2e_copy_program "$program"
e2e_settings '[Optionen]\nnumPlayers=2\nPlayMusic=1\nMusicloop=-1\nPlaySound=0\nSprache=1000\n'

"$E2E_PROGRAM_DIR/tessaron" >>"$E2E_ROOT/stdout.log" 2>>"$E2E_ROOT/stderr.log" &
first=$!
first_window=$(e2e_game_window "$first") || e2e_fail "the first copy's window did not appear"
"$E2E_PROGRAM_DIR/tessaron" >>"$E2E_ROOT/stdout.log" 2>>"$E2E_ROOT/stderr.log" &
second=$!
second_window=$(e2e_game_window "$second") || e2e_fail "the second copy's window did not appear"
[ "$first_window" != "$second_window" ] || e2e_fail "the two copies share one window"

# Both activated: each has its language table, and its song once it plays.
for _ in $(seq 1 50); do
  first_table=$(e2e_language_table "$first")
  second_table=$(e2e_language_table "$second")
  [ -n "$first_table" ] && [ -n "$second_table" ] && [ -f "$(dirname "$second_table")/~tmp.mid" ] && break
  sleep 0.1
done
[ -n "$first_table" ] && [ -n "$second_table" ] || e2e_fail "each copy should have its own language table"
[ "$first_table" != "$second_table" ] || e2e_fail "the two copies share one language table"
[ -f "$(dirname "$second_table")/~tmp.mid" ] || e2e_fail "the second copy's song is not in its own folder"

e2e_close_window "$first_window"
e2e_wait_for_end "$first"
[ ! -f "$first_table" ] || e2e_fail "closing with music on left the first copy's language table behind"
[ -f "$second_table" ] || e2e_fail "closing the first copy removed the second copy's language table"
head -c 6 "$second_table" | grep -q '^\[lang\]' || e2e_fail "the second copy's language table was damaged"
kill -0 "$second" 2>/dev/null || e2e_fail "the second copy ended with the first"

# Closing the second copy ends it cleanly, with no error logged by either.
e2e_close_window "$second_window"
e2e_wait_for_end "$second"
[ ! -f "$E2E_PROGRAM_DIR/tessaron.EPT" ] || { cat "$E2E_PROGRAM_DIR/tessaron.EPT"; e2e_fail "an error was logged"; }
echo "two copies ran side by side; closing one left the other its own temporary files"
