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

# The game window of one process.
window_of() {
  local candidate width
  for _ in $(seq 1 100); do
    for candidate in $(xdotool search --all --onlyvisible --pid "$1" --name '^Tessaron$' 2>/dev/null); do
      width=$(xdotool getwindowgeometry "$candidate" | sed -n 's/.*Geometry: \([0-9]*\)x.*/\1/p')
      if [ "${width:-0}" -gt 800 ]; then
        echo "$candidate"
        return 0
      fi
    done
    sleep 0.1
  done
  return 1
}

"$E2E_PROGRAM_DIR/tessaron" >>"$E2E_ROOT/stdout.log" 2>>"$E2E_ROOT/stderr.log" &
first=$!
first_window=$(window_of "$first") || e2e_fail "the first copy's window did not appear"
"$E2E_PROGRAM_DIR/tessaron" >>"$E2E_ROOT/stdout.log" 2>>"$E2E_ROOT/stderr.log" &
second=$!
second_window=$(window_of "$second") || e2e_fail "the second copy's window did not appear"
sleep 1 # both activated: their songs play

first_table="$XDG_RUNTIME_DIR/Tessaron/$first/~tmp.lng"
second_table="$XDG_RUNTIME_DIR/Tessaron/$second/~tmp.lng"
[ -f "$first_table" ] && [ -f "$second_table" ] || e2e_fail "each copy should have its own language table"
[ -f "$XDG_RUNTIME_DIR/Tessaron/$second/~tmp.mid" ] || e2e_fail "the second copy's song is not in its own folder"

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
