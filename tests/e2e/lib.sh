# Shared set-up of the end-to-end tests: each run gets its own X server, HOME,
# XDG folders, temporary folder and program folder, all removed afterwards.

E2E_ROOT=$(mktemp -d "${TMPDIR:-/tmp}/tessaron-e2e-XXXXXX")
export HOME="$E2E_ROOT/home" XDG_CONFIG_HOME="$E2E_ROOT/config" XDG_DATA_HOME="$E2E_ROOT/data"
export XDG_CACHE_HOME="$E2E_ROOT/cache" TMPDIR="$E2E_ROOT/tmp" XDG_RUNTIME_DIR="$E2E_ROOT/runtime"
export SDL_AUDIODRIVER=dummy
unset QT_QPA_PLATFORM DISPLAY
# No session bus unless a test starts its own (e2e_start_accessibility).
# Without an address D-Bus would fork a launcher from the program to start one
# on the test's X server; the sanitizer build's allocator does not survive a
# fork while the start's other threads allocate (the child hangs before it
# runs the launcher, and the program with it).
export DBUS_SESSION_BUS_ADDRESS="unix:path=$E2E_ROOT/no-session-bus"
mkdir -p -m 700 "$XDG_RUNTIME_DIR"
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_CACHE_HOME" "$TMPDIR"
E2E_PROGRAM_DIR="$E2E_ROOT/program"
E2E_XVFB_PID=""
E2E_WM_PID=""

E2E_HELPER_PIDS=()

e2e_cleanup() {
  local helper
  # Helpers (a panel, a compositor) go before the X server they draw on.
  # One that has already ended must not stop the clean-up (set -e holds here too).
  for helper in "${E2E_HELPER_PIDS[@]}"; do kill "$helper" 2>/dev/null || true; done
  [ -z "$E2E_WM_PID" ] || kill "$E2E_WM_PID" 2>/dev/null || true
  [ -z "$E2E_XVFB_PID" ] || kill "$E2E_XVFB_PID" 2>/dev/null || true
  rm -rf "$E2E_ROOT"
}
trap e2e_cleanup EXIT

e2e_fail() {
  echo "FAIL: $*" >&2
  [ -f "$E2E_ROOT/stderr.log" ] && sed 's/^/  program: /' "$E2E_ROOT/stderr.log" >&2
  exit 1
}

# Starts Xvfb on the first free display number, with a window manager so
# windows get frames and close requests as on a desktop.
# An optional size (WIDTHxHEIGHT) stands for a smaller or larger screen.
e2e_start_xvfb() {
  e2e_start_xserver "${1:-1280x1024}"
  e2e_start_wm
}

# Starts Xvfb alone, SIZE pixels (WIDTHxHEIGHT), and sets DISPLAY.
e2e_start_xserver() {
  # The server picks a free display itself, so tests can run side by side.
  local number_file="$E2E_ROOT/display"
  # -noreset: without it the server resets whenever its last client leaves (each
  # wmctrl poll), and a client connecting during a reset is refused.
  Xvfb -displayfd 3 -screen 0 "$1x24" -nolisten tcp -noreset 3>"$number_file" >/dev/null 2>&1 &
  E2E_XVFB_PID=$!
  for _ in $(seq 1 100); do
    if [ -s "$number_file" ]; then
      export DISPLAY=":$(head -n 1 "$number_file")"
      break
    fi
    sleep 0.05
  done
  [ -n "${DISPLAY:-}" ] || e2e_fail "could not start Xvfb"
}

# Starts openbox on $DISPLAY, with openbox's ARGS if given.
e2e_start_wm() {
  # Up to three tries of 10 s each: a loaded machine (the sanitizer build,
  # fuzzers beside) starts it slowly, and once in a while it ends at start.
  local try
  for try in 1 2 3; do
    openbox --sm-disable "$@" >>"$E2E_ROOT/openbox.log" 2>&1 &
    E2E_WM_PID=$!
    for _ in $(seq 1 200); do
      wmctrl -m >/dev/null 2>&1 && return 0
      kill -0 "$E2E_WM_PID" 2>/dev/null || break
      sleep 0.05
    done
    echo "openbox try $try: not managing the screen" >>"$E2E_ROOT/openbox.log"
    { kill "$E2E_WM_PID"; wait "$E2E_WM_PID"; } 2>/dev/null || true
  done
  sed 's/^/  openbox: /' "$E2E_ROOT/openbox.log" >&2
  e2e_fail "the window manager did not start"
}

# e2e_tall_titlebars FILE: writes an openbox configuration whose title bars
# are tall (a large title font), for e2e_start_wm --config-file FILE.
e2e_tall_titlebars() {
  cat > "$1" <<'XML'
<?xml version="1.0" encoding="UTF-8"?>
<openbox_config xmlns="http://openbox.org/3.4/rc">
  <theme>
    <name>Clearlooks</name>
    <titleLayout>NLIMC</titleLayout>
    <font place="ActiveWindow"><name>sans</name><size>20</size><weight>bold</weight></font>
    <font place="InactiveWindow"><name>sans</name><size>20</size><weight>bold</weight></font>
  </theme>
</openbox_config>
XML
}

# Copies the program with its picture folder into this run's own program folder.
e2e_copy_program() {
  local program=$1
  mkdir -p "$E2E_PROGRAM_DIR"
  cp "$program" "$E2E_PROGRAM_DIR/"
  if [ -d "$(dirname "$program")/pics" ]; then
    cp -r "$(dirname "$program")/pics" "$E2E_PROGRAM_DIR/"
  fi
}

# The language table of the running copy with process id PID (each copy has
# a folder of its own, "<pid>-XXXXXX"); empty when there is none.
e2e_language_table() {
  local table
  for table in "$XDG_RUNTIME_DIR/Tessaron/$1-"*/~tmp.lng; do
    [ -f "$table" ] && echo "$table" && return 0
  done
  return 0
}

# Asks a window to close, as its close button does.
e2e_close_window() {
  wmctrl -i -c "$1"
}

# Prints the id of the game window (the large "Tessaron" window) once it
# shows; with a process id, the game window of that process.
e2e_game_window() {
  local candidate width by_process=()
  [ -n "${1:-}" ] && by_process=(--all --pid "$1")
  # Up to 30 s: the sanitizer build starts slowly on a busy machine.
  for _ in $(seq 1 300); do
    for candidate in $(xdotool search "${by_process[@]}" --onlyvisible --name '^Tessaron$' 2>/dev/null); do
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

# Tells what the program with process id PID shows and does, for a test that
# waited in vain: its windows, its state and, where gdb is there, its threads.
e2e_describe_program() {
  local candidate
  echo "the program's windows:" >&2
  for candidate in $(xdotool search --all --pid "$1" --name '' 2>/dev/null); do
    echo "  $candidate \"$(xdotool getwindowname "$candidate" 2>/dev/null)\" $(xdotool getwindowgeometry "$candidate" 2>/dev/null | tr -s '\n ' ' ')" >&2
  done
  echo "its state: $(ps -o stat=,etime=,time= -p "$1" 2>/dev/null || echo ended)" >&2
  if kill -0 "$1" 2>/dev/null && command -v gdb >/dev/null; then
    gdb -batch -p "$1" -ex 'thread apply all bt 12' 2>/dev/null | grep -E '^(Thread|#)' | sed 's/^/  /' >&2 || true
  fi
}

# Waits up to 5 s for the program to end; fails unless it ends with status 0.
e2e_wait_for_end() {
  local pid=$1 status=0
  for _ in $(seq 1 50); do
    if ! kill -0 "$pid" 2>/dev/null || [ "$(ps -o stat= -p "$pid" 2>/dev/null | cut -c1)" = "Z" ]; then
      wait "$pid" || status=$?
      [ "$status" -eq 0 ] || e2e_fail "the program ended with status $status"
      return 0
    fi
    sleep 0.1
  done
  kill "$pid" 2>/dev/null || true
  e2e_fail "the program did not end"
}

# --- playing through the window; $window and the layout variables must be set.
shot() { import -window "$window" "$E2E_ROOT/$1.png"; }
# crop SHOT X Y NAME: one cell-sized piece of a screenshot.
crop() { convert "$E2E_ROOT/$1.png" -crop "${CELL_W}x${CELL_H}+$2+$3" +repage "$E2E_ROOT/$4.png"; }
# How far one picture is from another: 0 the same, 1 all different.
distance() { { compare -metric RMSE "$1" "$2" null: 2>&1 || true; } | sed -n 's/.*(\(.*\)).*/\1/p'; }
below() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a < b) }'; }
click() { xdotool mousemove --window "$window" "$1" "$2"; sleep 0.05; xdotool click 1; }

# e2e_cut_picture PICTURE ROWS COLS: the picture cut like the board, ref0.png ...
e2e_cut_picture() {
  local rows=$2 cols=$3 n
  convert "$1" -resize "$((CELL_W * cols))x$((CELL_H * rows))!" "$E2E_ROOT/picture.png"
  for n in $(seq 0 $((rows * cols - 1))); do
    convert "$E2E_ROOT/picture.png" -crop "${CELL_W}x${CELL_H}+$(( (n % cols) * CELL_W ))+$(( (n / cols) * CELL_H ))" \
      +repage "$E2E_ROOT/ref$n.png"
  done
  E2E_PIECES=$((rows * cols))
}

# e2e_eventually COMMAND...: whether COMMAND succeeds within 5 s; the program draws at its own pace.
e2e_eventually() {
  for _ in $(seq 1 25); do "$@" && return 0; sleep 0.2; done
  return 1
}

# e2e_preview_shows SHOT PICTURE: whether the game window's preview, in a new
# screenshot SHOT, shows PICTURE.
e2e_preview_shows() {
  shot "$1"
  convert "$E2E_ROOT/$1.png" -crop "${PREVIEW_W}x${PREVIEW_H}+${PREVIEW_X}+${PREVIEW_Y}" +repage "$E2E_ROOT/$1-preview.png"
  convert "$2" -resize "${PREVIEW_W}x${PREVIEW_H}!" "$E2E_ROOT/expected-preview.png"
  below "$(distance "$E2E_ROOT/expected-preview.png" "$E2E_ROOT/$1-preview.png")" 0.1
}

# e2e_draw_first_piece: Start, then the stack; sets $cell to the cell whose
# piece of the cut picture (e2e_cut_picture) turns over, or fails the test.
e2e_draw_first_piece() {
  click "$START_X" "$START_Y"
  sleep 0.5
  click $((STACK_X + CELL_W / 2)) $((STACK_Y + CELL_H / 2))
  drawn() {
    shot drawn
    crop drawn "$STACK_X" "$STACK_Y" piece
    cell=$(e2e_which_piece "$E2E_ROOT/piece.png")
    below "$(distance "$E2E_ROOT/ref$cell.png" "$E2E_ROOT/piece.png")" 0.12
  }
  e2e_eventually drawn
}

# e2e_which_piece CROP: the cell whose piece of the picture CROP shows.
e2e_which_piece() {
  local best=-1 best_distance=2 n d
  for n in $(seq 0 $((E2E_PIECES - 1))); do
    d=$(distance "$E2E_ROOT/ref$n.png" "$1")
    if below "$d" "$best_distance"; then best=$n; best_distance=$d; fi
  done
  echo "$best"
}

E2E_HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

# e2e_settings TEXT: the player's settings file (printf format).
e2e_settings() {
  mkdir -p "$XDG_CONFIG_HOME/Tessaron"
  # shellcheck disable=SC2059
  printf "$1" > "$XDG_CONFIG_HOME/Tessaron/Tessaron.ini"
}

# e2e_run_game ROWS COLS [PROGRAM]: starts the game (the copied program by
# default), waits for its window and sets $pid, $window and the layout of a
# ROWS x COLS board (layout.py).
e2e_run_game() {
  local rows=$1 cols=$2 program=${3:-$E2E_PROGRAM_DIR/tessaron} width height
  "$program" >>"$E2E_ROOT/stdout.log" 2>>"$E2E_ROOT/stderr.log" &
  pid=$!
  window=$(e2e_game_window) || { e2e_describe_program "$pid"; e2e_fail "the game window did not appear"; }
  sleep 1
  read -r width height <<< "$(xdotool getwindowgeometry "$window" | sed -n 's/.*Geometry: \([0-9]*\)x\([0-9]*\).*/\1 \2/p')"
  eval "$(python3 "$E2E_HERE/layout.py" "$width" "$height" "$rows" "$cols")"
}

# e2e_start_panel HEIGHT: a panel along the bottom of the screen that keeps
# HEIGHT pixels from the work area (panel.py); runs until the test ends.
e2e_start_panel() {
  /usr/bin/python3 "$E2E_HERE/panel.py" "$1" >"$E2E_ROOT/panel.log" 2>&1 &
  E2E_HELPER_PIDS+=("$!")
  local panel="" y=""
  for _ in $(seq 1 100); do
    grep -q '^ready' "$E2E_ROOT/panel.log" && panel=$(xdotool search --name '^panel$' | head -n 1) && break
    sleep 0.1
  done
  [ -n "$panel" ] || { cat "$E2E_ROOT/panel.log" >&2; e2e_fail "the panel did not start"; }
  # The window manager places it where it likes (it asks for no place): down to the bottom edge.
  local bottom=$(( $(xwininfo -root | awk '/Height:/ { print $2 }') - $1 ))
  for _ in $(seq 1 50); do
    xdotool windowmove "$panel" 0 "$bottom"
    y=$(xwininfo -id "$panel" | awk '/Absolute upper-left Y/ { print $4 }')
    [ "$y" = "$bottom" ] && return 0
    sleep 0.1
  done
  e2e_fail "the panel stays at y=$y, not at the bottom edge"
}

# e2e_frame WINDOW: "X Y WIDTH HEIGHT" of the window with the frame the window
# manager put around it (_NET_FRAME_EXTENTS), in screen coordinates.
e2e_frame() {
  local x y width height left=0 right=0 top=0 bottom=0 extents
  read -r x y width height <<< "$(xwininfo -id "$1" | awk -F: '
    /Absolute upper-left X/ { x = $2 } /Absolute upper-left Y/ { y = $2 }
    /^ *Width/ { w = $2 } /^ *Height/ { h = $2 } END { print x, y, w, h }')"
  extents=$(xprop -id "$1" _NET_FRAME_EXTENTS | sed -n 's/.*= //p' | tr -d ,)
  [ -n "$extents" ] && read -r left right top bottom <<< "$extents"
  echo "$((x - left)) $((y - top)) $((width + left + right)) $((height + top + bottom))"
}

# e2e_start_weston NAME WIDTH HEIGHT: weston in a window on $DISPLAY, its
# socket NAME in this run's runtime folder; sets WAYLAND_DISPLAY for clients.
e2e_start_weston() {
  weston --backend=x11-backend.so --use-pixman --no-config --width="$2" --height="$3" --socket="$1" \
    >"$E2E_ROOT/weston.log" 2>&1 &
  E2E_HELPER_PIDS+=("$!")
  for _ in $(seq 1 200); do
    if [ -S "$XDG_RUNTIME_DIR/$1" ]; then
      export WAYLAND_DISPLAY=$1
      return 0
    fi
    sleep 0.1
  done
  sed 's/^/  weston: /' "$E2E_ROOT/weston.log" >&2
  e2e_fail "weston did not start"
}

# e2e_running PID: whether the program still runs (an ended child not yet
# waited for is still there as a zombie).
e2e_running() {
  kill -0 "$1" 2>/dev/null && [ "$(ps -o stat= -p "$1" 2>/dev/null | cut -c1)" != Z ]
}

# e2e_window_named TITLE: prints the id of a window with that exact title
# once it shows (up to 10 s); fails when none does.
e2e_window_named() {
  local id
  for _ in $(seq 1 100); do
    id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1) || true
    [ -n "$id" ] && echo "$id" && return 0
    sleep 0.1
  done
  return 1
}

# e2e_window_gone ID: waits up to 10 s for the window to close; fails if it stays.
e2e_window_gone() {
  for _ in $(seq 1 100); do
    xwininfo -id "$1" 2>/dev/null | grep -q 'Map State: IsViewable' || return 0
    sleep 0.1
  done
  return 1
}

# e2e_start_accessibility: a session bus and an accessibility bus (AT-SPI) of
# this run's own, ended with the run; programs started later put their
# controls on it.
e2e_start_accessibility() {
  eval "$(dbus-launch --sh-syntax)"
  /usr/libexec/at-spi-bus-launcher --launch-immediately >/dev/null 2>&1 &
  # The launcher first: it ends by itself when the session bus goes.
  E2E_HELPER_PIDS+=("$!" "$DBUS_SESSION_BUS_PID")
  export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
  sleep 0.5
}

# e2e_stop_helpers: ends the helpers, also when one has ended already (a
# failed kill in an exit trap under set -e would skip the rest of the
# clean-up and leave the X server running).
e2e_stop_helpers() {
  local helper
  for helper in "${E2E_HELPER_PIDS[@]}"; do kill "$helper" 2>/dev/null || true; done
  E2E_HELPER_PIDS=()
}

# e2e_lock_prefix PREFIX: read-only as a system folder is, even for root (the
# immutable flag where the file system has it); e2e_unlock_prefix undoes it.
e2e_lock_prefix() {
  chmod -R a-w "$1"
  if [ "$(id -u)" -eq 0 ]; then
    chattr -R +i "$1" 2>/dev/null || echo "note: the immutable flag is not available here"
  fi
}
e2e_unlock_prefix() {
  chattr -R -i "$1" 2>/dev/null || true
  chmod -R u+w "$1" 2>/dev/null || true
}
