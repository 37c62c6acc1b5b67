#!/bin/sh
# Fails when any of our C++ sources differs from .clang-format.
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"
files=$(git ls-files -co --exclude-standard -- '*.cpp' '*.h' | grep -v '^build' || true)
[ -z "$files" ] && exit 0
echo "$files" | xargs clang-format --dry-run --Werror
echo "check-format: $(echo "$files" | wc -l) files formatted"
