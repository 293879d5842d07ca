#!/usr/bin/env bash
# The serial terminal beside the sheet: it opens in front and wholly on screen, and takes
# keys and clicks while the sheet is shown; a box over the sheet holds the sheet only.
set -u
source "$(dirname "$0")/display.sh"

SHEET='^ORX Boot Server - %s \(Stopped\)$'

opened_in_front() {
    window term '^Serial Port Terminal - COM1$'
    wait_active "$term"
    on_top "$term" || stop "the terminal opened behind another window"
    on_screen "$term" || stop "the terminal opened partly off the screen ($(frame "$term"))"
}
# What is typed in the terminal is read at the unit's end of the line.
keys_reached_the_unit() {
    orx_wait_for 10 unit_said COM1 'menu keys as expected: "hello"' ||
        stop "the unit read no keys: $(cat "$TOP/COM1.out")"
}

case_terminal_from_the_serial_page() {
    serial_unit COM1 --expect-keys hello --timeout 20000
    start_orxboot BOOTFILE="$IMAGE" BOOTSERIAL=1 BOOTNET=0 COMPORT=COM1 WIZARDMODE=0
    window sheet "$(printf "$SHEET" Select)"
    wait_active "$sheet"
    key ctrl+Tab ctrl+Tab
    wait_title "$sheet" "$(printf "$SHEET" Serial)"
    key alt+e # Terminal ...
    opened_in_front
    type_text he
    click "$sheet" title
    wait_active "$sheet"
    click "$term"
    wait_active "$term"
    type_text llo
    keys_reached_the_unit
    click "$sheet" title
    key Escape
    wait_exit "$APP_PID" 10 0 orxboot
    [ "$(saved TERMINAL)" = 1 ] || fail "the terminal open at the end is not reopened next time"
}

# The terminal of the last run opens at the start.
case_terminal_at_start_and_a_box_over_the_sheet() {
    serial_unit COM1 --expect-keys hello --timeout 20000
    start_orxboot BOOTFILE="$TOP/gone.bin" BOOTSERIAL=1 BOOTNET=0 COMPORT=COM1 WIZARDMODE=0 \
        TERMINAL=1
    window sheet "$(printf "$SHEET" Select)"
    opened_in_front
    type_text he
    click "$sheet" title
    wait_active "$sheet"
    key alt+s # Start, with a boot file that is not there
    window box '^ORXBoot$'
    wait_active "$box"
    click "$term"
    wait_active "$term"
    type_text llo
    keys_reached_the_unit
    click "$sheet" title
    key Escape # to the sheet, which its box holds
    click "$box" title
    wait_active "$box"
    shown sheet "$(printf "$SHEET" Transfer)" || stop "the sheet took a key past its box"
    key Return
    orx_wait_for 5 eval '! shown box "^ORXBoot$"' || stop "the box stayed"
    click "$sheet" title
    key Escape
    wait_exit "$APP_PID" 10 0 orxboot
}

display_main "$@"
