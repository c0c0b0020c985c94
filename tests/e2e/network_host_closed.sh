#!/usr/bin/env bash
# The host's window closed in the middle of a network game: every joining
# computer says that the host ended the game, keeps showing the game, and
# saves it there as a one-screen saved game.
set -euo pipefail
program=$1
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"
source "$here/network_lib.sh"

net_host_and_two_joining 135792
net_layout host 3 4
for name in ben cleo; do net_same_state "$name"; done
before=$(net_state host)
net_click host "$START_X" "$START_Y"
net_state_changes "$before" 20 || net_fail "the host's Start began no game"
net_play_turns 7
shown=$(net_actionable)
for name in ben cleo; do net_same_state "$name"; done

DISPLAY=${NET_DISPLAY[host]} e2e_close_window "${NET_WINDOW[host]}"
# Closing ends the game on every screen: the host is asked first.
net_answer_yes host
for _ in $(seq 1 100); do e2e_running "${NET_PID[host]}" || break; sleep 0.1; done
e2e_running "${NET_PID[host]}" && net_fail "the host's program did not end"
for name in ben cleo; do
  net_wait_log "$name" '^network: ended: .+' 20
  for _ in $(seq 1 100); do [ "$(net_boxes "$name")" -gt 0 ] && break; sleep 0.1; done
  [ "$(net_boxes "$name")" -gt 0 ] || net_fail "$name's screen does not say that the host ended"
  # What it showed stays.
  [ "$(net_state "$name")" = "$shown" ] || net_fail "$name's screen changed when the host ended: $(net_state "$name")"
done
grep -qE '^network: ended: .*(host|Gastgeber)' "${NET_LOG[ben]}" || net_fail "Ben's screen does not tell of the host: $(grep ended "${NET_LOG[ben]}")"

# Ben saves the game on his screen, as a one-screen game.
net_close_dialogs ben
saved="$E2E_PROGRAM_DIR/Quadrello.qdr"
rm -f "$saved"
net_click ben "$BUTTON_5_X" "$BUTTON_5_Y"
for _ in $(seq 1 100); do [ -s "$saved" ] && break; sleep 0.1; done
[ -s "$saved" ] || net_fail "Save on Ben's screen wrote no saved game"
for text in Anna Ben Cleo; do grep -qF "$text" "$saved" || net_fail "the saved game lacks $text"; done

for name in cleo ben; do kill "${NET_PID[$name]}" 2>/dev/null || true; done
echo "the host closed; both joining screens said so, kept the game, and Ben saved it"
