#!/usr/bin/env bash
# Writes a zo program of two deep nodes on standard output: "Nested", whose
# equation nests N parenthesised operations (x - (x + (x - ... x))), and
# "Sum", whose equation adds N terms x0 + x1 + ... without parentheses, so
# that its tree leans the other way. N is the first argument (default 100000).
set -eu
depth=${1:-100000}
awk -v n="$depth" 'BEGIN {
  print "node Nested (x : int) returns (y : int);"
  printf "let\n  y = "
  for (i = 1; i < n; i++) printf "(x %s ", (i % 2 ? "-" : "+")
  printf "x"
  for (i = 1; i < n; i++) printf ")"
  print ";\ntel"
  print "node Sum (x0, x1, x2 : int) returns (y : int);"
  printf "let\n  y = x0"
  for (i = 1; i < n; i++) printf " + x%d", i % 3
  print ";\ntel"
}'
