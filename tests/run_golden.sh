#!/usr/bin/env bash
# Runs one golden case and compares stdout, stderr and the exit status byte for
# byte with what the case expects.
#
# A case is a folder. Every file is optional:
#   args    the arguments, one per line
#   stdin   what the program reads on standard input (else nothing)
#   stdout  the expected standard output (else empty)
#   stderr  the expected standard error (else empty)
#   status  the expected exit status (else 0)
# Other files, such as input.zo, are inputs named in args. The program runs in
# the case folder under its own name (za2vu unless a third argument names
# it), which its messages quote.
# Usage: run_golden.sh BINARY CASE_DIR [NAME]
set -u
binary=$(realpath "$1")
case_dir=$2
name=${3:-za2vu}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/bin"
ln -s "$binary" "$work/bin/$name"

arguments=()
if [ -f "$case_dir/args" ]; then
  mapfile -t arguments < "$case_dir/args"
fi
input=/dev/null
[ -f "$case_dir/stdin" ] && input="$case_dir/stdin"

(cd "$case_dir" && PATH="$work/bin:$PATH" "$name" "${arguments[@]}" \
  < "$input" > "$work/stdout" 2> "$work/stderr")
echo $? > "$work/status"

expect() {
  if [ -f "$case_dir/$1" ]; then cat "$case_dir/$1"; else printf '%s' "$2"; fi
}
failed=0
for stream in stdout stderr status; do
  default=""
  [ "$stream" = status ] && default=$'0\n'
  if ! cmp -s <(expect "$stream" "$default") "$work/$stream"; then
    echo "--- $stream differs (expected, then actual):"
    diff <(expect "$stream" "$default" | cat -A) <(cat -A "$work/$stream") | head -40
    failed=1
  fi
done
exit $failed
