#!/usr/bin/env bash
# A network game on 127.0.0.1: a host and two joining computers, each on a
# screen of its own, join by address and play a 3 x 4 game to its end with
# the mouse, each click at the screen whose turn it is. Every screen shows
# the same board, the same scores and the same winner.
set -euo pipefail
program=$1
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"
source "$here/network_lib.sh"

net_host_and_two_joining 471195

# The three players show on every screen before the game starts.
net_layout host 3 4
for name in ben cleo; do
  net_same_state "$name"
done
grep -q 'scores=Anna:0,Ben:0,Cleo:0' <<< "$(net_state ben)" || net_fail "the players are not Anna, Ben and Cleo: $(net_state ben)"

# Start is the host's; on a joining computer it does nothing.
before=$(net_state host)
net_click ben "$START_X" "$START_Y"
sleep 1
[ "$(net_field "$(net_state host)" idle)" = 1 ] || net_fail "Start on a joining computer started the game"
net_click host "$START_X" "$START_Y"
net_state_changes "$before" 20 || net_fail "the host's Start began no game"

NET_WRONG_ONCE=1
net_play_turns 60
final=$(net_actionable)
placed=$(net_field "$final" placed)
[ "$placed" = 12/12 ] || net_fail "the game did not end: $final"

# Every screen shows the same last state and the same winner.
for name in ben cleo; do net_same_state "$name"; done
scores=$(net_field "$final" scores)
echo "final scores: $scores"
best=$(tr ',' '\n' <<< "$scores" | sort -t: -k2 -n -r | head -n 1)
winner=${best%%:*}
if [ "$(tr ',' '\n' <<< "$scores" | grep -c ":${best#*:}\$")" -gt 1 ]; then notice='^network: notice 128'; else notice="^network: notice 127 $winner\$"; fi
for name in host ben cleo; do
  net_wait_log "$name" "$notice"
  # The box itself shows on each screen.
  for _ in $(seq 1 100); do [ "$(net_boxes "$name")" -gt 0 ] && break; sleep 0.1; done
  [ "$(net_boxes "$name")" -gt 0 ] || net_fail "no message box on $name's screen"
done
[ "$(net_field "$final" scores)" != "Anna:0,Ben:0,Cleo:0" ] || net_fail "nobody scored"
for name in ben cleo; do
  grep -q '^network: sent' "${NET_LOG[$name]}" || net_fail "$name sent no action"
done

for name in cleo ben host; do kill "${NET_PID[$name]}" 2>/dev/null || true; done
echo "three screens played a 3 x 4 game; each showed $scores and the same winner"
