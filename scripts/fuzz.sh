#!/usr/bin/env bash
# Runs the fuzz targets of a fuzz build: first every kept regression input,
# then new inputs for the given time, starting from the seed corpus.
# Usage: scripts/fuzz.sh BUILD_DIR SECONDS [TARGET...]   (all targets by default)
# FUZZ_RUNS=N stops a target after N executions if that comes first.
# A crash, leak, hang or undefined behaviour leaves its input in
# BUILD_DIR/fuzz-findings/<target>/; keep it in fuzz/regressions/<target>/.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=$1
seconds=$2
shift 2
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(profile settings language champions saved_game midi picture soundfont net_message websocket)

export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}"
export LSAN_OPTIONS="${LSAN_OPTIONS:-suppressions=$here/tests/sanitizers/lsan.supp:print_suppressions=0}"
export QT_QPA_PLATFORM=offscreen
# A reader refusing an oversized picture says so on every input: not a finding.
export QT_LOGGING_RULES="qt.gui.imageio=false"

for target in "${targets[@]}"; do
  binary="$build/fuzz/fuzz_$target"
  findings="$build/fuzz-findings/$target"
  corpus=$(mktemp -d "${TMPDIR:-/tmp}/tessaron-corpus-XXXXXX")
  mkdir -p "$findings"
  cp "$here/fuzz/corpus/$target/"* "$corpus/" 2>/dev/null || true
  regressions=("$here/fuzz/regressions/$target/"*)
  if [ -e "${regressions[0]}" ]; then
    "$binary" -timeout=10 "${regressions[@]}" >"$findings/regressions.log" 2>&1 \
      || { cat "$findings/regressions.log"; echo "FAIL: a kept regression input of $target fails again" >&2; exit 1; }
  fi
  status=0
  "$binary" -max_total_time="$seconds" -runs="${FUZZ_RUNS:--1}" -timeout=10 -rss_limit_mb=2048 -artifact_prefix="$findings/" \
    -print_final_stats=1 "$corpus" >"$findings/run.log" 2>&1 || status=$?
  grep -E "^stat::number_of_executed_units" "$findings/run.log" | sed "s/^/$target: /" || true
  rm -rf "$corpus"
  if [ "$status" -ne 0 ]; then
    tail -60 "$findings/run.log"
    echo "FAIL: fuzz_$target found a fault; its input is in $findings" >&2
    exit 1
  fi
done
