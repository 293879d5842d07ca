#!/usr/bin/env bash
# Window benchmark: what the window costs the boot. The real orxboot serves UNITS units at
# once with its window shown (on a virtual X display when Xvfb is there, so painting is
# real), then headless, in alternating order over three rounds; then orx-window-bench
# measures the window's own figures (report latency, paints, the full log, memory).
# Runs in a private network namespace with only loopback. Usage: window_bench.sh <build_dir>
set -u
BUILD=$(cd "${1:-build}" && pwd) || exit 1
SELF=$(cd "$(dirname "$0")" && pwd)/$(basename "$0")
UNITS=${ORX_BENCH_UNITS:-100}
source "$(dirname "$SELF")/../scripts/lib/env.sh"
orx_private_net ORX_BENCH_NETNS "$SELF" "$BUILD" || {
    echo "window bench: needs root for a private network namespace" >&2
    exit 1
}
orx_tmpdir /tmp/orx-wbench-XXXXXX || exit 1
WORK=$ORX_TMP
cd "$WORK" || exit 1
IMAGE=$BUILD/samples/1m.bin
FAILED=0
# Nothing of the desktop this runs from: its bus, its display, its settings.
unset DBUS_SESSION_BUS_ADDRESS WAYLAND_DISPLAY DISPLAY
export HOME=$WORK LC_ALL=C.UTF-8 QT_STYLE_OVERRIDE=Fusion

PLATFORM=offscreen
if command -v Xvfb >/dev/null; then
    Xvfb -displayfd 3 -nolisten tcp -screen 0 1280x1024x24 -noreset 3>"$WORK/display" \
        >/dev/null 2>&1 &
    XVFB=$!
    ORX_PIDS+=("$XVFB")
    if orx_wait_for 15 grep -qs '^[0-9]' "$WORK/display"; then
        export DISPLAY=:$(cat "$WORK/display")
        PLATFORM=xcb
    fi
fi
export QT_QPA_PLATFORM=$PLATFORM
[ "$PLATFORM" = xcb ] || echo "window bench: no Xvfb, offscreen (the window's cost is not measured)"

serving() { grep -q ':03D4 ' /proc/net/udp; } # port 980, in this namespace only
TICK=$(getconf CLK_TCK)
cpu_of() { awk -v t="$TICK" '{ printf "%.2f", ($14 + $15) / t }' "/proc/$1/stat" 2>/dev/null || echo 0; }

# boot_run window|headless TAG: one orxboot life serving UNITS units; sets SECONDS_TAKEN,
# CPU_TAKEN (the server's own CPU seconds over the boot, which other load on the machine
# disturbs less) and X_TAKEN (the display server's CPU seconds meanwhile).
boot_run() {
    local dir=$WORK/$2 server rc start end done_n=0 peak
    local args=() x0 c0
    x0=$(cpu_of "${XVFB:-0}")
    [ "$1" = headless ] && args=(--headless)
    orx_settings "$dir" BOOTFILE="$IMAGE" BOOTNET=1 BOOTSERIAL=0 NETTYPE=1 NETNODE= \
        NETCACHE=0 TRANAUTOSTART=1 TRANCLOSEDONE=0 WIZARDMODE=0 TERMINAL=0
    orx_exec_in "$dir" "$BUILD/orxboot" "${args[@]}" >"$dir/out.log" 2>"$dir/err.log" &
    server=$!
    ORX_PIDS+=("$server")
    orx_wait_for 20 serving || { echo "$2: orxboot never served port 980" && FAILED=1; }
    c0=$(cpu_of "$server")
    start=$(date +%s.%N)
    "$BUILD/orxunit" net --server 127.0.0.1 --bind 127.0.0.2 --count "$UNITS" --name BENCH \
        --image "$IMAGE" --timeout 60 >"$dir/units.out" 2>&1
    rc=$?
    end=$(date +%s.%N)
    peak=$(awk '/VmHWM/ { print $2 }' "/proc/$server/status" 2>/dev/null)
    CPU_TAKEN=$(awk -v a="$c0" -v b="$(cpu_of "$server")" 'BEGIN { printf "%.2f", b - a }')
    X_TAKEN=$(awk -v a="$x0" -v b="$(cpu_of "${XVFB:-0}")" 'BEGIN { printf "%.2f", b - a }')
    kill -TERM "$server" && wait "$server" 2>/dev/null
    ORX_PIDS=("${ORX_PIDS[@]:0:${#ORX_PIDS[@]}-1}")
    orx_wait_for 10 eval '! serving'
    [ "$1" = headless ] && done_n=$(grep -c "Transmission completed." "$dir/out.log")
    if [ "$rc" -ne 0 ] || { [ "$1" = headless ] && [ "$done_n" -ne "$UNITS" ]; }; then
        echo "$2: FAILED: unit simulator exit $rc, $(tail -n 2 "$dir/units.out")"
        FAILED=1
    fi
    SECONDS_TAKEN=$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.2f", b - a }')
    PEAK[$1]=${peak:-0}
}

echo "== Window benchmark: $UNITS units at once, 1 MiB image, loopback, $PLATFORM"
declare -A T C X PEAK
ratios=() cratios=()
for round in 1 2 3; do
    order=(window headless)
    ((round == 2)) && order=(headless window)
    for face in "${order[@]}"; do
        boot_run "$face" "$face$round"
        T[$face]=$SECONDS_TAKEN C[$face]=$CPU_TAKEN X[$face]=$X_TAKEN
    done
    r=$(awk -v w="${T[window]}" -v h="${T[headless]}" 'BEGIN { printf "%.2f", w / h }')
    ratios+=("$r")
    cratios+=("$(awk -v w="${C[window]}" -v h="${C[headless]}" 'BEGIN { printf "%.2f", w / h }')")
    echo "round $round: window ${T[window]} s, headless ${T[headless]} s, ratio $r" \
        "(CPU: orxboot ${C[window]} s and ${C[headless]} s, Xvfb ${X[window]} s)"
done
median=$(printf '%s\n' "${ratios[@]}" | sort -g | sed -n 2p)
verdict=$(awk -v r="$median" 'BEGIN { print (r <= 1.15) ? "met" : "MISSED" }')
echo "median ratio $median (goal <= 1.15: $verdict) on $PLATFORM;" \
    "orxboot CPU median ratio $(printf '%s\n' "${cratios[@]}" | sort -g | sed -n 2p)"
echo "peak RSS: window ${PEAK[window]} KiB, headless ${PEAK[headless]} KiB"

orx_own_places "$WORK/tool"
"$BUILD/orx-window-bench" "$BUILD/orxunit" "$IMAGE" "$UNITS" || FAILED=1
exit $FAILED
