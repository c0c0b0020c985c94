#!/usr/bin/env bash
# The real program under Xvfb: it starts, shows its window titled "Tessaron",
# and ends when the window is closed.
set -euo pipefail
program=$1
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"

e2e_start_xvfb
e2e_copy_program "$program"

"$E2E_PROGRAM_DIR/tessaron" >"$E2E_ROOT/stdout.log" 2>"$E2E_ROOT/stderr.log" &
pid=$!

window=$(timeout 20 xdotool search --sync --onlyvisible --name '^Tessaron$' | head -n 1)
[ -n "$window" ] || e2e_fail "no window titled Tessaron appeared"
geometry=$(xdotool getwindowgeometry "$window")
echo "$geometry"

import -window "$window" "$E2E_ROOT/window.png" 2>/dev/null || true

# Closing the window ends the program.
e2e_close_window "$window"
for _ in $(seq 1 50); do
  if ! kill -0 "$pid" 2>/dev/null; then
    wait "$pid" || true
    echo "window opened and the program ended when it was closed"
    exit 0
  fi
  sleep 0.1
done
kill "$pid" 2>/dev/null || true
e2e_fail "the program did not end after its window was closed"
