# The harness of the completion tests, sourced by each after it has sourced
# the completion file under test and made its folder `work`, whose bin/ holds
# the programs. It runs the completion function as bash runs it (COMP_WORDS,
# COMP_CWORD, COMP_LINE, COMP_POINT and the function's three arguments) with
# work/bin first on the PATH, and compares the words it offers.

failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# start_completion_tests COMMAND: the completion of COMMAND is registered as
# the function `_COMMAND`, with or without options, and the checks below run
# that function.
start_completion_tests() {
  command_name=$1
  local registered
  registered=$(complete -p "$command_name")
  [[ $registered == "complete "*"-F _$command_name $command_name" ]] ||
    fail "complete -p $command_name: $registered"
  function=_$command_name
}

# offer EXPECTED CWORD TYPED WORD...: completing word CWORD of the command
# line WORD..., of which TYPED stands before the cursor, offers exactly the
# lines of EXPECTED, in any order, and prints nothing.
offer() {
  local expected=$1 typed=$3 output offered
  COMP_CWORD=$2
  shift 3
  COMP_WORDS=("$@")
  COMP_LINE="$*"
  COMP_POINT=${#COMP_LINE}
  output=$(PATH=$work/bin:$PATH "$function" "$command_name" "$typed" \
    "${COMP_WORDS[COMP_CWORD - 1]}" 2>&1; printf '%s\n' "${COMPREPLY[@]}" | sort)
  offered=$(printf '%s\n' "$expected" | sed '/^$/d' | sort)
  if [ "$output" != "$offered" ]; then
    fail "$(printf '[%s] ' "$@")at $COMP_CWORD after '$typed': offered (and printed)"
    printf '%s\n' "$output" | sed 's/^/    /'
    echo "  expected"
    printf '%s\n' "$offered" | sed 's/^/    /'
  fi
}

# check EXPECTED CWORD WORD...: completing word CWORD, the cursor at its end.
check() {
  local expected=$1 cword=$2
  shift 2
  offer "$expected" "$cword" "${@:cword+1:1}" "$@"
}

# check_before EXPECTED CWORD WORD...: completing with the cursor in the
# blanks before word CWORD. bash then gives that word at COMP_CWORD, and an
# empty word as the one being completed.
check_before() {
  local expected=$1 cword=$2
  shift 2
  offer "$expected" "$cword" '' "$@"
}

# The test's status: the number of failed checks, if any.
end_completion_tests() {
  [ "$failures" -eq 0 ] || { echo "$failures failures"; exit 1; }
}
