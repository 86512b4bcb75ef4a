#!/usr/bin/env bash
# make-certs.sh <dir>: makes certificates for the loopback test server in <dir>.
#   ca.pem ca.key                  a test certificate authority (give ca.pem to clients that verify)
#   good.pem good.key              signed by the test CA for 127.0.0.1 and localhost
#   selfsigned.pem selfsigned.key  self-signed for 127.0.0.1 and localhost
#   expired.pem expired.key        signed by the test CA for 127.0.0.1 and localhost, expired in 2020
#   wrongname.pem wrongname.key    signed by the test CA for wrong.invalid only
# All keys are unencrypted EC P-256 keys; every certificate is made fresh.
set -euo pipefail
dir=${1:?usage: make-certs.sh <dir>}
mkdir -p "$dir"
cd "$dir"

loopback="subjectAltName=IP:127.0.0.1,DNS:localhost"
key() { openssl genpkey -algorithm EC -pkeyopt ec_paramgen_curve:P-256 -out "$1" 2>/dev/null; }

key ca.key
openssl req -x509 -new -key ca.key -subj "/CN=Zorvik Test CA" -days 30 -out ca.pem \
  -addext "basicConstraints=critical,CA:TRUE" -addext "keyUsage=critical,keyCertSign,cRLSign"

key selfsigned.key
openssl req -x509 -new -key selfsigned.key -subj "/CN=127.0.0.1" -days 30 -out selfsigned.pem -addext "$loopback"

# sign <name> <subject alt names> [startdate enddate]: a leaf signed by the test CA.
# `openssl ca` is used because it is the one signer of OpenSSL 3.0 that takes
# explicit dates, which an expired certificate needs.
sign() {
  local name=$1 san=$2 start=${3:-} end=${4:-}
  key "$name.key"
  openssl req -new -key "$name.key" -subj "/CN=$name" -out "$name.csr"
  rm -rf ca-db && mkdir ca-db && : > ca-db/index.txt && echo 01 > ca-db/serial
  cat > ca-db/ca.cnf <<CNF
[ca]
default_ca = test_ca
[test_ca]
database = ca-db/index.txt
serial = ca-db/serial
new_certs_dir = ca-db
certificate = ca.pem
private_key = ca.key
default_md = sha256
policy = any
copy_extensions = none
x509_extensions = leaf
unique_subject = no
[any]
commonName = supplied
[leaf]
basicConstraints = critical,CA:FALSE
keyUsage = critical,digitalSignature
extendedKeyUsage = serverAuth
subjectAltName = $san
CNF
  local dates=(-days 30)
  [ -n "$start" ] && dates=(-startdate "$start" -enddate "$end")
  openssl ca -batch -notext -config ca-db/ca.cnf "${dates[@]}" -in "$name.csr" -out "$name.pem" 2>/dev/null
  rm -rf ca-db "$name.csr"
}

sign good "IP:127.0.0.1,DNS:localhost"
sign expired "IP:127.0.0.1,DNS:localhost" 20200101000000Z 20200201000000Z
sign wrongname "DNS:wrong.invalid"
