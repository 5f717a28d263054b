#!/bin/bash
# Every input that za2vu rejects for an error of the program, in the modes
# that look for errors (-tparse, plain printing, -flat of each node, the user
# modes), goes through zocheck too: it must report an error of the same kind,
# on the line za2vu names when it names one, and end with status 1. Kinds
# that za2vu leaves untyped are not errors of the program and are skipped, as
# is its refusal of an enumeration type named by a declaration (its constants
# met twice), which zocheck accepts.
# Usage: zocheck_cross.sh ZA2VU ZOCHECK FILE...
set -uo pipefail
za2vu=$1
zocheck=$2
shift 2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
checked=0

# The zocheck codes that report what za2vu's message says; empty when the
# message is no error of the program.
codes_for() {
  case $1 in
    *"syntax error"*) echo syntax ;;
    *"unterminated comment"*) echo lexical ;;
    *"already declared"* | *"declared twice"*) echo redeclared ;;
    *"recursive definition"*) echo recursive ;;
    *"undeclared"*) echo undeclared ;;
    *Type_error* | *"tuple const"*) echo "type call" ;;
    *"unexpected case"*) echo "clock call" ;;
    *Clock_error*) echo clock ;;
  esac
}

for file in "$@"; do
  nodes=$(sed -n 's/^node \([A-Za-z_][A-Za-z0-9_]*\).*/\1/p' "$file")
  runs=("-tparse" "" "-usrint" "-usrreal" "-usrbool")
  for node in $nodes; do runs+=("-flat $node"); done
  "$zocheck" -Wno-unused "$file" > "$work/check" 2>&1
  check_status=$?
  for run in "${runs[@]}"; do
    read -ra options <<< "$run"
    "$za2vu" "${options[@]}" "$file" > /dev/null 2> "$work/error"
    [ $? -eq 0 ] && continue
    message=$(tr -d '\0' < "$work/error")
    codes=$(codes_for "$message")
    [ -n "$codes" ] || continue
    twice=$(sed -n 's/.*flow declared twice: \([A-Za-z0-9_]*\)$/\1/p' <<< "$message")
    [ -n "$twice" ] && grep -qE "enum *\{[^}]*\b$twice\b" "$file" && continue
    checked=$((checked + 1))
    found=""
    for code in $codes; do
      grep -qa "error: .*\[$code\]$" "$work/check" && found=$code
    done
    line=$(sed -n 's/.*(line \([0-9]*\),.*/\1/p' <<< "$message" | head -1)
    if [ "$check_status" -ne 1 ] || [ -z "$found" ]; then
      echo "FAIL $file (za2vu $run): no [$codes] error; za2vu said: $message"
      failures=$((failures + 1))
    elif [ -n "$line" ] && ! grep -qa "^[^:]*:$line:[0-9]*: error: .*\[$found\]$" "$work/check"; then
      echo "FAIL $file (za2vu $run): no [$found] error on line $line"
      failures=$((failures + 1))
    fi
  done
done
echo "$checked rejections checked"
[ "$checked" -gt 0 ] && [ "$failures" -eq 0 ]
