#!/usr/bin/env bash
# The serial terminal beside the sheet: it opens in front and wholly on screen, comes back
# where it was (within the screen), and takes keys and clicks while the sheet is shown,
# also while a box holds the sheet.
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
    # Left partly off the screen, it comes back as large, as high, and wholly on it.
    place "$term" 900 60
    local x y w h
    read -r x y w h <<<"$PLACE"
    local place="$((1024 - w)) $y $w $h"
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
    at "$term" "$place"
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

# terminal_text: the terminal's text as a screen reader reads it.
terminal_text() { /usr/bin/python3 "$(dirname "$0")/atspi_text.py" '^Serial Port Terminal' terminal; }

# The terminal's menu by keys: Timestamps starts each line that arrives from then on with
# the time, Copy and Paste send a selection to the unit, Save As... writes the text as shown
# and Clear empties it; the title says when the line is down, and when it is back.
case_terminal_menu_and_a_pulled_line() {
    DISPLAY_ATSPI=1
    serial_unit COM1 --expect-keys 'Press ' --timeout 20000
    start_orxboot BOOTFILE="$IMAGE" BOOTSERIAL=1 BOOTNET=0 COMPORT=COM1 COMAUTOMENU=0 \
        WIZARDMODE=0 TERMINAL=1
    window term '^Serial Port Terminal - COM1$'
    wait_active "$term"
    orx_wait_for 10 eval 'terminal_text | grep -q "^Press any key"' ||
        stop "no prompt in the terminal: $(terminal_text)"
    key Menu t                # Timestamps
    key Up ctrl+shift+Right   # "Press " on the prompt's line
    key Menu c Menu p         # Copy, Paste (to the unit)
    orx_wait_for 10 unit_said COM1 'menu keys as expected: "Press "' ||
        stop "the unit read no keys: $(cat "$TOP/COM1.out")"
    local stamp='^\[[0-9]{2}:[0-9]{2}:[0-9]{2}\.[0-9]{3}\] '
    orx_wait_for 10 eval 'terminal_text | grep -Eq "${stamp}menu> "' ||
        stop "the unit's answer has no time: $(terminal_text)"
    terminal_text | grep -Eq "${stamp}HV7 boot loader" && fail "a line from before has a time"
    key Menu s # Save As...
    window save '^Save As$'
    wait_active "$save"
    key ctrl+a
    type_text "$TOP/saved"
    key Return
    orx_wait_for 5 test -s "$TOP/saved.txt" || stop "nothing saved"
    case "$(terminal_text)" in
        "$(cat "$TOP/saved.txt")"*) ;;
        *) fail "saved, not as shown: $(cat "$TOP/saved.txt")" ;;
    esac
    wait_active "$term"
    key Menu l # Clear
    orx_wait_for 5 eval '[ -z "$(terminal_text | grep -v "$stamp")" ]' ||
        fail "not cleared: $(terminal_text)"
    kill "${UNIT[COM1]}" # the adapter is pulled out
    wait_title "$term" '^Serial Port Terminal - COM1 \(Disconnected\)$'
    rm -f "$TOP/COM1.cue" "$TOP/ports/COM1"
    serial_unit COM1 --no-menu --timeout 20000 # and plugged in again
    wait_title "$term" '^Serial Port Terminal - COM1$'
    key alt+F4
    orx_wait_for 5 eval '! shown term "^Serial Port Terminal"' || stop "the terminal stayed"
    kill -TERM "$APP_PID"
    wait_exit "$APP_PID" 10 0 orxboot
}

display_main "$@"
