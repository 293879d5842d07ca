#!/usr/bin/env bash
# Soak run: units boot over the network and four serial lines again and again while
# orxboot is stopped and restarted at random moments; see scripts/soak.py for what it
# checks. Everything runs in a private network namespace with only loopback.
# Usage: soak.sh <build_dir> [minutes] [soak.py options, e.g. --seed N --keep --verbose]
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
minutes=${2:-30}
shift $(($# < 2 ? $# : 2))
here=$(cd "$(dirname "$0")" && pwd)

source "$here/lib/env.sh"
orx_private_net ORX_SOAK_NETNS "$here/soak.sh" "$build" "$minutes" "$@" || {
  echo "soak: cannot make a private network namespace (needs root)" >&2
  exit 1
}
for tool in orxboot orxunit orx-mkimage; do
  [ -x "$build/$tool" ] || { echo "soak: $build/$tool is missing; build first" >&2; exit 1; }
done
exec python3 "$here/soak.py" --build "$build" --minutes "$minutes" "$@"
