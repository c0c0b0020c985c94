#!/usr/bin/env bash
# The real program under Xvfb: the start-up window settles the language and
# loads the game window, which comes up idle, laid out 4:3, with the gold
# frame around the board; closing it ends the program and, with music on,
# removes the language table from the temporary folder.
set -euo pipefail
program=$1
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"

e2e_start_xvfb
e2e_copy_program "$program"

"$E2E_PROGRAM_DIR/tessaron" >"$E2E_ROOT/stdout.log" 2>"$E2E_ROOT/stderr.log" &
pid=$!

window=$(e2e_game_window) || e2e_fail "the game window did not appear"
sleep 1 # let the first activation finish

geometry=$(xdotool getwindowgeometry "$window" | sed -n 's/.*Geometry: //p')
width=${geometry%x*}
height=${geometry#*x}
echo "game window $width x $height"
[ $((width * 3 - height * 4)) -le 4 ] && [ $((height * 4 - width * 3)) -le 4 ] || e2e_fail "client area $geometry is not 4:3"

visible=$(xdotool search --onlyvisible --name '^Tessaron$' | wc -l)
[ "$visible" -eq 1 ] || e2e_fail "the start-up window did not close itself ($visible windows)"

# Each running copy keeps its temporary files in a folder named by its process.
table=$(e2e_language_table "$pid")
[ -f "$table" ] || e2e_fail "the language table was not written to the temporary folder"
grep -q '^Sprache=' "$XDG_CONFIG_HOME/Tessaron/Tessaron.ini" || e2e_fail "activation did not store the language"

shot="$E2E_ROOT/game.png"
import -window "$window" "$shot"
[ -n "${E2E_KEEP_SHOTS:-}" ] && cp "$shot" "$E2E_KEEP_SHOTS/game_window.png"
# Sample the picture: black at the far left below the preview, gold in the frame.
pixel() { convert "$shot" -format "%[fx:int(255*p{$1,$2}.r)] %[fx:int(255*p{$1,$2}.g)] %[fx:int(255*p{$1,$2}.b)]" info:; }
read -r r g b <<< "$(pixel 5 $((height * 85 / 100)))"
[ "$r" -lt 20 ] && [ "$g" -lt 20 ] && [ "$b" -lt 20 ] || e2e_fail "expected black at the left, got $r $g $b"
# The frame's top edge: 17.5 f above the board top (board top = near(bx x 0.72)).
f100=$((width * 90 / 1024))              # f x 100
bw=$((height * 93 / 100))
bx=$(( (width - bw) * 10 / 11 ))
by=$((bx * 72 / 100))
read -r r g b <<< "$(pixel $((bx + bw / 2)) $((by - f100 * 9 / 100)))"
[ "$r" -gt 150 ] && [ "$g" -gt 100 ] && [ "$b" -lt 120 ] || e2e_fail "expected the gold frame above the board, got $r $g $b"

e2e_close_window "$window"
e2e_wait_for_end "$pid"
[ ! -f "$table" ] || e2e_fail "closing with music on left the language table behind"
echo "the game window came up, was laid out 4:3 and closing it ended the program"
