#!/usr/bin/env bash
# A copy of the game without its network library: --host starts the game,
# a box tells the player that network play could not be started (stderr says
# which file is missing), and once it is closed the one-screen game plays on
# and the program ends cleanly.
set -euo pipefail
program=$1
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"

e2e_start_xvfb
e2e_copy_program "$program"
rm -f "$E2E_PROGRAM_DIR/libtessaron-network.so"
e2e_settings '[Optionen]\nnumPlayers=2\nSize=1\nPlayMusic=0\nPlaySound=0\nSprache=1000\n'

"$E2E_PROGRAM_DIR/tessaron" --host >>"$E2E_ROOT/stdout.log" 2>>"$E2E_ROOT/stderr.log" &
pid=$!
window=$(e2e_game_window "$pid") || { e2e_describe_program "$pid"; e2e_fail "the game window did not appear"; }
box=""
for _ in $(seq 1 100); do
  for candidate in $(xdotool search --all --pid "$pid" --onlyvisible --name '' 2>/dev/null); do
    [ "$candidate" != "$window" ] && [ -n "$(xdotool getwindowname "$candidate" 2>/dev/null)" ] && box=$candidate
  done
  [ -n "$box" ] && break
  sleep 0.1
done
[ -n "$box" ] || { e2e_describe_program "$pid"; e2e_fail "no box told that network play is missing"; }
title=$(xdotool getwindowname "$box")
[ "$title" = "Network game" ] || e2e_fail "the box is titled \"$title\", not \"Network game\""
grep -q 'network play is not available: .*libtessaron-network.so' "$E2E_ROOT/stderr.log" \
  || e2e_fail "stderr does not say what is missing: $(cat "$E2E_ROOT/stderr.log")"
# No network was begun: nothing listens on the game's port for this program.
if command -v ss >/dev/null; then
  ! ss -ltnp 2>/dev/null | grep -q "pid=$pid," || e2e_fail "the program listens on a port without its network library"
fi

xdotool windowactivate --sync "$box" 2>/dev/null || xdotool windowfocus --sync "$box"
xdotool key Return
e2e_window_gone "$box" || e2e_fail "Enter did not close the box"

# The one-screen game plays on: Start deals the pieces.
read -r width height <<< "$(xdotool getwindowgeometry "$window" | sed -n 's/.*Geometry: \([0-9]*\)x\([0-9]*\).*/\1 \2/p')"
eval "$(python3 "$E2E_HERE/layout.py" "$width" "$height" 4 5)"
shot before
click "$START_X" "$START_Y"
changed=no
for _ in $(seq 1 50); do
  sleep 0.2
  shot after
  below 0.01 "$(distance "$E2E_ROOT/before.png" "$E2E_ROOT/after.png")" && { changed=yes; break; }
done
[ "$changed" = yes ] || e2e_fail "Start changed nothing after the box"
[ ! -f "$XDG_DATA_HOME/Tessaron/tessaron.EPT" ] || { cat "$XDG_DATA_HOME/Tessaron/tessaron.EPT"; e2e_fail "an error was logged"; }
e2e_close_window "$window"
e2e_wait_for_end "$pid"
echo "without the network library: --host told the player, and the one-screen game played on"
