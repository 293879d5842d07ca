#!/usr/bin/env bash
# Network boot end to end: the real orxboot --headless against simulated units, each run
# inside a private network namespace with only loopback, so nothing reaches a real network.
# Usage: net_boot.sh <build_dir>
set -u

BUILD=$(cd "${1:?usage: net_boot.sh <build_dir>}" && pwd)
SELF=$(cd "$(dirname "$0")" && pwd)/$(basename "$0")
source "$(dirname "$SELF")/../../scripts/lib/env.sh"
orx_need unshare ip ss
orx_private_net ORX_E2E_NETNS "$SELF" "$BUILD" || {
    echo "net_boot: SKIPPED: cannot make a private network namespace (needs root)"
    exit $ORX_SKIP
}
ORXBOOT=$BUILD/orxboot
ORXUNIT=$BUILD/orxunit
orx_tmpdir /tmp/orx-netboot-XXXXXX || exit 1
TOP=$ORX_TMP

"$BUILD/orx-mkimage" --size 70000 --records 5 --out "$TOP/small.bin" || exit 1
"$BUILD/orx-mkimage" --size 1048576 --records 12 --seed 3 --out "$TOP/1m.bin" || exit 1

start_server() {
    orx_exec_in "$DIR" "$ORXBOOT" --headless >"$DIR/out.log" 2>"$DIR/err.log" &
    SERVER=$!
    wait_for_line "Server waiting for boot request..." 10 || fail "server did not start"
}

# unit NAME ADDR [options]: one simulated unit in the background; its pid in UNIT[NAME].
declare -A UNIT
unit() {
    local name=$1 addr=$2
    shift 2
    "$ORXUNIT" net --server 127.0.0.1 --bind "$addr" --name "$name" \
        --mac "$(printf '02:4F:52:00:00:%02X' "${addr##*.}")" "$@" >"$DIR/$name.out" 2>"$DIR/$name.err" &
    UNIT[$name]=$!
}

# A unit still asking from the case before would be served by the next case's server and
# keep itself alive on its packets: each case starts without them.
case_start() {
    local pid
    for pid in "${UNIT[@]}"; do kill "$pid" 2>/dev/null; done
    for pid in "${UNIT[@]}"; do wait "$pid" 2>/dev/null; done
    UNIT=()
    new_case "$@"
}

# --- Three units at once; the server ends with the last transfer. A transfer takes
# milliseconds, so the units must ask together or the list empties early: they start
# announcing before the server runs, are held, and are let go at once more than a
# second later, when every one of them owes its next announcement.
case_start three BOOTFILE="$TOP/1m.bin" BOOTNET=1 BOOTSERIAL=0 NETTYPE=0 NETCACHE=0 \
    TRANCLOSEDONE=1 WIZARDMODE=0
for i in 2 3 4; do unit "HV7UNIT$i" "127.0.0.$i" --image "$TOP/1m.bin" --timeout 15; done
# Held only once every unit has bound its port, so each announces the moment it goes on.
orx_wait_for 10 eval '[ "$(ss -uanH | grep -c " 127\.0\.0\.[234]:")" -ge 3 ]'
kill -STOP "${UNIT[@]}"
start_server
sleep 1.2
kill -CONT "${UNIT[@]}"
for i in 2 3 4; do wait_exit "${UNIT[HV7UNIT$i]}" 30 0 "unit HV7UNIT$i"; done
wait_exit "$SERVER" 10 0 "orxboot"
expect_line "Reading boot file '$TOP/1m.bin'."
expect_line "Server waiting for boot request..."
for i in 2 3 4; do
    for line in "Starting Transfer" "Sending Jump" "Transmission completed."; do
        expect_line "HV7UNIT$i: $line"
    done
    grep -q "^HV7UNIT$i: ok, 1048576 bytes" "$DIR/HV7UNIT$i.out" || fail "HV7UNIT$i summary"
done
grep -q "Retransmit\|Failed" "$DIR/out.log" && fail "unexpected resends on a quiet network"
show_logs

# --- Lost acknowledgements, a unit that changes its port, repeated boot requests, and a
# device of another maker; the server stays up until its terminal hangs up.
case_start faults BOOTFILE="$TOP/small.bin" BOOTNET=1 BOOTSERIAL=0 NETTYPE=0 NETCACHE=0 \
    TRANCLOSEDONE=0 WIZARDMODE=0
start_server
unit DROPACK 127.0.0.2 --image "$TOP/small.bin" --drop-ack 3 --timeout 15
unit DROPWRQ 127.0.0.3 --image "$TOP/small.bin" --drop-ack 0 --timeout 15
unit NEWPORT 127.0.0.4 --image "$TOP/small.bin" --new-port-after 5 --timeout 15
unit REPEAT 127.0.0.5 --image "$TOP/small.bin" --repeat-request --timeout 15
unit STRANGER 127.0.0.9 --mac 00:11:22:33:44:55 --image "$TOP/small.bin" --timeout 2
for name in DROPACK DROPWRQ NEWPORT REPEAT; do
    wait_exit "${UNIT[$name]}" 30 0 "unit $name"
    expect_line "$name: Transmission completed."
done
wait_exit "${UNIT[STRANGER]}" 30 3 "unit of another maker"
expect_line "DROPACK: Retransmit packet 1"
expect_line "DROPWRQ: Retransmit packet 1"
expect_line "Non-ORX device. 0 11 22"
grep -q "^NEWPORT: Retransmit" "$DIR/out.log" && fail "the server did not follow the new port"
grep -q "STRANGER: Starting" "$DIR/out.log" && fail "a device of another maker was served"
# A dropped ssh connection (SIGHUP) ends the run as SIGTERM does: every key saved, exit 0.
kill -HUP "$SERVER"
wait_exit "$SERVER" 10 0 "orxboot after SIGHUP"
grep -qx "COMBAUD=115200" "$DIR/orxboot.ini" || fail "settings not saved after SIGHUP"
show_logs

# --- ssh without a terminal sends no SIGHUP: the log's pipe just closes. The next log line
# ends the run as SIGHUP does, instead of killing it unsaved.
case_start broken_pipe BOOTFILE="$TOP/small.bin" BOOTNET=1 BOOTSERIAL=0 NETTYPE=0 NETCACHE=0 \
    TRANCLOSEDONE=0 WIZARDMODE=0
mkfifo "$DIR/log.pipe"
(orx_exec_in "$DIR" "$ORXBOOT" --headless >"$DIR/log.pipe" 2>"$DIR/err.log") &
SERVER=$!
head -n 1 "$DIR/log.pipe" >"$DIR/out.log"
unit PIPED 127.0.0.2 --image "$TOP/small.bin" --timeout 5
wait_exit "$SERVER" 10 0 "orxboot after its log's pipe closed"
grep -qx "COMBAUD=115200" "$DIR/orxboot.ini" || fail "settings not saved after the pipe closed"
show_logs

# --- Records: at a bound of one transfer a unit that goes silent makes way for one that
# answers. --events - writes their lives on stdout, one JSON object a line, in place of the
# log; the history keeps both records with their reasons, and --history shows them.
case_start records BOOTFILE="$TOP/small.bin" BOOTNET=1 BOOTSERIAL=0 NETTYPE=0 NETCACHE=0 \
    TRANCLOSEDONE=0 WIZARDMODE=0
(orx_exec_in "$DIR" "$ORXBOOT" --headless --max-transfers 1 --events - >"$DIR/out.log" \
    2>"$DIR/err.log") &
SERVER=$!
orx_wait_for 10 grep -qs servers-started "$DIR/out.log" || fail "no servers-started event"
unit SILENT 127.0.0.2 --image "$TOP/small.bin" --silent-after 0 --timeout 4
orx_wait_for 10 grep -qs '"transfer-started", .*"SILENT"' "$DIR/out.log" || fail "SILENT not started"
unit LATE 127.0.0.3 --image "$TOP/small.bin" --timeout 15
wait_exit "${UNIT[LATE]}" 30 0 "unit LATE"
# A second copy, refused by the first one's lock, leaves the first one's events whole.
(orx_exec_in "$DIR" "$ORXBOOT" --headless --events "$DIR/out.log") >/dev/null 2>&1 &&
    fail "a second copy ran"
kill -TERM "$SERVER"
wait_exit "$SERVER" 10 0 "orxboot"
/usr/bin/python3 - "$DIR/out.log" "$(sha256sum <"$TOP/small.bin" | cut -d' ' -f1)" <<'PY' ||
import json, sys
events = [json.loads(line) for line in open(sys.argv[1])]
kinds = [e["event"] for e in events]
assert kinds[0] == "servers-started" and kinds[-1] == "servers-halted", kinds
ends = {e["unit"]: e for e in events if e["event"] in ("transfer-completed", "transfer-failed")}
assert ends["SILENT"]["result"] == "failed", ends
assert ends["SILENT"]["reason"] == "silent, ended to make way for another unit", ends
late = ends["LATE"]
assert (late["result"], late["bytes_sent"], late["ip"]) == ("completed", 70000, "127.0.0.3"), late
assert (late["sha256"], late["mac"]) == (sys.argv[2], "02:4f:52:00:00:03"), late
PY
    fail "events: $(cat "$DIR/out.log")"
grep -q "Starting Transfer" "$DIR/out.log" && fail "log lines among the events"
grep -qx "status: transfer done" "$DIR/err.log" || fail "status lines gone from stderr"
(orx_exec_in "$DIR" "$ORXBOOT" --history --json) >"$DIR/history.jsonl"
/usr/bin/python3 -c '
import json, sys
units = [json.loads(line)["unit"] for line in open(sys.argv[1])]
assert units == ["SILENT", "LATE"], units' "$DIR/history.jsonl" || fail "history: $(cat "$DIR/history.jsonl")"
(orx_exec_in "$DIR" "$ORXBOOT" --history) >"$DIR/history.txt"
grep -q "^2 records in $DIR/state/orxboot/history.jsonl$" "$DIR/history.txt" ||
    fail "history table: $(cat "$DIR/history.txt")"
# An events file is emptied when opened: the settings are never taken for one.
cp "$DIR/orxboot.ini" "$DIR/before.ini"
(orx_exec_in "$DIR" "$ORXBOOT" --headless --events=orxboot.ini) 2>"$DIR/bad.err"
[ $? -eq 2 ] && grep -q "give a file of its own" "$DIR/bad.err" || fail "--events took the settings"
cmp -s "$DIR/orxboot.ini" "$DIR/before.ini" || fail "--events emptied the settings"
show_logs

# --- --max-transfers takes a number of transfers, and nothing else.
CASE=max_transfers
"$ORXBOOT" --max-transfers 5 --help >/dev/null || fail "--max-transfers 5 was refused"
"$ORXBOOT" --max-transfers=0 2>"$TOP/bad.err"
[ $? -eq 2 ] && grep -q "max-transfers" "$TOP/bad.err" || fail "--max-transfers=0 was taken"

# --- Under TRANCLOSEDONE the program ends only once the unit's ARP entry is cleared, or once
# the command's own 5 s are over ("arp" here is a stand-in that takes its time).
for ARP_S in 1.5 5.5; do
    case_start "slow_arp_$ARP_S" BOOTFILE="$TOP/small.bin" BOOTNET=1 BOOTSERIAL=0 NETTYPE=0 \
        NETCACHE=1 TRANCLOSEDONE=1 WIZARDMODE=0
    printf '#!/bin/sh\nsleep %s\necho "$*" >>"%s"\n' "$ARP_S" "$DIR/cleared" >"$DIR/arp"
    chmod +x "$DIR/arp"
    PATH=$DIR:$PATH start_server
    unit SLOWARP 127.0.0.2 --image "$TOP/small.bin" --timeout 15
    wait_exit "${UNIT[SLOWARP]}" 15 0 "unit SLOWARP"
    t0=$EPOCHREALTIME
    wait_exit "$SERVER" 10 0 "orxboot"
    waited=$(awk -v a="$t0" -v b="$EPOCHREALTIME" 'BEGIN { print b - a }')
    if [ "$ARP_S" = 1.5 ]; then
        grep -qx -- "-d 127.0.0.2" "$DIR/cleared" 2>/dev/null || fail "ended before arp did"
        grep -q "ARP Wait Failed" "$DIR/out.log" && fail "the wait failed"
    else
        expect_line "Server Net ARP Wait Failed."
        awk -v w="$waited" 'BEGIN { exit !(w > 4 && w < 6) }' || fail "ended after $waited s"
    fi
    show_logs
done

[ "$FAILED" -eq 0 ] || { echo "net_boot: FAILED"; exit 1; }
echo "net_boot: all cases passed"
