#!/usr/bin/env bash
# Times -simp on the deep shapes that a naive simplification would make
# quadratic or crash on: a long sum, deep parentheses, a long alias chain,
# deep negations and unary minuses, each 100000 levels. Prints each result's
# last line, which shows the folded value. Usage: deep_simp.sh ZA2VU [LEVELS]
set -eu
za2vu=$1
levels=${2:-100000}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

repeat() { printf "%${2}s" | sed "s/ /$1/g"; }

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

for shape in sum parentheses aliases not minus; do
  report=$( { /usr/bin/time -f '%e s, peak %M KB' "$za2vu" -simp "$work/$shape.zo" |
    tail -2 | head -1 > "$work/last"; } 2>&1)
  printf '%-12s %-22s %s\n' "$shape" "$report" "$(tr -s ' ' < "$work/last" | cut -c1-40)"
done
