#!/usr/bin/env bash
# A small desktop with a panel along the bottom: the game window and its frame
# stay inside the work area, so the panel never covers the board; a maximize
# (a double click on the title bar, a request from outside) leaves the fixed
# size alone; the options dialog opens centred on the game, inside the work
# area, and neither window ends the program. Then the same desktop with a
# title bar taller than most: the game window still fits above the panel.
set -euo pipefail
program=$1
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"

SCREEN_W=1024 SCREEN_H=768 PANEL=48
WORK_H=$((SCREEN_H - PANEL))
e2e_start_xvfb "${SCREEN_W}x${SCREEN_H}"
e2e_start_panel "$PANEL"
# The window manager takes the panel's strut off the work area.
work_area_set() {
  local workarea=""
  for _ in $(seq 1 100); do
    workarea=$(xprop -root _NET_WORKAREA | sed -n 's/.*= //p')
    [[ "$workarea" == "0, 0, $SCREEN_W, $WORK_H"* ]] && return 0
    sleep 0.1
  done
  e2e_fail "the work area is '$workarea', not the screen above the panel"
}
work_area_set

e2e_copy_program "$program"
e2e_settings '[Optionen]\nnumPlayers=1\nPlayMusic=0\nPlaySound=0\nSprache=1000\n'
e2e_run_game 3 4

# inside X Y W H: whether the rectangle lies in the work area.
inside() { [ "$1" -ge 0 ] && [ "$2" -ge 0 ] && [ $(($1 + $3)) -le "$SCREEN_W" ] && [ $(($2 + $4)) -le "$WORK_H" ]; }
client_size() { xdotool getwindowgeometry "$1" | sed -n 's/.*Geometry: //p'; }
running() {
  e2e_running "$pid" && return 0
  local status=0
  wait "$pid" || status=$?
  e2e_fail "the program ended (status $status) $*"
}
title_height() { xprop -id "$1" _NET_FRAME_EXTENTS | sed -n 's/.*= //p' | tr -d , | awk '{ print $3 + 0 }'; }
# settled WINDOW: its frame (e2e_frame) once the window manager has framed it
# and it holds still inside the work area (the program moves it there as the
# frame comes); up to about 10 s, for a busy machine is slow.
settled() {
  local last="" now x y w h
  for _ in $(seq 1 100); do
    if xprop -id "$1" _NET_FRAME_EXTENTS | grep -q =; then
      now=$(e2e_frame "$1")
      read -r x y w h <<< "$now"
      if [ "$now" = "$last" ] && inside "$x" "$y" "$w" "$h"; then break; fi
      last=$now
    fi
    sleep 0.1
  done
  e2e_frame "$1"
}
# opened NAME FAILURE: the visible window whose title matches NAME, once it shows.
opened() {
  local found=""
  for _ in $(seq 1 100); do
    found=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1) && [ -n "$found" ] && break
    sleep 0.1
  done
  [ -n "$found" ] || e2e_fail "$2"
  echo "$found"
}
# framed_inside WINDOW WHAT: once framed, the window's frame lies inside the work area; prints it.
framed_inside() {
  local x y w h
  read -r x y w h <<< "$(settled "$1")"
  echo "$2 with frame: ${w}x${h}+${x}+${y}" >&2
  inside "$x" "$y" "$w" "$h" || e2e_fail "the $2's frame ${w}x${h}+${x}+${y} leaves the work area"
  echo "$x $y $w $h"
}
# game_fits WHAT: the game window with its frame lies inside the work area. Sets fx fy fw fh.
game_fits() {
  read -r fx fy fw fh <<< "$(settled "$window")"
  echo "game window with frame ($1): ${fw}x${fh}+${fx}+${fy}"
  inside "$fx" "$fy" "$fw" "$fh" || e2e_fail "$1: the game window's frame ${fw}x${fh}+${fx}+${fy} leaves the work area ${SCREEN_W}x${WORK_H}"
  # Fitting is not shrinking: the window takes most of the work area's height.
  [ "$fh" -ge $((WORK_H * 9 / 10)) ] || e2e_fail "$1: the game window (frame ${fw}x${fh}) is far smaller than the work area"
}

game_fits "usual title bar"
size=$(client_size "$window")
off_x=$(( fx + fw / 2 - SCREEN_W / 2 )) off_y=$(( fy + fh / 2 - WORK_H / 2 ))
[ "${off_x#-}" -le 30 ] && [ "${off_y#-}" -le 30 ] || e2e_fail "the game window is not centred in the work area (off by $off_x, $off_y)"

# Openbox maximizes on a double click on the title bar; a fixed-size window keeps its size.
top=$(title_height "$window")
[ "$top" -gt 4 ] || e2e_fail "the game window has no title bar (frame extents: $(xprop -id "$window" _NET_FRAME_EXTENTS))"
xdotool mousemove $((fx + fw / 2)) $((fy + top / 2))
sleep 0.1
xdotool click --repeat 2 --delay 80 1
sleep 1
running "after a double click on its title bar"
[ "$(client_size "$window")" = "$size" ] || e2e_fail "a double click on the title bar resized the game window from $size to $(client_size "$window")"

wmctrl -i -r "$window" -b add,maximized_vert,maximized_horz
sleep 1
running "when asked to maximize"
[ "$(client_size "$window")" = "$size" ] || e2e_fail "a maximize request resized the game window from $size to $(client_size "$window")"
read -r fx fy fw fh <<< "$(e2e_frame "$window")"
inside "$fx" "$fy" "$fw" "$fh" || e2e_fail "after the maximize attempts the game window's frame ${fw}x${fh}+${fx}+${fy} leaves the work area"

# The gear: the third tool button of the second row.
xdotool windowactivate --sync "$window" 2>/dev/null || true
click "$BUTTON_7_X" "$BUTTON_7_Y"
dialog=$(opened '^Options$' "the gear button did not open the options dialog")
read -r dx dy dw dh <<< "$(framed_inside "$dialog" "options dialog")"
off_x=$(( (dx + dw / 2) - (fx + fw / 2) ))
off_y=$(( (dy + dh / 2) - (fy + fh / 2) ))
[ "${off_x#-}" -le 30 ] && [ "${off_y#-}" -le 30 ] || e2e_fail "the options dialog is not centred on the game window (off by $off_x, $off_y)"

dialog_size=$(client_size "$dialog")
xdotool mousemove $((dx + dw / 2)) $((dy + $(title_height "$dialog") / 2))
sleep 0.1
xdotool click --repeat 2 --delay 80 1
sleep 1
running "after a double click on the options dialog's title bar"
[ "$(client_size "$dialog")" = "$dialog_size" ] || e2e_fail "a double click on its title bar resized the options dialog from $dialog_size to $(client_size "$dialog")"

# Keys go to the focused window (Qt ignores keys sent to a window by id).
xdotool windowactivate --sync "$dialog" 2>/dev/null || xdotool windowfocus --sync "$dialog"
xdotool key Escape
for _ in $(seq 1 50); do
  xdotool search --onlyvisible --name '^Options$' >/dev/null 2>&1 || break
  sleep 0.1
done
if xdotool search --onlyvisible --name '^Options$' >/dev/null 2>&1; then e2e_fail "Escape did not close the options dialog"; fi
running "when the options dialog closed"

# The help window (the help button's menu, first entry) is taller than the
# work area would allow: it shows whole, title bar and all, a handle below.
xdotool windowactivate --sync "$window" 2>/dev/null || true
click "$BUTTON_9_X" "$BUTTON_9_Y"
sleep 0.5
xdotool key Down Return
help=$(opened 'Help$' "the help menu did not open the help window")
framed_inside "$help" "help window" >/dev/null
xdotool windowclose "$help" 2>/dev/null || true
running "when the help window was open"
e2e_close_window "$window"
e2e_wait_for_end "$pid"

# A theme with a large title font: the frame is only known once the window
# shows, and the window must still fit with it.
e2e_tall_titlebars "$E2E_ROOT/tall.xml"
{ kill "$E2E_WM_PID"; wait "$E2E_WM_PID"; } 2>/dev/null || true
e2e_start_wm --config-file "$E2E_ROOT/tall.xml"
work_area_set
e2e_run_game 3 4
top=$(title_height "$window")
[ "$top" -ge 36 ] || e2e_fail "the large title font gave a title bar of only $top pixels"
game_fits "title bar of $top pixels"
e2e_close_window "$window"
e2e_wait_for_end "$pid"
[ ! -f "$E2E_PROGRAM_DIR/tessaron.EPT" ] || { cat "$E2E_PROGRAM_DIR/tessaron.EPT"; e2e_fail "an error was logged"; }
echo "with a panel the game window and the options dialog stayed inside the work area and kept their size"
