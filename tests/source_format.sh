#!/usr/bin/env bash
# Every C++ source and header of the tree is laid out as the root's
# .clang-format says: clang-format would change none of them.
# Usage: source_format.sh ROOT
set -eu -o pipefail
root=$1
format=$(command -v clang-format-14 || command -v clang-format) || {
  echo "source_format.sh: clang-format is not installed (scripts/setup.sh --tests)" >&2
  exit 1
}
cd "$root"
mapfile -d '' sources < <(find src src.* tests bench fuzz -type f \
  \( -name '*.cc' -o -name '*.h' \) -print0 | sort -z)
[ ${#sources[@]} -gt 0 ] || { echo "source_format.sh: no source found under $root" >&2; exit 1; }
"$format" --dry-run -Werror "${sources[@]}"
