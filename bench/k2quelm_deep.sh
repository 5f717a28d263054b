#!/usr/bin/env bash
# Times -k2quelm on deep shapes: one node with 100000 properties (a conjunction
# nested 100000 deep), and one property of 100000 nested parentheses. Expects
# the program built by run.sh. Not part of the test suite.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
program=$root/build-bench/za2vu
count=${1:-100000}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

{
  echo "node N (x : bool) returns (y : bool);"
  echo "let"
  for ((i = 0; i < count; ++i)); do echo "  --%PROPERTY x or y;"; done
  echo "  y = x;"
  echo "tel"
} > "$work/many.zo"

{
  echo "node N (x : bool) returns (y : bool);"
  echo "let"
  printf '  --%%PROPERTY '
  head -c "$count" /dev/zero | tr '\0' '('
  printf 'x'
  head -c "$count" /dev/zero | tr '\0' ')'
  echo ";"
  echo "  y = x;"
  echo "tel"
} > "$work/nested.zo"

for shape in many nested; do
  for verbosity in "" -v; do
    /usr/bin/time -o "$work/time" -f '%e s, peak %M KB' \
      "$program" $verbosity -k2quelm h "$work/$shape.zo" > /dev/null 2> /dev/null
    echo "$shape ${verbosity:-(quiet)}: $(cat "$work/time")"
  done
done
