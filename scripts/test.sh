#!/bin/sh
# Sets everything up, builds and runs the whole test suite.
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
build=${VELMORA_BUILD_DIR:-$here/build}

sh "$here/scripts/setup-deps.sh"
sh "$here/scripts/check-format.sh"

cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" --parallel "$(nproc)"
cd "$build"
ctest --output-on-failure --parallel "$(nproc)" --timeout 600
