# The window as a person uses it: the built orxboot on a virtual X display with a window
# manager, input only through the X server (XTEST, by xdotool). Sourced by the case files
# beside it; docs/display-tests.md tells how to write a case.

source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/lib/env.sh"

# stop WHAT: the case fails here; the screen and the folders stay in display-failures/.
stop() {
    fail "$@"
    local keep=$BUILD/display-failures/$CASE
    rm -rf "$keep" && mkdir -p "$keep"
    command -v import >/dev/null && import -window root "$keep/screen.png"
    cp -r "$TOP"/app* "$TOP"/*.out "$keep" 2>/dev/null
    tail -c 3000 "$TOP"/app*/out.log 2>/dev/null
    echo "display.$CASE: screen and folders kept in $keep"
    exit 1
}

# start_orxboot KEY=VALUE...: orxboot with these settings in its own folder $APP.
start_orxboot() {
    APP=$TOP/app$((++APPS))
    orx_settings "$APP" "$@"
    (
        export QT_QPA_PLATFORM=xcb QT_STYLE_OVERRIDE=Fusion ORXBOOT_COMDIR=$TOP/ports
        if [ "${DISPLAY_ATSPI:-0}" = 1 ]; then # the accessibility bus, as a desktop starts it
            dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus \
                org.a11y.Bus.GetAddress >/dev/null
            export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
        fi
        orx_exec_in "$APP" "$BUILD/orxboot" >"$APP/out.log" 2>&1
    ) &
    APP_PID=$!
    ORX_PIDS+=("$APP_PID")
}
saved() { sed -n "s/^$1=//p" "$APP/orxboot.ini"; }

# serial_unit PORT ARGS...: orxunit serial on a pseudo-terminal that orxboot knows as PORT.
declare -A UNIT CUE
serial_unit() {
    local port=$1 fd
    shift
    mkfifo "$TOP/$port.cue"
    "$BUILD/orxunit" serial --make-pty "$TOP/ports/$port" --image "$IMAGE" "$@" \
        <"$TOP/$port.cue" >"$TOP/$port.out" 2>&1 &
    UNIT[$port]=$!
    ORX_PIDS+=("$!")
    exec {fd}>"$TOP/$port.cue"
    CUE[$port]=$fd
    orx_wait_for 5 test -L "$TOP/ports/$port" || stop "no line for the unit on $port"
}
cue() { echo >&"${CUE[$1]}"; } # a unit started --on-cue asks for its serial boot
unit_said() { grep -qF -- "$2" "$TOP/$1.out"; }

# window VAR TITLE [SECONDS]: the id of a shown window whose title matches TITLE, in VAR.
window() { orx_wait_for "${3:-10}" shown "$1" "$2" || stop "no window titled /$2/"; }
shown() {
    local w
    w=$(xdotool search --onlyvisible --name "$2" | head -n 1)
    [ -n "$w" ] && printf -v "$1" %s "$w"
}
title() { xdotool getwindowname "$1"; }
titled() { title "$1" | grep -Eq -- "$2"; }
wait_title() {
    orx_wait_for "${3:-10}" titled "$1" "$2" || stop "the title is '$(title "$1")', not /$2/"
}
active() { [ "$(xdotool getactivewindow 2>/dev/null)" = "$1" ]; }
wait_active() {
    orx_wait_for "${2:-5}" active "$1" ||
        stop "'$(title "$1")' has no focus; '$(title "$(xdotool getactivewindow)")' has"
}
# The windows from the bottom up, as the window manager stacks them.
stacking() {
    local w
    for w in $(xprop -root _NET_CLIENT_LIST_STACKING | grep -o '0x[0-9a-f]*'); do echo $((w)); done
}
# frame WID: x y width height of the window with its frame.
frame() {
    local WINDOW X Y WIDTH HEIGHT SCREEN l r t b
    eval "$(xdotool getwindowgeometry --shell "$1")"
    read -r l r t b < <(xprop -id "$1" _NET_FRAME_EXTENTS | sed 's/.*=//; s/,/ /g')
    echo $((X - l)) $((Y - t)) $((WIDTH + l + r)) $((HEIGHT + t + b))
}
# place WID X Y [W H]: the window (sized, then) dragged with Alt held, as a person moves
# it, so that its frame's corner comes near X Y (the window manager may hold it at an
# edge); the frame is then in $PLACE.
place() {
    local x y w h before
    if [ -n "${4:-}" ]; then
        before=$(frame "$1")
        xdotool windowsize "$1" "$4" "$5"
        orx_wait_for 5 moved "$1" "$before" || stop "'$(title "$1")' kept its size"
    fi
    read -r x y w h < <(frame "$1")
    before="$x $y $w $h"
    xdotool mousemove --sync $((x + w / 2)) $((y + h / 2)) keydown alt mousedown 1 sleep 0.2 \
        mousemove_relative 10 10 sleep 0.2 mousemove $(($2 + w / 2)) $(($3 + h / 2)) \
        sleep 0.2 mouseup 1 keyup alt
    orx_wait_for 5 moved "$1" "$before" || stop "'$(title "$1")' did not move"
    PLACE=$(frame "$1")
}
moved() { [ "$(frame "$1")" != "$2" ]; }
# at WID PLACE: the window lies where PLACE says (a frame: x y width height).
at() { orx_wait_for 5 framed "$1" "$2" || fail "'$(title "$1")' is at $(frame "$1"), not $2"; }
framed() { [ "$(frame "$1")" = "$2" ]; }
# in_front WID: the window has the focus, lies on top of the others and wholly on screen.
in_front() {
    local x y w h sw sh
    wait_active "$1"
    [ "$(stacking | tail -n 1)" = "$1" ] || stop "'$(title "$1")' lies behind another window"
    read -r x y w h < <(frame "$1")
    read -r sw sh < <(xdotool getdisplaygeometry)
    ((x >= 0 && y >= 0 && x + w <= sw && y + h <= sh)) ||
        stop "'$(title "$1")' lies partly off the screen at $x,$y ${w}x$h"
}

# heard WINDOW [ROLE]: over AT-SPI (DISPLAY_ATSPI=1), every control of the window titled
# /WINDOW/ that takes the focus has a name, none a misleading one; ROLE must be in it.
heard() {
    local py out
    for py in python3 /usr/bin/python3; do "$py" -c 'import pyatspi' 2>/dev/null && break; done
    "$py" -c 'import pyatspi' 2>/dev/null || {
        echo "display.$CASE: SKIPPED: python3-pyatspi is missing"
        exit $ORX_SKIP
    }
    out=$("$py" "$(dirname "${BASH_SOURCE[0]}")/atspi_names.py" "$@" 2>&1) ||
        stop "what a screen reader hears in /$1/: $out"
}

key() { xdotool key --delay 40 "$@"; } # xdotool names: Return, alt+a, ctrl+Tab
type_text() { xdotool type --delay 40 "$1"; }
# click WID [title]: a left click where no window above covers it; with "title" on the
# title bar, as a person brings a window forward without touching a control.
click() {
    local WINDOW X Y WIDTH HEIGHT SCREEN above=() w x y ax ay aw ah xs ys
    eval "$(xdotool getwindowgeometry --shell "$1")"
    for w in $(stacking | awk -v w="$1" 'f; $0 == w { f = 1 }'); do above+=("$(frame "$w")"); done
    ys=$(seq $((Y + 10)) 20 $((Y + HEIGHT - 1)))
    xs=$(seq $((X + 10)) 20 $((X + WIDTH - 1)))
    if [ "${2:-}" = title ]; then
        read -r ax ay aw ah < <(frame "$1")
        ys=$(((ay + Y) / 2))
        xs=$(seq $((X + WIDTH / 3)) 10 $((X + WIDTH * 2 / 3)))
    fi
    for y in $ys; do
        for x in $xs; do
            for w in "${above[@]}"; do
                read -r ax ay aw ah <<<"$w"
                ((x >= ax && x < ax + aw && y >= ay && y < ay + ah)) && continue 2
            done
            xdotool mousemove --sync "$x" "$y" click 1
            return
        done
    done
    stop "no part of '$(title "$1")' to click"
}

# display_main BUILD CASE: case_CASE of the sourcing file on a display of its own.
display_main() {
    BUILD=$(cd "$1" && pwd)
    CASE=$2
    orx_need Xvfb xdotool openbox xprop dbus-daemon unshare ip
    orx_private_net ORX_DISPLAY_NETNS "$0" "$@" || {
        echo "display.$CASE: SKIPPED: cannot make a private network namespace"
        exit $ORX_SKIP
    }
    orx_tmpdir /tmp/orx-display-XXXXXX || exit 1
    TOP=$ORX_TMP IMAGE=$BUILD/samples/small.bin APPS=0
    mkdir -p "$TOP/ports" && mkdir -p -m 700 "$TOP/run"
    # Nothing of the desktop this runs from: its bus, its display, its settings.
    unset DBUS_SESSION_BUS_ADDRESS WAYLAND_DISPLAY QT_QPA_PLATFORM
    export HOME=$TOP XDG_CONFIG_HOME=$TOP/wm XDG_RUNTIME_DIR=$TOP/run LC_ALL=C.UTF-8
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$TOP/display" \
        >/dev/null 2>&1 &
    ORX_PIDS+=("$!")
    orx_wait_for 15 grep -qs '^[0-9]' "$TOP/display" || {
        echo "display.$CASE: SKIPPED: Xvfb did not start"
        exit $ORX_SKIP
    }
    export DISPLAY=:$(cat "$TOP/display") DBUS_SESSION_BUS_ADDRESS=unix:path=$TOP/bus
    dbus-daemon --session --nofork --address="$DBUS_SESSION_BUS_ADDRESS" >/dev/null 2>&1 &
    ORX_PIDS+=("$!")
    openbox --sm-disable >/dev/null 2>&1 &
    ORX_PIDS+=("$!")
    orx_wait_for 10 eval 'xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id"' ||
        stop "the window manager did not start"
    orx_wait_for 5 test -S "$TOP/bus" || stop "the session bus did not start"
    "case_$CASE"
    [ "$FAILED" -eq 0 ] || stop "see above"
    echo "display.$CASE: passed"
}
