#!/bin/bash
# Every deep shape of bench/deep_shapes.sh through zosim, on random inputs
# for a few steps: status 0, a trace of one row a step, no crash. Then the
# same depth of nested `pre`, of a chain of local definitions and of nested
# node calls, each with its expected last value.
# Usage: zosim_deep.sh ZOSIM SOURCE_DIR DEPTH
set -uo pipefail
zosim=$1
shapes=$2/bench/deep_shapes.sh
depth=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
run() {  # NAME EXPECTED_LAST_ROW FILE OPTIONS...
  local name=$1 expected=$2 file=$3
  shift 3
  "$zosim" "$file" "$@" > "$work/out" 2> "$work/err"
  local status=$?
  local last
  last=$(tail -1 "$work/out")
  if [ "$status" -ne 0 ] || { [ -n "$expected" ] && [ "$last" != "$expected" ]; }; then
    echo "FAIL $name: status $status, last row '$last', expected '$expected'"
    head -5 "$work/err"
    failures=$((failures + 1))
  fi
}
for shape in $("$shapes" list); do
  "$shapes" "$shape" "$depth" > "$work/deep.zo"
  run "$shape" "" "$work/deep.zo" --random 1 --steps 3 --uninterpreted
  [ "$(wc -l < "$work/out")" -eq 4 ] || { echo "FAIL $shape: not 3 rows"; failures=$((failures + 1)); }
done
awk -v n="$depth" 'BEGIN {
  printf "node n (a : int) returns (x : int);\nlet\n  x = "
  for (i = 0; i < n; i++) printf "pre "
  print "a;\ntel"
}' > "$work/pres.zo"
printf 'a\n1\n2\n' > "$work/two.csv"
run pres "2,nil" "$work/pres.zo" --input "$work/two.csv"
awk -v n="$depth" 'BEGIN {
  printf "node n (a : int) returns (x : int);\nvar "
  for (i = 0; i < n; i++) printf "v%d, ", i
  printf "w : int;\nlet\n  x = v0;\n"
  for (i = 0; i + 1 < n; i++) printf "  v%d = v%d + 1;\n", i, i + 1
  printf "  v%d = a;\n  w = 0;\ntel\n", n - 1
}' > "$work/chain.zo"
run chain "2,$((depth + 1))" "$work/chain.zo" --input "$work/two.csv"
# Each node calls the one before: an instance of each, one inside the other.
calls=$((depth / 10))
awk -v n="$calls" 'BEGIN {
  print "node f0 (a : int) returns (b : int); let b = a + 1; tel"
  for (i = 1; i < n; i++)
    printf "node f%d (a : int) returns (b : int); let b = f%d(a); tel\n", i, i - 1
}' > "$work/calls.zo"
run calls "2,3" "$work/calls.zo" --input "$work/two.csv"
exit $((failures > 0))
