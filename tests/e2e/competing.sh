#!/usr/bin/env bash
# Two hosts on one segment, alpha (10.77.1.1/24) and beta (10.77.1.2/24), each in a private
# network namespace with its own host name, joined by a veth pair:
# - boot servers find each other through their broadcasts on UDP port 100: each logs the
#   other and asks once (who is told of whom is decided by the engine and tested there);
# - at start-up orxboot proposes for units the first address after the host's own that
#   does not answer an echo request, with the adapter's mask: on alpha, 10.77.1.3.
# Usage: competing.sh <build_dir>
set -uo pipefail
build=$(cd "${1:?usage: competing.sh <build_dir>}" && pwd)
source "$(dirname "$0")/../../scripts/lib/env.sh"
orx_need unshare ip hostname timeout
orxboot=$build/orxboot
image=$build/samples/small.bin
[ -x "$orxboot" ] && [ -f "$image" ] || { echo "FAIL: build orxboot and samples first"; exit 1; }

if ! orx_can_netns || ! unshare -u true 2>/dev/null; then
  echo "SKIP: private network and host-name namespaces are not available"
  exit $ORX_SKIP
fi
tag=orx-$RANDOM$RANDOM
orx_tmpdir || exit 1
work=$ORX_TMP
CASE=competing

# server <name> <namespace> : starts orxboot --headless under that host name
server() {
  local dir=$work/$1
  orx_settings "$dir" BOOTFILE="$image" BOOTNET=1 BOOTSERIAL=0 NETTYPE=0 TRANCLOSEDONE=0 \
    WIZARDMODE=0
  orx_exec_in "$dir" ip netns exec "$2" unshare -u sh -c "hostname '$1'; exec '$orxboot' --headless" \
    >"$dir/out.log" 2>"$dir/err.log" &
  ORX_PIDS+=($!)
}

out() { cat "$work/$1/out.log"; }
err() { cat "$work/$1/err.log"; }
count() { grep -cF -- "$2" "$work/$1/$3.log"; }
logged() { [ "$(count "$1" "$2" out)" -ge 1 ]; }

orx_netns "$tag-a" && orx_netns "$tag-b" &&
  orx_veth "$tag-a" "va-$$" 10.77.1.1/24 "$tag-b" "vb-$$" 10.77.1.2/24 route ||
  { echo "FAIL: could not build the test network"; exit 1; }
server alpha "$tag-a"
server beta "$tag-b"
for s in alpha beta; do
  orx_wait_for 5 grep -qs "Server waiting for boot request" "$work/$s/out.log" ||
    fail "$s did not start: $(err $s)"
done

# orxboot with neither boot method chosen ends right after start-up.
dir=$work/provisioning
orx_settings "$dir" BOOTFILE="$image" BOOTNET=0 BOOTSERIAL=0 NETIP=0 NETIPMASK=0 WIZARDMODE=0
t0=$(date +%s%N)
(orx_exec_in "$dir" timeout 120 ip netns exec "$tag-a" "$orxboot" --headless >"$dir/out.log" 2>"$dir/err.log")
ms=$((($(date +%s%N) - t0) / 1000000))
# 10.77.1.3 and 255.255.255.0 as the settings file keeps them (network order, signed).
grep -qx "NETIP=50416906" "$dir/orxboot.ini" || fail "NETIP is not 10.77.1.3: $(grep NETIP "$dir/orxboot.ini")"
grep -qx "NETIPMASK=16777215" "$dir/orxboot.ini" || fail "NETIPMASK is not /24: $(grep NETIP "$dir/orxboot.ini")"
grep -q "Error reading network params" "$dir/err.log" && fail "unexpected message: $(cat "$dir/err.log")"
# One echo to a neighbour that answers, one second for the silent address.
[ "$ms" -ge 900 ] && [ "$ms" -lt 5000 ] || fail "start-up took $ms ms"

# Junk on port 100 is logged at once with its sender.
ip netns exec "$tag-b" bash -c 'exec 3>/dev/udp/10.77.1.1/100; printf "hello" >&3'
orx_wait_for 3 logged alpha "Broadcast rx junk from 10.77.1.2." ||
  fail "alpha did not log the junk datagram: $(out alpha)"

# The first broadcasts go out 30 s after the start.
orx_wait_for 40 logged alpha "Another boot server 'beta'"
orx_wait_for 5 logged beta "Another boot server 'alpha'"
# A third server heard after the question is only logged.
ip netns exec "$tag-b" bash -c 'exec 3>/dev/udp/10.77.1.1/100; printf "newboot omega\0" >&3'
orx_wait_for 3 logged alpha "Another boot server 'omega' is running on '10.77.1.2'" ||
  fail "alpha did not log omega: $(out alpha)"
for s in alpha:beta:10.77.1.2 beta:alpha:10.77.1.1; do
  IFS=: read -r me other addr <<<"$s"
  grep -qxF "Another boot server '$other' is running on '$addr'" "$work/$me/out.log" ||
    fail "$me did not see $other: $(out "$me")"
  q="Another boot server '$other' is running on '$addr'. Continue ?"
  [ "$(count "$me" "$q" err)" = 1 ] || fail "$me asked $(count "$me" "$q" err) times: $(err "$me")"
  [ "$(count "$me" "Continue ?" err)" = 1 ] || fail "$me asked more than once: $(err "$me")"
done

# Both still serve.
for p in "${ORX_PIDS[@]}"; do kill -0 "$p" 2>/dev/null || fail "a server ended early"; done

[ "$FAILED" = 0 ] && echo "PASS: competing boot servers, unit address provisioning" || exit 1
