#!/usr/bin/env bash
# The whole suite: the source format and layering checks, the normal build, then AddressSanitizer +
# UndefinedBehaviorSanitizer, then ThreadSanitizer over the threaded suites, then a short run
# of every fuzz target. ORX_TEST_QUICK=1 runs the two checks and the normal build only.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
jobs=$(nproc)

passed=0
failed=0
skipped=0
run_ctest() {
  local log
  log=$(mktemp)
  (cd "$1" && ctest --output-on-failure -j"$jobs" "${@:2}") 2>&1 | tee "$log" || true
  local total bad skip
  total=$(sed -n 's/.*tests failed out of \([0-9]*\).*/\1/p' "$log" | tail -n 1)
  bad=$(sed -n 's/.* \([0-9]*\) tests failed out of.*/\1/p' "$log" | tail -n 1)
  # CTest counts a skipped test as passed; it lists each one as "(Skipped)".
  skip=$(grep -c '^[[:space:]]*[0-9]* - .* (Skipped)$' "$log" || true)
  rm -f "$log"
  passed=$((passed + ${total:-0} - ${bad:-0} - skip))
  failed=$((failed + ${bad:-0}))
  skipped=$((skipped + skip))
  # A failed suite stops the run here, with the line that counts what ran.
  if [ -z "$total" ] || [ "${bad:-0}" -ne 0 ]; then
    summary
    exit 1
  fi
}
summary() { echo "make test: $passed passed, $failed failed, $skipped skipped"; }

# Formatting first: a badly formatted file fails the run before anything is built.
echo "== source format (clang-format)"
if git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run -Werror; then
  passed=$((passed + 1))
else
  echo "Badly formatted files above: run make format."
  failed=$((failed + 1))
  summary
  exit 1
fi

# Each layer includes only the layers below it (docs/engine.md); the faces see app/ and
# base/, the engine no Qt. The configure writes which folders each layer may see.
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
echo "== layering (includes)"
if bash scripts/check_layers.sh "$build/layers.txt"; then
  passed=$((passed + 1))
else
  failed=$((failed + 1))
  summary
  exit 1
fi

echo "== normal build"
cmake --build "$build" -j"$jobs"
run_ctest "$build" -LE tsan

if [ "${ORX_TEST_QUICK:-0}" = 1 ]; then summary; exit 0; fi

echo "== address and undefined-behaviour sanitizers"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions=$PWD/scripts/lsan.supp
cmake -S . -B "$build-asan" -DCMAKE_BUILD_TYPE=Debug -DORX_SANITIZE=address,undefined >/dev/null
cmake --build "$build-asan" -j"$jobs"
run_ctest "$build-asan" -LE tsan

echo "== thread sanitizer (threaded suites)"
export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$PWD/scripts/tsan.supp"
cmake -S . -B "$build-tsan" -DCMAKE_BUILD_TYPE=Debug -DORX_SANITIZE=thread >/dev/null
cmake --build "$build-tsan" -j"$jobs" --target orx_tests orxboot orxunit orx-mkimage
run_ctest "$build-tsan" -L "tsan|threaded"

if command -v clang++ >/dev/null; then
  echo "== fuzz targets, a short run each"
  bash scripts/fuzz.sh "$build-fuzz" "${ORX_FUZZ_SECONDS:-20}" || { failed=$((failed + 1)); summary; exit 1; }
fi

# One closing line for all the builds above.
summary
