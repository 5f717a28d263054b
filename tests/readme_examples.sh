#!/bin/bash
# Runs every example command of the README, the indented lines that start
# with ./build/za2vu, from the source folder with the program under test, and
# compares what they print with the stored transcript: each command after
# "$ ", its standard output, its standard error after "(stderr)". Every one
# must exit with status 0.
# Usage: readme_examples.sh ZA2VU SOURCE_DIR TRANSCRIPT
set -uo pipefail
program=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
source=$2
expected=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$source"
commands=$(sed -n 's/^    \(\.\/build\/za2vu [^#]*\).*/\1/p' README.md | sed 's/ *$//')
[ -n "$commands" ] || { echo "FAIL: no example command in README.md"; exit 1; }
failures=0
while IFS= read -r command; do
  read -ra words <<< "${command#./build/za2vu}"
  "$program" "${words[@]}" > "$work/stdout" 2> "$work/stderr"
  status=$?
  [ "$status" -eq 0 ] || { echo "FAIL: $command: status $status"; failures=$((failures + 1)); }
  {
    echo "\$ $command"
    cat "$work/stdout"
    if [ -s "$work/stderr" ]; then echo "(stderr)"; cat "$work/stderr"; fi
  } >> "$work/transcript"
done <<< "$commands"
diff -u "$expected" "$work/transcript" || failures=$((failures + 1))
[ "$failures" -eq 0 ]
