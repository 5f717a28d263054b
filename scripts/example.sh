#!/usr/bin/env bash
# Builds za2vu and prints the shipped example back in the zo layout.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=Release > /dev/null
ninja -C "$root/build" za2vu zocheck > /dev/null
"$root/build/za2vu" "$root/examples/counter.zo"
