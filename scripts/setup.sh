#!/usr/bin/env bash
# Makes sure the build has what it needs: a C++ compiler, CMake, Ninja, GNU
# Bison and GoogleTest. With --tests, also what the suite checks with: groff
# for the manual page; file, dpkg-dev and lintian for the Debian package.
# With --package, also what cpack needs for that package: file and dpkg-dev.
# Installs the missing ones through apt-get, without questions and quietly
# (its output is shown only when it fails), when run as root or with sudo;
# otherwise says exactly what to install, and fails.
set -eu

missing=()
need() { command -v "$1" > /dev/null || missing+=("$2"); }
need g++ g++
need cmake cmake
need ninja ninja-build
need bison bison
[ -f /usr/include/gtest/gtest.h ] || missing+=(libgtest-dev)
for option in "$@"; do
  case $option in
    --tests) need groff groff-base; need file file; need dpkg-shlibdeps dpkg-dev
             need lintian lintian ;;
    --package) need file file; need dpkg-shlibdeps dpkg-dev ;;
    *) echo "za2vu: unknown option $option of setup.sh" >&2; exit 2 ;;
  esac
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "za2vu: the build needs these Debian packages: ${missing[*]}" >&2
if [ "$(id -u)" -eq 0 ]; then
  install=(env DEBIAN_FRONTEND=noninteractive apt-get -q -y)
elif command -v sudo > /dev/null && sudo -n true 2> /dev/null; then
  install=(sudo DEBIAN_FRONTEND=noninteractive apt-get -q -y)
else
  echo "za2vu: install them first, for instance: sudo apt-get install ${missing[*]}" >&2
  exit 1
fi
log=$(mktemp)
trap 'rm -f "$log"' EXIT
if ! { "${install[@]}" install --no-install-recommends "${missing[@]}" ||
       { "${install[@]}" update && "${install[@]}" install --no-install-recommends "${missing[@]}"; }; } > "$log" 2>&1; then
  cat "$log" >&2
  echo "za2vu: apt-get could not install ${missing[*]}; install them by hand" >&2
  exit 1
fi
