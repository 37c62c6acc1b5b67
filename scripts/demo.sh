#!/bin/sh
# Builds velmora and runs it against the local development service and a
# development OpenVPN server, each in network namespaces of their own, so
# nothing on this machine's network (routes, DNS) changes.
#
# With a display, velmora-demo opens and you sign in yourself. Without one,
# the same tour runs under Xvfb and its screenshots are saved.
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
build=${VELMORA_BUILD_DIR:-$here/build}
name=velmora-demo
tourDir=$build/demo-tour
devservicePid=
xvfbPid=

say() { printf 'demo: %s\n' "$*"; }
fail() { printf 'demo: %s\n' "$*" >&2; exit 1; }

if [ "$(id -u)" -ne 0 ]; then
    fail "run me as root (sudo $0): OpenVPN needs root for its tun device, and the demo makes network namespaces"
fi
[ -c /dev/net/tun ] || fail "there is no /dev/net/tun on this machine, so OpenVPN cannot make a tunnel (load the tun module: modprobe tun)"

sh "$here/scripts/setup-deps.sh"
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --parallel "$(nproc)" --target velmora-demo velmora-devservice velmora-demo-tour

cleanup() {
    set +e
    [ -n "$devservicePid" ] && kill "$devservicePid" 2>/dev/null
    [ -n "$xvfbPid" ] && kill "$xvfbPid" 2>/dev/null
    sh "$here/scripts/vpn-testbed.sh" down "$name" >/dev/null 2>&1
    say "stopped the development service, the VPN server and the namespaces"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

sh "$here/scripts/vpn-testbed.sh" down "$name" >/dev/null 2>&1 || true
sh "$here/scripts/vpn-testbed.sh" up "$name" "$build/devcerts" "$here/tests/support/vpn-users.txt" \
    || fail "could not start the development VPN server (see above)"
say "development OpenVPN server runs at 10.200.0.1:1194 inside namespace $name-s"

ip netns exec "$name-c" "$build/devservice/velmora-devservice" --port 18443 --vpn-remote 10.200.0.1:1194 \
    >"$build/demo-devservice.log" 2>&1 &
devservicePid=$!
tries=0
until ip netns exec "$name-c" curl -s -o /dev/null --cacert "$build/devcerts/ca.crt" \
    -H 'Auth-Token: ZK4PRT8QWBN2XGH7LMC5VYD9JFS3AE6UKR2TQ8BZPX5NWM7HGL' -H 'User-Agent: Mozilla Firefox' \
    -H 'Content-Type: application/json' https://localhost:18443/v1/startup; do
    tries=$((tries + 1))
    [ $tries -lt 50 ] || fail "the development service did not come up; its log: $build/demo-devservice.log"
    kill -0 "$devservicePid" 2>/dev/null || fail "the development service ended; its log: $build/demo-devservice.log"
    sleep 0.2
done
say "development service runs at https://localhost:18443 inside namespace $name-c"
say "sign in with the demo account:  demo@velmora.test  /  velmora-demo"

if [ -n "${DISPLAY:-}" ]; then
    say "starting velmora-demo; close it (or use Exit in its tray menu) to end the demo"
    ip netns exec "$name-c" env DISPLAY="$DISPLAY" XAUTHORITY="${XAUTHORITY:-$HOME/.Xauthority}" \
        "$build/src/velmora-demo"
else
    display=:${VELMORA_DEMO_DISPLAY:-87}
    Xvfb "$display" -screen 0 1280x900x24 -nolisten tcp >/dev/null 2>&1 &
    xvfbPid=$!
    sleep 1
    kill -0 "$xvfbPid" 2>/dev/null || fail "Xvfb did not start on $display"
    say "no display: running the tour under Xvfb ($display)"
    rm -rf "$tourDir"
    mkdir -p "$tourDir"
    ip netns exec "$name-c" env DISPLAY="$display" QT_QPA_PLATFORM=xcb \
        "$build/tools/velmora-demo-tour" --output "$tourDir"
    say "screenshots of the tour:"
    for f in "$tourDir"/*.png; do printf '  %s\n' "$f"; done
fi
