#!/usr/bin/env bash
# with_avahi.sh skips (exit 77, with its reason) where avahi-daemon is missing
# or namespaces are refused, instead of failing or running outside a namespace.
# Usage: avahi_skips.sh WITH_AVAHI_SH
set -uo pipefail
script=$1
bad=0

expect_skip() {
  local reason=$1 output status
  shift
  output=$(env "$@" "$script" /bin/false 2>&1)
  status=$?
  if [ $status -ne 77 ] || ! grep -q "^SKIP: .*$reason" <<<"$output"; then
    echo "FAIL: with $* the script ended with $status and said:"
    echo "$output"
    bad=1
  else
    echo "ok: $output"
  fi
}

expect_skip "avahi-daemon is not installed" TESSARON_AVAHI_DAEMON=/nonexistent/avahi-daemon
expect_skip "network namespaces are not permitted" TESSARON_UNSHARE=false
exit $bad
