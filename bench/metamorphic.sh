#!/usr/bin/env bash
# Checks the output properties of tests/metamorphic.sh on large inputs: the
# generated mix of gen_zo (BYTES, default 20 MB, flattening a sample of 50
# nodes; and 300 KB, flattening every node), and the deep shapes of gen_deep.sh,
# gen_clean_chains.sh, deep_simp.sh and k2quelm_deep.sh at LEVELS (default
# 100000). Not part of the test suite. Usage: metamorphic.sh [BYTES [LEVELS]]
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
"$root/bench/gen_deep.sh" "$levels" > "$work/deep.zo"
for shape in asserts defs tuple; do
  "$root/bench/gen_clean_chains.sh" "$shape" "$levels" > "$work/chain_$shape.zo"
done

# The shapes of deep_simp.sh and k2quelm_deep.sh, which write them only into
# their own scratch folders.
repeat() { head -c "$2" /dev/zero | sed "s/\x0/$1/g"; }
node() { printf 'node n (x : %s) returns (y : %s);\nlet\n  y = %s;\ntel\n' "$1" "$1" "$2"; }
node int "$(repeat '1 + ' "$levels")x" > "$work/sum.zo"
node int "$(repeat '(' "$levels")x + 0$(repeat ')' "$levels")" > "$work/parentheses.zo"
node bool "$(repeat 'not ' "$levels")x" > "$work/not.zo"
node int "$(repeat '- ' "$levels")3" > "$work/minus.zo"
{
  printf 'node n (i : int) returns (x0 : int);\nvar\n'
  seq 1 "$levels" | sed 's/.*/  x& : int;/'
  printf 'let\n'
  seq 0 $((levels - 1)) | awk '{ printf "  x%d = x%d;\n", $1, $1 + 1 }'
  printf '  x%d = 5;\ntel\n' "$levels"
} > "$work/aliases.zo"
property_node() { printf 'node N (x : bool) returns (y : bool);\nlet\n%s\n  y = x;\ntel\n' "$1"; }
property_node "$(yes '  --%PROPERTY x or y;' | head -n "$levels")" > "$work/properties.zo"
property_node "  --%PROPERTY $(repeat '(' "$levels")x$(repeat ')' "$levels");" > "$work/property_nested.zo"

echo "generated mix of $(stat -c %s "$work/mix.zo") bytes, 50 nodes flattened:"
"$root/tests/metamorphic.sh" -n 50 "$build/za2vu" "$work/mix.zo"
rm "$work/mix.zo"
echo "generated mix of 300 KB and the deep shapes, every node flattened:"
"$root/tests/metamorphic.sh" "$build/za2vu" "$work"/*.zo
