#!/usr/bin/env bash
# Builds za2vu and runs the whole test suite: unit tests and golden cases.
# With --sanitize, builds and runs it under AddressSanitizer and
# UndefinedBehaviorSanitizer, failing on any report.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build
options=(-DCMAKE_BUILD_TYPE=Release)
if [ "${1:-}" = --sanitize ]; then
  build=$root/build-sanitize
  options=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DZA2VU_SANITIZE=ON)
  export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
  export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
fi
"$root/scripts/setup.sh" --tests
cmake -S "$root" -B "$build" -G Ninja "${options[@]}" > /dev/null
ninja -C "$build"
(cd "$build" && ctest --output-on-failure -j "$(nproc)")
