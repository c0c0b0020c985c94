#!/usr/bin/env bash
# The game and its network library: the program needs none of Qt Network, Qt
# WebSockets and what they bring (Kerberos, proxy lookup), directly or
# through another library; the network library needs Qt Network (it speaks
# WebSocket by hand, so not Qt WebSockets), and every symbol
# it takes from elsewhere is offered by the program or by a library it needs,
# so loading it with RTLD_NOW cannot fail for a missing symbol.
# Usage: network_module.sh PROGRAM LIBRARY
set -euo pipefail
program=$1 library=$2
fail() { echo "FAIL: $*" >&2; exit 1; }
[ -f "$program" ] && [ -f "$library" ] || fail "no $program or $library"

needed=$(readelf -d "$program" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p')
[ -n "$needed" ] || fail "readelf read no NEEDED entries of $program"
grep -E 'Qt6(Network|WebSockets)' <<< "$needed" && fail "the program links Qt Network or Qt WebSockets"
loaded=$(ldd "$program")
for unwanted in libQt6Network libQt6WebSockets libkrb5 libgssapi_krb5 libk5crypto libproxy; do
  grep -q "$unwanted" <<< "$loaded" && fail "the program loads $unwanted at its start"
done

library_needed=$(readelf -d "$library" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p')
grep -qx libQt6Network.so.6 <<< "$library_needed" || fail "the network library does not link libQt6Network.so.6"

defined() { nm -D --defined-only "$1" | awk '{ sub(/@.*/, "", $3); print $3 }'; }
offered=$({
  defined "$program"
  for dependency in $(ldd "$library" | awk '$2 == "=>" && $3 ~ /^\// { print $3 }'); do defined "$dependency"; done
} | sort -u)
missing=$(nm -D --undefined-only "$library" | awk '$1 == "U" { sub(/@.*/, "", $2); print $2 }' | sort -u \
  | comm -23 - <(echo "$offered"))
[ -z "$missing" ] || fail "the network library takes symbols nobody offers: $(echo "$missing" | head -20 | tr '\n' ' ')"
grep -q '_ZN4tess' < <(nm -D --undefined-only "$library") || fail "the network library takes nothing from the program"
echo "the program needs $(wc -l <<< "$needed") libraries, none of the network; its network library finds all it takes"
