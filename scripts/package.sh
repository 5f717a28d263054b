#!/usr/bin/env bash
# Builds the Debian package of za2vu, build/za2vu_VERSION_ARCH.deb: installs
# what the build and cpack need, builds the Release program in build and runs
# cpack there. The package's own staging install leaves build's
# install_manifest.txt, the record of `cmake --install`, as it was.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build
"$root/scripts/setup.sh" --package
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release > /dev/null
ninja -C "$build" installed_files > /dev/null
log=$(mktemp)
trap 'rm -f "$log"' EXIT
if ! (cd "$build" && cpack -G DEB) > "$log" 2>&1; then
  cat "$log" >&2
  echo "za2vu: cpack could not build the package" >&2
  exit 1
fi
sed -n 's/^CPack: - package: \(.*\) generated\.$/\1/p' "$log"
