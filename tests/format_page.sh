#!/bin/bash
# Checks what the reference of the format says against the programs, taking
# each claim from the rendered page: every worked grouping prints as its
# parenthesised form; every integer example of the operators' meaning folds
# to the value the page gives; the real literals it names are accepted or
# refused as it says; its clock example fails zocheck with a clock error and
# the sampled form passes; its example program passes zocheck and gives a
# property harness.
# Usage: format_page.sh ZA2VU ZOCHECK PAGE
set -uo pipefail
za2vu=$1
zocheck=$2
page=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# The page as a reader sees it, on lines long enough that no example breaks.
groff -t -man -Tascii -rcR=1 -rHY=0 -rLL=200n -P-cbou "$page" > "$work/page.txt"
# section NAME: the lines of the section, up to the next one.
section() { sed -n "/^$1\$/,/^[A-Z]/p" "$work/page.txt" | sed '1d;$d'; }
# prose NAME: the section as one line of single blanks.
prose() { section "$1" | tr -s ' \n' '  '; }

# node_with EXPRESSION: a node whose output is the expression.
node_with() { printf 'node n (a : int) returns (y : int);\nlet\n  y = %s;\ntel\n' "$1"; }

groupings=$(section GRAMMAR | sed -n '/Worked groupings:/,/^       The /{/^       [^ WT]/p}' |
  sed 's/^ *//')
[ "$(wc -l <<<"$groupings")" -ge 10 ] || fail "too few worked groupings: $groupings"
while IFS= read -r row; do
  written=$(sed -E 's/  +.*//' <<<"$row")
  grouped=$(sed -E 's/.*  +//' <<<"$row")
  node_with "$written" | "$za2vu" > "$work/written" 2>&1
  node_with "$grouped" | "$za2vu" > "$work/grouped" 2>&1
  cmp -s "$work/written" "$work/grouped" ||
    fail "$written does not group as $grouped: $(grep ' y = ' "$work/written")"
done <<<"$groupings"

# "A op B is C" for the integer operators, wrap-around included.
folds=$(prose "MEANING OF THE OPERATORS" |
  grep -oE -- '-?[0-9]+ (div|mod|\+) -?[0-9]+ is -?[0-9]+')
[ "$(wc -l <<<"$folds")" -ge 8 ] || fail "too few folding examples: $folds"
while IFS= read -r fold; do
  expression=${fold% is *}
  value=${fold##* is }
  folded=$(node_with "$expression" | "$za2vu" -simp | sed -n 's/^   y = \(.*\);$/\1/p')
  # The least integer is printed as a difference, its literal being too large.
  [ "$folded" = "(-9223372036854775807 - 1)" ] && folded=-9223372036854775808
  [ "$folded" = "$value" ] || fail "$expression folds to $folded, not $value"
done <<<"$folds"

# "X and Y are accepted, Z is refused" for the real literals of -simp.
reals=$(prose "MEANING OF THE OPERATORS" |
  grep -oE '[0-9.]+ and [0-9.]+ are accepted, [0-9.]+ is refused')
[ -n "$reals" ] || fail "no accepted and refused real literals"
read -r first _ second _ _ refused _ <<<"${reals//,/}"
for literal in "$first" "$second"; do
  node_with "$literal" | sed 's/int/real/g' | "$za2vu" -simp > /dev/null 2>&1 ||
    fail "-simp refuses $literal"
done
node_with "$refused" | sed 's/int/real/g' | "$za2vu" -simp > /dev/null 2>&1 &&
  fail "-simp accepts $refused"

# The clock example: s on the clock c, first written with a bare literal.
clocked=$(section CLOCKS | sed -n 's/^  *\(s = .*;\)$/\1/p')
[ "$(wc -l <<<"$clocked")" -eq 2 ] || fail "the clock example is not two equations: $clocked"
clocked_node() {
  printf 'node n (c : bool; x : int) returns (y : int);\nvar\n  (s : int) when c;\n'
  printf 'let\n  %s\n  y = current s;\ntel\n' "$1"
}
clocked_node "$(sed -n 1p <<<"$clocked")" | "$zocheck" > "$work/bare" 2>&1
[ $? -eq 1 ] && grep -q '\[clock\]$' "$work/bare" || fail "the bare literal: $(cat "$work/bare")"
clocked_node "$(sed -n 2p <<<"$clocked")" | "$zocheck" > "$work/sampled" 2>&1 ||
  fail "the sampled literal: $(cat "$work/sampled")"

section EXAMPLE | sed 's/^       //' > "$work/example.zo"
"$zocheck" "$work/example.zo" > "$work/checked" 2>&1 && [ ! -s "$work/checked" ] ||
  fail "the example: $(cat "$work/checked")"
"$za2vu" -k2quelm check "$work/example.zo" > /dev/null 2>&1 ||
  fail "the example gives no harness"

[ "$failures" -eq 0 ] || { echo "$failures failures"; exit 1; }
