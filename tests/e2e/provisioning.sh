#!/usr/bin/env bash
# At start-up orxboot proposes a fixed address for units: the first address after the
# host's own that does not answer an echo request, with the host adapter's mask.
#   host 10.77.0.10/24, 10.77.0.11 answers (a neighbour namespace), 10.77.0.12 is silent:
#     the saved settings hold 10.77.0.12 and 255.255.255.0;
#   a host with loopback only: nothing to ask, the saved settings stay as they were.
# orxboot is run with neither boot method chosen, so it ends right after start-up.
# Usage: provisioning.sh <build_dir>
set -uo pipefail
build=$(cd "${1:?usage: provisioning.sh <build_dir>}" && pwd)
orxboot=$build/orxboot
image=$build/samples/small.bin
[ -x "$orxboot" ] && [ -f "$image" ] || { echo "FAIL: build orxboot and samples first"; exit 1; }

tag=orx-$RANDOM$RANDOM
work=$(mktemp -d)
namespaces=()
cleanup() {
  for ns in "${namespaces[@]}"; do ip netns del "$ns" 2>/dev/null; done
  rm -rf "$work"
}
trap cleanup EXIT

if [ "$(id -u)" != 0 ] || ! ip netns add "$tag-host" 2>/dev/null; then
  echo "SKIP: private network namespaces are not available"
  exit 0
fi
namespaces+=("$tag-host")
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# The settings file keeps an address as the signed decimal of its network-order value.
ini_addr() {
  IFS=. read -r a b c d <<<"$1"
  echo $(((d << 24 | c << 16 | b << 8 | a) - ((d >= 128) << 32)))
}

# run <name> <namespace> <NETIP> <NETIPMASK> : one start-up with a fresh settings file
run() {
  local dir=$work/$1
  mkdir -p "$dir"
  cat >"$dir/orxboot.ini" <<EOF
[PARAMS]
BOOTFILE=$image
BOOTNET=0
BOOTSERIAL=0
NETIP=$3
NETIPMASK=$4
WIZARDMODE=0
EOF
  (cd "$dir" && XDG_RUNTIME_DIR=$dir XDG_CONFIG_HOME=$dir \
    timeout 120 ip netns exec "$2" "$orxboot" --headless >"$dir/out.log" 2>"$dir/err.log")
}

ip netns add "$tag-peer" && namespaces+=("$tag-peer")
ip link add "vh-$$" netns "$tag-host" type veth peer name "vp-$$" netns "$tag-peer"
for ns in host peer; do ip -n "$tag-$ns" link set lo up; done
ip -n "$tag-host" addr add 10.77.0.10/24 dev "vh-$$"
ip -n "$tag-peer" addr add 10.77.0.11/24 dev "vp-$$"
ip -n "$tag-host" link set "vh-$$" up
ip -n "$tag-peer" link set "vp-$$" up
# The peer must be reachable before the test can mean anything.
for _ in $(seq 50); do
  ip -n "$tag-host" link show "vh-$$" | grep -q "state UP" && break
  sleep 0.1
done

t0=$(date +%s%N)
run adapter "$tag-host" 0 0
ms=$((($(date +%s%N) - t0) / 1000000))
ini=$work/adapter/orxboot.ini
grep -qx "NETIP=$(ini_addr 10.77.0.12)" "$ini" || fail "NETIP is not 10.77.0.12: $(grep NETIP "$ini")"
grep -qx "NETIPMASK=$(ini_addr 255.255.255.0)" "$ini" || fail "NETIPMASK is not /24: $(grep NETIP "$ini")"
grep -q "Error reading network params" "$work/adapter/err.log" && fail "unexpected message: $(cat "$work/adapter/err.log")"
# One echo to a neighbour that answers, one second for the silent address.
[ "$ms" -ge 900 ] && [ "$ms" -lt 5000 ] || fail "start-up took $ms ms"

ip netns add "$tag-lonely" && namespaces+=("$tag-lonely")
ip -n "$tag-lonely" link set lo up
run lonely "$tag-lonely" "$(ini_addr 192.168.1.200)" "$(ini_addr 255.255.0.0)"
ini=$work/lonely/orxboot.ini
grep -qx "NETIP=$(ini_addr 192.168.1.200)" "$ini" || fail "NETIP changed without an adapter: $(grep NETIP "$ini")"
grep -qx "NETIPMASK=$(ini_addr 255.255.0.0)" "$ini" || fail "NETIPMASK changed without an adapter"
grep -q "Error reading network params" "$work/lonely/err.log" && fail "a host without adapters was told off"

[ "$failures" = 0 ] && echo "PASS: unit address provisioning" || exit 1
