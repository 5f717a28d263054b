#!/usr/bin/env bash
# The benchmark suite: builds the optimised program and the generator, makes
# zo programs of 10 MB and 50 MB of the generator's realistic mix and of its
# short-name mix (`gen_zo -short`), and prints for each mix one Markdown table
# row per mode, beside `cat` and `wc -w` on the same files: best-of-three
# seconds and MB/s on 50 MB, instructions per input byte and per token on
# 10 MB (callgrind: repeatable on a busy machine), peak memory as a multiple
# of the input, and the growth of time and memory from 10 MB to 50 MB (5.0
# is linear). Then the deep shapes in every mode. Not part of the test suite.
# Usage: bench/run.sh [--no-callgrind]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build-bench
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release > /dev/null
ninja -C "$build" za2vu gen_zo > /dev/null
za2vu=$build/za2vu
callgrind=yes
if [ "${1:-}" = --no-callgrind ] || ! command -v valgrind > /dev/null; then callgrind=no; fi

# The largest flattenable node (P<k>, most bytes from "node" to "tel").
largest_node() {
  awk '/^node P/ { name = $2; size = 0 } { size += length($0) + 1 }
    /^tel/ && name != "" && size > most { most = size; largest = name }
    /^tel/ { name = "" } END { print largest }' "$1"
}

# "seconds peak-KB" of the best of three runs: on a shared machine the best
# run is the least disturbed. The command's arguments end with the input.
best_run() {
  local best="" report
  for _ in 1 2 3; do
    report=$( { /usr/bin/time -f '%e %M' "$@" > /dev/null; } 2>&1 | tail -1)
    if [ -z "$best" ] || awk -v a="${report% *}" -v b="${best% *}" 'BEGIN { exit !(a < b) }'; then
      best=$report
    fi
  done
  echo "$best"
}

instructions() {
  [ "$callgrind" = yes ] || { echo 0; return; }
  valgrind --tool=callgrind --callgrind-out-file=/dev/null "$@" 2>&1 > /dev/null |
    awk '/refs:/ { gsub(",", "", $NF); print $NF }'
}

# One table for the mix of `gen_zo` with these options ("" or -short).
table() {
  local suffix=${1:+-short}
  small=$build/bench-10mb$suffix.zo
  large=$build/bench-50mb$suffix.zo
  [ -s "$small" ] || "$build/bench/gen_zo" $1 10000000 > "$small"
  [ -s "$large" ] || "$build/bench/gen_zo" $1 50000000 > "$large"
  small_node=$(largest_node "$small")
  large_node=$(largest_node "$large")
  small_bytes=$(stat -c %s "$small")
  large_bytes=$(stat -c %s "$large")
  small_tokens=$("$za2vu" -tlex "$small" | wc -l)
  wc_instructions=$(instructions wc -w "$small")
  echo "${1:-realistic} mix: $small_bytes and $large_bytes bytes, $small_tokens tokens in" \
    "the first; $(nproc) cores, $(uname -m)," \
    "$(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ *//')"
  echo
  echo "| mode | s, 50 MB | MB/s | instr/byte | instr/token | × wc -w instr | × wc -w time | peak × input | time 10→50 | memory 10→50 |"
  echo "|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|"
  wc_seconds=""
  row "wc -w" wc -w
  row "cat" cat
  row "-tlex" "$za2vu" -tlex
  row "-tparse" "$za2vu" -tparse
  row "plain printing" "$za2vu"
  row "-usrint -usrreal -usrbool" "$za2vu" -usrint -usrreal -usrbool
  row "-simp" "$za2vu" -simp
  row "-flat (largest node)" "$za2vu" -flat NODE
  row "-clean" "$za2vu" -clean
  row "-cleanall" "$za2vu" -cleanall
  row "-k2quelm check" "$za2vu" -k2quelm check
  echo
}

# One row: the label, then the command without its input file. A mode that
# needs a node name takes it from the file through a placeholder NODE.
row() {
  local label=$1
  shift
  local on_small=("${@/NODE/$small_node}") on_large=("${@/NODE/$large_node}")
  local small_run large_run count
  small_run=$(best_run "${on_small[@]}" "$small")
  large_run=$(best_run "${on_large[@]}" "$large")
  count=$(instructions "${on_small[@]}" "$small")
  [ -n "$wc_seconds" ] || wc_seconds=${large_run% *}
  awk -v l="$label" -v s1="${small_run% *}" -v k1="${small_run#* }" \
    -v s5="${large_run% *}" -v k5="${large_run#* }" -v b1="$small_bytes" -v b5="$large_bytes" \
    -v t1="$small_tokens" -v i="$count" -v wi="$wc_instructions" -v ws="$wc_seconds" 'BEGIN {
      printf "| %s | %.2f | %.0f | %.1f | %.0f | %.2f | %.1f | %.2f | %.1f | %.1f |\n", l, s5,
        (s5 > 0 ? b5 / 1e6 / s5 : 0), i / b1, i / t1, (wi > 0 ? i / wi : 0),
        (ws > 0 ? s5 / ws : 0), k5 * 1024 / b5, (s1 > 0 ? s5 / s1 : 0), k5 / k1 }'
}

table ""
table -short

echo "deep shapes, 100000 levels, every mode:"
"$root/bench/deep_all.sh" "$za2vu"
echo "one equation with 100000 left-hand variables:"
tuple=$build/chain_tuple.zo
"$root/bench/gen_clean_chains.sh" tuple 100000 > "$tuple"
for mode in -tparse -clean -simp; do
  echo "  $mode: $(best_run "$za2vu" "$mode" "$tuple" | awk '{ printf "%.2f s, peak %.0f MB", $1, $2 / 1024 }')"
done
