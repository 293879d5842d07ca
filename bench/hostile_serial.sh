#!/usr/bin/env bash
# Hostile serial lines: a byte storm on one port while units boot beside it and then
# through it, and a port pulled out mid-download and plugged in again (its pseudo-terminal
# closed and its COMn link removed, then new ones made) with a unit booting after every
# return; each unit checks its image byte for byte (bench/serial_hostile.py). Bounded: a
# storm of 5 s and at most 64 MiB, three pulls of 3 s, about 40 s in all. Runs in a private
# network namespace, as orxboot's start-up looks for a free unit address on the network.
# Usage: hostile_serial.sh <build_dir>
set -u

BUILD=$(cd "${1:-build}" && pwd) || exit 1
SELF=$(cd "$(dirname "$0")" && pwd)/$(basename "$0")
source "$(dirname "$SELF")/../scripts/lib/env.sh"
orx_private_net ORX_BENCH_NETNS "$SELF" "$BUILD" || {
    echo "serial hostile bench: needs root for a private network namespace" >&2
    exit 1
}
orx_tmpdir /tmp/orx-hostile-serial-XXXXXX || exit 1
echo "== Hostile serial lines: 1 MiB image, HV7, pseudo-terminals, all ports served"
python3 "$(dirname "$SELF")/serial_hostile.py" "$BUILD" "$ORX_TMP"
