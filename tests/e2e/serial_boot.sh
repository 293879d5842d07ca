#!/usr/bin/env bash
# Serial boot end to end: the real orxboot --headless serving every serial port against
# simulated units on pseudo-terminals (COM1.. links in ORXBOOT_COMDIR), with a network unit
# beside them. Runs in a private network namespace with only loopback.
# Usage: serial_boot.sh <build_dir>
set -u

BUILD=$(cd "${1:?usage: serial_boot.sh <build_dir>}" && pwd)
SELF=$(cd "$(dirname "$0")" && pwd)/$(basename "$0")
source "$(dirname "$SELF")/../../scripts/lib/env.sh"
orx_need unshare ip
orx_private_net ORX_E2E_NETNS "$SELF" "$BUILD" || {
    echo "serial_boot: SKIPPED: cannot make a private network namespace (needs root)"
    exit $ORX_SKIP
}
ORXBOOT=${ORXBOOT_BIN:-$BUILD/orxboot}
ORXUNIT=$BUILD/orxunit
orx_tmpdir /tmp/orx-serialboot-XXXXXX || exit 1
TOP=$ORX_TMP

"$BUILD/orx-mkimage" --size 70000 --records 5 --out "$TOP/small.bin" || exit 1
"$BUILD/orx-mkimage" --size 1048576 --records 12 --seed 5 --out "$TOP/1m.bin" || exit 1

# serial_unit PORT [options]: a unit on a new pty linked as PORT; its pid in UNIT[PORT].
declare -A UNIT
serial_unit() {
    local port=$1
    shift
    "$ORXUNIT" serial --make-pty "$DIR/ports/$port" --timeout 20000 "$@" \
        >"$DIR/$port.out" 2>"$DIR/$port.err" &
    UNIT[$port]=$!
    ORX_PIDS+=("$!")
    orx_wait_for 5 test -L "$DIR/ports/$port" || fail "unit on $port made no line"
}

start_server() {
    ORXBOOT_COMDIR=$DIR/ports orx_exec_in "$DIR" "$ORXBOOT" --headless /t \
        >"$DIR/out.log" 2>"$DIR/err.log" &
    SERVER=$!
    ORX_PIDS+=("$SERVER")
}

# expect_once LINE: the line stands in the server's log exactly once.
expect_once() { [ "$(grep -Fxc -- "$1" "$DIR/out.log")" -eq 1 ] || fail "log line '$1' not once"; }

# stop_server SECONDS: SIGTERM, and the whole process must be gone within the time.
stop_server() {
    kill -TERM "$SERVER" 2>/dev/null
    wait_exit "$SERVER" "$1" 0 "orxboot after SIGTERM"
}

# Three units on three ports at once, every one checked byte for byte, and a network unit
# beside them; one unit splits its request, one talks before its go-aheads, one first
# sends a request with a wrong checksum. The menu keys follow the network settings.
case_three_ports() {
    new_case three_ports BOOTFILE="$TOP/1m.bin" BOOTSERIAL=1 COMOPENALLPORTS=1 COMAUTOMENU=1 \
        COMPROTOCOL=0 BOOTNET=1 NETTYPE=1 NETDHCP=1 NETCACHE=0 TRANCLOSEDONE=0 WIZARDMODE=0
    local keys=(--bootnet --dhcp --image "$TOP/1m.bin")
    serial_unit COM1 "${keys[@]}"
    serial_unit COM2 "${keys[@]}" --split --text-before-lf READY
    serial_unit COM3 "${keys[@]}" --bad-checksum
    start_server
    "$ORXUNIT" net --server 127.0.0.1 --bind 127.0.0.2 --name ORXHV7410 --image "$TOP/1m.bin" \
        --timeout 30 >"$DIR/net.out" 2>"$DIR/net.err" &
    local un=$!
    ORX_PIDS+=("$un")
    wait_exit "$un" 60 0 "network unit"
    for p in COM1 COM2 COM3; do
        wait_exit "${UNIT[$p]}" 60 0 "unit on $p"
        wait_for_line "$p: Transfer Complete" 10 || fail "no '$p: Transfer Complete'"
        expect_line "$p: Serial Boot detected."
        expect_line "$p: Serial Boot command sent."
        expect_once "$p: Starting Transfer"
        grep -q "every byte matched" "$DIR/$p.out" || fail "$p unit did not see every byte"
    done
    expect_once "Serial Boot checksum mismatch"
    expect_line "ORXHV7410: Transmission completed."
    # The ports are opened in port order, and no other port is.
    [ "$(grep "^Serial port '" "$DIR/out.log" | tr '\n' ' ')" = \
        "$(printf "Serial port '%s' ready... " COM1 COM2 COM3)" ] || fail "not COM1, COM2, COM3 ready"
    # The terminal on stderr: each download's end, the menu echoes, no raw control bytes.
    [ "$(grep -c '<Entry point is' "$DIR/err.log")" -eq 3 ] || fail "not three entry point lines"
    grep -q '<44>' "$DIR/err.log" || fail "no key echo in the terminal"
    grep -q 'READY' "$DIR/err.log" || fail "the unit's text before its go-ahead is not shown"
    LC_ALL=C grep -q $'[\x01-\x08\x0b\x0c\x0e-\x1f]' "$DIR/err.log" &&
        fail "raw control bytes reached the terminal"
    stop_server 5
    expect_line "All servers halted"
    show_logs
}

# HV6: a unit that hangs up mid-download fails its download; the other port carries on.
# A new line made under the hung-up port's name (a USB adapter plugged in again) is served
# without a restart.
case_hangup() {
    new_case hangup BOOTFILE="$TOP/1m.bin" BOOTSERIAL=1 COMOPENALLPORTS=1 COMAUTOMENU=0 \
        COMPROTOCOL=1 BOOTNET=0 TRANCLOSEDONE=0 WIZARDMODE=0
    serial_unit COM1 --no-menu --protocol hv6 --image "$TOP/1m.bin" --hangup-after 3
    serial_unit COM2 --no-menu --protocol hv6 --image "$TOP/1m.bin" --baud-emulate 2000000
    start_server
    wait_exit "${UNIT[COM1]}" 30 0 "unit that hangs up"
    wait_exit "${UNIT[COM2]}" 60 0 "unit on COM2"
    wait_for_line "COM1: Transfer Failed" 15 || fail "no 'COM1: Transfer Failed'"
    expect_line "COM1: No response from unit (CR)"
    wait_for_line "COM2: Transfer Complete" 15 || fail "no 'COM2: Transfer Complete'"
    grep -q "every byte matched" "$DIR/COM2.out" || fail "COM2 unit did not see every byte"
    # Told once, however often the port was looked for while it was gone.
    wait_for_line "COM1: Input/output error (5)" 5 && sleep 2
    expect_once "COM1: Input/output error (5)"
    serial_unit COM1 --no-menu --protocol hv6 --image "$TOP/1m.bin"
    wait_exit "${UNIT[COM1]}" 30 0 "unit on COM1 after its return"
    wait_for_line "COM1: Transfer Complete" 15 || fail "no 'COM1: Transfer Complete' after its return"
    grep -q "every byte matched" "$DIR/COM1.out" || fail "the returned COM1 unit did not see every byte"
    [ "$(grep -Fxc "Serial port 'COM1' ready..." "$DIR/out.log")" -eq 2 ] || fail "COM1 not ready again"
    stop_server 5
    show_logs
}

# Stopping the servers while three downloads wait for their units ends every port thread
# at once: the process is gone within two seconds.
case_stop() {
    new_case stop BOOTFILE="$TOP/small.bin" BOOTSERIAL=1 COMOPENALLPORTS=1 COMAUTOMENU=0 \
        COMPROTOCOL=0 BOOTNET=0 TRANCLOSEDONE=0 WIZARDMODE=0
    for p in COM1 COM2 COM3; do
        serial_unit "$p" --no-menu --image "$TOP/small.bin" --stall-after 4
    done
    start_server
    for p in COM1 COM2 COM3; do
        orx_wait_for 15 grep -qs "stalling after" "$DIR/$p.out" || fail "the unit on $p did not stall"
    done
    stop_server 2
    for p in COM1 COM2 COM3; do wait_exit "${UNIT[$p]}" 20 0 "stalled unit on $p"; done
    show_logs
}

# Each case in its own folder and on its own ports, side by side.
CASES=()
for c in case_three_ports case_hangup case_stop; do
    ($c; exit $FAILED) &
    CASES+=($!)
done
RC=0
for p in "${CASES[@]}"; do wait "$p" || RC=1; done
[ "$RC" -eq 0 ] && echo "serial_boot: all cases passed"
exit $RC
