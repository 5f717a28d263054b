#!/usr/bin/env bash
# Checks the output properties of metamorphic.sh on two programs of gen_zo,
# with long and with short names, so that the generator that the fuzzing
# target and the benchmarks share keeps making programs every mode accepts.
# Usage: generated_programs.sh GEN_ZO ZA2VU
set -euo pipefail
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$1" 30000 > "$work/long_names.zo"
"$1" -short 30000 > "$work/short_names.zo"
"$(dirname "$0")/metamorphic.sh" "$2" "$work/long_names.zo" "$work/short_names.zo"
