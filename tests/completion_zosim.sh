#!/bin/bash
# Runs the bash completion of zosim as bash runs it (COMP_WORDS, COMP_CWORD,
# the function that `complete -p` names) on command lines as users type them,
# and checks the words it offers and that it prints nothing.
# Usage: completion_zosim.sh ZOSIM ZA2VU COMPLETION_FILE EXAMPLES_DIR
set -uo pipefail
# shellcheck source=tests/completion_harness.sh
source "$(dirname "$0")/completion_harness.sh"
zosim=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
za2vu=$(cd "$(dirname "$2")" && pwd)/$(basename "$2")
completion=$(cd "$(dirname "$3")" && pwd)/$(basename "$3")
examples=$4
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/bin" "$work/alone" "$work/files" "$work/files/sub dir"
ln -s "$zosim" "$work/bin/zosim"
ln -s "$za2vu" "$work/bin/za2vu"
ln -s "$zosim" "$work/alone/zosim"
cp "$examples/watchdog.zo" "$work/files/watchdog.zo"
cp "$examples/counter.zo" "$work/files/two words.zo"
printf 'node fake (\n' > "$work/files/broken.zo"
printf 'node\tlike text: node in prose\n' > "$work/files/notes.txt"
cd "$work/files"

# shellcheck source=/dev/null
source "$completion"
start_completion_tests zosim

# The options are exactly those of the help text.
help_options=$("$zosim" --help | sed -n 's/^      \(--[a-z0-9]*\).*/\1/p')
check "$help_options" 1 zosim -
check "$help_options" 2 zosim watchdog.zo --
check $'--node\n--node2' 1 zosim --nod
check $'--compare\n--const\n--check' 1 zosim --c
check "" 1 zosim --nosuch

# File names for the program and after the options that take a file; none
# after those that take a number or a setting.
all_files=$'broken.zo\nnotes.txt\nsub dir\ntwo words.zo\nwatchdog.zo'
check "$all_files" 1 zosim ''
check "$all_files" 2 zosim --all ''
check "watchdog.zo" 2 zosim --input w
check "watchdog.zo" 3 zosim watchdog.zo --vcd w
check "two words.zo" 2 zosim --compare 'two\ w'
check "two words.zo" 3 zosim --compare = "'two w"
check "sub dir" 1 zosim 'su'
check "" 2 zosim --random ''
check "" 2 zosim --steps ''
check "" 3 zosim --const = ''
check "" 2 zosim --tolerance ''

# Node names after --node from the program, wherever it stands, in either
# form of the value; after --node2 from the file given to --compare.
nodes=$'timer\nwatchdog'
check "$nodes" 2 zosim --node '' watchdog.zo
check "$nodes" 3 zosim watchdog.zo --node ''
check "watchdog" 3 zosim watchdog.zo --node wa
check "$nodes" 3 zosim --node = '' watchdog.zo
check "timer" 4 zosim watchdog.zo --node = t
check "$nodes" 6 zosim --input data.csv --random 3 --node ''  watchdog.zo
check "counter" 3 zosim 'two\ words.zo' --node ''
check "$nodes" 2 zosim --node '' -- watchdog.zo
check "counter" 5 zosim watchdog.zo --compare 'two\ words.zo' --node2 ''
check "counter" 2 zosim --node2 '' --compare '"two words.zo"' watchdog.zo
check "$nodes" 5 zosim --compare = watchdog.zo --node2 = ''

# Nothing to offer: no file yet, a missing, unparsable or non-zo file, a
# folder, a word that a shell would expand, --node2 without --compare, and
# za2vu found neither beside zosim nor on the PATH.
check "" 2 zosim --node ''
check "" 3 zosim missing.zo --node ''
check "" 3 zosim broken.zo --node ''
check "" 3 zosim notes.txt --node ''
check "" 3 zosim 'sub dir' --node ''
check "" 3 zosim '$(touch\ expanded)' --node ''
[ -e expanded ] && fail "a word of the command line was run"
check "" 3 zosim watchdog.zo --node2 ''
program_free=$(PATH=$work/alone:/nonexistent _zosim_nodes watchdog.zo 2>&1)
[ -z "$program_free" ] || fail "without za2vu on PATH: $program_free"

end_completion_tests
