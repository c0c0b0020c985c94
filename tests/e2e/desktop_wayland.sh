#!/usr/bin/env bash
# The game on Wayland (weston, Qt's own title bars): the whole window shows on
# a 1366x768 screen below weston's panel; its maximize button, a double click
# on its title bar and the options dialog's maximize button leave the fixed
# sizes alone and the program running (a fixed size kept against a maximize
# breaks the protocol, and the compositor ends the program); the dialog closes
# with Escape and the close button ends the game cleanly.
set -euo pipefail
program=$1
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"

OUT_W=1366 OUT_H=768
e2e_start_xserver 1400x820
e2e_start_weston tessaron-e2e "$OUT_W" "$OUT_H"
e2e_copy_program "$program"
e2e_settings '[Optionen]\nnumPlayers=1\nPlayMusic=0\nPlaySound=0\nSprache=1000\n'

QT_QPA_PLATFORM=wayland "$E2E_PROGRAM_DIR/tessaron" >"$E2E_ROOT/stdout.log" 2>"$E2E_ROOT/stderr.log" &
pid=$!

n=0
# A screenshot of weston's output (at the X screen's top left), in $latest.
screenshot() { n=$((n + 1)); latest="$E2E_ROOT/shot$n.png"; import -window root "$latest"; }
bars() { /usr/bin/python3 "$here/titlebars.py" "$@"; }
running() {
  e2e_running "$pid" && return 0
  local status=0
  wait "$pid" || status=$?
  e2e_fail "the program ended (status $status) $*"
}
# Nested weston goes by the pointer's relative motion: push it into the
# top left corner, then walk it to X Y in short steps.
pointer_home() {
  xdotool mousemove $((OUT_W - 1)) $((OUT_H - 1))
  for _ in 1 2 3 4 5 6 7 8; do xdotool mousemove_relative -- -200 -200; sleep 0.02; done
}
pointer_to() {
  local x=0 y=0 dx dy
  pointer_home
  while [ "$x" -lt "$1" ] || [ "$y" -lt "$2" ]; do
    dx=$(($1 - x)) dy=$(($2 - y))
    [ "$dx" -le 100 ] || dx=100
    [ "$dy" -le 100 ] || dy=100
    xdotool mousemove_relative -- "$dx" "$dy"
    x=$((x + dx)) y=$((y + dy))
    sleep 0.025
  done
  sleep 0.1
}
# click X Y [REPEAT]; then the pointer leaves, so it hides no button in a screenshot.
click_at() {
  pointer_to "$1" "$2"
  xdotool click --repeat "${3:-1}" --delay 80 1
  sleep 0.2
  pointer_home
}

# look: a new screenshot; $seen is the game window's "LEFT TOP WIDTH HEIGHT"
# in it if it is the active window. Weston places windows itself: the game
# window is the one wide title bar.
look() {
  screenshot
  seen=$(bars "$latest" 800 | awk '$5 == 1 { print $1, $2, $3, $4; exit }')
}
# Found once the start-up window has made way for it and it has the focus.
game=""
for _ in $(seq 1 100); do
  running "before its window showed"
  look
  game=$seen
  [ -n "$game" ] && break
  sleep 0.2
done
[ -n "$game" ] || e2e_fail "the game window did not show"
read -r left top width height <<< "$game"
right=$((left + width - 1))
reference=$latest # the game window active: its buttons as they look then
echo "game window: ${width}x${height}+${left}+${top}"
# Qt's decoration: 3-pixel borders, a 30-pixel title bar; the client is 4:3.
client_w=$((width - 6)) client_h=$(( (width - 6) * 3 / 4 ))
[ "$top" -ge 32 ] || e2e_fail "the game window's title bar (top $top) is under weston's panel"
# The left border runs down the whole window: nothing is cut off at the screen's bottom.
[ $((height - 33 - client_h)) -ge -2 ] && [ $((height - 33 - client_h)) -le 2 ] \
  || e2e_fail "the game window shows $height pixels high, not its whole ${client_w}x${client_h} client and decoration"
[ $((top + height)) -le "$OUT_H" ] || e2e_fail "the game window reaches past the screen's bottom"

# Maximize is offered, and taken and given back.
# back_to_game AFTER: the game window shows again where and as large as it was.
back_to_game() {
  for _ in $(seq 1 30); do
    look
    [ "$seen" = "$game" ] && return 0
    sleep 0.2
  done
  e2e_fail "after $1 the game window is not back to $game: $(bars "$latest" 800)"
}

click_at $((right - 39)) $((top + 15))
sleep 2
running "at a click on the maximize button"
back_to_game "maximize"

click_at $((left + width / 4)) $((top + 15)) 2
sleep 1
running "at a double click on the title bar"
back_to_game "a double click on the title bar"
running "after the double click"

# The gear: the third tool button of the second row, in client coordinates.
eval "$(python3 "$here/layout.py" "$client_w" "$client_h" 3 4)"
click_at $((left + 3 + BUTTON_7_X)) $((top + 30 + BUTTON_7_Y))
# The dialog is the active window now: its buttons look as the game's did.
dialog=""
for _ in $(seq 1 50); do
  running "when the options dialog opened"
  screenshot
  dialog=$(bars "$latest" "$reference" "$right" "$top" | grep -v "^$right $top\$" | head -n 1) || true
  [ -n "$dialog" ] && break
  sleep 0.2
done
[ -n "$dialog" ] || e2e_fail "the gear button did not open the options dialog"
read -r dialog_right dialog_top <<< "$dialog"
echo "options dialog: right edge $dialog_right, top $dialog_top"

click_at $((dialog_right - 39)) $((dialog_top + 15))
sleep 2
running "at a click on the options dialog's maximize button"
for _ in $(seq 1 30); do
  screenshot
  [ "$(bars "$latest" "$reference" "$right" "$top" | head -n 1)" = "$dialog" ] && break
  sleep 0.2
done
now=$(bars "$latest" "$reference" "$right" "$top" | head -n 1)
[ "$now" = "$dialog" ] || e2e_fail "after maximize the options dialog's title bar is at '$now', not back at '$dialog'"

# Escape closes the dialog; the game window is the active one again.
xdotool key Escape
for _ in $(seq 1 30); do
  look
  [ "$seen" = "$game" ] && break
  sleep 0.2
done
[ "$seen" = "$game" ] || e2e_fail "Escape did not close the options dialog: $(bars "$latest" 800)"
running "when the options dialog closed"

click_at $((right - 17)) $((top + 15))
e2e_wait_for_end "$pid"
if grep -q 'Protocol error\|does not match the configured' "$E2E_ROOT/stderr.log"; then e2e_fail "the compositor reported a protocol error"; fi
[ ! -f "$E2E_PROGRAM_DIR/tessaron.EPT" ] || { cat "$E2E_PROGRAM_DIR/tessaron.EPT"; e2e_fail "an error was logged"; }
echo "on Wayland the game window showed whole, kept its size through maximize and ended cleanly"
