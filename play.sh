#!/usr/bin/env bash
# Installs what is missing, builds Tessaron in Release and starts it.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
"$here/scripts/setup.sh" build
exec "$here/build/tessaron" "$@"
