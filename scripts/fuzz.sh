#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for the given seconds
# from a seed corpus made by fuzz/make_seeds.py. Usage: fuzz.sh <build_dir> <seconds>
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-fuzz}
seconds=${2:-60}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORX_FUZZ=ON \
  -DCMAKE_CXX_COMPILER=clang++ -DORX_WERROR=OFF >/dev/null
targets=$(cd fuzz && ls fuzz_*.cpp 2>/dev/null | sed 's/\.cpp$//')
[ -n "$targets" ] || { echo "no fuzz targets"; exit 0; }
cmake --build "$build" -j"$(nproc)" --target $targets
python3 fuzz/make_seeds.py "$build/corpus"
# Undefined behaviour is a finding like any crash: stop there and keep the input.
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
for t in $targets; do
  mkdir -p "$build/corpus/$t" "$build/crashes/$t"
  echo "-- $t for ${seconds}s"
  "$build/$t" -max_total_time="$seconds" -print_final_stats=1 \
    -artifact_prefix="$build/crashes/$t/" "$build/corpus/$t" 2>&1 |
    grep -E '^stat::number_of_executed_units|ERROR|SUMMARY|Done' || true
  if ls "$build/crashes/$t"/* >/dev/null 2>&1; then
    echo "FAILED: $t found a crash: $(ls "$build/crashes/$t")"
    exit 1
  fi
done
