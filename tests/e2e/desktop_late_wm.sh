#!/usr/bin/env bash
# A screen where no window manager runs (a kiosk session, a bare X server):
# a window manager with a tall title bar comes long after the game window and
# the help window showed, and both are still brought whole onto the screen in
# their late frames. Then, with the window manager gone again, a message box
# closed at once stays closed and the click that follows reaches the game.
set -euo pipefail
program=$1
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"

SCREEN_W=1024 SCREEN_H=768
e2e_start_xserver "${SCREEN_W}x${SCREEN_H}"
e2e_copy_program "$program"
e2e_settings '[Optionen]\nnumPlayers=1\nSize=0\nPlayMusic=0\nPlaySound=0\nSprache=1000\n'
e2e_run_game 3 4

running() {
  e2e_running "$pid" || e2e_fail "the program ended $*"
}
inside() { [ "$1" -ge 0 ] && [ "$2" -ge 0 ] && [ $(($1 + $3)) -le "$SCREEN_W" ] && [ $(($2 + $4)) -le "$SCREEN_H" ]; }
# framed_inside WINDOW WHAT: within 10 s the window manager has framed the
# window and its frame lies wholly on the screen.
framed_inside() {
  local x y w h
  for _ in $(seq 1 100); do
    if xprop -id "$1" _NET_FRAME_EXTENTS | grep -q =; then
      read -r x y w h <<< "$(e2e_frame "$1")"
      inside "$x" "$y" "$w" "$h" && { echo "$2 with its late frame: ${w}x${h}+${x}+${y}"; return 0; }
    fi
    sleep 0.1
  done
  read -r x y w h <<< "$(e2e_frame "$1")"
  e2e_fail "the $2's late frame ${w}x${h}+${x}+${y} leaves the screen ($(xprop -id "$1" _NET_FRAME_EXTENTS))"
}

# The help window (the help button's menu, first entry), as tall as the
# screen allows with the frame a usual desktop adds.
click "$BUTTON_9_X" "$BUTTON_9_Y"
sleep 0.5
xdotool key Down Return
help=$(e2e_window_named 'Tessaron Help') || e2e_fail "the help menu did not open the help window"
# The window manager comes late: longer after the windows showed than the
# fitting ever waited for a frame.
sleep 3
e2e_tall_titlebars "$E2E_ROOT/tall.xml"
e2e_start_wm --config-file "$E2E_ROOT/tall.xml"
framed_inside "$help" "help window"
framed_inside "$window" "game window"
top=$(xprop -id "$window" _NET_FRAME_EXTENTS | sed -n 's/.*= //p' | tr -d , | awk '{ print $3 + 0 }')
[ "$top" -ge 36 ] || e2e_fail "the late window manager gave a title bar of only $top pixels"
running "when the window manager came"
xdotool windowclose "$help" 2>/dev/null || true
e2e_window_gone "$help" || e2e_fail "the help window did not close"
# The game window was laid out again, smaller: the board's places with it.
read -r width height <<< "$(xdotool getwindowgeometry "$window" | sed -n 's/.*Geometry: \([0-9]*\)x\([0-9]*\).*/\1 \2/p')"
eval "$(python3 "$E2E_HERE/layout.py" "$width" "$height" 3 4)"

# No window manager again.
{ kill "$E2E_WM_PID"; wait "$E2E_WM_PID"; } 2>/dev/null || true
for _ in $(seq 1 50); do
  wmctrl -m >/dev/null 2>&1 || break
  sleep 0.1
done
# Every window mapped from now on, in order (xev on the root's children).
xev -root -event substructure >"$E2E_ROOT/maps.log" 2>&1 &
E2E_HELPER_PIDS+=("$!")
sleep 0.5
# maps WINDOW: how often the window has been mapped since.
maps() { grep -a -A1 '^MapNotify' "$E2E_ROOT/maps.log" | grep -ac "window $(printf '0x%x' "$1")," || true; }
# stack_shown: whether the stack (there only once a game runs) shows on the board.
stack_shown() {
  shot board
  below 0.02 "$(convert "$E2E_ROOT/board.png" -crop "${CELL_W}x${CELL_H}+$STACK_X+$STACK_Y" -format '%[fx:mean]' info:)"
}

# A saved game that cannot be loaded: the load button answers with a message box.
head -c 300 /dev/zero | tr '\0' 'x' >"$E2E_PROGRAM_DIR/Quadrello.qdr"
! stack_shown || e2e_fail "the stack shows before any game started"
click "$BUTTON_6_X" "$BUTTON_6_Y"
box=""
for _ in $(seq 1 100); do
  box=$(xdotool search --onlyvisible --pid "$pid" --name . 2>/dev/null | grep -vx "$window" | head -n 1) || true
  [ -n "$box" ] && break
  sleep 0.1
done
[ -n "$box" ] || e2e_fail "loading a damaged saved game showed no message box"
# Closed at once, long before any frame could come.
xdotool windowfocus --sync "$box" 2>/dev/null || true
xdotool key Return
e2e_window_gone "$box" || e2e_fail "Return did not close the message box"
# The click right after it is the game's: a game starts.
click "$START_X" "$START_Y"
started=no
for _ in $(seq 1 50); do
  if stack_shown; then started=yes; break; fi
  sleep 0.1
done
[ "$started" = yes ] || e2e_fail "Start right after the message box closed did not start a game"
# Longer than the fitting ever waited for a frame: the box never comes back.
sleep 3
[ "$(maps "$box")" -eq 1 ] || e2e_fail "the closed message box was mapped $(maps "$box") times, not once"
running "after the message box"

e2e_start_wm
# The window manager passes on a close request once it has taken the window in.
for _ in $(seq 1 100); do
  xwininfo -children -id "$window" | grep -q 'Parent window id: .*(the root window)' || break
  sleep 0.1
done
e2e_close_window "$window"
e2e_wait_for_end "$pid"
[ ! -f "$E2E_PROGRAM_DIR/tessaron.EPT" ] || { cat "$E2E_PROGRAM_DIR/tessaron.EPT"; e2e_fail "an error was logged"; }
echo "windows framed late were brought onto the screen, and a message box closed at once stayed closed"
