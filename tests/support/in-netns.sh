#!/bin/sh
# Runs a program in a network namespace of its own with only loopback up,
# so fixed loopback ports never clash with anything on this machine.
# Exits 77 (skipped) where a namespace cannot be made.
[ $# -ge 1 ] || { echo "usage: $0 PROGRAM [ARGS...]" >&2; exit 2; }
if ! unshare -n true 2>/dev/null; then
    echo "SKIP: cannot create a network namespace here (needs root)" >&2
    exit 77
fi
exec unshare -n sh -c 'ip link set lo up && exec "$@"' sh "$@"
