#!/usr/bin/env bash
# Boot servers on one segment find each other through their broadcasts on UDP port 100.
# Three pairs of hosts run side by side, each pair in two private network namespaces
# joined by a veth pair, each host with its own host name:
#   alpha / beta     both answer all units: each logs the other and asks once;
#   Lab / LAB        names that differ only in case: nobody is warned;
#   gamma / delta    delta answers one unit only: it neither sends nor listens.
# Usage: competing.sh <build_dir>
set -uo pipefail
build=$(cd "${1:?usage: competing.sh <build_dir>}" && pwd)
source "$(dirname "$0")/lib/env.sh"
orx_need unshare ip ss hostname
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

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# pair <index> : two namespaces <tag>-<index>a and -b, 10.77.<index>.1 and .2
pair() {
  orx_netns "$tag-${1}a" && orx_netns "$tag-${1}b" &&
    orx_veth "$tag-${1}a" "v${1}a-$$" "10.77.$1.1/24" "$tag-${1}b" "v${1}b-$$" "10.77.$1.2/24" route
}

# server <name> <namespace> <nettype> : starts orxboot --headless under that host name
server() {
  local dir=$work/$1
  orx_settings "$dir" BOOTFILE="$image" BOOTNET=1 BOOTSERIAL=0 NETTYPE="$3" TRANCLOSEDONE=0 \
    WIZARDMODE=0
  orx_exec_in "$dir" ip netns exec "$2" unshare -u sh -c "hostname '$1'; exec '$orxboot' --headless" \
    >"$dir/out.log" 2>"$dir/err.log" &
  ORX_PIDS+=($!)
}

out() { cat "$work/$1/out.log"; }
err() { cat "$work/$1/err.log"; }
count() { grep -cF -- "$2" "$work/$1/$3.log"; }
logged() { [ "$(count "$1" "$2" out)" -ge 1 ]; }

pair 1 && pair 2 && pair 3 || { echo "FAIL: could not build the test network"; exit 1; }
server alpha "$tag-1a" 0
server beta "$tag-1b" 0
server Lab "$tag-2a" 0
server LAB "$tag-2b" 0
server gamma "$tag-3a" 0
server delta "$tag-3b" 1

started=$(date +%s)
# Everyone is up when each has logged its waiting line.
for s in alpha beta Lab LAB gamma delta; do
  orx_wait_for 5 grep -qs "Server waiting for boot request" "$work/$s/out.log" ||
    fail "$s did not start: $(err $s)"
done

# Junk on port 100 is logged at once with its sender.
ip netns exec "$tag-1b" bash -c 'exec 3>/dev/udp/10.77.1.1/100; printf "hello" >&3'
orx_wait_for 3 logged alpha "Broadcast rx junk from 10.77.1.2."
[ "$(count alpha "Broadcast rx junk from 10.77.1.2." out)" = 1 ] || fail "alpha did not log the junk datagram: $(out alpha)"

# delta answers a single unit: nothing of it is bound to port 100.
if ip netns exec "$tag-3b" ss -Huln 'sport = :100' | grep -q .; then
  fail "delta listens on port 100"
fi

# The first broadcasts go out 30 s after the start.
orx_wait_for 40 logged alpha "Another boot server 'beta'"
orx_wait_for 5 logged beta "Another boot server 'alpha'"
grep -qxF "Another boot server 'beta' is running on '10.77.1.2'" "$work/alpha/out.log" ||
  fail "alpha did not see beta: $(out alpha)"
grep -qxF "Another boot server 'alpha' is running on '10.77.1.1'" "$work/beta/out.log" ||
  fail "beta did not see alpha: $(out beta)"

# A third server heard after the question is only logged.
ip netns exec "$tag-1b" bash -c 'exec 3>/dev/udp/10.77.1.1/100; printf "newboot omega\0" >&3'
orx_wait_for 3 logged alpha "Another boot server 'omega'"
[ "$(count alpha "Another boot server 'omega' is running on '10.77.1.2'" out)" = 1 ] ||
  fail "alpha did not log omega: $(out alpha)"
for s in alpha:beta:10.77.1.2 beta:alpha:10.77.1.1; do
  IFS=: read -r me other addr <<<"$s"
  q="Another boot server '$other' is running on '$addr'. Continue ?"
  [ "$(count "$me" "$q" err)" = 1 ] || fail "$me asked $(count "$me" "$q" err) times: $(err "$me")"
  [ "$(count "$me" "Continue ?" err)" = 1 ] || fail "$me asked more than once: $(err "$me")"
done

# The pairs that must not warn have had their first broadcasts by now.
while [ $(($(date +%s) - started)) -lt 32 ]; do sleep 0.5; done
for s in Lab LAB gamma delta; do
  [ "$(count $s "Another boot server" out)" = 0 ] || fail "$s was warned: $(out $s)"
  [ "$(count $s "Broadcast" out)" = 0 ] || fail "$s logged a broadcast problem: $(out $s)"
done

# Every server still serves.
for i in "${!ORX_PIDS[@]}"; do
  kill -0 "${ORX_PIDS[$i]}" 2>/dev/null || fail "server $i ended early"
done

[ "$failures" = 0 ] && echo "PASS: competing boot servers" || exit 1
