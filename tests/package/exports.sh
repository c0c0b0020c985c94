#!/usr/bin/env bash
# The program exports only what the C runtime and Qt's plugins look for:
# network play is linked into it like any other part of the game, so none of
# the game's own symbols are offered to a library loaded later.
# Usage: exports.sh PROGRAM
set -euo pipefail
program=$1
fail() { echo "FAIL: $*" >&2; exit 1; }
[ -f "$program" ] || fail "no $program"

exported=$(nm -D --defined-only "$program" | awk '{ print $3 }')
count=$(grep -c . <<< "$exported" || true)
game=$(grep -E '^_Z.*4tess' <<< "$exported" || true)
[ -z "$game" ] || fail "the program exports the game's own symbols: $(head -5 <<< "$game" | tr '\n' ' ')"
# A sanitizer's runtime, linked into the program, exports its own interceptors.
if ! grep -qx '__asan_init' <<< "$exported"; then
  [ "$count" -le 30 ] || fail "the program exports $count symbols"
fi
needed=$(readelf -d "$program" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p')
grep -qx libQt6Network.so.6 <<< "$needed" || fail "network play is not linked into the program"
echo "the program exports $count symbols, none of the game's, and links network play"
