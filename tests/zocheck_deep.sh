#!/bin/bash
# Every deep shape of bench/deep_shapes.sh through zocheck: no error, no
# crash, and under one second of processor time each (processor time, not
# elapsed time, since the machine may be shared). Then a tuple nested as deep,
# whose one error (its type is not the left side's) must come as fast. Last,
# unless --no-limit is given, an address-space limit that holds the work stack
# but not the trees of a large input: one diagnostic, status 2.
# Usage: zocheck_deep.sh ZOCHECK SOURCE_DIR DEPTH [--no-limit]
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
awk -v n="$depth" 'BEGIN {
  printf "node T (x : int) returns (y : int);\nlet\n  y = "
  for (i = 0; i < n; i++) printf "("
  printf "x"
  for (i = 0; i < n; i++) printf ", x)"
  print ";\ntel"
}' > "$work/tuple.zo"
/usr/bin/time -o "$work/time" -f "%U %S" "$zocheck" "$work/tuple.zo" > "$work/out" 2>&1
seconds=$(awk '{ print $1 + $2 }' "$work/time" | tail -1)
if ! grep -q "^tuple.zo:3:7: error: the right side has type int \* .*($((depth + 1)) values), 'y' has type int \[type\]$" \
    <(sed "s|^$work/||" "$work/out"); then
  echo "FAIL nested tuple:"
  cut -c1-200 "$work/out" | head -3
  failures=$((failures + 1))
elif awk -v s="$seconds" 'BEGIN { exit !(s >= 1) }'; then
  echo "FAIL nested tuple: $seconds s"
  failures=$((failures + 1))
fi
if [ "${4:-}" != --no-limit ]; then
  # The work stack and 64 MiB more; a million constants need far more.
  limit=$((2 * 1024 * 1024 + 64 * 1024))
  awk 'BEGIN { for (i = 0; i < 1000000; i++) printf "const k%d = %d;\n", i, i }' > "$work/large.zo"
  (ulimit -v "$limit" && exec "$zocheck" "$work/large.zo") > "$work/out" 2> "$work/err"
  status=$?
  if [ "$status" -ne 2 ] || [ -s "$work/out" ] ||
     [ "$(cat "$work/err")" != "zocheck: fatal error: the input needs more memory than is available" ]; then
    echo "FAIL large input under a limit: status $status: $(head -c 200 "$work/err")"
    failures=$((failures + 1))
  fi
fi
[ "$failures" -eq 0 ]
