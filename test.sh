#!/usr/bin/env bash
# Installs what is missing, builds Tessaron and runs every test headless.
# Exits non-zero when any test fails.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
"$here/scripts/setup.sh" test
export QT_QPA_PLATFORM=offscreen
cd "$here/build"
ctest --output-on-failure -j"$(nproc)" "$@"
