#!/usr/bin/env bash
# Writes on standard output one node "deep" that nests one construct DEPTH
# times (default 100000), with a property annotation so that every mode,
# -k2quelm included, has work to do. "list" prints the shape names.
#   sum         1 + 1 + ... + 1 (left-grouped, all constants)
#   equal       x = x = ... = x (right-grouped, Boolean)
#   parens      ((( ... x ... )))
#   nested      (x - (x + (x - ... x))), leaning right through parentheses
#   pre         pre pre ... pre x
#   arrow       x -> x -> ... -> x (left-grouped)
#   if          if x = 1 then 1 else if x = 2 then 2 else ... 0
#   not         not not ... not x
#   minus       - - ... - 3
#   aliases     x0 = x1; x1 = x2; ... xN = 5, listed first to last
#   asserts     a chain of locals a(i+1) = a(i) + 1, each assertion
#               a(i+1) > a(i) listed last link first
#   properties  DEPTH property annotations in one node
# Usage: deep_shapes.sh SHAPE [DEPTH] > deep.zo
set -euo pipefail
shapes="sum equal parens nested pre arrow if not minus aliases asserts properties"
shape=$1
depth=${2:-100000}
if [ "$shape" = list ]; then
  echo "$shapes"
  exit 0
fi
awk -v shape="$shape" -v n="$depth" '
function repeat(text, count,    out, piece) {
  out = ""; piece = text
  for (; count > 0; count = int(count / 2)) {
    if (count % 2) out = out piece
    piece = piece piece
  }
  return out
}
function header(type, property) {
  printf "node deep (x : %s) returns (y : %s);\n", type, type
  if (shape == "aliases" || shape == "asserts") {
    print "var"
    for (i = 0; i <= n; i++) printf "  a%d : int;\n", i
  }
  print "let"
  printf "  --%%PROPERTY %s;\n", property
}
BEGIN {
  if (shape == "sum") {
    header("int", "y > 0")
    printf "  y = 1%s;\n", repeat(" + 1", n - 1)
  } else if (shape == "equal") {
    header("bool", "y or x")
    printf "  y = x%s;\n", repeat(" = x", n - 1)
  } else if (shape == "parens") {
    header("int", "y >= x")
    printf "  y = %sx%s;\n", repeat("(", n), repeat(")", n)
  } else if (shape == "nested") {
    header("int", "y >= x")
    printf "  y = %sx%s;\n", repeat("(x - (x + ", int(n / 2)), repeat("))", int(n / 2))
  } else if (shape == "pre") {
    header("int", "y >= 0")
    printf "  y = %sx;\n", repeat("pre ", n)
  } else if (shape == "arrow") {
    header("int", "y >= 0")
    printf "  y = x%s;\n", repeat(" -> x", n - 1)
  } else if (shape == "if") {
    header("int", "y >= 0")
    printf "  y = "
    for (i = 1; i <= n; i++) printf "if x = %d then %d else ", i, i
    print "0;"
  } else if (shape == "not") {
    header("bool", "y = x")
    printf "  y = %sx;\n", repeat("not ", n)
  } else if (shape == "minus") {
    header("int", "y = 3")
    printf "  y = %s3;\n", repeat("- ", n)
  } else if (shape == "aliases") {
    header("int", "y = x")
    print "  y = a0;"
    for (i = 0; i < n; i++) printf "  a%d = a%d;\n", i, i + 1
    printf "  a%d = 5;\n", n
  } else if (shape == "asserts") {
    header("int", "y >= x")
    for (i = n - 1; i >= 0; i--) printf "  assert a%d > a%d;\n", i + 1, i
    print "  a0 = x;"
    for (i = 0; i < n; i++) printf "  a%d = a%d + 1;\n", i + 1, i
    printf "  y = a%d;\n", n
  } else if (shape == "properties") {
    header("bool", "x or y")
    for (i = 1; i < n; i++) print "  --%PROPERTY x or y;"
    print "  y = x;"
  } else {
    print "deep_shapes.sh: unknown shape " shape > "/dev/stderr"
    exit 1
  }
  print "tel"
}'
