#!/usr/bin/env bash
# Makes sure the build has what it needs: a C++ compiler, CMake, Ninja, GNU
# Bison and GoogleTest; with --tests, also groff, which checks the manual page. Installs the missing ones through apt-get when run as
# root or with sudo; otherwise says exactly what to install, and fails.
set -eu

missing=()
command -v g++ > /dev/null || missing+=(g++)
command -v cmake > /dev/null || missing+=(cmake)
command -v ninja > /dev/null || missing+=(ninja-build)
command -v bison > /dev/null || missing+=(bison)
[ -f /usr/include/gtest/gtest.h ] || missing+=(libgtest-dev)
if [ "${1:-}" = --tests ]; then
  command -v groff > /dev/null || missing+=(groff-base)
fi
[ ${#missing[@]} -eq 0 ] && exit 0

echo "za2vu: the build needs these Debian packages: ${missing[*]}" >&2
if [ "$(id -u)" -eq 0 ]; then
  install=(apt-get)
elif command -v sudo > /dev/null && sudo -n true 2> /dev/null; then
  install=(sudo apt-get)
else
  echo "za2vu: install them first, for instance: sudo apt-get install ${missing[*]}" >&2
  exit 1
fi
if ! { "${install[@]}" install -y --no-install-recommends "${missing[@]}" ||
       { "${install[@]}" update && "${install[@]}" install -y --no-install-recommends "${missing[@]}"; }; } > /dev/null; then
  echo "za2vu: apt-get could not install ${missing[*]}; install them by hand" >&2
  exit 1
fi
