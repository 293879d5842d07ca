#!/usr/bin/env bash
# The boot history from the Transfer page: today's records first, sorted by a click on a
# heading (numbers as numbers), a filter, Export CSV... of the rows shown, and a double
# click that shows the whole record.
set -u
source "$(dirname "$0")/display.sh"

# history_rows: the table as a screen reader reads it, one row a line.
history_rows() { /usr/bin/python3 "$(dirname "$0")/atspi_text.py" '^Boot History$' table; }
# column N: the table's column N (from 0), one cell a line.
column() { history_rows | awk -F ' [|] ' -v n="$(($1 + 1))" '{ print $n }'; }
# click_cell ROW|header COLUMN [CLICKS]: a left click (or CLICKS) on that cell.
click_cell() {
    local x y
    read -r x y < <(/usr/bin/python3 "$(dirname "$0")/atspi_text.py" '^Boot History$' table \
        "$1" "$2")
    xdotool mousemove --sync "$x" "$y" click --repeat "${3:-1}" --delay 80 1
}
# sorted_by COLUMN [sort options]: the rows are in that column's order, one way or the other.
sorted_by() {
    local n=$1 cells
    shift
    cells=$(column "$n")
    [ "$cells" = "$(sort "$@" <<<"$cells")" ] || [ "$cells" = "$(sort -r "$@" <<<"$cells")" ]
}

old_record() { # UNIT START BYTES: a failed serial transfer of an earlier year
    printf '{"start": "%s", "end": "%s", "unit": "%s", "method": "COM2", "ip": null, "mac": null, "image": "/old.bin", "image_size": 70000, "sha256": "ab", "bytes_sent": %s, "duration_ms": 4000, "rate": 64, "result": "failed", "reason": "no response from the unit"}\n' \
        "$2" "$2" "$1" "$3"
}

case_history_view() {
    DISPLAY_ATSPI=1
    mkdir -p "$TOP/app1/state/orxboot"
    {
        old_record AOLD 2020-01-02T03:04:05+00:00 256
        old_record ZOLD 2019-01-02T03:04:05+00:00 9000
    } >"$TOP/app1/state/orxboot/history.jsonl"
    start_orxboot BOOTFILE="$IMAGE" BOOTNET=1 BOOTSERIAL=0 NETTYPE=0 NETCACHE=0 WIZARDMODE=0 \
        TRANAUTOSTART=1 TRANCLOSEDONE=0
    window sheet '^ORX Boot Server - Transfer \(Monitoring\)$'
    "$BUILD/orxunit" net --server 127.0.0.1 --bind 127.0.0.2 --name HV7BENCH --count 2 \
        --image "$IMAGE" --timeout 20 >"$TOP/net.out" 2>&1 &
    local units=$!
    ORX_PIDS+=("$units")
    wait_exit "$units" 30 0 "the network units"
    orx_wait_for 10 eval '[ "$(wc -l <"$APP/state/orxboot/history.jsonl")" -eq 4 ]' ||
        stop "not kept: $(cat "$APP/state/orxboot/history.jsonl")"
    wait_active "$sheet"
    key alt+h # History...
    window hist '^Boot History$'
    wait_active "$hist"
    heard '^Boot History$'
    orx_wait_for 10 eval '[ "$(history_rows | wc -l)" -eq 4 ]' || stop "rows: $(history_rows)"
    [ "$(column 1 | head -n 2 | grep -c '^HV7BENCH[12]$')" = 2 ] &&
        [ "$(column 1 | tail -n 2 | tr '\n' ' ')" = "AOLD ZOLD " ] ||
        fail "not today's first: $(history_rows)"
    history_rows | grep -q '| AOLD | COM2 | .* | failed | no response from the unit$' ||
        fail "the earlier record: $(history_rows)"
    click_cell header 1 # Unit
    orx_wait_for 5 sorted_by 1 || fail "not sorted by unit: $(history_rows)"
    click_cell header 5 # Bytes
    orx_wait_for 5 sorted_by 5 -n || fail "bytes not sorted as numbers: $(history_rows)"
    key alt+f # Filter
    type_text bench2
    orx_wait_for 5 eval '[ "$(history_rows | wc -l)" -eq 1 ]' || fail "filtered: $(history_rows)"
    key alt+e # Export CSV...
    window save '^Export CSV$'
    wait_active "$save"
    key ctrl+a
    type_text "$TOP/bench.csv"
    key Return
    orx_wait_for 5 test -s "$TOP/bench.csv" || stop "nothing exported"
    [ "$(wc -l <"$TOP/bench.csv")" -eq 2 ] && grep -q ',HV7BENCH2,NET,127.0.0.3,' "$TOP/bench.csv" ||
        fail "exported: $(cat "$TOP/bench.csv")"
    wait_active "$hist"
    click_cell 0 1 2
    window rec '^Boot Record - HV7BENCH2$'
    wait_active "$rec"
    /usr/bin/python3 "$(dirname "$0")/atspi_text.py" '^Boot Record' text >"$TOP/record.txt"
    grep -qx "sha256: $(sha256sum <"$IMAGE" | cut -d' ' -f1)" "$TOP/record.txt" ||
        fail "the record: $(cat "$TOP/record.txt")"
    key Escape
    orx_wait_for 5 eval '! shown rec "^Boot Record"' || stop "the record stayed"
    kill -TERM "$APP_PID"
    wait_exit "$APP_PID" 10 0 orxboot
}

display_main "$@"
