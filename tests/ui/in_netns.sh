#!/usr/bin/env bash
# Runs a window suite in a private network namespace with only loopback up, so that
# nothing it sends reaches a real network. Exit 77 (skipped) where namespaces are denied.
set -u
if [ -z "${ORX_UI_NETNS:-}" ]; then
    unshare -n true 2>/dev/null || { echo "skipped: no private network namespace here"; exit 77; }
    exec unshare -n env ORX_UI_NETNS=1 bash "$0" "$@"
fi
ip link set lo up
exec "$@"
