#!/usr/bin/env bash
# The longest stall of orxboot's UI thread in every end-to-end suite and in the demo. Each
# runs with ORX_STALL_REPORT set; every orxboot process it starts appends one line to the
# suite's report (platform/StallWatch.h), and the table shows the worst of them. A stall is
# a gap over 50 ms between the 10 ms ticks of the event loop.
# Usage: stalls.sh [build_dir] [suite...]   (suites: the names in tests/e2e, and demo)
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-build}" && pwd) || exit 1
shift $(($# > 0 ? 1 : 0))
suites=("$@")
if [ ${#suites[@]} -eq 0 ]; then
  for f in "$root"/tests/e2e/*.sh; do suites+=("$(basename "$f" .sh)"); done
  suites+=(demo)
fi
work=$(mktemp -d /tmp/orx-stalls-XXXXXX)
trap 'rm -rf "$work"' EXIT

rc=0
printf '%-14s %-6s %5s %11s %10s %9s\n' suite result runs longest_ms "at_ms" over_50ms
for s in "${suites[@]}"; do
  script=$root/tests/e2e/$s.sh
  [ "$s" = demo ] && script=$root/scripts/demo.sh
  [ -f "$script" ] || { echo "stalls: no suite '$s'" >&2; exit 2; }
  report=$work/$s.txt
  : >"$report"
  ORX_STALL_REPORT=$report bash "$script" "$build" >"$work/$s.log" 2>&1
  case $? in
    0) result=pass ;;
    77) result=skip ;;
    *) result=FAIL; rc=1 ;;
  esac
  awk -v s="$s" -v r="$result" '
    { for (i = 1; i <= NF; i++) { split($i, kv, "="); v[kv[1]] = kv[2] }
      runs++; over += v["over_50ms"]
      if (v["longest_ms"] + 0 > longest) { longest = v["longest_ms"] + 0; at = v["at_ms"] } }
    END { printf "%-14s %-6s %5d %11d %10s %9d\n", s, r, runs, longest, runs ? at : "-", over }
  ' "$report"
  [ "$result" = FAIL ] && tail -n 20 "$work/$s.log" | sed 's/^/    /'
done
exit $rc
