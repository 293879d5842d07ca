#!/usr/bin/env bash
# Network boot benchmark: an 8 MiB image to one unit and to 100 units at once, against
# the same file sent by a standard TFTP client (tftp-hpa) to the same kind of receiver.
# Runs in a private network namespace with only loopback. Usage: run.sh <build_dir>
set -u

BUILD=$(cd "${1:-build}" && pwd) || exit 1
SELF=$(cd "$(dirname "$0")" && pwd)/$(basename "$0")
RUNS=${ORX_BENCH_RUNS:-5}
UNITS=${ORX_BENCH_UNITS:-100}
SIZE=$((8 * 1048576))

source "$(dirname "$SELF")/../scripts/lib/env.sh"
if [ -z "${ORX_BENCH_NETNS:-}" ]; then
    command -v tftp >/dev/null || { echo "bench: tftp (tftp-hpa) is missing" >&2; exit 1; }
fi
orx_private_net ORX_BENCH_NETNS "$SELF" "$BUILD" || {
    echo "bench: needs root for a private network namespace" >&2
    exit 1
}
orx_tmpdir /tmp/orx-bench-XXXXXX || exit 1
WORK=$ORX_TMP
cd "$WORK" || exit 1
IMAGE=$WORK/bench.bin
"$BUILD/orx-mkimage" --size "$SIZE" --records 16 --out "$IMAGE" || exit 1
TICK=$(getconf CLK_TCK)
FAILED=0

# MiB/s out of a summary line of orxunit.
rate() { sed -n 's/.*, \([0-9.]*\) MiB\/s.*/\1/p' | head -n 1; }
median() { sort -g | awk '{ a[NR] = $1 } END { if (NR) print a[int((NR + 1) / 2)]; else print 0 }'; }
# CPU seconds the server has used so far (user + system).
server_cpu() { awk -v t="$TICK" '{ print ($14 + $15) / t }' "/proc/$SERVER/stat"; }

orx_settings "$WORK" BOOTFILE="$IMAGE" BOOTNET=1 BOOTSERIAL=0 NETTYPE=0 NETCACHE=0 TRANCLOSEDONE=0 \
    WIZARDMODE=0
orx_exec_in "$WORK" "$BUILD/orxboot" --headless >server.log 2>server.err &
SERVER=$!
ORX_PIDS+=("$SERVER")
orx_wait_for 10 grep -qs "Server waiting for boot request" server.log

echo "== Network boot benchmark: $((SIZE / 1048576)) MiB image, loopback, $RUNS runs each"

# --- One unit, and the reference: tftp-hpa's client putting the same file.
single=() reference=()
cpu_single=0
for run in $(seq "$RUNS"); do
    c0=$(server_cpu)
    if "$BUILD/orxunit" net --server 127.0.0.1 --bind 127.0.0.2 --name BENCH1 \
        --image "$IMAGE" --timeout 20 >single.out 2>single.err; then
        single+=("$(rate <single.out)")
    else
        echo "single unit, run $run: FAILED: $(cat single.err)"
        FAILED=1
    fi
    c1=$(server_cpu)
    cpu_single=$(awk -v a="$cpu_single" -v b="$c0" -v c="$c1" 'BEGIN { print a + c - b }')

    "$BUILD/orxunit" listen --bind 127.0.0.1 --port 6969 --verify "$IMAGE" --timeout 20 \
        >listen.out 2>listen.err &
    listener=$!
    orx_wait_for 5 eval "ss -uanH | grep -q ' 127\\.0\\.0\\.1:6969 '"
    tftp 127.0.0.1 6969 -m binary -c put "$IMAGE" bench.bin >tftp.out 2>&1
    if wait "$listener"; then
        reference+=("$(rate <listen.out)")
    else
        echo "tftp client, run $run: FAILED: $(cat listen.err tftp.out)"
        FAILED=1
    fi
done
r_single=$(printf '%s\n' "${single[@]}" | median)
r_ref=$(printf '%s\n' "${reference[@]}" | median)
printf '1 unit:        %8.2f MiB/s (median; runs: %s)\n' "$r_single" "${single[*]}"
printf 'tftp client:   %8.2f MiB/s (median; runs: %s)\n' "$r_ref" "${reference[*]}"
printf 'server CPU:    %8.4f s per MiB (1 unit)\n' \
    "$(awk -v c="$cpu_single" -v n="$RUNS" -v s="$SIZE" 'BEGIN { print c / (n * s / 1048576) }')"

# --- Many units at once, from 127.0.0.2 upward.
c0=$(server_cpu)
"$BUILD/orxunit" net --server 127.0.0.1 --bind 127.0.0.2 --name BENCH --count "$UNITS" \
    --image "$IMAGE" --timeout 40 >many.out 2>many.err
many_rc=$?
c1=$(server_cpu)
ok=$(grep -c ': ok, ' many.out)
[ "$many_rc" -eq 0 ] && [ "$ok" -eq "$UNITS" ] || FAILED=1
per_unit=$(grep ': ok, ' many.out | sed -n 's/.*, \([0-9.]*\) MiB\/s.*/\1/p' | sort -g)
printf '%d units:     %d completed, %d failed\n' "$UNITS" "$ok" "$((UNITS - ok))"
printf '  per unit:    %8.3f min, %.3f median, %.3f max MiB/s\n' \
    "$(echo "$per_unit" | head -n 1)" "$(echo "$per_unit" | median)" "$(echo "$per_unit" | tail -n 1)"
printf '  aggregate:   %s\n' "$(grep '^total:' many.out)"
printf '  server CPU:  %8.4f s per MiB\n' \
    "$(awk -v a="$c0" -v b="$c1" -v n="$UNITS" -v s="$SIZE" 'BEGIN { print (b - a) / (n * s / 1048576) }')"
[ -s many.err ] && head -n 5 many.err

hwm_kb=$(awk '/^VmHWM:/ { print $2 }' "/proc/$SERVER/status")
kill -TERM "$SERVER"
wait "$SERVER" || FAILED=1
ORX_PIDS=()
fails=$(grep -c "Failed Transfer" server.log)

limit_kb=$(((SIZE + 16 * 1048576) / 1024))
ratio=$(awk -v a="$r_single" -v b="$r_ref" 'BEGIN { if (b > 0) print a / b; else print 0 }')
printf 'server peak RSS: %.1f MiB\n' "$(awk -v k="$hwm_kb" 'BEGIN { print k / 1024 }')"
printf 'failed transfers in the server log: %d\n' "$fails"

# Goals; the exit status tells only whether every transfer worked, as a ratio of two
# timings on a shared machine is no pass or fail.
goal() { printf '  %-44s %s\n' "$1" "$(awk "BEGIN { print ($2) ? \"met\" : \"MISSED\" }")"; }
echo "goals:"
goal "1 unit / tftp client >= 1.00 (is $(printf %.2f "$ratio"))" "$ratio >= 1.0"
goal "$UNITS units all complete (did $ok)" "$ok == $UNITS && $fails == 0"
goal "peak RSS < image + 16 MiB ($((limit_kb / 1024)) MiB)" "$hwm_kb < $limit_kb"
[ "$fails" -eq 0 ] || FAILED=1
[ "$FAILED" -eq 0 ] && echo "bench: every transfer completed" || echo "bench: FAILED"
exit "$FAILED"
