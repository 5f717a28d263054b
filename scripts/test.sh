#!/usr/bin/env bash
# Builds za2vu and runs the whole test suite: unit tests and golden cases.
# With --sanitize, builds and runs it under AddressSanitizer and
# UndefinedBehaviorSanitizer, failing on any report. With --clang, builds and
# runs it with clang 14, whose warnings differ from g++'s.
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
setup=(--tests)
if [ "${1:-}" = --clang ]; then
  build=$root/build-clang
  options+=(-DCMAKE_CXX_COMPILER=clang++-14)
  setup+=(--fuzz)
fi
"$root/scripts/setup.sh" "${setup[@]}"
cmake -S "$root" -B "$build" -G Ninja "${options[@]}" > /dev/null
ninja -C "$build"
(cd "$build" && ctest --output-on-failure -j "$(nproc)")
