#!/usr/bin/env bash
# Every deep shape of bench/deep_shapes.sh at the given depth through -simp:
# status 0, the result accepted again by -tparse, the exact folded equation
# where it is known. Then the driver under an address-space limit that leaves
# no room for its work stack, and under one that holds the stack but not the
# trees of a large input: one diagnostic, status 2, nothing on stdout.
# Usage: deep_inputs.sh ZA2VU DEPTH [--no-limit]
set -euo pipefail
za2vu=$1
depth=$2
shapes=$(dirname "$0")/../bench/deep_shapes.sh
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
fail() {
  echo "FAIL: $*"
  failed=1
}

# The equation -simp must print where the shape folds to a known result.
expected() {
  case $1 in
    sum) echo "   y = $depth;" ;;
    parens) echo "   y = x;" ;;
    aliases) echo "   y = 5;" ;;
    not) ((depth % 2)) && echo "   y = not(x);" || echo "   y = x;" ;;
    minus) ((depth % 2)) && echo "   y = -3;" || echo "   y = 3;" ;;
    equal) echo "   y = true;" ;;
  esac
}

for shape in $("$shapes" list); do
  "$shapes" "$shape" "$depth" > "$work/in.zo"
  if ! "$za2vu" -simp "$work/in.zo" > "$work/out" 2> "$work/err"; then
    fail "$shape: -simp: $(head -c 200 "$work/err")"
    continue
  fi
  "$za2vu" -tparse "$work/out" 2> "$work/err" || fail "$shape: output rejected: $(head -c 200 "$work/err")"
  line=$(expected "$shape")
  [ -z "$line" ] || grep -qxF -- "$line" "$work/out" || fail "$shape: no line '$line'"
done

if [ "${3:-}" != --no-limit ]; then
  "$shapes" nested "$depth" > "$work/in.zo"
  status=0
  (ulimit -v 1000000 && exec "$za2vu" -simp "$work/in.zo") > "$work/out" 2> "$work/err" || status=$?
  [ "$status" -eq 2 ] || fail "under a limit: status $status"
  [ ! -s "$work/out" ] || fail "under a limit: output on stdout"
  [ "$(cat "$work/err")" = "za2vu: fatal error: Out_of_memory: no room for the work stack" ] ||
    fail "under a limit: stderr $(head -c 200 "$work/err")"

  # The work stack and 64 MiB more; a million constants need about 190 MiB.
  limit=$((2 * 1024 * 1024 + 64 * 1024))
  awk 'BEGIN { for (i = 0; i < 1000000; i++) printf "const k%d = %d;\n", i, i }' > "$work/in.zo"
  status=0
  (ulimit -v "$limit" && exec "$za2vu" -tparse "$work/in.zo") > "$work/out" 2> "$work/err" || status=$?
  [ "$status" -eq 2 ] || fail "large input under a limit: status $status"
  [ ! -s "$work/out" ] || fail "large input under a limit: output on stdout"
  [ "$(cat "$work/err")" = "za2vu: fatal error: Out_of_memory: the input needs more memory than is available" ] ||
    fail "large input under a limit: stderr $(head -c 200 "$work/err")"
fi
[ "$failed" -eq 0 ] && echo "deep inputs at depth $depth: all checks passed"
