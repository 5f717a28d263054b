#!/bin/bash
# Runs the bash completion of za2vu as bash runs it (COMP_WORDS, COMP_CWORD,
# the function that `complete -p` names) on command lines as users type them,
# and checks the words it offers and that it prints nothing.
# Usage: completion.sh ZA2VU COMPLETION_FILE EXAMPLES_DIR
set -uo pipefail
# shellcheck source=tests/completion_harness.sh
source "$(dirname "$0")/completion_harness.sh"
program=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
completion=$(cd "$(dirname "$2")" && pwd)/$(basename "$2")
examples=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/bin" "$work/files" "$work/files/sub dir"
ln -s "$program" "$work/bin/za2vu"
cp "$examples/watchdog.zo" "$work/files/watchdog.zo"
cp "$examples/counter.zo" "$work/files/two words.zo"
cp "$examples/interlock.zo" "$work/files/it's \"quoted\".zo"
printf 'node fake (\n' > "$work/files/broken.zo"
printf 'node\tlike text: node in prose\n' > "$work/files/notes.txt"
cd "$work/files"

# shellcheck source=/dev/null
source "$completion"
start_completion_tests za2vu

help_options=$("$program" -help | sed -n 's/^  \(-[-a-z0-9]*\).*/\1/p')
check "$help_options" 1 za2vu -
check "$help_options" 2 za2vu watchdog.zo -
check $'-clean\n-cleanall' 1 za2vu -cl
check "--help" 1 za2vu --
check "" 1 za2vu -nosuch

# File names after options, with blanks and quotes as typed.
all_files=$'broken.zo\nit\'s "quoted".zo\nnotes.txt\nsub dir\ntwo words.zo\nwatchdog.zo'
check "$all_files" 1 za2vu ''
check "$all_files" 2 za2vu -simp ''
check "watchdog.zo" 3 za2vu -v -usrint w
check "two words.zo" 2 za2vu -clean 'two\ w'
check "two words.zo" 2 za2vu -clean "'two w"
check "it's \"quoted\".zo" 1 za2vu "\"it's \\\"q"
check "sub dir" 1 za2vu 'su'

# Node names after -flat, from the file wherever it stands, in either form of
# the value.
nodes=$'timer\nwatchdog'
check "$nodes" 2 za2vu -flat '' watchdog.zo
check "$nodes" 3 za2vu watchdog.zo -flat ''
check "watchdog" 3 za2vu watchdog.zo -flat wa
check "$nodes" 3 za2vu -flat = '' watchdog.zo
check "$nodes" 3 za2vu watchdog.zo -flat =
check "$nodes" 4 za2vu -usrint -flat = '' watchdog.zo
check "timer" 4 za2vu watchdog.zo -flat = t
check "counter" 3 za2vu 'two\ words.zo' -flat ''
check "counter" 3 za2vu '"two words.zo"' -flat ''
check "interlock" 3 za2vu "'it'\\''s \"quoted\".zo'" -flat ''
check "$nodes" 6 za2vu -k2quelm watchdog -v watchdog.zo -flat ''

# The cursor after -flat and the file after the cursor, as the README writes
# it: bash leaves out the empty word being completed. Right after "=", bash
# gives the "=" as the word at the cursor and nothing typed.
check_before "$nodes" 2 za2vu -flat watchdog.zo
check_before "$nodes" 2 za2vu -flat -v watchdog.zo
check_before "$nodes" 3 za2vu -flat = watchdog.zo
offer "$nodes" 2 '' za2vu -flat = watchdog.zo
offer "$nodes" 4 '' za2vu watchdog.zo -v -flat =
check_before "$nodes" 3 za2vu -usrint -flat watchdog.zo
check_before "counter" 2 za2vu -flat 'two\ words.zo'
check_before "$all_files" 1 za2vu -simp
check_before "" 2 za2vu -k2quelm watchdog.zo
check_before "" 2 za2vu -flat missing.zo

# Nothing to offer: no file yet, a missing, unparsable or non-zo file, a
# folder, a word that a shell would expand, the harness name, no program.
check "" 2 za2vu -flat ''
check "" 3 za2vu missing.zo -flat ''
check "" 3 za2vu broken.zo -flat ''
check "" 3 za2vu notes.txt -flat ''
check "" 3 za2vu 'sub dir' -flat ''
check "" 3 za2vu '$(touch\ expanded)' -flat ''
[ -e expanded ] && fail "a word of the command line was run"
check "" 2 za2vu -k2quelm ''
check "" 4 za2vu watchdog.zo -k2quelm = ''
program_free=$(PATH=/nonexistent _za2vu_nodes za2vu watchdog.zo 2>&1)
[ -z "$program_free" ] || fail "without za2vu on PATH: $program_free"

end_completion_tests
