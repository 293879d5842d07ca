#!/usr/bin/env bash
# The main sheet driven by keys, as a person drives it.
set -u
source "$(dirname "$0")/display.sh"

# dotted KEY: a saved address in its dotted form.
dotted() {
    local n=$(($(saved "$1") & 0xFFFFFFFF))
    echo $((n & 255)).$((n >> 8 & 255)).$((n >> 16 & 255)).$((n >> 24))
}

# A fixed address typed over the 0.0.0.0 shown (the dot right after a third digit is the
# dot for that part; Backspace in an empty part goes back one), Return to start, units
# booting while the window serves them, Escape to close.
case_address_typed_return_starts_escape_closes() {
    serial_unit COM1 --timeout 30000
    start_orxboot BOOTFILE="$IMAGE" BOOTNET=1 BOOTSERIAL=1 COMPORT=COM1 COMAUTOMENU=0 NETTYPE=0 \
        NETCACHE=0 NETDHCP=0 NETIP=0 NETIPMASK=0 WIZARDMODE=0 TRANCLOSEDONE=0
    window sheet '^ORX Boot Server - Select \(Stopped\)$'
    wait_active "$sheet"
    key ctrl+Tab
    wait_title "$sheet" '^ORX Boot Server - Ethernet \(Stopped\)$'
    key alt+f Tab # Use fixed IP address, then into the address
    type_text 192.168.1.20
    key alt+m # IP Mask
    type_text 255.255.25
    key BackSpace BackSpace BackSpace BackSpace
    type_text 4.255.0
    key Return # Start, the default button, applies the pages
    wait_title "$sheet" '^ORX Boot Server - Transfer \(Monitoring\)$'
    # Each unit leaves a block unanswered, so the transfers stand still for a second.
    "$BUILD/orxunit" net --server 127.0.0.1 --bind 127.0.0.2 --name ORXHV7410 --count 3 \
        --image "$IMAGE" --drop-ack 50 --timeout 20 >"$TOP/net.out" 2>&1 &
    local units=$!
    ORX_PIDS+=("$units")
    wait_title "$sheet" '^ORX Boot Server - Transfer \(Active\)$'
    wait_exit "$units" 30 0 "the network units"
    wait_title "$sheet" '^ORX Boot Server - Transfer \(Monitoring\)$'
    key Escape
    wait_exit "$APP_PID" 10 0 orxboot
    [ "$(dotted NETIP)" = 192.168.1.20 ] || fail "NETIP saved as $(dotted NETIP)"
    [ "$(dotted NETIPMASK)" = 255.254.255.0 ] || fail "NETIPMASK saved as $(dotted NETIPMASK)"
}

# silent_unit N: a network unit from 127.0.0.N that goes silent mid-transfer, so the
# server waits on it for half a minute.
silent_unit() {
    "$BUILD/orxunit" net --server 127.0.0.1 --bind "127.0.0.$1" --image "$IMAGE" \
        --silent-after 5 --timeout 60 >"$TOP/net$1.out" 2>&1 &
    ORX_PIDS+=("$!")
    wait_title "$sheet" '\(Active\)$'
}

# Escape, Close, the window manager's close, Wizard Mode and Stop ask first, and No keeps
# the transfer, the window and the mode; Stop answered Yes ends it. SIGTERM does not wait
# on a question left open.
case_running_transfers_end_only_after_the_question() {
    start_orxboot BOOTFILE="$IMAGE" BOOTNET=1 BOOTSERIAL=0 NETTYPE=0 NETCACHE=0 \
        WIZARDMODE=0 TRANCLOSEDONE=0 TRANAUTOSTART=1
    window sheet '^ORX Boot Server - Transfer \(Monitoring\)$'
    silent_unit 2
    local way box
    for way in Escape alt+c alt+F4 "ctrl+Tab alt+w" alt+t; do
        wait_active "$sheet"
        key $way
        window box '^ORXBoot$'
        wait_active "$box"
        key n
        wait_active "$sheet"
        titled "$sheet" '\(Active\)$' || stop "No after $way did not keep the transfer"
    done
    key alt+t
    window box '^ORXBoot$'
    wait_active "$box"
    key y
    wait_title "$sheet" '^ORX Boot Server - Select \(Stopped\)$'
    key Return # Start
    wait_title "$sheet" '\(Monitoring\)$'
    silent_unit 3
    key Escape
    window box '^ORXBoot$'
    kill -TERM "$APP_PID"
    wait_exit "$APP_PID" 10 0 orxboot
}

# The sheet and the wizard each come back where the user left them, at the next start and
# after a mode switch, without a key in the settings file.
case_windows_come_back_where_they_were() {
    start_orxboot BOOTFILE="$IMAGE" BOOTNET=0 BOOTSERIAL=1 WIZARDMODE=0
    window sheet '^ORX Boot Server - Select'
    place "$sheet" 40 30 620 500
    local sheet_place=$PLACE
    key alt+w # Wizard Mode
    window wizard 'Introduction$'
    place "$wizard" 300 120 560 420
    local wizard_place=$PLACE
    key alt+a # Advanced Mode
    window box '^ORXBoot$'
    key y
    window sheet '^ORX Boot Server - Select'
    at "$sheet" "$sheet_place"
    key Escape
    wait_exit "$APP_PID" 10 0 orxboot
    grep -qi 'place\|geometry' "$APP/orxboot.ini" && fail "the settings file holds a place"
    mkdir -p "$TOP/app$((APPS + 1))" && cp -r "$APP/state" "$TOP/app$((APPS + 1))" # same user
    start_orxboot BOOTFILE="$IMAGE" BOOTNET=0 BOOTSERIAL=1 WIZARDMODE=1
    window wizard 'Introduction$'
    at "$wizard" "$wizard_place"
    key Escape
    wait_exit "$APP_PID" 10 0 orxboot
}

# F1 opens the help of the page shown, in front; it follows the sheet to another page and
# offers the About box; a screen reader hears it. The wizard's F1 opens its page's help too.
case_f1_opens_the_help_of_the_page() {
    DISPLAY_ATSPI=1
    start_orxboot BOOTFILE="$IMAGE" BOOTNET=0 BOOTSERIAL=1 WIZARDMODE=0
    window sheet '^ORX Boot Server - Select'
    wait_active "$sheet"
    key ctrl+Tab F1
    window help '^ORXBoot Help - Ethernet$'
    in_front "$help"
    click "$sheet" title
    wait_active "$sheet"
    key ctrl+Tab
    wait_title "$help" '^ORXBoot Help - Serial$'
    heard '^ORXBoot Help - Serial$'
    click "$help" title
    wait_active "$help"
    key alt+a
    window about '^About ORXBoot$'
    key Escape Escape
    wait_active "$sheet"
    key Escape
    wait_exit "$APP_PID" 10 0 orxboot
    start_orxboot BOOTFILE="$IMAGE" WIZARDMODE=1
    window wizard 'Introduction$'
    wait_active "$wizard"
    key F1
    window help '^ORXBoot Help - Introduction$'
    in_front "$help"
}

display_main "$@"
