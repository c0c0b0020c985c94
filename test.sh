#!/usr/bin/env bash
# Installs what is missing, builds Tessaron and runs every test headless, then
# builds it again with AddressSanitizer and UndefinedBehaviorSanitizer and
# runs every test and a short fuzz run of each file reader there.
# Exits non-zero when any test fails. TESSARON_QUICK=1 skips the second build.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
"$here/scripts/setup.sh" test
export QT_QPA_PLATFORM=offscreen
(cd "$here/build" && ctest --output-on-failure -j"$(nproc)" "$@")
if [ -z "${TESSARON_QUICK:-}" ]; then
  "$here/scripts/sanitize.sh" "$@"
fi
