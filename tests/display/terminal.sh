#!/usr/bin/env bash
# The serial terminal beside the sheet: it opens in front and wholly on screen, comes back
# where it was, and takes keys and clicks while the sheet is shown, also while a box
# holds the sheet.
set -u
source "$(dirname "$0")/display.sh"

case_terminal_beside_the_sheet() {
    serial_unit COM1 --expect-keys hello --timeout 20000
    start_orxboot BOOTFILE="$TOP/gone.bin" BOOTSERIAL=1 BOOTNET=0 COMPORT=COM1 WIZARDMODE=0 \
        TERMINAL=1 # open at the end of the last run
    window sheet '^ORX Boot Server - Select \(Stopped\)$'
    window term '^Serial Port Terminal - COM1$'
    in_front "$term"
    xdotool getwindowgeometry "$term" | grep -q 'Geometry: 500x400' || fail "not 500 x 400"
    local place
    place=$(frame "$term")
    type_text he
    click "$sheet" title
    wait_active "$sheet"
    click "$term"
    wait_active "$term"
    type_text l
    key alt+F4 # the window manager closes it
    orx_wait_for 5 eval '! shown term "^Serial Port Terminal"' || stop "the terminal stayed"
    wait_active "$sheet"
    key ctrl+Tab ctrl+Tab
    wait_title "$sheet" '^ORX Boot Server - Serial \(Stopped\)$'
    key alt+e # Terminal ...
    window term '^Serial Port Terminal - COM1$'
    in_front "$term"
    [ "$(frame "$term")" = "$place" ] || fail "the terminal came back at $(frame "$term"), not $place"
    click "$sheet" title
    wait_active "$sheet"
    key alt+s # Start: the boot file is not there
    window box '^ORXBoot$'
    wait_active "$box"
    click "$term"
    wait_active "$term"
    type_text lo
    # What was typed is read at the unit's end of the line.
    orx_wait_for 10 unit_said COM1 'menu keys as expected: "hello"' ||
        stop "the unit read no keys: $(cat "$TOP/COM1.out")"
    click "$sheet" title
    key Escape # Close, which the box does not let through
    click "$box" title
    wait_active "$box"
    titled "$sheet" Transfer || stop "the sheet took a key past its box"
    key Return
    orx_wait_for 5 eval '! shown box "^ORXBoot$"' || stop "the box stayed"
    click "$sheet" title
    key Escape
    wait_exit "$APP_PID" 10 0 orxboot
    [ "$(saved TERMINAL)" = 1 ] || fail "the terminal open at the end is not reopened next time"
}

display_main "$@"
