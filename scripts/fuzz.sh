#!/usr/bin/env bash
# Builds the libFuzzer targets (clang 14, AddressSanitizer, UndefinedBehavior-
# Sanitizer) in build-fuzz and fuzzes every mode for SECONDS (default 60) on
# two processes with each target chosen (default bytes): "bytes" fuzzes the
# text read, from a seed corpus made of the test inputs and the examples;
# "programs" fuzzes the choices of the program generator, checking the output
# properties on every program (and through zosim that every transformation
# keeps its meaning); "checker" fuzzes zocheck with the same seeds;
# "simulator" fuzzes zosim on the programs of the same choices, from the
# corpus that "programs" built; "both" runs bytes and programs one after the
# other, "all" the four.
# Usage: fuzz.sh [SECONDS] [bytes|programs|checker|simulator|both|all]
# Installs what it needs (clang 14, its fuzzing runtime, the symbolizer) the
# way the build's set-up does. Prints the executions and the coverage reached
# by each target; fails on any finding, whose input is left in build-fuzz.
set -euo pipefail
seconds=${1:-60}
targets=${2:-bytes}
case $targets in
  bytes|programs|checker|simulator) ;;
  both) targets="bytes programs" ;;
  all) targets="bytes programs checker simulator" ;;
  *) echo "za2vu: unknown target $targets (bytes, programs, checker, simulator, both or all)" >&2
    exit 2 ;;
esac
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build-fuzz

"$root/scripts/setup.sh" --fuzz
export ASAN_SYMBOLIZER_PATH=/usr/lib/llvm-14/bin/llvm-symbolizer

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++-14 \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZA2VU_FUZZ=ON > /dev/null
ninja -C "$build" -j2 za2vu_fuzz za2vu_program_fuzz zocheck_fuzz zosim_fuzz

# Seeds: every test input and example under each choice of options (first
# byte) with the second variant of the option's value (second byte).
seeds=$build/seeds corpus=$build/corpus
rm -rf "$seeds" && mkdir -p "$seeds" "$corpus"
inputs=("$root"/examples/*.zo "$root"/tests/golden/*/*.zo "$root"/tests/golden/*/stdin)
for mode in $(seq 0 20); do
  for input in "${inputs[@]}"; do
    [ -f "$input" ] || continue
    seed=$seeds/$mode-$(basename "$(dirname "$input")")-$(basename "$input")
    { printf "\\$(printf '%03o' "$mode")\\001"; cat "$input"; } > "$seed"
  done
done

# Fuzzes with the target for SECONDS on two processes; prints the figures
# of the last report and keeps the log in build-fuzz.
fuzz() {
  local name=$1 target=$2
  shift 2
  local log=$build/fuzz-$name.log status=0
  "$target" -fork=2 -max_total_time="$seconds" -print_final_stats=1 \
    "$@" > "$log" 2>&1 || status=$?
  grep -E '^#[0-9]+: cov:' "$log" | tail -1 |
    sed -E "s/^#([0-9]+): cov: ([0-9]+) ft: ([0-9]+) corp: ([0-9]+).*/$name: executions \1, cov \2, ft \3, corpus \4/"
  if [ "$status" -ne 0 ]; then
    grep -E 'FINDING|ERROR|SUMMARY|crash-|timeout-|oom-|leak-' "$log" | head -20 >&2
    echo "za2vu: the fuzzer found a failure (log: $log)" >&2
  fi
  return "$status"
}

# Text inputs up to 16 KiB; the process may use 1 GiB plus 4 KiB per input
# byte, and the harness bounds the trees to 8 MiB plus 1 KiB per input byte.
# A program's choices fit in 512 bytes; whatever the input's length, a program
# has at most 4 nodes of 1 to 8 steps.
max_len=16384
cd "$build"
status=0
for target in $targets; do
  case $target in
    bytes)
      fuzz bytes ./fuzz/za2vu_fuzz -timeout=1 -max_len=$max_len \
        -rss_limit_mb=$((1024 + max_len * 4096 / 1048576)) -malloc_limit_mb=512 \
        -dict="$root/fuzz/zo.dict" "$corpus" "$seeds" || status=$? ;;
    checker)
      mkdir -p "$build/corpus-checker"
      fuzz checker ./fuzz/zocheck_fuzz -timeout=1 -max_len=$max_len \
        -rss_limit_mb=$((1024 + max_len * 4096 / 1048576)) -malloc_limit_mb=512 \
        -dict="$root/fuzz/zo.dict" "$build/corpus-checker" "$seeds" || status=$? ;;
    programs)
      mkdir -p "$build/corpus-programs"
      fuzz programs ./fuzz/za2vu_program_fuzz -timeout=5 -max_len=512 \
        -rss_limit_mb=2048 "$build/corpus-programs" || status=$? ;;
    simulator)
      mkdir -p "$build/corpus-simulator" "$build/corpus-programs"
      fuzz simulator ./fuzz/zosim_fuzz -timeout=5 -max_len=512 \
        -rss_limit_mb=2048 "$build/corpus-simulator" "$build/corpus-programs" || status=$? ;;
  esac
done
exit "$status"
