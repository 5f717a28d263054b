#!/usr/bin/env bash
# Times -simp on the deep shapes of deep_shapes.sh that a naive simplification
# would make quadratic or crash on, each LEVELS deep (default 100000), and
# prints the first equation of each result, which shows the folded value.
# Usage: deep_simp.sh ZA2VU [LEVELS]
set -euo pipefail
za2vu=$1
levels=${2:-100000}
shapes=$(dirname "$0")/deep_shapes.sh
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

for shape in sum parens nested aliases not minus equal; do
  "$shapes" "$shape" "$levels" > "$work/$shape.zo"
  report=$( { /usr/bin/time -f '%e s, peak %M KB' "$za2vu" -simp "$work/$shape.zo" \
    > "$work/out"; } 2>&1)
  printf '%-12s %-22s %s\n' "$shape" "$report" \
    "$(grep -m1 '^   y = ' "$work/out" | tr -s ' ' | cut -c1-40)"
done
