#!/usr/bin/env bash
# Signs the update tests' programs with a throw-away certificate authority:
# two publishers, and the files each test case needs, in DIR (the folder of
# the test programs).
#   make_update_fixtures.sh DIR
set -euo pipefail
dir="$1"
work="$dir/update-fixtures"
rm -rf "$work" && mkdir -p "$work"
cd "$work"

openssl req -x509 -newkey rsa:2048 -nodes -keyout ca.key -out ca.pem -days 2 \
  -subj "/CN=Quorvane update test CA" -addext "basicConstraints=critical,CA:TRUE" \
  -addext "keyUsage=critical,keyCertSign" 2>/dev/null
openssl x509 -in ca.pem -outform DER -out ca.der
printf 'basicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature\nextendedKeyUsage=codeSigning\n' \
  >code.ext
for publisher in own other; do
  openssl req -newkey rsa:2048 -nodes -keyout "$publisher.key" -out "$publisher.csr" \
    -subj "/CN=Quorvane $publisher publisher" 2>/dev/null
  openssl x509 -req -in "$publisher.csr" -CA ca.pem -CAkey ca.key -CAcreateserial -days 2 \
    -extfile code.ext -out "$publisher.pem" 2>/dev/null
done

sign() {
  osslsigncode sign -certs "$1.pem" -ac ca.pem -key "$1.key" -h sha256 -in "$2" -out "$3" \
    >/dev/null
}
sign own "$dir/update_fixture_current.exe" host.exe
sign own "$dir/update_fixture_newer.exe" newer.exe
sign other "$dir/update_fixture_newer.exe" other_publisher.exe
sign own "$dir/update_fixture_older.exe" older.exe
sign own "$dir/update_fixture_current.exe" same_version.exe
cp "$dir/update_fixture_newer.exe" unsigned.exe
cp "$dir/update_fixture_current.exe" unsigned_host.exe
# One byte of the code changed after signing.
cp newer.exe flipped.exe
printf '\x5A' | dd of=flipped.exe bs=1 seek=1100 conv=notrunc 2>/dev/null
rm -f ./*.key ./*.csr
echo "update fixtures in $work"
