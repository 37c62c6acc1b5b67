#!/bin/sh
# Runs one test program inside the client namespace of a VPN testbed of
# its own (scripts/vpn-testbed.sh), and takes the testbed down whatever
# happens. Exit code 77 (cannot run here) passes through.
#
#   in-vpn-testbed.sh CERTDIR USERSFILE PROGRAM [ARGS...]
#
# The program finds the testbed's name, the VPN server's address and the
# testbed script in VELMORA_TESTBED, VELMORA_TESTBED_SERVER and
# VELMORA_TESTBED_SCRIPT.
[ $# -ge 3 ] || { echo "usage: $0 CERTDIR USERSFILE PROGRAM [ARGS...]" >&2; exit 2; }
here=$(cd "$(dirname "$0")" && pwd)
testbed="$here/../../scripts/vpn-testbed.sh"
certdir=$1
users=$2
shift 2
name="vt$$"

trap 'sh "$testbed" down "$name"' EXIT
trap 'exit 143' INT TERM HUP

sh "$testbed" up "$name" "$certdir" "$users"
rc=$?
[ $rc -eq 0 ] || exit $rc

sh "$testbed" exec "$name" env VELMORA_TESTBED="$name" VELMORA_TESTBED_SERVER=10.200.0.1:1194 \
    VELMORA_TESTBED_SCRIPT="$testbed" "$@"
exit $?
