#!/usr/bin/env bash
# Hostile-network benchmark: orxboot --headless with ARP clearing on (NETCACHE=1) while a
# flood of boot requests that never acknowledge, or junk on ports 980 and 100, arrives; a
# real simulated unit boots byte for byte through each, timed against the same unit on a
# quiet server. Runs in a private network namespace with only loopback; every flood is
# bounded in count and time (bench/flood.py), and so is what it makes the server start:
# where the machine offers a pids cgroup, the server runs in one of its own.
# Usage: hostile.sh <build_dir>
#   ORX_HOSTILE_RATE (2000) and ORX_HOSTILE_SECONDS (5): the flood of boot requests;
#   ORX_HOSTILE_JUNK_RATE (20000): junk datagrams per second, for the same time;
#   ORX_BENCH_ORXBOOT: another orxboot binary to measure, e.g. an older build.
# The serial side (byte storms, pulled ports) is bench/hostile_serial.sh.
set -u

BUILD=$(cd "${1:-build}" && pwd) || exit 1
SELF=$(cd "$(dirname "$0")" && pwd)/$(basename "$0")
BENCH=$(dirname "$SELF")
RATE=${ORX_HOSTILE_RATE:-2000}
FLOOD_S=${ORX_HOSTILE_SECONDS:-5}
JUNK_RATE=${ORX_HOSTILE_JUNK_RATE:-20000}
ORXBOOT=${ORX_BENCH_ORXBOOT:-$BUILD/orxboot}

source "$BENCH/../scripts/lib/env.sh"
orx_private_net ORX_BENCH_NETNS "$SELF" "$BUILD" || {
    echo "hostile bench: needs root for a private network namespace" >&2
    exit 1
}
orx_tmpdir /tmp/orx-hostile-XXXXXX || exit 1
WORK=$ORX_TMP
IMAGE=$BUILD/samples/1m.bin
FAILED=0

# A pids cgroup caps what the server may start, should the bounds under test fail.
CGROUP=
if [ -w /sys/fs/cgroup/pids ] && mkdir "/sys/fs/cgroup/pids/orx-hostile-$$" 2>/dev/null; then
    CGROUP=/sys/fs/cgroup/pids/orx-hostile-$$
    echo 256 >"$CGROUP/pids.max"
fi
hostile_cleanup() {
    orx_cleanup
    [ -z "$CGROUP" ] || rmdir "$CGROUP" 2>/dev/null || true
}
trap hostile_cleanup EXIT

# "arp" on the server's PATH: each run notes when it starts and ends, then does the real
# work (on this namespace's own table) or, without net-tools, waits as long as it takes.
REAL_ARP=$(command -v arp || true)
mkdir -p "$WORK/bin"
cat >"$WORK/bin/arp" <<EOF
#!/bin/bash
printf '+ %s\n' "\$EPOCHREALTIME" >>"\$ORX_ARP_LOG"
if [ -n "$REAL_ARP" ]; then "$REAL_ARP" "\$@" >/dev/null 2>&1; else sleep 0.003; fi
printf -- '- %s\n' "\$EPOCHREALTIME" >>"\$ORX_ARP_LOG"
EOF
chmod +x "$WORK/bin/arp"

now() { echo "$EPOCHREALTIME"; }
since() { awk -v a="$1" -v b="$(now)" 'BEGIN { printf "%.2f", b - a }'; }

# start_server STAGE: a fresh server for one stage, its files in $DIR.
start_server() {
    DIR=$WORK/$1
    orx_settings "$DIR" BOOTFILE="$IMAGE" BOOTNET=1 BOOTSERIAL=0 NETTYPE=0 NETCACHE=1 \
        TRANCLOSEDONE=0 WIZARDMODE=0
    : >"$DIR/arp.log"
    (
        [ -z "$CGROUP" ] || echo "$BASHPID" >"$CGROUP/cgroup.procs"
        export ORX_STALL_REPORT=$DIR/stall.txt ORX_ARP_LOG=$DIR/arp.log PATH=$WORK/bin:$PATH
        orx_exec_in "$DIR" "$ORXBOOT" --headless >"$DIR/out.log" 2>"$DIR/err.log"
    ) &
    SERVER=$!
    ORX_PIDS+=("$SERVER")
    orx_wait_for 10 grep -qs "Server waiting for boot request" "$DIR/out.log" ||
        { echo "$1: the server did not start"; FAILED=1; }
    # The most children the server had at once, zombies included, sampled every 10 ms.
    (
        peak=0
        while kill -0 "$SERVER" 2>/dev/null; do
            kids=()
            read -r -a kids <"/proc/$SERVER/task/$SERVER/children" 2>/dev/null
            if ((${#kids[@]} > peak)); then peak=${#kids[@]}; echo "$peak" >"$DIR/children.txt"; fi
            sleep 0.01
        done
    ) &
    SAMPLER=$!
}

# flood MODE RATE: bench/flood.py in the background for FLOOD_S seconds; its pid in FLOOD.
flood() {
    python3 "$BENCH/flood.py" "$1" --rate "$2" --seconds "$FLOOD_S" >"$DIR/flood.out" 2>&1 &
    FLOOD=$!
}

# boot_unit NAME ADDR: one unit boots the image and checks it byte for byte; its time in
# seconds, from its start to the end of its check, goes to $DIR/NAME.time.
boot_unit() {
    local t0
    t0=$(now)
    if "$BUILD/orxunit" net --server 127.0.0.1 --bind "$2" --name "$1" --image "$IMAGE" \
        --timeout 60 >"$DIR/$1.out" 2>&1; then
        since "$t0" >"$DIR/$1.time"
    else
        echo "$1: FAILED: $(tail -n 1 "$DIR/$1.out")"
        echo fail >"$DIR/$1.time"
        FAILED=1
    fi
}

# stop_server: SIGTERM, and the seconds until the server has ended, in $DIR/term.time.
stop_server() {
    local t0
    t0=$(now)
    kill -TERM "$SERVER"
    local n=100
    while kill -0 "$SERVER" 2>/dev/null && ((n-- > 0)); do sleep 0.02; done
    if kill -0 "$SERVER" 2>/dev/null; then
        kill -KILL "$SERVER"
        echo "SIGTERM: still running after 2 s" >>"$DIR/err.log"
    fi
    wait "$SERVER"
    since "$t0" >"$DIR/term.time"
    wait "$SAMPLER" 2>/dev/null
}

# Transfers at once, from the log: the most that had started and not yet ended.
peak_transfers() {
    awk '/: Starting Transfer$/ { n++; if (n > p) p = n }
         /: Transmission completed\.$/ || /: Failed Transfer$/ { n-- }
         END { print p + 0 }' "$1"
}
# arp runs at once, from the start and end times each run noted.
peak_arp() {
    sort -k2 -g "$1" | awk '$1 == "+" { n++; if (n > p) p = n } $1 == "-" { n-- } END { print p + 0 }'
}
# Every transfer that ended has had its unit's ARP entry cleared.
arp_all_cleared() {
    [ "$(grep -c '^-' "$DIR/arp.log")" -ge \
        "$(grep -c ": Failed Transfer$\|: Transmission completed\.$" "$DIR/out.log")" ]
}
row() {
    local unit=$2 stall
    stall=$(sed -n 's/.*longest_ms=\([0-9]*\).*/\1/p' "$DIR/stall.txt" 2>/dev/null | head -n 1)
    printf '%-12s %8s %9s %9s %9s %10s %9s %9s %7s\n' "$1" "$unit" "${stall:--}" \
        "$(peak_arp "$DIR/arp.log")" "$(cat "$DIR/children.txt" 2>/dev/null || echo 0)" \
        "$(peak_transfers "$DIR/out.log")" "$(grep -c '^+' "$DIR/arp.log")" \
        "$(wc -l <"$DIR/out.log")" "$(cat "$DIR/term.time")"
    if grep -q "still running" "$DIR/err.log"; then
        echo "$1: SIGTERM did not end the server within 2 s"
        FAILED=1
    fi
}

echo "== Hostile network: 1 MiB image, NETCACHE=1, loopback namespace" \
    "(arp: ${REAL_ARP:-a stand-in that waits 3 ms}${CGROUP:+; server in a pids cgroup of 256})"
echo "   flood: $RATE boot requests/s for $FLOOD_S s that never acknowledge; junk: $JUNK_RATE/s"
printf '%-12s %8s %9s %9s %9s %10s %9s %9s %7s\n' stage unit_s stall_ms arp_peak \
    child_peak xfer_peak arp_runs log_lines term_s

# --- The same unit on a quiet server.
start_server quiet
boot_unit QUIET 127.0.0.2
stop_server
row quiet "$(cat "$DIR/QUIET.time")"

# --- The flood; a unit arrives while it lasts, and another as its transfers fail (31 s
# after their last packet), when every failure asks for an ARP entry to be cleared.
start_server flood
flood requests "$RATE"
sleep 2
boot_unit DURING 127.0.0.2
wait "$FLOOD"
orx_wait_for 60 grep -qs ": Failed Transfer$" "$DIR/out.log"
boot_unit FAILING 127.0.0.3
# Until every transfer has ended and every ARP entry is cleared.
orx_wait_for 30 eval '[ "$(peak_transfers "$DIR/out.log")" -gt 0 ] &&
    [ "$(grep -c ": Starting Transfer$" "$DIR/out.log")" -eq \
      "$(grep -c ": Failed Transfer$\|: Transmission completed\.$" "$DIR/out.log")" ]'
orx_wait_for 30 arp_all_cleared
stop_server
row flood "$(cat "$DIR/DURING.time")/$(cat "$DIR/FAILING.time")"
grep -m 3 "^Transfer limit" "$DIR/out.log" | sed 's/^/    /'

# --- SIGTERM in the middle of the flood, with every transfer discarded at once.
start_server term
flood requests "$RATE"
sleep 3
stop_server
wait "$FLOOD"
row flood+TERM "-"

# --- Junk on both ports; a unit boots through it.
start_server junk
flood junk "$JUNK_RATE"
sleep 1
boot_unit JUNKED 127.0.0.2
wait "$FLOOD"
sleep 1.5
stop_server
row junk "$(cat "$DIR/JUNKED.time")"
awk -v sent="$(cat "$DIR/flood.out")" '/ more lines about .* were left out\.$/ { n++; s += $1 }
    END { printf "    %s; %d lines of the log say that %d more were left out\n", sent, n, s }' \
    "$DIR/out.log"

echo "unit_s: seconds from the unit's start to its checked image (during / as transfers fail);"
echo "stall_ms: the longest gap of the server's event loop; *_peak: the most at once;"
echo "term_s: seconds from SIGTERM to the end of the server"
[ "$FAILED" -eq 0 ] || { echo "hostile bench: FAILED"; exit 1; }
