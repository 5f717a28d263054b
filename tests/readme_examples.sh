#!/bin/bash
# Runs every example command of the README, the indented lines that start
# with ./build/za2vu, ./build/zocheck or ./build/zosim, from the source folder
# with the programs under test, and compares what they print with the stored
# transcript: each command after "$ ", its standard output, its standard
# error after "(stderr)". A zocheck or zosim command's status always goes
# into the transcript, since it shows errors; a za2vu command's when it is
# not 0, since the README shows where a mode stops. zosim runs in a scratch
# folder that sees the examples, and each file it writes there (a --vcd
# trace) follows its output after "(file NAME)".
# Usage: readme_examples.sh ZA2VU SOURCE_DIR TRANSCRIPT ZOCHECK ZOSIM
set -uo pipefail
za2vu=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
source=$2
expected=$3
zocheck=$(cd "$(dirname "$4")" && pwd)/$(basename "$4")
zosim=$(cd "$(dirname "$5")" && pwd)/$(basename "$5")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$source"
source=$(pwd)
mkdir "$work/scratch"
ln -s "$source/examples" "$work/scratch/examples"
commands=$(sed -n 's/^    \(\.\/build\/\(za2vu\|zocheck\|zosim\) [^#]*\).*/\1/p' README.md | sed 's/ *$//')
[ -n "$commands" ] || { echo "FAIL: no example command in README.md"; exit 1; }
failures=0
while IFS= read -r command; do
  name=${command#./build/}
  name=${name%% *}
  program=$za2vu
  [ "$name" = zocheck ] && program=$zocheck
  read -ra words <<< "${command#./build/"$name"}"
  if [ "$name" = zosim ]; then
    (cd "$work/scratch" && "$zosim" "${words[@]}") > "$work/stdout" 2> "$work/stderr"
  else
    "$program" "${words[@]}" > "$work/stdout" 2> "$work/stderr"
  fi
  status=$?
  {
    echo "\$ $command"
    cat "$work/stdout"
    if [ -s "$work/stderr" ]; then echo "(stderr)"; cat "$work/stderr"; fi
    if [ "$name" != za2vu ] || [ "$status" -ne 0 ]; then echo "(status $status)"; fi
    for written in "$work"/scratch/*; do
      [ "$written" = "$work/scratch/examples" ] && continue
      echo "(file ${written##*/})"
      cat "$written"
      rm -f "$written"
    done
  } >> "$work/transcript"
done <<< "$commands"
diff -u "$expected" "$work/transcript" || failures=$((failures + 1))
[ "$failures" -eq 0 ]
