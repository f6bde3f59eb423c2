#!/usr/bin/env bash
# cmake --install into a temporary prefix: every file where a desktop expects it, and the
# installed programs run from there.
# Usage: check-install.sh <cmake> <build folder>
set -euo pipefail
cmake=$1 build=$2
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
"$cmake" --install "$build" --prefix "$root/usr/local" > "$root/install.log"
p=$root/usr/local

fail() { echo "FAIL: $*" >&2; exit 1; }
for f in bin/kiekjesbode bin/kiekjesbode-lab bin/kiekjesbode-penf \
         share/kiekjesbode/Kiekjesbode.chm \
         share/kiekjesbode/demo/catalogue.json share/kiekjesbode/demo/lab.json \
         share/kiekjesbode-lab/catalogue.json \
         share/applications/nl.kiekjesbode.Kiekjesbode.desktop \
         share/metainfo/nl.kiekjesbode.Kiekjesbode.metainfo.xml \
         share/icons/hicolor/scalable/apps/nl.kiekjesbode.Kiekjesbode.svg \
         etc/kiekjesbode/lab.json lib/systemd/system/kiekjesbode-lab.service; do
  [ -f "$p/$f" ] || fail "$f not installed"
done
if command -v rsvg-convert >/dev/null; then
  for s in 16 32 48 64 128 256; do
    [ -s "$p/share/icons/hicolor/${s}x${s}/apps/nl.kiekjesbode.Kiekjesbode.png" ] || fail "no ${s}x${s} icon"
  done
fi
# Nothing lands outside the prefix.
[ "$(find "$root" -mindepth 1 -maxdepth 1 ! -name usr ! -name install.log | wc -l)" -eq 0 ] || fail "files outside the prefix"
# The unit names the installed program and configuration.
grep -qx "ExecStart=$p/bin/kiekjesbode-lab --config $p/etc/kiekjesbode/lab.json" \
  "$p/lib/systemd/system/kiekjesbode-lab.service" || fail "unit does not name the installed paths"
"$p/bin/kiekjesbode-lab" --help | grep -q "kiekjesbode-lab \[--config FILE\]" || fail "kiekjesbode-lab --help"
"$p/bin/kiekjesbode-penf" build "$p/share/kiekjesbode-lab/catalogue.json" -o "$root/PenF.dat" >/dev/null \
  || fail "kiekjesbode-penf cannot build the installed demo catalogue"
[ -s "$root/PenF.dat" ] || fail "no PenF.dat"
echo "install layout: ok"
