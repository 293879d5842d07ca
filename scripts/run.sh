#!/usr/bin/env bash
# make run: opens the window on this desktop, with the sample images in the boot file
# history. Settings of these runs live in <build>/run/orxboot.ini, apart from the user's.
# Usage: run.sh <build_dir>
set -euo pipefail
BUILD=$(cd "${1:-build}" && pwd)
SAMPLES=$BUILD/samples
RUN=$BUILD/run

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    echo "make run: no display here (DISPLAY and WAYLAND_DISPLAY are unset)." >&2
    echo "  Run it from a desktop session, or serve without a window:" >&2
    echo "  $BUILD/orxboot --headless /f$SAMPLES/small.bin /n" >&2
    exit 1
fi

# Binding the boot ports (980 and 100) needs a capability unless we are root.
if [ "$(id -u)" -ne 0 ]; then
    caps=$(getcap "$BUILD/orxboot" 2>/dev/null || true)
    if ! echo "$caps" | grep -q cap_net_bind_service; then
        echo "make run: giving $BUILD/orxboot the network capabilities with sudo"
        echo "  (cap_net_bind_service for UDP ports 980 and 100, cap_net_raw for the address test)"
        if ! sudo setcap cap_net_bind_service,cap_net_raw+ep "$BUILD/orxboot"; then
            echo "make run: no capabilities: Start with Ethernet will fail with" \
                 "\"Server Socket Create error: Permission denied\"; serial boot still works." >&2
        fi
    fi
fi

mkdir -p "$RUN"
if [ ! -e "$RUN/orxboot.ini" ]; then
    cat >"$RUN/orxboot.ini" <<INI
[PARAMS]
BOOTFILE=$SAMPLES/small.bin
BOOTFILE0=$SAMPLES/small.bin
BOOTFILE1=$SAMPLES/1m.bin
BOOTNET=1
BOOTSERIAL=0
NETTYPE=0
TRANCLOSEDONE=0
WIZARDMODE=0
INI
fi
cd "$RUN"
echo "make run: settings in $RUN/orxboot.ini; press Start, then boot simulated units with"
echo "  $BUILD/orxunit net --server 127.0.0.1 --bind 127.0.0.2 --count 3 --image $SAMPLES/small.bin"
exec "$BUILD/orxboot"
