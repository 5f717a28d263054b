#!/bin/bash
# Every deep shape of bench/deep_shapes.sh through zocheck: no error, no
# crash, and under one second of processor time each (processor time, not
# elapsed time, since the machine may be shared).
# Usage: zocheck_deep.sh ZOCHECK SOURCE_DIR DEPTH
set -uo pipefail
zocheck=$1
shapes=$2/bench/deep_shapes.sh
depth=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
for shape in $("$shapes" list); do
  "$shapes" "$shape" "$depth" > "$work/deep.zo"
  /usr/bin/time -o "$work/time" -f "%U %S" "$zocheck" "$work/deep.zo" > "$work/out" 2>&1
  status=$?
  seconds=$(awk '{ print $1 + $2 }' "$work/time" | tail -1)
  if [ "$status" -ne 0 ] || grep -q "error:" "$work/out"; then
    echo "FAIL $shape: status $status"
    head -5 "$work/out"
    failures=$((failures + 1))
  elif awk -v s="$seconds" 'BEGIN { exit !(s >= 1) }'; then
    echo "FAIL $shape: $seconds s"
    failures=$((failures + 1))
  fi
done
[ "$failures" -eq 0 ]
