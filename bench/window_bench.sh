#!/usr/bin/env bash
# Window benchmark: the window (offscreen) over the real engine while UNITS simulated
# units boot at once, then the same boot served headless, for comparison. Runs in a
# private network namespace with only loopback. Usage: window_bench.sh <build_dir>
set -u
BUILD=$(cd "${1:-build}" && pwd) || exit 1
SELF=$(cd "$(dirname "$0")" && pwd)/$(basename "$0")
UNITS=${ORX_BENCH_UNITS:-100}
source "$(dirname "$SELF")/../scripts/lib/env.sh"
orx_private_net ORX_BENCH_NETNS "$SELF" "$BUILD" || {
    echo "window bench: needs root for a private network namespace" >&2
    exit 1
}
orx_tmpdir /tmp/orx-wbench-XXXXXX || exit 1
WORK=$ORX_TMP
cd "$WORK" || exit 1
orx_own_places "$WORK"
export QT_QPA_PLATFORM=offscreen
IMAGE=$BUILD/samples/1m.bin
FAILED=0

echo "== Window benchmark: $UNITS units at once, 1 MiB image, loopback"
"$BUILD/orx-window-bench" "$BUILD/orxunit" "$IMAGE" "$UNITS" || FAILED=1

# The same boot served headless; its peak memory is read while it runs.
orx_settings "$WORK" BOOTFILE="$IMAGE" BOOTNET=1 BOOTSERIAL=0 NETTYPE=1 NETNODE= NETCACHE=0 \
    TRANCLOSEDONE=0 WIZARDMODE=0
orx_exec_in "$WORK" "$BUILD/orxboot" --headless >server.log 2>server.err &
SERVER=$!
ORX_PIDS+=("$SERVER")
orx_wait_for 10 grep -qs "Server waiting" server.log
start=$(date +%s.%N)
"$BUILD/orxunit" net --server 127.0.0.1 --bind 127.0.0.2 --count "$UNITS" --name BENCH \
    --image "$IMAGE" --timeout 60 >units.out 2>units.err &
UNITPID=$!
peak=0
while kill -0 "$UNITPID" 2>/dev/null; do
    v=$(awk '/VmHWM/ { print $2 }' "/proc/$SERVER/status" 2>/dev/null)
    [ -n "$v" ] && peak=$v
    sleep 0.05
done
wait "$UNITPID"; rc=$?
end=$(date +%s.%N)
done_n=$(grep -c "Transmission completed." server.log)
v=$(awk '/VmHWM/ { print $2 }' "/proc/$SERVER/status" 2>/dev/null); [ -n "$v" ] && peak=$v
kill -TERM "$SERVER"; wait "$SERVER" 2>/dev/null; ORX_PIDS=()
printf "headless: %d units at once: %d complete, unit simulator exit %d, %.2f s\n" \
    "$UNITS" "$done_n" "$rc" "$(echo "$end - $start" | bc -l 2>/dev/null || echo 0)"
echo "headless: peak RSS during the boot $peak KiB"
[ "$rc" -eq 0 ] && [ "$done_n" -eq "$UNITS" ] || FAILED=1
exit $FAILED
