#!/usr/bin/env bash
# Installs what is needed, builds, and runs the program's main job with the demo catalogue.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh release
bin=build/release
"$bin/tools/kiekjesbode-penf" build data/demo/catalogue.json -o "$bin/PenF.dat"
"$bin/tools/kiekjesbode-penf" dump "$bin/PenF.dat"
