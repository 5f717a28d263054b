#!/bin/bash
# Runs the bash completion of zocheck as bash runs it on command lines as users
# type them, and checks the words it offers and that it prints nothing.
# Usage: completion_zocheck.sh ZOCHECK COMPLETION_FILE EXAMPLES_DIR
set -uo pipefail
# shellcheck source=tests/completion_harness.sh
source "$(dirname "$0")/completion_harness.sh"
zocheck=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
completion=$(cd "$(dirname "$2")" && pwd)/$(basename "$2")
examples=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/bin" "$work/files" "$work/files/sub dir"
ln -s "$zocheck" "$work/bin/zocheck"
cp "$examples/watchdog.zo" "$work/files/watchdog.zo"
cp "$examples/counter.zo" "$work/files/two words.zo"
cd "$work/files"

# shellcheck source=/dev/null
source "$completion"
start_completion_tests zocheck

# The options are exactly those of the help text.
help_options=$("$zocheck" --help | sed -n 's/^ *\(-[-A-Za-z]*\) .*/\1/p')
check "$help_options" 1 zocheck -
check $'-Werror\n-Wno-unused' 2 zocheck watchdog.zo -W
check "--json" 1 zocheck --j

# File names, as typed, wherever they stand; with the cursor in the blanks
# before a word, the files, not the completions of that word.
all_files=$'sub dir\ntwo words.zo\nwatchdog.zo'
check "$all_files" 1 zocheck ''
check "$all_files" 2 zocheck --json ''
check "two words.zo" 2 zocheck -Werror 'two\ w'
check "watchdog.zo" 2 zocheck 'two\ words.zo' w
check_before "$all_files" 1 zocheck --json
check_before "$all_files" 2 zocheck watchdog.zo -Werror

end_completion_tests
