#!/usr/bin/env bash
# Builds Tessaron with clang, AddressSanitizer and UndefinedBehaviorSanitizer
# into build-san/, with the fuzz targets, and runs every test there; the fuzz
# targets run a few seconds each as tests. Extra arguments go to ctest.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cmake -S "$here" -B "$here/build-san" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DTESSARON_FUZZ=ON -DBUILD_TESTING=ON >/dev/null
cmake --build "$here/build-san" -j"$(nproc)"
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
export LSAN_OPTIONS="suppressions=$here/tests/sanitizers/lsan.supp:print_suppressions=0"
cd "$here/build-san"
# The package is checked in the release round: packaging (and lintian reading)
# a sanitizer build says nothing more and takes minutes.
ctest --output-on-failure -j"$(nproc)" -E '^debian_package$' "$@"
