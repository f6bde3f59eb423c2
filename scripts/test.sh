#!/usr/bin/env bash
# Installs what is needed, builds, and runs the whole test suite.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh release
export QT_QPA_PLATFORM=offscreen
ctest --preset release --timeout 600 -j2

# The same suite once more under AddressSanitizer and UndefinedBehaviorSanitizer.
bash scripts/build.sh asan
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
ctest --preset asan --timeout 900 -j2

# Every libFuzzer target for a bounded time on its seeds (clang build; see scripts/fuzz.sh).
bash scripts/fuzz.sh 30
