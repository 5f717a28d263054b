#!/usr/bin/env bash
# The simulator's benchmark: builds the optimised zosim and its step loop
# alone (bench/zosim_steps.cc) in build-bench, and measures, for the largest
# node of a generated program (the last one, which calls the others, about
# 21600 operator applications a step; its assertions are taken out, since
# drawn inputs break one within a few hundred steps and end the run) and for
# a small node
# (examples/regulator.zo, 11):
#   - steps per second of the step loop alone and of zosim itself (random
#     inputs drawn, every output printed as CSV to /dev/null), best of three;
#   - instructions per operator application (callgrind, repeatable on a busy
#     machine): those of the step function over the steps run, divided by the
#     operator applications run (an instruction whose clock is false does not
#     count), and zosim's whole run per application, its reading and
#     compiling taken out by running twice as many steps;
#   - zosim's peak memory for 1000 and for 100 times more steps, which must
#     be the same: the output is streamed.
# Not part of the test suite. Needs valgrind and /usr/bin/time.
# Usage: bench/zosim.sh [--no-callgrind]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build-bench
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release > /dev/null
ninja -C "$build" zosim zosim_steps gen_zo > /dev/null
zosim=$build/zosim
steps_loop=$build/bench/zosim_steps
callgrind=yes
if [ "${1:-}" = --no-callgrind ] || ! command -v valgrind > /dev/null; then callgrind=no; fi

large=$build/zosim-large.zo
[ -s "$large" ] || "$build/bench/gen_zo" -seed 1 300000 | grep -v '^  assert ' > "$large"
large_node=$(sed -n 's/^node \([A-Za-z0-9_]*\) .*/\1/p' "$large" | tail -1)

# The best of three values printed by the command (higher is better).
best_of_three() {
  local best=0 got
  for _ in 1 2 3; do
    got=$("$@")
    best=$(awk -v a="$got" -v b="$best" 'BEGIN { print (a > b ? a : b) }')
  done
  echo "$best"
}

loop_rate() { "$steps_loop" "$1" "$2" "$3" | awk '{ print $10 }'; }

zosim_rate() {
  local start end
  start=$(date +%s.%N)
  "$zosim" --node "$2" --random 1 --steps "$3" --uninterpreted "$1" > /dev/null 2>&1
  end=$(date +%s.%N)
  awk -v s="$3" -v a="$start" -v b="$end" 'BEGIN { printf "%.0f\n", s / (b - a) }'
}

# Instructions counted by callgrind, of the step function alone when a
# function is named.
instructions() {
  local only=()
  if [ "$1" != all ]; then only=(--toggle-collect="$1"); fi
  shift
  valgrind --tool=callgrind --callgrind-out-file=/dev/null "${only[@]}" "$@" 2>&1 > /dev/null |
    awk '/refs:/ { gsub(",", "", $NF); print $NF }'
}

peak_kb() {
  /usr/bin/time -o "$build/zosim-peak" -f '%M' "$zosim" --node "$2" --random 1 --steps "$3" \
    --uninterpreted "$1" > /dev/null 2>&1
  cat "$build/zosim-peak"
}

echo "| node | applications/step | loop steps/s | zosim steps/s | instr/application (loop) |" \
  "instr/application (zosim) | peak KB, N steps | peak KB, 100 N steps |"
echo "|---|---:|---:|---:|---:|---:|---:|---:|"
measure() {
  local file=$1 node=$2 steps=$3 label=$4 applications loop zosim_steps per_loop per_all
  applications=$("$steps_loop" "$file" "$node" 1000 | awk '{ print $4 }')
  loop=$(best_of_three loop_rate "$file" "$node" $((steps * 10)))
  zosim_steps=$(best_of_three zosim_rate "$file" "$node" $((steps * 10)))
  per_loop=- per_all=-
  if [ "$callgrind" = yes ]; then
    local in_step whole_once whole_twice
    in_step=$(instructions 'sim_machine::step()' "$steps_loop" "$file" "$node" "$steps")
    per_loop=$(awk -v i="$in_step" -v s="$steps" -v a="$applications" \
      'BEGIN { printf "%.1f", i / s / a }')
    whole_once=$(instructions all "$zosim" --node "$node" --random 1 --steps "$steps" \
      --uninterpreted "$file")
    whole_twice=$(instructions all "$zosim" --node "$node" --random 1 --steps $((steps * 2)) \
      --uninterpreted "$file")
    per_all=$(awk -v a="$whole_once" -v b="$whole_twice" -v s="$steps" -v n="$applications" \
      'BEGIN { printf "%.1f", (b - a) / s / n }')
  fi
  echo "| $label | $applications | $loop | $zosim_steps | $per_loop | $per_all" \
    "| $(peak_kb "$file" "$node" "$steps") | $(peak_kb "$file" "$node" $((steps * 100))) |"
}
measure "$large" "$large_node" 200 "$large_node of gen_zo -seed 1 300000"
measure "$root/examples/regulator.zo" regulator 100000 "regulator (examples)"
