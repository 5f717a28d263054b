#!/usr/bin/env bash
# Checks four properties of za2vu's output over the zo files given, and fails
# when one is broken:
#   reprint    printing the printed text gives the same bytes, and -tparse
#              accepts the printed text;
#   flat       -flat N of the output of -flat N is that output, for every node N;
#   tparse     -tparse accepts the output of every printing mode;
#   interface  plain printing and -simp give the same lines outside node bodies;
#   resimp     -simp reads the output of -simp back (not always to the same
#              text: after assert x = z; assert z = 3; a first pass turns x
#              into z, and only a second turns that z into 3).
# An input a mode rejects (status 1 or 2) is skipped for the properties that
# need that output; the summary counts the checked and skipped cases of each
# property, so that none passes without checking anything.
# Usage: metamorphic.sh [-n MAX] ZA2VU FILE...
# With -n, at most MAX nodes of each file are flattened, spread over the file.
set -euo pipefail
most=0
if [ "$1" = -n ]; then
  most=$2
  shift 2
fi
za2vu=$1
shift
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
declare -A count
failures=0

note() { count[$1]=$((${count[$1]:-0} + 1)); }
fail() {
  echo "FAIL $1: $2"
  failures=$((failures + 1))
}

# Runs za2vu with the given arguments, its output going to the file named
# first; succeeds when za2vu does.
run() {
  local output=$1
  shift
  "$za2vu" "$@" > "$output" 2> /dev/null
}

# The writer prints two things that the grammar cannot read back: a field
# access prints as an index, so the text holds "[" right after the last
# character of an operand (a letter, digit, "_", ")" or "]"), while types and
# literals open "[" after a blank; and a call without arguments prints
# "(true (*__DUMMY*))", as a declaration without inputs prints "__DUMMY : bool",
# so "__DUMMY" marks both. Annotation lines are free text and not looked at.
# The second grep reads all its input (-c, not -q), so that the first never
# dies of a closed pipe, which pipefail would take for "readable".
unreadable() {
  grep -v -- '^--%' "$1" | grep -c -E '[])[:alnum:]_]\[|__DUMMY' > /dev/null
}

# Checks that -tparse accepts the output of one mode, unless it is unreadable.
check_tparse() {
  local output=$1 label=$2
  if unreadable "$output"; then
    note tparse.skipped.unreadable
  elif run /dev/null -tparse "$output"; then
    note tparse.checked
  else
    fail tparse "$label"
  fi
}

node_names() {
  "$za2vu" -tlex "$1" 2> /dev/null | awk '/ TK_NODE = / { node = 1; next }
    node && / TK_IDENT = / { name = $NF; gsub("\"", "", name); print name }
    { node = 0 }' || true
}

# The lines of the text given, or MAX of them evenly spread when -n is given.
sample() {
  awk -v most="$most" '{ line[NR] = $0 }
    END { step = (most && NR > most) ? NR / most : 1
          for (i = 1; i <= NR; i += step) print line[int(i)] }' <<< "$1"
}

check_file() {
  local file=$1
  local printed=$work/printed.zo again=$work/again.zo simplified=$work/simp.zo
  local printable=yes
  run "$printed" "$file" || printable=no

  if [ $printable = no ]; then
    note reprint.skipped.rejected
  elif unreadable "$printed"; then
    note reprint.skipped.unreadable
  elif ! run "$again" "$printed" || ! cmp -s "$printed" "$again"; then
    fail reprint "$file"
  elif ! run /dev/null -tparse "$printed"; then
    fail reprint "$file (-tparse)"
  else
    note reprint.checked
  fi

  local names chosen left_out
  names=$(node_names "$file")
  chosen=$(sample "$names")
  [ -n "$names" ] || note flat.skipped.no_node
  left_out=$(($(wc -w <<< "$names") - $(wc -w <<< "$chosen")))
  [ "$left_out" -eq 0 ] || count[flat.skipped.not_sampled]=$((${count[flat.skipped.not_sampled]:-0} + left_out))
  for name in $chosen; do
    if ! run "$work/flat.zo" -flat "$name" "$file"; then
      note flat.skipped.rejected
      continue
    fi
    check_tparse "$work/flat.zo" "$file -flat $name"
    if unreadable "$work/flat.zo"; then
      note flat.skipped.unreadable
    elif ! run "$work/flat2.zo" -flat "$name" "$work/flat.zo" ||
      ! cmp -s "$work/flat.zo" "$work/flat2.zo"; then
      fail flat "$file -flat $name"
    else
      note flat.checked
    fi
  done

  local mode
  for mode in "" -simp -clean -cleanall "-k2quelm metamorphic_harness" \
    -usrint -usrreal -usrbool "-usrint -usrreal -usrbool -simp"; do
    # shellcheck disable=SC2086 # a mode is one or several arguments
    if run "$work/mode.zo" $mode "$file"; then
      check_tparse "$work/mode.zo" "$file ${mode:-(plain)}"
    else
      note tparse.skipped.rejected
    fi
  done

  local simplifiable=yes
  run "$simplified" -simp "$file" || simplifiable=no
  if [ $printable = no ] || [ $simplifiable = no ]; then
    note interface.skipped.rejected
  elif ! cmp -s <(outside_bodies "$printed") <(outside_bodies "$simplified"); then
    fail interface "$file"
  else
    note interface.checked
  fi

  if [ $simplifiable = no ]; then
    note resimp.skipped.rejected
  elif unreadable "$simplified"; then
    note resimp.skipped.unreadable
  elif ! run /dev/null -simp "$simplified"; then
    fail resimp "$file"
  else
    note resimp.checked
  fi
}

# The lines of a printed program outside the "let" ... "tel" of its nodes.
outside_bodies() {
  awk '/^let$/ { body = 1 } !body { print } /^tel$/ { body = 0 }' "$1"
}

for file in "$@"; do
  check_file "$file"
done

for property in reprint flat tparse interface resimp; do
  line="$property: ${count[$property.checked]:-0} checked"
  for key in "${!count[@]}"; do
    case $key in
      "$property.skipped."*) line+=", ${count[$key]} skipped (${key#"$property.skipped."})" ;;
    esac
  done
  echo "$line"
  if [ "${count[$property.checked]:-0}" -eq 0 ]; then
    fail "$property" "nothing checked"
  fi
done
[ "$failures" -eq 0 ]
