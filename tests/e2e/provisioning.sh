#!/usr/bin/env bash
# At start-up orxboot proposes a fixed address for units: the first address after the
# host's own that does not answer an echo request, with the host adapter's mask.
#   host 10.77.0.10/24, 10.77.0.11 answers (a neighbour namespace), 10.77.0.12 is silent:
#     the saved settings hold 10.77.0.12 and 255.255.255.0.
# A host without an adapter is passed over silently: the engine tests show that.
# orxboot is run with neither boot method chosen, so it ends right after start-up.
# Usage: provisioning.sh <build_dir>
set -uo pipefail
build=$(cd "${1:?usage: provisioning.sh <build_dir>}" && pwd)
source "$(dirname "$0")/../../scripts/lib/env.sh"
orx_need ip timeout
orxboot=$build/orxboot
image=$build/samples/small.bin
[ -x "$orxboot" ] && [ -f "$image" ] || { echo "FAIL: build orxboot and samples first"; exit 1; }

if ! orx_can_netns; then
  echo "SKIP: private network namespaces are not available"
  exit $ORX_SKIP
fi
tag=orx-$RANDOM$RANDOM
orx_tmpdir || exit 1
work=$ORX_TMP
CASE=provisioning

# The settings file keeps an address as the signed decimal of its network-order value.
ini_addr() {
  IFS=. read -r a b c d <<<"$1"
  echo $(((d << 24 | c << 16 | b << 8 | a) - ((d >= 128) << 32)))
}

# run <name> <namespace> <NETIP> <NETIPMASK> : one start-up with a fresh settings file
run() {
  local dir=$work/$1
  orx_settings "$dir" BOOTFILE="$image" BOOTNET=0 BOOTSERIAL=0 NETIP="$3" NETIPMASK="$4" WIZARDMODE=0
  (orx_exec_in "$dir" timeout 120 ip netns exec "$2" "$orxboot" --headless \
    >"$dir/out.log" 2>"$dir/err.log")
}

orx_netns "$tag-host" && orx_netns "$tag-peer" &&
  orx_veth "$tag-host" "vh-$$" 10.77.0.10/24 "$tag-peer" "vp-$$" 10.77.0.11/24 ||
  { echo "FAIL: could not build the test network"; exit 1; }
# The peer must be reachable before the test can mean anything.
orx_wait_for 5 eval 'ip -n "$tag-host" link show "vh-$$" | grep -q "state UP"'

t0=$(date +%s%N)
run adapter "$tag-host" 0 0
ms=$((($(date +%s%N) - t0) / 1000000))
ini=$work/adapter/orxboot.ini
grep -qx "NETIP=$(ini_addr 10.77.0.12)" "$ini" || fail "NETIP is not 10.77.0.12: $(grep NETIP "$ini")"
grep -qx "NETIPMASK=$(ini_addr 255.255.255.0)" "$ini" || fail "NETIPMASK is not /24: $(grep NETIP "$ini")"
grep -q "Error reading network params" "$work/adapter/err.log" && fail "unexpected message: $(cat "$work/adapter/err.log")"
# One echo to a neighbour that answers, one second for the silent address.
[ "$ms" -ge 900 ] && [ "$ms" -lt 5000 ] || fail "start-up took $ms ms"

[ "$FAILED" = 0 ] && echo "PASS: unit address provisioning" || exit 1
