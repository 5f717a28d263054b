#!/bin/bash
# Runs every example command of the README, the indented lines that start
# with ./build/za2vu or ./build/zocheck, from the source folder with the
# programs under test, and compares what they print with the stored
# transcript: each command after "$ ", its standard output, its standard
# error after "(stderr)". A zocheck command's status always goes into the
# transcript, since it shows errors; a za2vu command's when it is not 0,
# since the README shows where a mode stops.
# Usage: readme_examples.sh ZA2VU SOURCE_DIR TRANSCRIPT ZOCHECK
set -uo pipefail
za2vu=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
source=$2
expected=$3
zocheck=$(cd "$(dirname "$4")" && pwd)/$(basename "$4")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$source"
commands=$(sed -n 's/^    \(\.\/build\/\(za2vu\|zocheck\) [^#]*\).*/\1/p' README.md | sed 's/ *$//')
[ -n "$commands" ] || { echo "FAIL: no example command in README.md"; exit 1; }
failures=0
while IFS= read -r command; do
  name=${command#./build/}
  name=${name%% *}
  program=$za2vu
  [ "$name" = zocheck ] && program=$zocheck
  read -ra words <<< "${command#./build/"$name"}"
  "$program" "${words[@]}" > "$work/stdout" 2> "$work/stderr"
  status=$?
  {
    echo "\$ $command"
    cat "$work/stdout"
    if [ -s "$work/stderr" ]; then echo "(stderr)"; cat "$work/stderr"; fi
    if [ "$name" = zocheck ] || [ "$status" -ne 0 ]; then echo "(status $status)"; fi
  } >> "$work/transcript"
done <<< "$commands"
diff -u "$expected" "$work/transcript" || failures=$((failures + 1))
[ "$failures" -eq 0 ]
