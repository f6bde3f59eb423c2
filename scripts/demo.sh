#!/usr/bin/env bash
# Installs what is needed, builds, starts the lab's order server kiekjesbode-lab on
# 127.0.0.1:4000 with the demo catalogue, and starts the program against it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh release
bin=build/release

# The lab's catalogue, compiled from the readable demo catalogue.
"$bin/tools/kiekjesbode-penf" build data/demo/catalogue.json -o "$bin/PenF.dat"
mkdir -p build/lab-data

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  cat <<MSG
There is no display here, so the program's window cannot be shown.
Run it under a virtual display instead:

    xvfb-run -a bash scripts/demo.sh

or start the pieces by hand:

    $bin/server/kiekjesbode-lab --config data/demo/lab.json &
    $bin/src/gui/kiekjesbode
MSG
  exit 1
fi

"$bin/server/kiekjesbode-lab" --config data/demo/lab.json &
lab=$!
trap 'kill $lab 2>/dev/null || true' EXIT
sleep 0.5
if ! kill -0 "$lab" 2>/dev/null; then
  echo "kiekjesbode-lab did not start (is port 4000 in use?)" >&2
  exit 1
fi
echo "kiekjesbode-lab listens on 127.0.0.1:4000; orders: $bin/server/kiekjesbode-lab orders --config data/demo/lab.json"

# A first start finds no catalogue: "Prijzen/formaten bijwerken..." (Ctrl+B) fetches it
# from the lab server.
"$bin/src/gui/kiekjesbode"
