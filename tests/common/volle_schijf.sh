#!/bin/sh
# Runs a test binary with a small tmpfs of its own: a private user and mount namespace
# mounts it over MOUNTPOINT, and KIEKJES_VOLLE_SCHIJF names it for the test. Where such a
# namespace cannot be made, the test reports why and CTest counts it as skipped (code 77).
# usage: volle_schijf.sh MOUNTPOINT TESTBINARY [arguments...]
mnt=$1
shift
mkdir -p "$mnt" || exit 1
if ! command -v unshare >/dev/null 2>&1; then
    reason="unshare ontbreekt"
elif ! unshare -Urm sh -c "mount -t tmpfs -o size=1m none '$mnt'" 2>/dev/null; then
    reason="unshare -Urm met mount -t tmpfs is hier niet toegestaan"
else
    exec unshare -Urm sh -c 'mount -t tmpfs -o size=1m none "$0" && KIEKJES_VOLLE_SCHIJF="$0" exec "$@"' "$mnt" "$@"
fi
echo "SKIP: $reason"
KIEKJES_VOLLE_SCHIJF_ONMOGELIJK="$reason" "$@"
exit 77
