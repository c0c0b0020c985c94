#!/usr/bin/env bash
# A joining computer killed in the middle of a network game: its turns pass
# as a time-out passes them, the others play on, and it comes back with the
# same name and code to its own seat, shows the game as it stands and plays
# it to the end with the others.
set -euo pipefail
program=$1
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"
source "$here/network_lib.sh"

net_host_and_two_joining 246813
ben_seat=$(net_seat_of ben)
net_layout host 3 4
for name in ben cleo; do net_same_state "$name"; done

before=$(net_state host)
net_click host "$START_X" "$START_Y"
net_state_changes "$before" 20 || net_fail "the host's Start began no game"
net_play_turns 6

# Ben's computer goes without a word.
kill -KILL "${NET_PID[ben]}"
wait "${NET_PID[ben]}" 2>/dev/null || true
NET_AWAY[ben]=1
net_wait_log host "^network: seat $ben_seat lost"
# The game goes on; Ben's turn, when it comes, passes at once.
net_play_turns 8
net_wait_log host "^network: skipping the turn of seat $ben_seat"

# Back with the same name and code: the same seat, the game as it stands.
net_start ben --join "127.0.0.1:$port" --code 246813 --name Ben
# The log goes on from the first run: wait for a second join, not the first.
for _ in $(seq 1 300); do
  [ "$(grep -c '^network: joined seat' "${NET_LOG[ben]}")" -ge 2 ] && break
  sleep 0.1
done
[ "$(grep -c '^network: joined seat' "${NET_LOG[ben]}")" = 2 ] || net_fail "Ben did not join a second time"
[ "$(grep '^network: joined seat' "${NET_LOG[ben]}" | tail -n 1)" = "network: joined seat $ben_seat" ] \
  || net_fail "Ben came back on another seat: $(grep '^network: joined seat' "${NET_LOG[ben]}" | tail -n 1)"
net_no_boxes ben
NET_AWAY[ben]=""
net_same_state ben
net_play_turns 60
final=$(net_actionable)
[ "$(net_field "$final" placed)" = 12/12 ] || net_fail "the game did not end: $final"
for name in ben cleo; do net_same_state "$name"; done
# Ben's turns after coming back were his own.
last_join=$(grep -n '^network: joined seat' "${NET_LOG[ben]}" | tail -n 1 | cut -d: -f1)
tail -n +"$last_join" "${NET_LOG[ben]}" | grep -q '^network: sent' || net_fail "Ben played no turn after coming back"

for name in cleo ben host; do kill "${NET_PID[$name]}" 2>/dev/null || true; done
echo "Ben left mid-game, his turns passed, he came back to seat $ben_seat and the game ended on every screen with $(net_field "$final" scores)"
