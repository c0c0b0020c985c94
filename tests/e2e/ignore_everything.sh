#!/usr/bin/env bash
# A player who answers every error with Ignore: the real program with hostile
# settings, a picture file that is no picture and hostile saved games, every
# error report answered with Ignore and every message with OK (over the
# accessibility bus). The program must go on: no sanitizer report (in the
# sanitizer build), no hang, and afterwards a saved game loads and a piece is
# drawn and laid with the mouse; it ends cleanly.
set -euo pipefail
program=$1
picture=$2 # the carried picture 201, to recognise the pieces by
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"

e2e_start_xvfb
e2e_start_accessibility
e2e_copy_program "$program"
mkdir -p "$E2E_PROGRAM_DIR/pics"
printf 'not a picture at all' >"$E2E_PROGRAM_DIR/pics/broken.jpg"
e2e_settings '[Optionen]\nnumPlayers=5\nSize=-32768\nSprache=32767\nRahmen=7\nMusicloop=99\nTime=0\nPlayMusic=0\nPlaySound=0\n[Pictures]\nAlbum=x\nBack=99\nPicture=0\nFile=broken.jpg\n'
saved="$E2E_PROGRAM_DIR/Quadrello.qdr"

# saved_game SIZE ALBUM PICTURE FILE PLAYERS SCORES ROWS MARKS: a record as the game writes it.
saved_game() {
  python3 - "$@" >"$saved" <<'EOF'
import struct, sys
size, album, picture, path, players = int(sys.argv[1]), int(sys.argv[2]), int(sys.argv[3]), sys.argv[4].encode(), int(sys.argv[5])
scores, rows, marks = ([int(v) for v in a.split(",")] for a in sys.argv[6:9])
text = lambda b: struct.pack("<h", len(b)) + b
record = struct.pack("<hh", picture, album) + text(path) + struct.pack("<hh", 0, size)
record += struct.pack("<13i", *(rows + [0] * (13 - len(rows))))
record += struct.pack("<h", players) + struct.pack("<4i", *(scores + [0] * (4 - len(scores))))
record += b"".join(text(n if i < players else b"") for i, n in enumerate([b"Anna", b"Ben", b"", b""]))
record += struct.pack("<21h", *(marks + [0] * (21 - len(marks))))
sys.stdout.buffer.write(record)
EOF
}

/usr/bin/python3 "$here/ignore_errors.py" "$E2E_ROOT/answers.log" >"$E2E_ROOT/ignorer.log" 2>&1 &
E2E_HELPER_PIDS+=("$!")
touch "$E2E_ROOT/answers.log"

fail() {
  sed 's/^/  answers: /' "$E2E_ROOT/answers.log" "$E2E_ROOT/ignorer.log" | tail -n 30 >&2
  e2e_fail "$@"
}

answers() { grep -c -E ' (ignore|ok)$' "$E2E_ROOT/answers.log" || true; }

# Waits until no report or message has come for 4 s (up to 150 s); fails
# when the program ended, a sanitizer spoke or the reports never stop.
settle() {
  local count last quiet=0
  last=$(answers)
  for _ in $(seq 1 300); do
    sleep 0.5
    e2e_running "$pid" || fail "the program ended ($1)"
    ! grep -q -E 'AddressSanitizer|LeakSanitizer|runtime error:' "$E2E_ROOT/stderr.log" \
      || fail "a sanitizer report ($1)"
    count=$(answers)
    if [ "$count" = "$last" ]; then
      quiet=$((quiet + 1))
      [ "$quiet" -ge 8 ] && return 0
    else
      quiet=0
      last=$count
    fi
  done
  fail "the reports never stopped ($1)"
}

# The reports come before the game window shows: it may take a while.
"$E2E_PROGRAM_DIR/tessaron" >>"$E2E_ROOT/stdout.log" 2>>"$E2E_ROOT/stderr.log" &
pid=$!
window=""
for _ in $(seq 1 12); do
  window=$(e2e_game_window "$pid") && break
  e2e_running "$pid" || fail "the program ended at its start"
done
[ -n "$window" ] || fail "the game window did not appear"
settle "the start with hostile settings"
read -r width height <<< "$(xdotool getwindowgeometry "$window" | sed -n 's/.*Geometry: \([0-9]*\)x\([0-9]*\).*/\1 \2/p')"
eval "$(python3 "$here/layout.py" "$width" "$height" 3 4)"
# Settings read with their checks may simply be back at their defaults: the
# saved games below raise reports whatever the settings held.
echo "at the start: $(answers) reports and messages answered"

# The English flag: the texts are found again, whatever the settings held.
click "$FLAG_1_X" "$FLAG_1_Y"
settle "the English flag"

# A saved game no game can hold (99990 points, one piece left, a joker mark 0): refused with a message.
before=$(answers)
saved_game 0 0 101 "" 1 99990 0,15,15,14 5
click "$BUTTON_6_X" "$BUTTON_6_Y"
settle "a hostile saved game"
[ "$(answers)" -gt "$before" ] || fail "the hostile saved game was not refused with a message"

# A saved game whose picture is no picture: the error is ignored and the game loads.
before=$(answers)
saved_game 0 1 101 "$E2E_PROGRAM_DIR/pics/broken.jpg" 2 0,0 0 0
click "$BUTTON_6_X" "$BUTTON_6_Y"
settle "a saved game with a broken picture"
[ "$(answers)" -gt "$before" ] || fail "the broken picture raised no report"

# A good saved game: the built-in picture 201 on 3 x 4, nothing laid yet.
saved_game 0 0 101 "" 2 0,0 0 0
click "$BUTTON_6_X" "$BUTTON_6_Y"
settle "a good saved game"
e2e_cut_picture "$picture" 3 4

# The window is usable: a draw, then the piece laid on its cell.
# A click that comes while a procedure still runs is dropped: clicked again
# now and then (once a piece is in hand, the stack takes no click).
cell=-1
for try in $(seq 0 39); do
  [ $((try % 8)) -eq 0 ] && click $((STACK_X + CELL_W / 2)) $((STACK_Y + CELL_H / 2))
  sleep 0.25
  shot drawn
  crop drawn "$STACK_X" "$STACK_Y" piece
  cell=$(e2e_which_piece "$E2E_ROOT/piece.png")
  [ "$cell" -ge 0 ] && below "$(distance "$E2E_ROOT/ref$cell.png" "$E2E_ROOT/piece.png")" 0.12 && break
  cell=-1
done
[ "$cell" -ge 0 ] || fail "after all the ignored errors, a click on the stack drew no piece"
eval "x=\$CELL_${cell}_X; y=\$CELL_${cell}_Y"
laid=no
for try in $(seq 0 39); do
  [ $((try % 8)) -eq 0 ] && click "$x" "$y"
  sleep 0.25
  shot laid
  crop laid $((x - CELL_W / 2)) $((y - CELL_H / 2)) cell
  if below "$(distance "$E2E_ROOT/ref$cell.png" "$E2E_ROOT/cell.png")" 0.12; then laid=yes; break; fi
done
[ "$laid" = yes ] || fail "the piece drawn was not laid on cell $cell"
settle "the turn"

e2e_close_window "$window"
e2e_wait_for_end "$pid"
! grep -q -E 'AddressSanitizer|LeakSanitizer|runtime error:' "$E2E_ROOT/stderr.log" || fail "a sanitizer report"
echo "$(answers) reports and messages answered (Ignore, OK); the game went on and ended cleanly"
