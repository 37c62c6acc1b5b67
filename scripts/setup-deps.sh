#!/bin/sh
# Installs everything the build, the tests and the demo need. Safe to run
# again: packages already present are left as they are.
set -eu

packages="cmake g++ make ninja-build pkg-config
qtbase5-dev qtbase5-dev-tools libqt5charts5-dev libqt5svg5-dev qttools5-dev-tools
libcpp-httplib-dev libssl-dev openssl curl ca-certificates
openvpn iputils-ping iproute2 procps psmisc
xvfb xauth x11-utils imagemagick clang-format
fonts-quicksand iso-flags-png-320x240"

missing=""
for p in $packages; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $p"
    fi
done

if [ -z "$missing" ]; then
    echo "setup-deps: all packages present"
    exit 0
fi

if [ "$(id -u)" -ne 0 ]; then
    SUDO=sudo
else
    SUDO=
fi
echo "setup-deps: installing$missing"
$SUDO apt-get update
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends $missing
