#!/usr/bin/env bash
# Builds za2vu with clang's source-based coverage in build-coverage, runs the
# whole test suite and, given FUZZ_SECONDS, za2vu's two fuzzing targets that
# long each (built with coverage in build-coverage-fuzz) over their corpora in
# build-fuzz, then prints the line and branch coverage of every source file of
# the five source folders (za2vu, zocheck, zosim and their libraries), and the
# total.
# Usage: coverage.sh [FUZZ_SECONDS]
set -euo pipefail
fuzz_seconds=${1:-0}
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build-coverage
tools=/usr/lib/llvm-14/bin
"$root/scripts/setup.sh" --tests --fuzz

profiles=$build/profiles
rm -rf "$profiles" && mkdir -p "$profiles"
# One merged profile per binary and process pool, so that the thousands of
# runs of the suite leave a handful of files.
export LLVM_PROFILE_FILE=$profiles/%4m.profraw

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++-14 \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZA2VU_COVERAGE=ON > /dev/null
ninja -C "$build" > /dev/null
(cd "$build" && ctest -j "$(nproc)" > "$build/ctest.log") ||
  { cat "$build/ctest.log" >&2; exit 1; }
objects=("$build/za2vu" -object "$build/tests/za2vu_test")
objects+=(-object "$build/zocheck" -object "$build/zosim")

if [ "$fuzz_seconds" -gt 0 ]; then
  fuzz_build=$root/build-coverage-fuzz
  cmake -S "$root" -B "$fuzz_build" -G Ninja -DCMAKE_CXX_COMPILER=clang++-14 \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZA2VU_COVERAGE=ON -DZA2VU_FUZZ=ON > /dev/null
  ninja -C "$fuzz_build" za2vu_fuzz za2vu_program_fuzz > /dev/null
  mkdir -p "$root/build-fuzz/corpus" "$root/build-fuzz/corpus-programs"
  (cd "$fuzz_build" &&
   ./fuzz/za2vu_fuzz -max_total_time="$fuzz_seconds" -max_len=16384 \
     -dict="$root/fuzz/zo.dict" "$root/build-fuzz/corpus" > fuzz.log 2>&1 &&
   ./fuzz/za2vu_program_fuzz -max_total_time="$fuzz_seconds" -max_len=512 \
     "$root/build-fuzz/corpus-programs" >> fuzz.log 2>&1) ||
    { tail -20 "$fuzz_build/fuzz.log" >&2; exit 1; }
  objects+=(-object "$fuzz_build/fuzz/za2vu_fuzz" -object "$fuzz_build/fuzz/za2vu_program_fuzz")
fi

"$tools/llvm-profdata" merge -sparse -o "$build/coverage.profdata" "$profiles"/*.profraw
# The report's columns: file, then count, missed and percentage of regions,
# functions, lines and branches.
"$tools/llvm-cov" report "${objects[@]}" -instr-profile="$build/coverage.profdata" \
  "$root/src" "$root/src.xzo" "$root/src.utils" "$root/src.check" "$root/src.sim" |
  sed "s|^$root/||" | awk 'NR > 2 && NF >= 13 && $1 !~ /^-/ {
         printf "%-28s lines %7s of %5d   branches %7s of %5d\n",
                $1, $10, $8, $13, $11 }'
