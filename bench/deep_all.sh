#!/usr/bin/env bash
# Runs every deep shape of deep_shapes.sh in every mode and checks each run:
# status 0, under one second, the printed program accepted again by -tparse,
# and for a few shapes the exact -simp result. Prints a table of seconds and
# peak MB (shape x mode) and fails if any check failed.
# Usage: deep_all.sh [ZA2VU [DEPTH]] (default: build/za2vu, 100000 levels)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
za2vu=${1:-$root/build/za2vu}
depth=${2:-100000}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

modes=(-tlex -tparse plain -simp -flat -clean -cleanall -k2quelm -usrint -usrreal -usrbool)
arguments() {
  case $1 in
    plain) ;;
    -flat) echo "-flat deep" ;;
    -k2quelm) echo "-k2quelm h" ;;
    *) echo "$1" ;;
  esac
}

# The line that -simp must print for a shape, when it folds to a known result
# (an even depth makes the negations cancel).
expected_simp() {
  case $1 in
    sum) echo "   y = $depth;" ;;
    parens | aliases) echo "   y = $([ "$1" = parens ] && echo x || echo 5);" ;;
    not) ((depth % 2)) && echo "   y = not(x);" || echo "   y = x;" ;;
    minus) ((depth % 2)) && echo "   y = -3;" || echo "   y = 3;" ;;
  esac
}

# Failures are listed after the table, which they would otherwise break up.
fail() { echo "FAIL $1 $2: $3" >> "$work/failures"; }
: > "$work/failures"

printf '%-11s' shape
printf ' %11s' "${modes[@]}"
printf '\n'
for shape in $("$root/bench/deep_shapes.sh" list); do
  input=$work/$shape.zo
  "$root/bench/deep_shapes.sh" "$shape" "$depth" > "$input"
  printf '%-11s' "$shape"
  for mode in "${modes[@]}"; do
    status=0
    # shellcheck disable=SC2046 # the mode's arguments are split on purpose
    /usr/bin/time -o "$work/time" -f '%e %M' "$za2vu" $(arguments "$mode") "$input" \
      > "$work/out" 2> "$work/err" || status=$?
    read -r seconds kilobytes < <(tail -1 "$work/time")
    printf ' %5.2fs %3.0fM' "$seconds" "$((kilobytes / 1024))"
    if [ "$status" -ne 0 ]; then
      fail "$shape" "$mode" "status $status: $(head -c 200 "$work/err")"
      continue
    fi
    awk -v s="$seconds" 'BEGIN { exit !(s >= 1) }' && fail "$shape" "$mode" "$seconds s"
    case $mode in
      -tlex | -tparse) ;;
      *) "$za2vu" -tparse "$work/out" 2> "$work/err" ||
           fail "$shape" "$mode" "output rejected by -tparse: $(head -c 200 "$work/err")" ;;
    esac
    if [ "$mode" = -simp ] && line=$(expected_simp "$shape") && [ -n "$line" ]; then
      grep -qxF -- "$line" "$work/out" || fail "$shape" "$mode" "no line '$line'"
    fi
  done
  printf '\n'
done
cat "$work/failures"
echo "$(wc -l < "$work/failures") failed checks"
[ ! -s "$work/failures" ]
