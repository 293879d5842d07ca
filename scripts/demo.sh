#!/usr/bin/env bash
# Boots three simulated units over the network at once and shows what the server logged
# and the three records its boot history kept.
# Runs in a private network namespace with only loopback: nothing reaches a real network.
# Usage: demo.sh <build_dir>
set -u

BUILD=$(cd "${1:-build}" && pwd) || exit 1
SELF=$(cd "$(dirname "$0")" && pwd)/$(basename "$0")
source "$(dirname "$SELF")/lib/env.sh"
orx_private_net ORX_DEMO_NETNS "$SELF" "$BUILD" || {
    echo "demo: needs root for a private network namespace (try: sudo make demo)" >&2
    exit 1
}
orx_tmpdir /tmp/orx-demo-XXXXXX || exit 1
WORK=$ORX_TMP
cd "$WORK" || exit 1

IMAGE=$WORK/demo.bin
"$BUILD/orx-mkimage" --size 1048576 --records 12 --out "$IMAGE" || exit 1
orx_settings "$WORK" BOOTFILE="$IMAGE" BOOTNET=1 BOOTSERIAL=0 NETTYPE=0 NETCACHE=0 TRANCLOSEDONE=0 \
    WIZARDMODE=0

echo "== ORX Boot Server demo: three units boot a 1 MiB image over the network =="
echo "   (private network namespace, loopback only; the units are orxunit simulators)"
echo
orx_exec_in "$WORK" "$BUILD/orxboot" --headless >server.log 2>server.err &
SERVER=$!
orx_wait_for 5 grep -qs "Server waiting for boot request" server.log

pids=()
for i in 1 2 3; do
    "$BUILD/orxunit" net --server 127.0.0.1 --bind "127.0.0.$((i + 1))" --name "HV7LAB$i" \
        --mac "02:4F:52:00:00:0$i" --image "$IMAGE" --timeout 20 >"unit$i.out" 2>&1 &
    pids+=($!)
done
RC=0
for p in "${pids[@]}"; do wait "$p" || RC=1; done
# A unit ends once it has answered the jump; give the server time to read that answer.
orx_wait_for 5 eval '[ "$(grep -c "Transmission completed." server.log)" -ge 3 ]'
kill -TERM "$SERVER"
wait "$SERVER" || RC=1

echo "--- orxboot log"
sed 's/^/    /' server.log
echo "--- units"
cat unit1.out unit2.out unit3.out | sed 's/^/    /'
echo "--- boot history (orxboot --history), kept in $WORK/state/orxboot/history.jsonl"
(orx_exec_in "$WORK" "$BUILD/orxboot" --history) | sed 's/^/    /'
echo
[ "$RC" -eq 0 ] && echo "All three units received the image byte for byte." ||
    echo "Something went wrong; see the lines above."
exit "$RC"
