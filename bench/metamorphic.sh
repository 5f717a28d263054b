#!/usr/bin/env bash
# Checks the output properties of tests/metamorphic.sh on large inputs: the
# generated mix of gen_zo (BYTES, default 20 MB, flattening a sample of 50
# nodes; and 300 KB, flattening every node), and the deep shapes of
# deep_shapes.sh and gen_clean_chains.sh at LEVELS (default 100000). Not part
# of the test suite. Usage: metamorphic.sh [BYTES [LEVELS]]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build-bench
bytes=${1:-20000000}
levels=${2:-100000}
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release > /dev/null
ninja -C "$build" za2vu gen_zo > /dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$build/bench/gen_zo" "$bytes" > "$work/mix.zo"
"$build/bench/gen_zo" 300000 > "$work/mix_300kb.zo"
for shape in $("$root/bench/deep_shapes.sh" list); do
  "$root/bench/deep_shapes.sh" "$shape" "$levels" > "$work/deep_$shape.zo"
done
for shape in asserts defs tuple; do
  "$root/bench/gen_clean_chains.sh" "$shape" "$levels" > "$work/chain_$shape.zo"
done

echo "generated mix of $(stat -c %s "$work/mix.zo") bytes, 50 nodes flattened:"
"$root/tests/metamorphic.sh" -n 50 "$build/za2vu" "$work/mix.zo"
rm "$work/mix.zo"
echo "generated mix of 300 KB and the deep shapes, every node flattened:"
"$root/tests/metamorphic.sh" "$build/za2vu" "$work"/*.zo
