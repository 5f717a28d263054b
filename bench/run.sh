#!/usr/bin/env bash
# Builds the optimised program and the benchmark tools, generates a zo file of
# about 50 MB, and times every mode on it. Not part of the test suite.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build-bench
size=${1:-50000000}
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release > /dev/null
ninja -C "$build" za2vu lex_bench print_bench gen_zo > /dev/null
input=$build/bench.zo
[ -f "$input" ] && [ "$(stat -c %s "$input")" -ge "$size" ] || "$build/bench/gen_zo" "$size" > "$input"
bytes=$(stat -c %s "$input")
echo "input: $input, $bytes bytes"

# Runs the command three times, reporting the best wall time, its throughput
# and the peak memory: on a shared machine the best run is the least disturbed.
measure() {
  local label=$1
  shift
  local report best=""
  for run in 1 2 3; do
    report=$( { /usr/bin/time -f '%e %M' "$@" > /dev/null; } 2>&1 | tail -1)
    if [ -z "$best" ] || awk -v a="${report% *}" -v b="${best% *}" 'BEGIN { exit !(a < b) }'; then
      best=$report
    fi
  done
  local seconds=${best% *} kilobytes=${best#* }
  awk -v l="$label" -v s="$seconds" -v k="$kilobytes" -v b="$bytes" 'BEGIN {
    printf "%-28s %7.2f s %8.1f MB/s   peak %6.0f MB (%.1f x input)\n",
           l, s, (s > 0 ? b / 1e6 / s : 0), k / 1024, k * 1024 / b }'
}

echo "lexer alone:                 $("$build/bench/lex_bench" "$input")"
measure "wc -w (for comparison)" wc -w "$input"
measure "za2vu -tlex" "$build/za2vu" -tlex "$input"
measure "za2vu -tparse" "$build/za2vu" -tparse "$input"
echo "writer alone:                $("$build/bench/print_bench" "$input" 2>&1 > /dev/null)"
measure "za2vu (plain printing)" "$build/za2vu" "$input"
measure "za2vu -usrint -usrreal -usrbool" "$build/za2vu" -usrint -usrreal -usrbool "$input"
measure "za2vu -clean" "$build/za2vu" -clean "$input"
measure "za2vu -cleanall" "$build/za2vu" -cleanall "$input"

# Cleanup along chains as long as the node: each must stay linear.
for shape in asserts defs tuple; do
  chain=$build/chain_$shape.zo
  "$root/bench/gen_clean_chains.sh" "$shape" 100000 > "$chain"
  measure "za2vu -clean, 100000 $shape" "$build/za2vu" -clean "$chain"
done
