#!/usr/bin/env bash
# A zo file of COUNT errors (default 1000000) of several kinds through
# zocheck: checks that it prints every one, and shows time and peak memory
# for COUNT and COUNT/4 errors; the growth from one to the other should be
# about 4 (linear). Not part of the test suite.
# Usage: bench/zocheck_errors.sh [ZOCHECK [COUNT]]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
zocheck=${1:-$root/build/zocheck}
count=${2:-1000000}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Nodes of 100 errors each: an assertion that is not Boolean, a misspelt
# flow, an operand of the wrong type, a call of an undeclared operator.
generate() {
  awk -v n="$1" 'BEGIN {
    for (node = 0; node * 100 < n; node++) {
      printf "node E%d (reset : bool; x : int) returns (y : int);\nlet\n  y = x;\n", node
      for (i = 0; i < 25; i++)
        printf "  assert x + %d;\n  assert resett;\n  assert reset or x;\n  assert G(x);\n", i
      print "tel"
    }
  }'
}

for n in $((count / 4)) "$count"; do
  generate "$n" > "$work/errors.zo"
  /usr/bin/time -o "$work/time" -f "%e %M" "$zocheck" -Wno-unused "$work/errors.zo" \
    > "$work/out" || true
  reported=$(grep -c ": error: " "$work/out" || true)
  read -r seconds kilobytes < <(tail -1 "$work/time")
  echo "$n errors written, $reported reported: $seconds s, peak $((kilobytes / 1024)) MB," \
    "input $(($(stat -c %s "$work/errors.zo") / 1048576)) MB"
  [ "$reported" -eq "$n" ] || { echo "FAIL: not every error reported"; exit 1; }
done
