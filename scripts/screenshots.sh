#!/usr/bin/env bash
# Takes a picture of every window with sample data under a virtual X display, into
# build/screenshots/ (or the folder given). Extra arguments pick windows by name.
#   bash scripts/screenshots.sh [folder] [name...]
# Windows are listed in tests/gui/Screenshots.cpp; one table entry adds one.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release --target kiekjes_screenshots
out="${1:-build/screenshots}"
shift || true
mkdir -p "$out"
xvfb-run -a -s "-screen 0 1280x1024x24" env QT_QPA_PLATFORM=xcb \
  build/release/tests/gui/kiekjes_screenshots "$out" "$@"
