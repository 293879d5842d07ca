#!/usr/bin/env bash
# Runs a window suite in a private network namespace with only loopback up, so that
# nothing it sends reaches a real network. Exit 77 (skipped) where namespaces are denied.
set -u
source "$(dirname "$0")/../../scripts/lib/env.sh"
orx_private_net ORX_UI_NETNS "$0" "$@" || { echo "skipped: no private network namespace here"; exit $ORX_SKIP; }
exec "$@"
