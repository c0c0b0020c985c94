# Shared parts of the network game's end-to-end tests: each computer is a
# copy of the program on an X server of its own, all on 127.0.0.1, each
# writing what its screen shows to its log (TESSARON_NETWORK_TRACE).
# Source after lib.sh.

declare -A NET_PID NET_DISPLAY NET_LOG NET_WINDOW

# No system bus: a host here must not offer its game on the real network
# through the machine's Avahi daemon. Joining goes by address.
export DBUS_SYSTEM_BUS_ADDRESS="unix:path=$E2E_ROOT/no-system-bus"

# A port nobody listens on now.
net_free_port() {
  python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}

# net_display NAME: an X server with a window manager for computer NAME.
net_display() {
  unset DISPLAY
  # The server writes its number into this file: not the last server's number.
  rm -f "$E2E_ROOT/display"
  e2e_start_xvfb
  NET_DISPLAY[$1]=$DISPLAY
  # The clean-up ends helpers first, then the last X server: all of them go.
  E2E_HELPER_PIDS+=("$E2E_WM_PID" "$E2E_XVFB_PID")
  E2E_WM_PID="" E2E_XVFB_PID=""
}

# net_start NAME ARGS...: starts the program as computer NAME on its display.
net_start() {
  local name=$1
  shift
  NET_LOG[$name]="$E2E_ROOT/$name.log"
  DISPLAY=${NET_DISPLAY[$name]} TESSARON_NETWORK_TRACE=1 "$E2E_PROGRAM_DIR/tessaron" "$@" \
    >>"$E2E_ROOT/stdout.log" 2>>"${NET_LOG[$name]}" &
  NET_PID[$name]=$!
  NET_WINDOW[$name]=$(DISPLAY=${NET_DISPLAY[$name]} e2e_game_window "${NET_PID[$name]}") \
    || { net_tell; e2e_fail "the game window of $name did not appear"; }
}

# Says what each computer logged, for a test that failed.
net_tell() {
  local name
  for name in "${!NET_LOG[@]}"; do
    echo "--- $name:" >&2
    tail -n 25 "${NET_LOG[$name]}" | sed 's/^/  /' >&2
  done
}

net_fail() {
  net_tell
  e2e_fail "$@"
}

# net_wait_log NAME PATTERN [SECONDS]: waits for a line of NAME's log (grep -E).
net_wait_log() {
  local tries=$(( ${3:-30} * 10 ))
  for _ in $(seq 1 "$tries"); do
    grep -qE -- "$2" "${NET_LOG[$1]}" 2>/dev/null && return 0
    sleep 0.1
  done
  net_fail "$1 never logged '$2'"
}

# net_close_dialogs NAME: closes the windows over NAME's game window (the
# network game dialog the command line opens), once one shows.
net_close_dialogs() {
  local name=$1 id found=""
  for _ in $(seq 1 100); do
    for id in $(DISPLAY=${NET_DISPLAY[$name]} xdotool search --all --pid "${NET_PID[$name]}" --onlyvisible --name '' 2>/dev/null); do
      [ "$id" = "${NET_WINDOW[$name]}" ] && continue
      DISPLAY=${NET_DISPLAY[$name]} wmctrl -i -c "$id" || true
      found=1
    done
    [ -n "$found" ] && break
    sleep 0.1
  done
  [ -n "$found" ] || net_fail "no dialog showed over $name's window"
  for _ in $(seq 1 100); do
    [ "$(net_boxes "$name")" -eq 0 ] && return 0
    sleep 0.1
  done
  net_fail "the dialog over $name's window did not close"
}

# net_no_boxes NAME: waits until no window shows over NAME's game window.
net_no_boxes() {
  for _ in $(seq 1 100); do
    [ "$(net_boxes "$1")" -eq 0 ] && return 0
    sleep 0.1
  done
  net_fail "a window still shows over $1's game window"
}

# net_answer_yes NAME: answers Yes to the question over NAME's game window
# (its button's letter, in English or German), once it shows.
net_answer_yes() {
  local name=$1 id
  for _ in $(seq 1 100); do
    for id in $(DISPLAY=${NET_DISPLAY[$name]} xdotool search --all --pid "${NET_PID[$name]}" --onlyvisible --name '' 2>/dev/null); do
      [ "$id" = "${NET_WINDOW[$name]}" ] && continue
      DISPLAY=${NET_DISPLAY[$name]} xdotool key --window "$id" y 2>/dev/null || true
      sleep 0.3
      DISPLAY=${NET_DISPLAY[$name]} xdotool key --window "$id" j 2>/dev/null || true
      return 0
    done
    sleep 0.1
  done
  net_fail "no question showed over $name's window"
}

# How many windows show over NAME's game window.
net_boxes() {
  local id count=0
  for id in $(DISPLAY=${NET_DISPLAY[$1]} xdotool search --all --pid "${NET_PID[$1]}" --onlyvisible --name '' 2>/dev/null); do
    [ "$id" = "${NET_WINDOW[$1]}" ] || count=$((count + 1))
  done
  echo "$count"
}

# The last state NAME's screen showed (or sent, on the host).
net_state() {
  grep -E '^network: state ' "${NET_LOG[$1]}" 2>/dev/null | tail -n 1 || true
}

# net_field STATE KEY: one value of a state line.
net_field() {
  sed -n "s/.* $2=\([^ ]*\).*/\1/p" <<< "$1"
}

# net_layout NAME ROWS COLS: where the controls are in NAME's window.
net_layout() {
  local width height
  read -r width height <<< "$(DISPLAY=${NET_DISPLAY[$1]} xdotool getwindowgeometry "${NET_WINDOW[$1]}" | sed -n 's/.*Geometry: \([0-9]*\)x\([0-9]*\).*/\1 \2/p')"
  eval "$(python3 "$E2E_HERE/layout.py" "$width" "$height" "$2" "$3")"
}

# net_click NAME X Y: a click into NAME's game window.
net_click() {
  DISPLAY=${NET_DISPLAY[$1]} xdotool mousemove --window "${NET_WINDOW[$1]}" "$2" "$3"
  sleep 0.05
  DISPLAY=${NET_DISPLAY[$1]} xdotool click 1
}

# net_same_state NAME: waits until NAME's screen shows what the host sent last.
net_same_state() {
  local host_state
  for _ in $(seq 1 200); do
    host_state=$(net_state host)
    [ -n "$host_state" ] && [ "$(net_state "$1")" = "$host_state" ] && return 0
    sleep 0.1
  done
  net_fail "$1 shows '$(net_state "$1")', the host sent '$(net_state host)'"
}

# net_state_changes FROM [SECONDS]: waits for the host to send a state other than FROM.
net_state_changes() {
  local tries=$(( ${2:-15} * 10 ))
  for _ in $(seq 1 "$tries"); do
    [ "$(net_state host)" != "$1" ] && return 0
    sleep 0.1
  done
  return 1
}

# net_seat_of NAME: the seat computer NAME joined at.
net_seat_of() {
  sed -n 's/^network: joined seat \([0-9]\).*/\1/p' "${NET_LOG[$1]}" | tail -n 1
}

# net_actionable: waits for the host's state to be one a click can act on
# (a piece in hand, or a stack to draw from, or a full board), and prints it.
# Between, a turn may show half done: the piece laid, the next player not yet.
net_actionable() {
  local state placed
  for _ in $(seq 1 300); do
    state=$(net_state host)
    placed=$(net_field "$state" placed)
    if [ -n "$state" ] && { [ "$(net_field "$state" hand)" -ge 0 ] || [ "$(net_field "$state" stack)" = 1 ] \
      || [ "${placed%/*}" = "${placed#*/}" ]; }; then
      echo "$state"
      return 0
    fi
    sleep 0.1
  done
  net_fail "the host's game stands still: $state"
}

# net_play_turns COUNT: plays up to COUNT clicks of the game at the screens
# whose turns they are (NET_SEAT[seat]=name): draws, and lays each piece
# where it belongs, the first one after a wrong cell when NET_WRONG_ONCE is set.
# Stops early when the board is full. Needs the layout variables.
declare -A NET_SEAT NET_AWAY
net_play_turns() {
  local count=$1 state seat who hand placed pieces wrong x y n
  for _ in $(seq 1 "$count"); do
    state=$(net_actionable)
    placed=$(net_field "$state" placed)
    [ "${placed%/*}" = "${placed#*/}" ] && return 0
    seat=$(net_field "$state" seat)
    hand=$(net_field "$state" hand)
    who=${NET_SEAT[$seat]:-}
    [ -n "$who" ] || net_fail "no computer sits at seat $seat"
    # The turn of a computer that is away passes by itself.
    if [ -n "${NET_AWAY[$who]:-}" ]; then
      net_state_changes "$state" 20 || net_fail "the turn of $who, who is away, did not pass: $state"
      continue
    fi
    # A screen takes the clicks of its turn once it shows that turn.
    [ "$who" = host ] || net_same_state "$who"
    if [ "$hand" -ge 0 ]; then
      # On an empty board every other cell is free to be wrong.
      if [ -n "${NET_WRONG_ONCE:-}" ] && [ "${placed%/*}" = 0 ]; then
        NET_WRONG_ONCE=""
        pieces=${placed#*/}
        wrong=$(( (hand + 1) % pieces ))
        eval "x=\$CELL_${wrong}_X; y=\$CELL_${wrong}_Y"
        net_click "$who" "$x" "$y"
        net_state_changes "$state" || net_fail "a wrong cell at $who changed nothing"
        state=$(net_actionable)
        net_same_state "$who"
      fi
      eval "x=\$CELL_${hand}_X; y=\$CELL_${hand}_Y"
    else
      x=$((STACK_X + CELL_W / 2)) y=$((STACK_Y + CELL_H / 2))
    fi
    net_click "$who" "$x" "$y"
    # A click while the host still runs the step before is dropped, as on one screen: again.
    for n in 1 2 3 4; do
      net_state_changes "$state" 5 && break
      [ "$n" = 4 ] && net_fail "clicks at $who changed nothing: $state"
      net_click "$who" "$x" "$y"
    done
  done
}

# net_host_and_two_joining CODE: the host (Anna, a 3 x 4 board, no time limit,
# no jokers, quiet) on a free port with CODE, and Ben and Cleo joined by
# address; sets `port` and NET_SEAT (seat -> computer).
net_host_and_two_joining() {
  local code=$1 name
  e2e_copy_program "$program"
  e2e_settings '[Optionen]\nnumPlayers=2\nSpieler1=Anna\nTime=0\nSize=0\nJoker=0\nPlayMusic=0\nPlaySound=0\n'
  for name in host ben cleo; do net_display "$name"; done
  port=$(net_free_port)
  net_start host --host --port "$port" --code "$code"
  net_wait_log host "^network: hosting on port $port with code $code"
  net_close_dialogs host
  for name in ben cleo; do
    net_start "$name" --join "127.0.0.1:$port" --code "$code" --name "${name^}"
    net_wait_log "$name" '^network: joined seat'
    # Joined, the network dialog closes by itself.
    net_no_boxes "$name"
  done
  NET_SEAT[0]=host
  NET_SEAT[$(net_seat_of ben)]=ben
  NET_SEAT[$(net_seat_of cleo)]=cleo
  [ "${#NET_SEAT[@]}" = 3 ] || net_fail "the joining computers did not get two seats of their own"
}
