#!/usr/bin/env bash
# Builds the library and runs every test twice: a normal build, then AddressSanitizer and
# UndefinedBehaviorSanitizer; warnings are errors in both.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/setup.sh" --tests

run_suite() {
  local dir="$1"
  shift
  echo "== building $dir" >&2
  "$root/scripts/build.sh" "$dir" -DNUV_WERROR=ON "$@"
  echo "== testing $dir" >&2
  (cd "$dir" && ctest --output-on-failure -j "$(nproc)")
}

run_suite "$root/build/release" -DCMAKE_BUILD_TYPE=RelWithDebInfo
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  run_suite "$root/build/sanitize" -DCMAKE_BUILD_TYPE=Debug -DNUV_SANITIZE=ON -DNUV_BUILD_BENCH=OFF
