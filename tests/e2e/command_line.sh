#!/usr/bin/env bash
# The command line, without a display: --help describes the options in
# English and ends with 0; a malformed line says what is wrong and ends with 2.
set -euo pipefail
program=$1
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"

out="$E2E_ROOT/out" err="$E2E_ROOT/err"
status=0
"$program" --help >"$out" 2>"$err" || status=$?
[ "$status" -eq 0 ] || e2e_fail "--help ended with $status: $(cat "$err")"
for option in "--host" "--port N" "--join ADDRESS[:PORT]" "--code NNNNNN" "--name NAME" "-h, --help" "-platform"; do
  grep -qF -- "$option" "$out" || e2e_fail "--help does not describe $option"
done
[ ! -s "$err" ] || e2e_fail "--help wrote to stderr: $(cat "$err")"
# Qt's own options around it change nothing.
status=0
"$program" -platform offscreen --help >"$E2E_ROOT/out2" 2>&1 || status=$?
[ "$status" -eq 0 ] && cmp -s "$out" "$E2E_ROOT/out2" || e2e_fail "-platform offscreen --help gave another answer ($status)"

# wrong LINE... -- EXPECTED: ends with 2, names the fault on stderr, writes nothing to stdout.
wrong() {
  local expected=${*: -1} status=0
  "$program" "${@:1:$#-2}" >"$out" 2>"$err" || status=$?
  [ "$status" -eq 2 ] || e2e_fail "'${*:1:$#-2}' ended with $status, not 2"
  grep -qF -- "$expected" "$err" || e2e_fail "'${*:1:$#-2}' said '$(cat "$err")', not '$expected'"
  [ ! -s "$out" ] || e2e_fail "'${*:1:$#-2}' wrote to stdout"
}
wrong --bogus -- "unknown option --bogus"
wrong --host --port 70000 -- "not a number from 1 to 65535"
wrong --join "[::1]:0" -- "not a number from 1 to 65535"
wrong --join gamebox --code 12 -- "is not 6 digits"
wrong --join gamebox --name "" -- "1 to 20 characters"
wrong -platform offscreen --host --join x -- "cannot go together"
echo "command line: --help and six malformed lines answered as expected"
