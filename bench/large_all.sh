#!/usr/bin/env bash
# Runs every mode once on one large zo file and prints, for each, the exit
# status, the seconds, the peak memory and that peak as a multiple of the
# input size. Then looks for the smallest address-space limit (a multiple of
# the input size) under which plain printing still succeeds, and shows what
# the program says just under it.
# Usage: large_all.sh FILE [ZA2VU] (default: build/za2vu)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
input=$1
za2vu=${2:-$root/build/za2vu}
bytes=$(stat -c %s "$input")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The largest node: its flattening is the longest -flat run.
largest=$(awk '/^node /{name = $2; size = 0} {size += length($0) + 1}
  /^tel/ && size > most {most = size; largest = name} END {print largest}' "$input")

printf '%-28s %6s %8s %9s %7s\n' mode status seconds "peak MB" "x input"
while read -r label; do
  status=0
  # shellcheck disable=SC2086 # the mode's arguments are split on purpose
  /usr/bin/time -o "$work/time" -f '%e %M' "$za2vu" $label "$input" > /dev/null \
    2> "$work/err" || status=$?
  read -r seconds kilobytes < <(tail -1 "$work/time")
  awk -v l="${label:-(plain)}" -v st="$status" -v s="$seconds" -v k="$kilobytes" \
    -v b="$bytes" 'BEGIN { printf "%-28s %6d %8.2f %9.0f %7.1f\n", l, st, s, k / 1024, k * 1024 / b }'
  [ "$status" -eq 0 ] || head -c 300 "$work/err"
done << EOF
-tlex
-tparse

-simp
-flat $largest
-clean
-cleanall
-k2quelm check
-usrint -usrreal -usrbool
EOF

# Plain printing under `ulimit -v` of a growing multiple of the input size;
# below the first limit that succeeds, the failure's diagnostic and what
# stood on standard output.
for tenths in $(seq 10 10 300); do
  limit=$((bytes / 1024 * tenths / 10))
  status=0
  (ulimit -v "$limit" && exec "$za2vu" "$input") > "$work/out" 2> "$work/err" || status=$?
  if [ "$status" -eq 0 ]; then
    echo "plain printing succeeds from $((tenths / 10)).$((tenths % 10)) x input"
    break
  fi
  echo "limit $((tenths / 10)).$((tenths % 10)) x input: status $status," \
    "$(stat -c %s "$work/out") bytes on stdout, stderr: $(head -c 200 "$work/err")"
done
