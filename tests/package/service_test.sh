#!/usr/bin/env bash
# The bench server's service example passes systemd's own check, pointed at the built
# program, with its man page found. Usage: service_test.sh <build_dir> <source_dir>
set -euo pipefail
build=$(cd "$1" && pwd)
src=$(cd "$2" && pwd)
command -v systemd-analyze >/dev/null || { echo "SKIP: systemd-analyze is missing"; exit 77; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/man/man1"
cp "$build"/man/*.1.gz "$work/man/man1/"
sed "s#/usr/bin/orxboot#$build/orxboot#" "$src/packaging/orxboot.service" >"$work/orxboot.service"
# systemd only warns about a bad value, so any word from it is a failure.
out=$(cd "$work" && MANPATH="$work/man" systemd-analyze verify ./orxboot.service 2>&1) || {
  echo "FAIL: $out"; exit 1; }
[ -z "$out" ] || { echo "FAIL: $out"; exit 1; }
echo "ok: orxboot.service"
