#!/usr/bin/env bash
# Runs a program beside a real avahi-daemon, in a network namespace made for
# it: one interface tess0 (10.200.0.1/24; a dummy link, or one end of a veth
# pair where the kernel has no dummy links), a private D-Bus daemon standing
# in for the system bus, and avahi-daemon on tess0 only. Multicast stays in
# the namespace, and every process in it ends with the program.
#
# The program finds DBUS_SYSTEM_BUS_ADDRESS pointing at that bus,
# TESSARON_DISCOVERY_BUS=avahi, TESSARON_AVAHI_ADDRESS=10.200.0.1, and the
# daemon's process id and a script that starts it again (below).
#
# Where the machine does not allow this (no user or network namespaces, no
# avahi-daemon, no dummy or veth links) it says why and exits 77, which CTest
# counts as skipped.
#
# Usage: with_avahi.sh PROGRAM [ARGS...]
# TESSARON_AVAHI_DAEMON and TESSARON_UNSHARE name other programs to use (the
# self-test of the skips names missing ones).
set -uo pipefail

skip() {
  echo "SKIP: $*"
  exit 77
}

address=10.200.0.1
avahi=${TESSARON_AVAHI_DAEMON:-$(command -v avahi-daemon || echo /usr/sbin/avahi-daemon)}
unshare=${TESSARON_UNSHARE:-unshare}

if [ "${1:-}" != --inside ]; then
  [ $# -ge 1 ] || { echo "usage: $0 PROGRAM [ARGS...]" >&2; exit 2; }
  [ -x "$avahi" ] || skip "avahi-daemon is not installed ($avahi); the Debian package is avahi-daemon"
  for tool in ip dbus-daemon mount; do
    command -v "$tool" >/dev/null || skip "$tool is not installed"
  done
  work=$(mktemp -d "${TMPDIR:-/tmp}/tess-avahi.XXXXXX") || exit 1
  trap 'rm -rf "$work"' EXIT
  # Root needs no user namespace; anybody else is root in one of their own.
  # The pid namespace (with a /proc of its own) ends the daemons with the
  # program; --kill-child ends the namespace when CTest's time limit ends
  # this script.
  for users in "" "--user --map-root-user"; do
    # shellcheck disable=SC2086
    if "$unshare" $users --net --mount --pid --fork --mount-proc true 2>/dev/null; then
      # shellcheck disable=SC2086
      "$unshare" $users --net --mount --pid --fork --mount-proc --kill-child "$0" --inside "$work" "$@"
      exit $?
    fi
  done
  skip "network namespaces are not permitted here ($unshare --net --mount --pid failed, with and without a user namespace)"
fi

# Inside the namespace, as its root.
work=$2
shift 2

ip link set lo up || skip "the namespace's loopback cannot be brought up"
if ip link add tess0 type dummy 2>/dev/null; then
  link="a dummy link"
elif ip link add tess0 type veth peer name tess1 2>/dev/null && ip link set tess1 up; then
  link="a veth pair (this kernel has no dummy links)"
else
  skip "neither a dummy link nor a veth pair can be made in the namespace"
fi
ip addr add "$address/24" dev tess0 && ip link set tess0 up multicast on \
  || skip "tess0 cannot be given an address"

# avahi-daemon keeps its pid file and socket in /run/avahi-daemon, whatever
# its options, and wants that folder owned by the user "avahi": here a /run
# of the namespace's own, and an avahi user that is the namespace's root.
# Its static services are none of ours.
mount -t tmpfs tess-run /run || skip "no tmpfs can be mounted in the namespace"
mkdir -p /run/avahi-daemon "$work/services"
{ grep -v '^avahi:' /etc/passwd; echo 'avahi:x:0:0:avahi:/:/usr/sbin/nologin'; } >"$work/passwd"
{ grep -v '^avahi:' /etc/group; echo 'avahi:x:0:'; } >"$work/group"
mount --bind "$work/passwd" /etc/passwd && mount --bind "$work/group" /etc/group \
  || skip "files cannot be bind-mounted in the namespace"
if [ -d /etc/avahi/services ]; then
  mount --bind "$work/services" /etc/avahi/services || skip "files cannot be bind-mounted in the namespace"
fi

cat >"$work/bus.conf" <<EOF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>system</type>
  <listen>unix:path=$work/system_bus_socket</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow user="*"/>
    <allow own="*"/>
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
  </policy>
</busconfig>
EOF
# The daemon prints its address once it listens (its socket's file comes
# before that, when a connection would still be refused).
dbus-daemon --config-file="$work/bus.conf" --nofork --nopidfile --print-address=3 3>"$work/bus.address" >"$work/bus.log" 2>&1 &
bus=$!

cat >"$work/avahi-daemon.conf" <<EOF
[server]
host-name=tessaron-test
use-ipv4=yes
use-ipv6=no
allow-interfaces=tess0
enable-dbus=yes
ratelimit-interval-usec=1000000
ratelimit-burst=1000
[wide-area]
enable-wide-area=no
[publish]
publish-hinfo=no
publish-workstation=no
publish-aaaa-on-ipv4=no
EOF

# Waits up to 60 s (a busy machine) for a condition, while process $2 lives.
wait_for() {
  local i
  for ((i = 0; i < 300; i++)); do
    eval "$1" && return 0
    kill -0 "$2" 2>/dev/null || return 1
    sleep 0.2
  done
  return 1
}

export DBUS_SYSTEM_BUS_ADDRESS=unix:path=$work/system_bus_socket
wait_for '[ -s "$work/bus.address" ]' $bus || { cat "$work/bus.log"; skip "the private D-Bus daemon did not start"; }
# The program may end the daemon (TESSARON_AVAHI_PID) and start it again
# (TESSARON_AVAHI_START), as a package upgrade would.
cat >"$work/start-avahi" <<EOF
#!/bin/sh
exec "$avahi" -f "$work/avahi-daemon.conf" --no-drop-root --no-chroot --no-rlimits --no-proc-title >>"$work/avahi.log" 2>&1
EOF
chmod +x "$work/start-avahi"
"$work/start-avahi" &
daemon=$!
if ! wait_for 'grep -q "Server startup complete" "$work/avahi.log"' $daemon; then
  cat "$work/avahi.log"
  skip "avahi-daemon did not start in the namespace (its log is above)"
fi
echo "avahi-daemon runs on tess0, $link"

export TESSARON_DISCOVERY_BUS=avahi TESSARON_AVAHI_ADDRESS=$address
export TESSARON_AVAHI_PID=$daemon TESSARON_AVAHI_START=$work/start-avahi
"$@"
status=$?
if [ $status -ne 0 ] && [ $status -ne 77 ]; then
  echo "--- avahi-daemon's log"
  cat "$work/avahi.log"
fi
exit $status
