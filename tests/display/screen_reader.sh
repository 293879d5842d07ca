#!/usr/bin/env bash
# The sheet and the terminal as a screen reader hears them, over AT-SPI, page by page.
set -u
source "$(dirname "$0")/display.sh"

# Every page, stopped and with transfers running, and the terminal: each control named by
# its label or purpose (the combo boxes too, whatever they hold), each bar by its unit.
case_every_control_named() {
    DISPLAY_ATSPI=1
    serial_unit COM1 --timeout 30000
    start_orxboot BOOTFILE="$IMAGE" BOOTNET=1 BOOTSERIAL=1 COMPORT=COM1 NETTYPE=0 \
        NETNODE=ORXHV7410 NETCACHE=0 WIZARDMODE=0 TRANCLOSEDONE=0
    window sheet '^ORX Boot Server - Select \(Stopped\)$'
    wait_active "$sheet"
    local page
    for page in Select Ethernet Serial; do
        wait_title "$sheet" "^ORX Boot Server - $page "
        heard "^ORX Boot Server - $page "
        key ctrl+Tab
    done
    key ctrl+shift+Tab alt+e # Terminal ...
    window term '^Serial Port Terminal - COM1$'
    heard '^Serial Port Terminal' terminal
    key alt+F4
    wait_active "$sheet"
    key ctrl+Tab
    heard '^ORX Boot Server - Transfer \(Stopped\)$'
    key alt+s
    wait_title "$sheet" '\(Monitoring\)$'
    "$BUILD/orxunit" net --server 127.0.0.1 --bind 127.0.0.2 --count 2 --image "$IMAGE" \
        --silent-after 5 --timeout 60 >"$TOP/net.out" 2>&1 &
    ORX_PIDS+=("$!")
    wait_title "$sheet" '\(Active\)$'
    heard '^ORX Boot Server - Transfer \(Active\)$'
    kill -TERM "$APP_PID"
    wait_exit "$APP_PID" 10 0 orxboot
}

display_main "$@"
