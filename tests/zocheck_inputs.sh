#!/bin/bash
# zocheck on every test input and on bad inputs made here. With --json, each
# line of its output is one JSON object with the members of a diagnostic,
# read by a strict JSON reader from bytes that must be valid UTF-8, and
# nothing goes to standard error. On a file of random bytes, a file of one
# 10 MB line and a file that holds only a byte-order mark, it exits with
# status 1 after a diagnostic that stays small, in valid UTF-8 without
# control bytes but tabs and line breaks, in either form.
# Usage: zocheck_inputs.sh ZOCHECK FILE...
set -uo pipefail
zocheck=$1
shift
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# Reads every JSON output kept in the folder given; prints what is wrong
# with each.
json_problems() {
  python3 - "$1" <<'PY'
import json, os, sys

def refuse(constant):
    raise ValueError("not JSON: " + constant)

members = ["file", "line", "column", "end_column", "severity", "message", "code"]
folder = sys.argv[1]
for output in sorted(name for name in os.listdir(folder) if not name.endswith(".name")):
    shown = open(os.path.join(folder, output + ".name"), "rb").read()
    shown = shown.decode("utf-8", "replace")
    for number, raw in enumerate(open(os.path.join(folder, output), "rb"), 1):
        try:
            value = json.loads(raw.decode("utf-8"), parse_constant=refuse)
            if not isinstance(value, dict) or list(value) != members:
                raise ValueError("members " + repr(list(value)))
            if value["severity"] not in ("error", "warning", "note"):
                raise ValueError("severity " + value["severity"])
        except ValueError as problem:
            print("%s: line %d: %s" % (shown, number, problem))
PY
}

# Runs zocheck --json on the file, keeping its output for `json_problems`;
# the status it must end with is any of the given ones.
mkdir "$work/json"
runs=0
check_json() {
  local file=$1
  shift
  runs=$((runs + 1))
  local out=$work/json/$runs
  printf '%s' "$file" > "$out.name"
  "$zocheck" --json "$file" > "$out" 2> "$work/err"
  local status=$?
  [[ " $* " == *" $status "* ]] || fail "$file: status $status with --json"
  [ -s "$work/err" ] && fail "$file: standard error with --json: $(head -c 200 "$work/err")"
}

for file in "$@"; do
  check_json "$file" 0 1
done

# The bad inputs, each twice: as text, then as JSON.
python3 - "$work" <<'PY'
import random, sys
folder = sys.argv[1]
generator = random.Random(25)
with open(folder + "/random.zo", "wb") as out:
    out.write(bytes(generator.randrange(256) for _ in range(200000)))
with open(folder + "/one_line.zo", "wb") as out:
    out.write(b"node f(x: int) returns (y: int); let y = x + " + b"n" * (10 << 20)
              + b"; tel")
with open(folder + "/mark_only.zo", "wb") as out:
    out.write(b"\xef\xbb\xbf")
PY

most_bytes=2000
for name in random one_line mark_only; do
  file=$work/$name.zo
  "$zocheck" "$file" > "$work/out" 2> "$work/err"
  status=$?
  [ "$status" = 1 ] || fail "$name: status $status"
  [ -s "$work/err" ] && fail "$name: standard error: $(head -c 200 "$work/err")"
  size=$(wc -c < "$work/out")
  [ "$size" -le "$most_bytes" ] || fail "$name: $size bytes of diagnostics"
  grep -q ': error: ' "$work/out" || fail "$name: no error reported"
  python3 -c '
import sys
text = open(sys.argv[1], "rb").read().decode("utf-8")
if any(ord(c) < 0x20 and c not in "\t\n" or ord(c) == 0x7f for c in text):
    sys.exit("control bytes")' "$work/out" || fail "$name: output not readable"
  check_json "$file" 1
  size=$(wc -c < "$work/json/$runs")
  [ "$size" -le "$most_bytes" ] || fail "$name: $size bytes of JSON"
done
grep -q 'byte-order mark' <("$zocheck" "$work/mark_only.zo") ||
  fail "mark_only: the byte-order mark is not named"

problems=$(json_problems "$work/json")
[ -n "$problems" ] && fail "$problems"

[ "$failures" -eq 0 ] || exit 1
echo "zocheck on $# test inputs and 3 bad inputs: every output bounded and valid"
