#!/usr/bin/env bash
# Checks that every transformation of za2vu keeps the meaning of the program
# it reads: plain printing, -simp, -flat of each node, -clean, -cleanall and
# -k2quelm run on every example, every golden input and generated programs,
# and zosim runs each result against the original on 100 random steps, with
# functions and external values uninterpreted, comparing every output of
# every node at every step. The harness of -k2quelm is compared with the node
# it is built for, and its ok output must be, at every step, the conjunction
# of that node's properties.
#
# A mode that rejects a program is skipped for it (the golden cases hold
# errors on purpose), and so is a node that zosim cannot run on its own (a
# node of a file that zocheck rejects, a division by zero at random). Every
# disagreement is reported with the commands that show it; a generated
# program is named after its seed N: `gen_zo -seed N 6000` writes it again.
# Usage: transformations_keep_meaning.sh ZA2VU ZOSIM GEN_ZO SOURCE_DIR [GENERATED]
# GENERATED is the number of generated programs (default 200).
set -uo pipefail
za2vu=$1
zosim=$2
gen_zo=$3
source=$4
generated=${5:-200}
steps=100
harness=zz_harness
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

failures=0 comparisons=0 skipped_nodes=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# What a transformation may do that zosim does not count as the same
# meaning, listed after the run without failing it: a result that does not
# read back or that the checks refuse (the writer prints a field access as an
# index; -simp puts the value of an asserted fact in place of a clock), which
# the output properties of other tests cover. A result that gives a value
# where the original's is nil refines it: zosim agrees with a note, counted.
refinements=0 unchecked=0
notes=$work/notes
: > "$notes"
note() {
  echo "$*" >> "$notes"
}

# The lines of zosim's standard error that say what happened, without the
# warnings of the checks and their source lines.
reasons() {
  grep -E 'error:|note:|^zosim:' "$1" | head -5
}

# compare ORIGINAL RESULT SEED WHAT ZOSIM_OPTIONS...: zosim finds no
# difference between the original's node and the result's.
compare() {
  local original=$1 result=$2 seed=$3 what=$4
  shift 4
  comparisons=$((comparisons + 1))
  if "$zosim" --compare "$result" --random "$seed" --steps "$steps" --uninterpreted \
    "$@" "$original" > /dev/null 2> "$work/compare.err"; then
    if grep -q "gives a value where an output of .* is nil" "$work/compare.err"; then
      refinements=$((refinements + 1))
    fi
    return 0
  fi
  local command="zosim --compare RESULT --random $seed --steps $steps --uninterpreted $* $original"
  # An error of the result placed in it before the first step (a check, or a
  # call that no longer fits the node that -cleanall narrowed) refuses it; an
  # error at a step is a difference of meaning.
  if grep -E "^$result:[0-9]+:[0-9]+: error: " "$work/compare.err" | grep -vq " at step "; then
    unchecked=$((unchecked + 1))
    note "$what gives a program that the checks refuse: $command: $(reasons "$work/compare.err")"
  else
    fail "$what changes the meaning of $original: $command"
    reasons "$work/compare.err" | sed 's/^/    /'
    sed 's/^/    | /' "$result" | head -60
  fi
}

# The columns of the first trace that the second also has hold the same
# values at every step, and the second's ok column is the conjunction of the
# first's property columns: nil when one is nil, since nil propagates through
# `and`.
check_ok_column() {
  awk -F, -v ok="${harness}_ok" '
    FNR == 1 { file++ }
    function property(name) { return name ~ /^PROPERTY [0-9]+$/ }
    file == 1 && FNR == 1 { for (i = 1; i <= NF; i++) first[$i] = i; columns1 = NF; next }
    file == 1 { for (i = 1; i <= NF; i++) value1[FNR, i] = $i; rows1 = FNR; next }
    file == 2 && FNR == 1 {
      for (i = 1; i <= NF; i++) { second[$i] = i; if ($i == ok) okat = i }
      if (!okat) { print "no column " ok; bad = 1; exit }
      next
    }
    {
      rows2 = FNR
      for (name in first)
        if (!property(name) && name in second && $(second[name]) != value1[FNR, first[name]]) {
        print "step " $1 ": " name " is " value1[FNR, first[name]] " in the node, " \
          $(second[name]) " in the harness"; bad = 1; exit
      }
      conjunction = "true"
      for (name in first) if (property(name)) {
        v = value1[FNR, first[name]]
        if (v == "nil" || conjunction == "nil") conjunction = "nil"
        else if (v == "false") conjunction = "false"
      }
      if ($okat != conjunction) {
        print "step " $1 ": " ok " is " $okat ", the properties give " conjunction
        bad = 1; exit
      }
    }
    END {
      if (!bad && rows1 != rows2) { print "the traces have " rows1 " and " rows2 " rows"; bad = 1 }
      exit bad
    }' "$1" "$2"
}

# check_file FILE SEED: every transformation of every node of the file.
check_file() {
  local file=$1 seed=$2 node printed=$work/printed.zo
  "$za2vu" "$file" > "$printed" 2> /dev/null || return 0
  local nodes runnable=()
  nodes=$(sed -n 's/^node \([A-Za-z_][A-Za-z0-9_]*\) .*/\1/p' "$printed")
  for node in $nodes; do
    # A node that zosim runs on its own; a false assertion is no reason to
    # skip it, since a comparison stops there.
    if "$zosim" --random "$seed" --steps "$steps" --uninterpreted --node "$node" "$file" \
      > /dev/null 2> "$work/run.err" || grep -q 'assertion false' "$work/run.err"; then
      runnable+=("$node")
    else
      skipped_nodes=$((skipped_nodes + 1))
    fi
  done
  [ ${#runnable[@]} -gt 0 ] || return 0

  for node in "${runnable[@]}"; do
    compare "$file" "$printed" "$seed" "printing" --node "$node" --node2 "$node"
  done
  local mode result=$work/result.zo
  for mode in -simp -clean -cleanall; do
    "$za2vu" "$mode" "$file" > "$result" 2> /dev/null || continue
    for node in "${runnable[@]}"; do
      compare "$file" "$result" "$seed" "$mode" --node "$node" --node2 "$node"
    done
  done
  for node in "${runnable[@]}"; do
    "$za2vu" -flat "$node" "$file" > "$result" 2> /dev/null || continue
    compare "$file" "$result" "$seed" "-flat $node" --node "$node" --node2 "$node"
  done

  "$za2vu" -v -k2quelm "$harness" "$file" > "$result" 2> "$work/harness.err" || return 0
  local main
  main=$(sed -n 's/^#Found PROPERTY(IES) .* in node \([A-Za-z0-9_]*\)$/\1/p' "$work/harness.err")
  [[ " ${runnable[*]} " == *" $main "* ]] || return 0
  compare "$file" "$result" "$seed" "-k2quelm" --node "$main" --node2 "$harness"
  "$zosim" --random 1 --steps 0 --uninterpreted --node "$harness" "$result" > /dev/null 2>&1 || return 0
  comparisons=$((comparisons + 1))
  "$zosim" --all --random "$seed" --steps "$steps" --uninterpreted --node "$main" "$file" \
    > "$work/node.csv" 2> /dev/null
  "$zosim" --all --random "$seed" --steps "$steps" --uninterpreted --node "$harness" "$result" \
    > "$work/harness.csv" 2> /dev/null
  if ! check_ok_column "$work/node.csv" "$work/harness.csv" > "$work/ok.err"; then
    fail "the harness of $file does not check the properties of $main:" \
      "$(cat "$work/ok.err") (zosim --all --random $seed --steps $steps --uninterpreted)"
  fi
}

# The checks themselves find a changed meaning: a counter that counts by two,
# and a harness whose ok output is the negation of the properties.
sed 's/pre count + 1/pre count + 2/' "$source/examples/counter.zo" > "$work/by_two.zo"
if "$zosim" --compare "$work/by_two.zo" --random 1 --steps "$steps" \
  "$source/examples/counter.zo" > /dev/null 2>&1; then
  fail "zosim --compare finds no difference between counters by one and by two"
fi
printf 'node N (a : bool) returns (o : bool);\nlet\n  --%%PROPERTY a;\n  o = a;\ntel\n' \
  > "$work/property.zo"
"$za2vu" -k2quelm "$harness" "$work/property.zo" | sed "s/${harness}_ok = a;/${harness}_ok = not a;/" \
  > "$work/wrong_harness.zo"
"$zosim" --all --random 1 --steps "$steps" --node N "$work/property.zo" > "$work/node.csv"
"$zosim" --all --random 1 --steps "$steps" --node "$harness" "$work/wrong_harness.zo" \
  > "$work/harness.csv"
if check_ok_column "$work/node.csv" "$work/harness.csv" > /dev/null; then
  fail "a harness whose ok output negates the property passes the check"
fi

seed=1
for file in "$source"/examples/*.zo "$source"/tests/golden/*/*.zo "$source"/tests/golden/*/stdin \
  "$source"/tests/golden_zocheck/*/*.zo; do
  [ -f "$file" ] || continue
  check_file "$file" "$seed"
  seed=$((seed + 1))
done
for ((program = 1; program <= generated; program++)); do
  generated_file=$work/generated_seed_$program.zo
  "$gen_zo" -seed "$program" 6000 > "$generated_file"
  check_file "$generated_file" "$program"
  rm "$generated_file"
done

sort "$notes"
echo "$comparisons comparisons; not compared: $skipped_nodes nodes that zosim does not run" \
  "on their own, $unchecked results that the checks refuse; $refinements results" \
  "refine nil"
[ "$failures" -eq 0 ] || { echo "$failures failures"; exit 1; }
