#!/usr/bin/env bash
# make screenshots: the README's pictures of the window, drawn offscreen over the real
# engine while simulated units boot, inside a private network namespace.
# Usage: screenshots.sh <build_dir>
set -euo pipefail
BUILD=$(cd "${1:-build}" && pwd)
DOCS=$(cd "$(dirname "$0")/../docs" && pwd)
source "$(dirname "$0")/lib/env.sh"
orx_private_net ORX_SHOTS_NETNS "$0" "$BUILD" || {
    echo "screenshots: needs a private network namespace (root)" >&2
    exit 1
}
# A fixed folder, gone at exit: its path shows in the picture.
ORX_TMP=/tmp/orx-screenshots
WORK=$ORX_TMP
rm -rf "$WORK" && mkdir -p "$WORK"
orx_own_places "$WORK"
export QT_QPA_PLATFORM=offscreen
cd "$WORK"
# The sample image's path shows in the picture: give it a plain one.
cp "$BUILD/samples/1m.bin" "$WORK/hv7-firmware.bin"
"$BUILD/orx-screenshots" transfer "$DOCS/screenshot-transfer.png" "$BUILD/orxunit" \
    "$WORK/hv7-firmware.bin"
echo "screenshots: $DOCS/screenshot-transfer.png"
# The boot history of three network units, one of which went silent.
"$BUILD/orx-screenshots" history "$DOCS/screenshot-history.png" "$BUILD/orxunit" \
    "$WORK/hv7-firmware.bin"
echo "screenshots: $DOCS/screenshot-history.png"
# The wizard's serial port is a simulated unit's pseudo-terminal, linked as COM1.
export ORXBOOT_COMDIR=$WORK/ports
mkdir -p "$ORXBOOT_COMDIR"
"$BUILD/orx-screenshots" wizard "$DOCS/screenshot-wizard.png" "$BUILD/orxunit" \
    "$WORK/hv7-firmware.bin"
echo "screenshots: $DOCS/screenshot-wizard.png"
# The terminal on a simulated unit's boot menu, on the same kind of line.
"$BUILD/orx-screenshots" terminal "$DOCS/screenshot-terminal.png" "$BUILD/orxunit" \
    "$WORK/hv7-firmware.bin"
echo "screenshots: $DOCS/screenshot-terminal.png"
