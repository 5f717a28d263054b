#!/usr/bin/env bash
# Makes sure the build has what it needs: a C++ compiler, CMake, Ninja, GNU
# Bison and GoogleTest. With --tests, also what the suite checks with: groff
# for the manual page; file, dpkg-dev and lintian for the Debian package; GNU
# time for the deep inputs of zocheck; clang-format 14 for the sources'
# layout; python3 to read zocheck's JSON strictly.
# With --package, also what cpack needs for that package: file and dpkg-dev.
# With --fuzz, also what the fuzzing needs: clang 14 with its libFuzzer runtime
# and the symbolizer, so that a finding shows files and lines.
# Installs the missing ones through apt-get, without questions and quietly
# (its output is shown only when it fails), when run as root or with sudo;
# otherwise says exactly what to install, and fails. Waits for another apt-get
# (an unattended upgrade, a second build) to finish rather than failing on its
# lock.
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
             need lintian lintian; need /usr/bin/time time; need python3 python3
             need clang-format-14 clang-format-14 ;;
    --package) need file file; need dpkg-shlibdeps dpkg-dev ;;
    --fuzz) need clang++-14 clang-14; need /usr/lib/llvm-14/bin/llvm-symbolizer llvm-14
            compgen -G '/usr/lib/llvm-14/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a' \
              > /dev/null || missing+=(libclang-rt-14-dev) ;;
    *) echo "za2vu: unknown option $option of setup.sh" >&2; exit 2 ;;
  esac
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "za2vu: the build needs these Debian packages: ${missing[*]}" >&2
if [ "$(id -u)" -eq 0 ]; then
  install=(env DEBIAN_FRONTEND=noninteractive apt-get -q -y -o DPkg::Lock::Timeout=600)
elif command -v sudo > /dev/null && sudo -n true 2> /dev/null; then
  install=(sudo DEBIAN_FRONTEND=noninteractive apt-get -q -y -o DPkg::Lock::Timeout=600)
else
  echo "za2vu: install them first, for instance: sudo apt-get install ${missing[*]}" >&2
  exit 1
fi
# The package lists' lock has no timeout of its own: wait for it a minute.
update() {
  for _ in 1 2 3 4 5 6; do "${install[@]}" update && return; sleep 10; done
  return 1
}
log=$(mktemp)
trap 'rm -f "$log"' EXIT
if ! { "${install[@]}" install --no-install-recommends "${missing[@]}" ||
       { update && "${install[@]}" install --no-install-recommends "${missing[@]}"; }; } > "$log" 2>&1; then
  cat "$log" >&2
  echo "za2vu: apt-get could not install ${missing[*]}; install them by hand" >&2
  exit 1
fi
