#!/usr/bin/env bash
# Serial download benchmark over pseudo-terminals, against a unit that takes the bytes no
# faster than a 115200 baud line (11520 bytes/s, the reference):
#   - a 4 MiB image with HV7 (256-byte blocks) and HV6 (32 KiB blocks): achieved rate as
#     a fraction of the line rate (goals: HV6 >= 0.95, HV7 >= 0.90);
#   - latency from the unit's go-ahead LF to the first byte of the next block (p99 goal
#     below 200 us);
#   - CPU used by orxboot serving 8 idle ports for 10 s (goal below 0.5 % of one core).
# Runs in a private network namespace: orxboot's start-up looks for a free unit address
# with echo requests. Usage: serial_bench.sh <build_dir>   (ORX_SERIAL_BENCH_SIZE: bytes)
set -u

BUILD=$(cd "${1:-build}" && pwd) || exit 1
HERE=$(cd "$(dirname "$0")" && pwd)
ORXBOOT=${ORXBOOT_BIN:-$BUILD/orxboot}
ORXUNIT=$BUILD/orxunit
SIZE=${ORX_SERIAL_BENCH_SIZE:-$((4 * 1048576))}
BAUD=115200
IDLE_PORTS=8
IDLE_SECONDS=10
source "$HERE/../scripts/lib/env.sh"
orx_private_net ORX_BENCH_NETNS "$HERE/$(basename "$0")" "$BUILD" || {
    echo "serial bench: needs root for a private network namespace" >&2
    exit 1
}
orx_tmpdir /tmp/orx-serial-bench-XXXXXX || exit 1
WORK=$ORX_TMP

"$BUILD/orx-mkimage" --size "$SIZE" --records 16 --out "$WORK/bench.bin" >/dev/null || exit 1

# server DIR KEY=VALUE...: orxboot --headless in DIR with those settings; pid in SERVER.
server() {
    local dir=$1
    shift
    orx_settings "$dir" "$@"
    ORXBOOT_COMDIR=$dir/ports orx_exec_in "$dir" "$ORXBOOT" --headless \
        >"$dir/out.log" 2>"$dir/err.log" &
    SERVER=$!
    ORX_PIDS+=("$SERVER")
}

stat_field() { sed -n "s/.* $1=\([0-9.]*\).*/\1/p" "$2"; }

# download PROTOCOL: one download of the image to a paced unit; prints the result line.
download() {
    local proto=$1 dir=$WORK/$1 comproto=0
    [ "$proto" = hv6 ] && comproto=1
    mkdir -p "$dir/ports"
    "$ORXUNIT" serial --make-pty "$dir/ports/COM1" --no-menu --protocol "$proto" \
        --image "$WORK/bench.bin" --baud-emulate "$BAUD" --stats --timeout 30000 \
        >"$dir/unit.out" 2>"$dir/unit.err" &
    local unit=$!
    ORX_PIDS+=("$unit")
    orx_wait_for 10 test -L "$dir/ports/COM1"
    server "$dir" BOOTFILE="$WORK/bench.bin" BOOTSERIAL=1 BOOTNET=0 COMOPENALLPORTS=0 \
        COMPORT=COM1 COMBAUD=$BAUD COMPROTOCOL=$comproto COMAUTOMENU=0 TRANCLOSEDONE=0 \
        WIZARDMODE=0
    wait "$unit"
    local rc=$?
    kill -TERM "$SERVER" 2>/dev/null
    wait "$SERVER" 2>/dev/null
    if [ $rc -ne 0 ]; then
        echo "$proto: the unit failed ($rc):"; cat "$dir/unit.err"
        FAILED=1
        return
    fi
    local rate p50 p99 pmax
    rate=$(stat_field rate "$dir/unit.out")
    p50=$(stat_field lat_p50_us "$dir/unit.out")
    p99=$(stat_field lat_p99_us "$dir/unit.out")
    pmax=$(stat_field lat_max_us "$dir/unit.out")
    awk -v p="$proto" -v r="$rate" -v b="$BAUD" -v a="$p50" -v n="$p99" -v m="$pmax" 'BEGIN {
        line = b / 10; f = r / line; goal = (p == "hv6") ? 0.95 : 0.90;
        printf "%s: %.0f bytes/s of %.0f on the line = %.3f (goal >= %.2f %s); ", p, r, line, f,
            goal, (f >= goal) ? "met" : "MISSED";
        printf "go-ahead to block p50 %d us, p99 %d us (goal < 200 %s), max %d us\n", a, n,
            (n < 200) ? "met" : "MISSED", m }'
}

# Nanoseconds on a CPU of every thread of the process so far.
cpu_ns() { cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{ t += $1 } END { printf "%d", t }'; }

# CPU of orxboot while it serves idle ports.
idle_cpu() {
    local dir=$WORK/idle
    mkdir -p "$dir/ports"
    python3 "$HERE/serial_ptys.py" "$dir/ports" "$IDLE_PORTS" $((IDLE_SECONDS + 30)) >"$dir/ptys.out" &
    ORX_PIDS+=($!)
    orx_wait_for 10 grep -qs ready "$dir/ptys.out"
    server "$dir" BOOTFILE="$WORK/bench.bin" BOOTSERIAL=1 BOOTNET=0 COMOPENALLPORTS=1 \
        COMBAUD=$BAUD COMAUTOMENU=1 TRANCLOSEDONE=0 WIZARDMODE=0
    orx_wait_for 10 eval '[ "$(grep -cs "ready\.\.\.$" "$dir/out.log")" -ge "$IDLE_PORTS" ]'
    sleep 1
    local before after
    before=$(cpu_ns "$SERVER")
    sleep "$IDLE_SECONDS"
    after=$(cpu_ns "$SERVER")
    kill -TERM "$SERVER" 2>/dev/null
    wait "$SERVER" 2>/dev/null
    awk -v d=$((after - before)) -v s="$IDLE_SECONDS" -v p="$IDLE_PORTS" 'BEGIN {
        pct = 100 * d / 1e9 / s;
        printf "idle: %d ports for %d s used %.3f %% of one core (goal < 0.5 %s)\n", p, s, pct,
            (pct < 0.5) ? "met" : "MISSED" }'
}

echo "serial bench: $SIZE bytes at $BAUD baud over pseudo-terminals"
# Both downloads at once: each is paced by its own unit, so they do not slow each other.
download hv7 >"$WORK/hv7.txt" &
D1=$!
download hv6 >"$WORK/hv6.txt" &
D2=$!
# The reference, in the same conditions: a bare pseudo-terminal round trip (wait, read the
# LF, write a block) paced like an HV7 unit, measured while both downloads run.
sleep 5
"$BUILD/orx-pty-rtt" 1000 $((256 * 1000000 / (BAUD / 10))) >"$WORK/ref.txt"
wait $D1 || FAILED=1
wait $D2 || FAILED=1
cat "$WORK/hv7.txt" "$WORK/hv6.txt"
ref_p50=$(stat_field pty_rtt_p50_us "$WORK/ref.txt")
ref_p99=$(stat_field pty_rtt_p99_us "$WORK/ref.txt")
srv_p99=$(sed -n 's/.*hv7.*p99 \([0-9]*\) us.*/\1/p' "$WORK/hv7.txt")
echo "reference: bare pseudo-terminal round trip p50 $ref_p50 us, p99 $ref_p99 us;" \
    "HV7 p99 is $(awk -v a="${srv_p99:-0}" -v b="${ref_p99:-1}" 'BEGIN { printf "%.2f", a / b }') x the reference"
grep -q "failed" "$WORK/hv7.txt" "$WORK/hv6.txt" && FAILED=1
idle_cpu
exit $FAILED
