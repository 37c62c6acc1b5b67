#!/bin/sh
# Runs one test program with a temporary configuration folder of its own.
dir=$(mktemp -d "${TMPDIR:-/tmp}/velmora-test.XXXXXX") || exit 1
XDG_CONFIG_HOME="$dir/config"
XDG_RUNTIME_DIR="$dir/runtime"
mkdir -p "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
export XDG_CONFIG_HOME XDG_RUNTIME_DIR
"$@"
rc=$?
rm -rf "$dir"
exit $rc
