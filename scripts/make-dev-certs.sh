#!/bin/sh
# Creates the development CA, a localhost server certificate signed by it,
# and a second CA that nothing trusts (for certificate-failure tests).
set -eu
dir=$1
mkdir -p "$dir"
cd "$dir"
openssl req -x509 -newkey rsa:2048 -nodes -days 3650 -sha256 \
    -keyout ca.key -out ca.crt -subj "/CN=velmora development CA" \
    -addext "basicConstraints=critical,CA:TRUE" -addext "keyUsage=critical,keyCertSign,cRLSign" 2>/dev/null
cat > server.ext <<EXT
basicConstraints=CA:FALSE
keyUsage=critical,digitalSignature,keyEncipherment
extendedKeyUsage=serverAuth
subjectAltName=DNS:localhost,IP:127.0.0.1,IP:::1
EXT
openssl req -newkey rsa:2048 -nodes -keyout localhost.key -out localhost.csr -subj "/CN=localhost" 2>/dev/null
openssl x509 -req -in localhost.csr -CA ca.crt -CAkey ca.key -CAcreateserial -days 3650 -sha256 \
    -extfile server.ext -out localhost.crt 2>/dev/null
# A CA of its own that the client never trusts.
openssl req -x509 -newkey rsa:2048 -nodes -days 3650 -sha256 \
    -keyout untrusted-ca.key -out untrusted-ca.crt -subj "/CN=untrusted CA" \
    -addext "basicConstraints=critical,CA:TRUE" 2>/dev/null
openssl req -newkey rsa:2048 -nodes -keyout untrusted.key -out untrusted.csr -subj "/CN=localhost" 2>/dev/null
openssl x509 -req -in untrusted.csr -CA untrusted-ca.crt -CAkey untrusted-ca.key -CAcreateserial -days 3650 -sha256 \
    -extfile server.ext -out untrusted.crt 2>/dev/null
rm -f localhost.csr untrusted.csr server.ext
chmod 600 ca.key localhost.key untrusted-ca.key untrusted.key
