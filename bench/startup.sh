#!/bin/sh
# Start-up time (process start to login window shown) and the client's
# memory after login and while connected, over several runs. Everything runs
# inside network namespaces of its own: the development service on the
# client namespace's loopback, the development VPN server beside it.
# Usage: bench/startup.sh [BUILD_DIR] [RUNS]
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build}
runs=${2:-5}
name=velmora-bench
devservicePid=

cleanup() {
    set +e
    [ -n "$devservicePid" ] && kill "$devservicePid" 2>/dev/null
    sh "$here/scripts/vpn-testbed.sh" down "$name" >/dev/null 2>&1
}
trap cleanup EXIT

sh "$here/scripts/vpn-testbed.sh" down "$name" >/dev/null 2>&1 || true
sh "$here/scripts/vpn-testbed.sh" up "$name" "$build/devcerts" "$here/tests/support/vpn-users.txt" >/dev/null
ip netns exec "$name-c" "$build/devservice/velmora-devservice" --port 18443 --vpn-remote 10.200.0.1:1194 \
    >/dev/null 2>&1 &
devservicePid=$!
sleep 1

results=$(mktemp)
i=0
while [ $i -lt "$runs" ]; do
    i=$((i + 1))
    ip netns exec "$name-c" env QT_QPA_PLATFORM=offscreen XDG_CONFIG_HOME="$(mktemp -d)" \
        "$build/tools/velmora-demo-tour" --figures --traffic 5 2>/dev/null | grep '^figures:' >>"$results" || true
done

echo "runs: $(wc -l <"$results") of $runs"
for key in login_window_s rss_after_login_kib rss_connected_kib; do
    sed -n "s/.*$key=\([0-9.]*\).*/\1/p" "$results" | sort -n | awk -v key="$key" '
        { v[NR] = $1 }
        END {
            if (NR == 0) { print key ": no data"; exit }
            m = (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
            printf "%-22s min %10.3f   median %10.3f\n", key, v[1], m
        }'
done
rm -f "$results"
