#!/usr/bin/env bash
# Builds the Debian packages into a temporary folder and checks them: names, dependencies,
# contents, the server's unit and maintainer scripts; then unpacks them into a temporary root
# and runs the installed server and tool from there.
# Usage: check-packages.sh <cpack> <build folder>
set -euo pipefail
cpack=$1 build=$2
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

(cd "$out" && "$cpack" --config "$build/CPackConfig.cmake" -B "$out/debs" > "$out/cpack.log" 2>&1) \
  || { cat "$out/cpack.log" >&2; fail "cpack"; }
shopt -s nullglob
client=("$out"/debs/kiekjesbode_*.deb)
lab=("$out"/debs/kiekjesbode-lab_*.deb)
tools=("$out"/debs/kiekjesbode-penf_*.deb)
[ ${#client[@]} -eq 1 ] && [ ${#lab[@]} -eq 1 ] && [ ${#tools[@]} -eq 1 ] || { ls "$out/debs" >&2; fail "expected three packages"; }

contents() { dpkg-deb -c "$1" | awk '{print $6}' | sed 's|^\./|/|'; }
has() { # package, path...
  local deb=$1; shift
  local list; list=$(contents "$deb")
  for f in "$@"; do grep -qx -- "$f" <<<"$list" || fail "$(basename "$deb") lacks $f"; done
}
lacks() {
  local deb=$1; shift
  local list; list=$(contents "$deb")
  for f in "$@"; do ! grep -qx -- "$f" <<<"$list" || fail "$(basename "$deb") should not hold $f"; done
}
field() { dpkg-deb -f "$1" "$2"; }

has "${client[0]}" /usr/bin/kiekjesbode /usr/share/kiekjesbode/Kiekjesbode.chm \
    /usr/share/kiekjesbode/demo/catalogue.json \
    /usr/share/applications/nl.kiekjesbode.Kiekjesbode.desktop \
    /usr/share/metainfo/nl.kiekjesbode.Kiekjesbode.metainfo.xml \
    /usr/share/icons/hicolor/scalable/apps/nl.kiekjesbode.Kiekjesbode.svg
lacks "${client[0]}" /usr/bin/kiekjesbode-lab /usr/bin/kiekjesbode-penf
has "${tools[0]}" /usr/bin/kiekjesbode-penf
has "${lab[0]}" /usr/bin/kiekjesbode-lab /etc/kiekjesbode/lab.json \
    /usr/lib/systemd/system/kiekjesbode-lab.service /usr/share/kiekjesbode-lab/catalogue.json
lacks "${lab[0]}" /usr/bin/kiekjesbode /usr/bin/kiekjesbode-penf

# Dependencies: the shared libraries found by dpkg-shlibdeps, and the tool's package.
field "${client[0]}" Depends | grep -q "libqt6widgets6" || fail "client does not depend on Qt Widgets"
field "${client[0]}" Depends | grep -q "libjpeg62-turbo" || fail "client does not depend on libjpeg"
field "${client[0]}" Depends | grep -q "kiekjesbode-penf" || fail "client does not depend on the tool"
field "${client[0]}" Depends | grep -q "libchm1" || fail "client does not depend on libchm"
field "${lab[0]}" Depends | grep -q "kiekjesbode-penf" || fail "server does not depend on the tool"
field "${lab[0]}" Depends | grep -q "libqt6network6" || fail "server does not depend on Qt Network"
! field "${lab[0]}" Depends | grep -q "libqt6widgets6" || fail "server depends on Qt Widgets"

# The server's control files: maintainer scripts and the configuration as conffile.
ctl=$out/control-lab
dpkg-deb -e "${lab[0]}" "$ctl"
for s in postinst prerm postrm; do [ -x "$ctl/$s" ] || fail "server package has no executable $s"; done
grep -q "useradd --system" "$ctl/postinst" || fail "postinst creates no system user"
grep -q "kiekjesbode-lab" "$ctl/postinst" || fail "postinst does not name the user"
grep -q "/var/lib/kiekjesbode-lab" "$ctl/postinst" || fail "postinst makes no spool"
grep -qx "/etc/kiekjesbode/lab.json" "$ctl/conffiles" || fail "lab.json is not a conffile"
for s in postinst prerm postrm; do sh -n "$ctl/$s" || fail "$s is not valid sh"; done

# Unpacked into a temporary root: the unit, the configuration and the programs.
root=$out/root
for deb in "${client[0]}" "${lab[0]}" "${tools[0]}"; do dpkg -x "$deb" "$root"; done
unit=$root/usr/lib/systemd/system/kiekjesbode-lab.service
grep -qx "User=kiekjesbode-lab" "$unit" || fail "unit does not run as kiekjesbode-lab"
grep -qx "ExecStart=/usr/bin/kiekjesbode-lab --config /etc/kiekjesbode/lab.json" "$unit" || fail "unit ExecStart"
grep -qx "ReadWritePaths=/var/lib/kiekjesbode-lab" "$unit" || fail "unit spool"
grep -q '"dataFolder": "/var/lib/kiekjesbode-lab/spool"' "$root/etc/kiekjesbode/lab.json" || fail "config spool"
"$root/usr/bin/kiekjesbode-lab" --help | grep -q "kiekjesbode-lab orders" || fail "installed kiekjesbode-lab --help"
"$root/usr/bin/kiekjesbode-penf" build "$root/usr/share/kiekjesbode-lab/catalogue.json" -o "$out/PenF.dat" >/dev/null \
  || fail "installed kiekjesbode-penf"
# The server reads the packaged configuration (with the spool moved into the temporary root).
sed "s|/var/lib/kiekjesbode-lab|$out/state|g" "$root/etc/kiekjesbode/lab.json" > "$out/lab.json"
mkdir -p "$out/state/spool"
"$root/usr/bin/kiekjesbode-lab" orders --config "$out/lab.json" > "$out/orders.txt" || fail "kiekjesbode-lab orders"
echo "packages: ok ($(cd "$out/debs" && ls *.deb | tr '\n' ' '))"
