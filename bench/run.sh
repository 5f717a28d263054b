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
measure "za2vu -simp" "$build/za2vu" -simp "$input"
measure "za2vu -k2quelm check" "$build/za2vu" -k2quelm check "$input"

# Instructions per input byte, which a busy machine does not disturb, on a
# 10 MB file of the same mix.
if command -v valgrind > /dev/null; then
  small=$build/bench-10mb.zo
  [ -f "$small" ] || "$build/bench/gen_zo" 10000000 > "$small"
  small_bytes=$(stat -c %s "$small")
  instructions() {
    local label=$1
    shift
    valgrind --tool=callgrind --callgrind-out-file=/dev/null "$@" 2>&1 > /dev/null |
      awk -v l="$label" -v b="$small_bytes" '/refs:/ { gsub(",", "", $NF);
        printf "%-28s %7.1f instructions per byte\n", l, $NF / b }'
  }
  instructions "wc -w (for comparison)" wc -w "$small"
  instructions "za2vu (plain printing)" "$build/za2vu" "$small"
  instructions "za2vu -simp" "$build/za2vu" -simp "$small"
  instructions "za2vu -k2quelm check" "$build/za2vu" -k2quelm check "$small"
fi

echo "deep shapes, 100000 levels:"
"$root/bench/deep_simp.sh" "$build/za2vu"
"$root/bench/k2quelm_deep.sh"

# Flattening of the largest node (the most bytes from "node" to "tel"), then
# of the deep shapes of gen_deep.sh, whose throughput is given on their file.
largest=$(awk '/^node /{name = $2; size = 0} {size += length($0) + 1}
  /^tel/ && size > most {most = size; largest = name} END {print largest}' "$input")
measure "za2vu -flat $largest" "$build/za2vu" -flat "$largest" "$input"
(
  deep=$build/deep.zo
  "$root/bench/gen_deep.sh" 100000 > "$deep"
  bytes=$(stat -c %s "$deep")
  measure "za2vu -flat Nested (deep)" "$build/za2vu" -flat Nested "$deep"
  measure "za2vu -flat Sum (deep)" "$build/za2vu" -flat Sum "$deep"
)
measure "za2vu -clean" "$build/za2vu" -clean "$input"
measure "za2vu -cleanall" "$build/za2vu" -cleanall "$input"

# Cleanup along chains as long as the node: each must stay linear.
for shape in asserts defs tuple; do
  chain=$build/chain_$shape.zo
  "$root/bench/gen_clean_chains.sh" "$shape" 100000 > "$chain"
  measure "za2vu -clean, 100000 $shape" "$build/za2vu" -clean "$chain"
done
