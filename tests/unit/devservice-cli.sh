#!/bin/sh
# Runs velmora-devservice as a user would: --help, then a real start on a
# free loopback port and one login over TLS with curl.
set -u
program=$1
ca=$2
work=$(mktemp -d "${TMPDIR:-/tmp}/velmora-devservice-cli.XXXXXX") || exit 1
pid=""
cleanup() {
    [ -n "$pid" ] && kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*"
    [ -f "$work/out" ] && sed 's/^/  service: /' "$work/out"
    exit 1
}

"$program" --help > "$work/help" 2>&1 || fail "--help exited with $?"
for option in --port --host --cert --key --data --offer-version --vpn-remote --vpn-ca --status --body --delay-ms --slow-installer; do
    grep -q -- "$option" "$work/help" || fail "--help does not mention $option"
done
"$program" --status nowhere=500 > /dev/null 2>&1 && fail "an unknown endpoint was accepted"

"$program" --port 0 --host 127.0.0.1 --offer-version 2.0.0 > "$work/out" 2>&1 &
pid=$!
port=""
for _ in $(seq 1 100); do
    port=$(sed -n 's/.*listening on port \([0-9][0-9]*\).*/\1/p' "$work/out")
    [ -n "$port" ] && break
    kill -0 "$pid" 2>/dev/null || fail "the service exited early"
    sleep 0.1
done
[ -n "$port" ] || fail "the service did not report its port"

call() {
    curl -sS --max-time 20 --cacert "$ca" -o "$work/body" -w '%{http_code}' \
        -H 'Content-Type: application/json' -H 'User-Agent: Mozilla Firefox' \
        -H 'Auth-Token: ZK4PRT8QWBN2XGH7LMC5VYD9JFS3AE6UKR2TQ8BZPX5NWM7HGL' "$@"
}
base="https://localhost:$port"

code=$(call -d '{"email": "demo@velmora.test", "password": "velmora-demo"}' "$base/v1/login") || fail "curl failed"
[ "$code" = 200 ] || fail "login answered $code"
grep -q '"login":true' "$work/body" || fail "login not granted: $(cat "$work/body")"
grep -q '"connection":true' "$work/body" || fail "connection not granted: $(cat "$work/body")"

code=$(call -d '{"email": "demo@velmora.test", "password": "wrong"}' "$base/v1/login") || fail "curl failed"
[ "$code" = 401 ] || fail "a wrong password answered $code"

code=$(call "$base/v1/startup") || fail "curl failed"
[ "$code" = 200 ] || fail "startup answered $code"
grep -q '"version":"2.0.0"' "$work/body" || fail "--offer-version not offered: $(cat "$work/body")"

code=$(curl -sS --max-time 20 --cacert "$ca" -o /dev/null -w '%{http_code}' "$base/v1/startup") || fail "curl failed"
[ "$code" = 400 ] || fail "a request without the service headers answered $code"

grep -q 'POST /v1/login' "$work/out" || fail "the service did not log the login"
kill "$pid"
wait "$pid"
rc=$?
pid=""
[ "$rc" = 0 ] || fail "the service exited with $rc on SIGTERM"
echo "PASS: velmora-devservice on port $port"
