#!/usr/bin/env bash
# Writes a node whose cleanup must follow one long chain of N links:
#   asserts  N assertions, each needed only through the one before, listed
#            last link first;
#   defs     N locals, each defined from the next;
#   tuple    one equation with N lefts over an N-tuple.
# Usage: gen_clean_chains.sh asserts|defs|tuple [N] > chain.zo
set -eu
shape=$1
n=${2:-100000}
awk -v shape="$shape" -v n="$n" 'BEGIN {
  print "node chain (x : int) returns (y : int);"
  print "var"
  for (i = 0; i <= n; i++) printf "  a%d : int;\n", i
  print "let"
  if (shape == "asserts") {
    for (i = n - 1; i >= 0; i--) printf "  assert a%d < a%d;\n", i, i + 1
    print "  y = a0;"
  } else if (shape == "defs") {
    print "  y = a0;"
    for (i = 0; i < n; i++) printf "  a%d = a%d + 1;\n", i, i + 1
  } else if (shape == "tuple") {
    print "  y = a0;"
    printf "  a0"
    for (i = 1; i <= n; i++) printf ", a%d", i
    printf " = (x"
    for (i = 1; i <= n; i++) printf ", %d", i
    print ");"
  } else {
    print "unknown shape " shape > "/dev/stderr"
    exit 1
  }
  print "tel"
}'
