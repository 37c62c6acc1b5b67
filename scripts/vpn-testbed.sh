#!/bin/sh
# A VPN testbed of two network namespaces: NAME-c (client) and NAME-s
# (server, running a real OpenVPN server), joined by a veth pair. The
# addresses 10.200.0.2/30 (client) and 10.200.0.1/30 (server) exist only
# inside the namespaces. Run as root.
#
#   vpn-testbed.sh up NAME CERTDIR USERSFILE
#   vpn-testbed.sh server-stop NAME | server-start NAME
#   vpn-testbed.sh exec NAME CMD...       (runs CMD in the client namespace)
#   vpn-testbed.sh down NAME
#
# CERTDIR holds the development CA (ca.crt, ca.key); a VPN server
# certificate signed by it is made there when missing. USERSFILE has one
# "user password" line per account the server accepts.
# Exits 77 with the reason when it cannot work on this machine.
set -eu

server_addr=10.200.0.1
client_addr=10.200.0.2
vpn_port=1194

usage() {
    echo "usage: $0 up NAME CERTDIR USERSFILE | server-stop NAME | server-start NAME | exec NAME CMD... | down NAME" >&2
    exit 2
}

skip() {
    echo "vpn-testbed: cannot run here: $*" >&2
    exit 77
}

state_dir() {
    echo "${VELMORA_TESTBED_STATE:-/tmp/velmora-testbed}/$1"
}

check_name() {
    case "$1" in
        ''|*[!A-Za-z0-9_-]*) echo "vpn-testbed: bad name '$1'" >&2; exit 2 ;;
    esac
}

check_machine() {
    [ "$(id -u)" -eq 0 ] || skip "not running as root"
    [ -c /dev/net/tun ] || skip "no /dev/net/tun device"
    command -v openvpn >/dev/null 2>&1 || [ -x /usr/sbin/openvpn ] || skip "no openvpn program"
    probe="velmora-probe-$$"
    ip netns add "$probe" 2>/dev/null || skip "ip netns refused to create a namespace"
    ip netns delete "$probe"
}

openvpn_program() {
    command -v openvpn 2>/dev/null || echo /usr/sbin/openvpn
}

make_server_cert() {
    certdir=$1
    [ -f "$certdir/ca.crt" ] && [ -f "$certdir/ca.key" ] || { echo "vpn-testbed: no ca.crt/ca.key in $certdir" >&2; exit 1; }
    # Several testbeds may start at once; one of them makes the pair.
    (
        flock 9
        if [ ! -f "$certdir/vpn-server.crt" ] || [ ! -f "$certdir/vpn-server.key" ]; then
            tmp=$(mktemp -d)
            cat > "$tmp/ext.cnf" <<EXT
basicConstraints=CA:FALSE
keyUsage=digitalSignature,keyEncipherment
extendedKeyUsage=serverAuth
subjectAltName=IP:$server_addr
EXT
            openssl req -new -newkey rsa:2048 -nodes -subj "/CN=velmora-vpn-server" \
                -keyout "$tmp/vpn-server.key" -out "$tmp/vpn-server.csr" 2>/dev/null
            openssl x509 -req -in "$tmp/vpn-server.csr" -CA "$certdir/ca.crt" -CAkey "$certdir/ca.key" \
                -CAcreateserial -days 3650 -sha256 -extfile "$tmp/ext.cnf" -out "$tmp/vpn-server.crt" 2>/dev/null
            chmod 600 "$tmp/vpn-server.key"
            mv "$tmp/vpn-server.key" "$certdir/vpn-server.key"
            mv "$tmp/vpn-server.crt" "$certdir/vpn-server.crt"
            rm -rf "$tmp"
        fi
    ) 9>"$certdir/.vpn-server.lock"
}

write_server_files() {
    dir=$1 certdir=$2 users=$3
    cp "$users" "$dir/users.txt"
    # OpenVPN passes a file with the user name and the password on two
    # lines; accept exactly the "user password" lines of the users file.
    cat > "$dir/verify.sh" <<'VERIFY'
#!/bin/sh
{ IFS= read -r user; IFS= read -r pass; } < "$1" || exit 1
here=$(dirname "$0")
while IFS= read -r line || [ -n "$line" ]; do
    [ "$line" = "$user $pass" ] && exit 0
done < "$here/users.txt"
exit 1
VERIFY
    chmod 755 "$dir/verify.sh"
    cat > "$dir/server.conf" <<CONF
dev tun
proto udp
local $server_addr
port $vpn_port
topology subnet
server 10.8.0.0 255.255.255.0
ca $certdir/ca.crt
cert $certdir/vpn-server.crt
key $certdir/vpn-server.key
dh none
verify-client-cert none
username-as-common-name
script-security 2
auth-user-pass-verify $dir/verify.sh via-file
# Pushes "ping 2" and "ping-restart 10": the client then wakes every
# second or two, which is when it sends its byte counts.
keepalive 2 10
verb 3
log-append $dir/server.log
writepid $dir/server.pid
CONF
}

server_running() {
    dir=$(state_dir "$1")
    [ -f "$dir/server.pid" ] && kill -0 "$(cat "$dir/server.pid")" 2>/dev/null
}

start_server() {
    name=$1
    dir=$(state_dir "$name")
    server_running "$name" && return 0
    rm -f "$dir/server.pid"
    ip netns exec "$name-s" "$(openvpn_program)" --config "$dir/server.conf" --daemon velmora-vpn-server
    i=0
    while [ $i -lt 100 ]; do
        if grep -q "Initialization Sequence Completed" "$dir/server.log" 2>/dev/null \
            && ip netns exec "$name-s" ss -Hlun "sport = :$vpn_port" | grep -q "$server_addr"; then
            return 0
        fi
        i=$((i + 1))
        sleep 0.1
    done
    echo "vpn-testbed: the OpenVPN server did not come up; its log:" >&2
    cat "$dir/server.log" >&2 || true
    exit 1
}

stop_server() {
    dir=$(state_dir "$1")
    [ -f "$dir/server.pid" ] || return 0
    pid=$(cat "$dir/server.pid")
    kill "$pid" 2>/dev/null || true
    i=0
    while kill -0 "$pid" 2>/dev/null && [ $i -lt 50 ]; do
        i=$((i + 1))
        sleep 0.1
    done
    kill -9 "$pid" 2>/dev/null || true
    rm -f "$dir/server.pid"
}

cmd_up() {
    [ $# -eq 3 ] || usage
    name=$1 certdir=$(cd "$2" && pwd) users=$3
    check_name "$name"
    [ -r "$users" ] || { echo "vpn-testbed: cannot read $users" >&2; exit 1; }
    check_machine
    if ip netns list | grep -q "^$name-[cs]\b"; then
        echo "vpn-testbed: $name is already up" >&2
        exit 1
    fi
    dir=$(state_dir "$name")
    mkdir -p "$dir"
    chmod 700 "$dir"
    make_server_cert "$certdir"
    write_server_files "$dir" "$certdir" "$users"

    ip netns add "$name-c"
    ip netns add "$name-s"
    ip -n "$name-c" link add vt0 type veth peer name vt1 netns "$name-s"
    ip -n "$name-c" addr add "$client_addr/30" dev vt0
    ip -n "$name-s" addr add "$server_addr/30" dev vt1
    for ns in "$name-c" "$name-s"; do
        ip -n "$ns" link set lo up
    done
    ip -n "$name-c" link set vt0 up
    ip -n "$name-s" link set vt1 up
    start_server "$name"
    echo "vpn-testbed: $name up (server $server_addr:$vpn_port in $name-s, client namespace $name-c)"
}

cmd_down() {
    [ $# -eq 1 ] || usage
    name=$1
    check_name "$name"
    stop_server "$name"
    # Whatever still runs in the namespaces was started for the testbed.
    for ns in "$name-c" "$name-s"; do
        if ip netns list | grep -q "^$ns\b"; then
            for pid in $(ip netns pids "$ns" 2>/dev/null); do
                kill -9 "$pid" 2>/dev/null || true
            done
            ip netns delete "$ns" 2>/dev/null || true
        fi
    done
    rm -rf "$(state_dir "$name")"
}

[ $# -ge 1 ] || usage
command=$1
shift
case "$command" in
    up) cmd_up "$@" ;;
    down) cmd_down "$@" ;;
    server-stop) [ $# -eq 1 ] || usage; check_name "$1"; stop_server "$1" ;;
    server-start) [ $# -eq 1 ] || usage; check_name "$1"; start_server "$1" ;;
    exec)
        [ $# -ge 2 ] || usage
        name=$1
        shift
        check_name "$name"
        exec ip netns exec "$name-c" "$@"
        ;;
    *) usage ;;
esac
