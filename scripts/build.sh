#!/usr/bin/env bash
# Configures and builds one preset (default: release) into build/<preset>.
set -euo pipefail
cd "$(dirname "$0")/.."
preset="${1:-release}"
if [ ! -f "build/$preset/CMakeCache.txt" ]; then
  cmake --preset "$preset"
fi
cmake --build --preset "$preset"
