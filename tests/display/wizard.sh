#!/usr/bin/env bash
# The wizard walked with the keyboard, with units on a serial line.
set -u
source "$(dirname "$0")/display.sh"

PAGE='^ORX Boot Server - %s$'

# The first unit asks on the waiting page; after Back the second asks on the cold boot page
# and the wizard goes to its download by itself, on the servers still running. A screen
# reader hears a name for every control of every page on the way.
case_wizard_walked_to_download_success() {
    DISPLAY_ATSPI=1
    serial_unit COM1 --no-menu --on-cue --units 2 --baud-emulate 230400 --timeout 30000
    start_orxboot BOOTFILE="$IMAGE" COMPORT=COM1 WIZARDMODE=1
    window wizard "$(printf "$PAGE" Introduction)"
    wait_active "$wizard"
    heard "$(printf "$PAGE" Introduction)"
    local page
    for page in "Select File" "Select Serial Port" "Cold Boot" "Waiting For Connection"; do
        key Return # Next
        wait_title "$wizard" "$(printf "$PAGE" "$page")"
        heard "$(printf "$PAGE" "$page")"
    done
    cue COM1 # the user holds '2' and presses ON
    wait_title "$wizard" "$(printf "$PAGE" Downloading)" 10
    heard "$(printf "$PAGE" Downloading)"
    wait_title "$wizard" "$(printf "$PAGE" "Download Success")" 30
    heard "$(printf "$PAGE" "Download Success")"
    key alt+b
    wait_title "$wizard" "$(printf "$PAGE" "Cold Boot")"
    cue COM1
    wait_title "$wizard" "$(printf "$PAGE" "Download Success")" 30
    wait_exit "${UNIT[COM1]}" 10 0 "the units"
    [ "$(grep -c "every byte matched" "$TOP/COM1.out")" = 2 ] || fail "a unit missed bytes"
    key Escape # Cancel
    wait_exit "$APP_PID" 10 0 orxboot
}

display_main "$@"
