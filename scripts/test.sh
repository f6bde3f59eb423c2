#!/usr/bin/env bash
# Installs what is needed, builds, and runs the whole test suite.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh release
export QT_QPA_PLATFORM=offscreen
ctest --preset release --timeout 600 -j2
