#!/usr/bin/env bash
# check_release.sh PROJECT BUILD VERSION: scripts/release against a throw-away CA.
# Signed releases verify and run, unsigned bytes come back when the signature
# is removed, and bad certificates are refused before anything is written.
# Needs the win32 Wine prefix of the test run in WINEPREFIX.
set -euo pipefail
project=$1 build=$2 version=$3
zip=bundle-answer-$version-win32.zip nsis=bundle-answer-$version-nsis-setup.exe
msi=bundle-answer-$version-setup.msi inno=bundle-answer-$version-inno-setup.exe
# A throw-away CA and keys, in the build tree like all a test leaves.
secrets=$build/tests/release-secrets
rm -rf "$secrets"
mkdir -p "$secrets"
chmod 700 "$secrets"
out=$build/tests/release
trap 'rm -rf "$secrets" "$out"' EXIT
failed=0
fail() {
    echo "FAILED: $*" >&2
    failed=1
}

# A CA, and certificates it issued: for code signing, for servers, and one
# that expired the moment it was made.
cd "$secrets"
quiet() { "$@" >/dev/null 2>&1; }
quiet openssl req -x509 -newkey rsa:2048 -nodes -keyout ca.key -out ca.crt -days 2 \
    -subj "/CN=bundle-answer test CA" -addext basicConstraints=critical,CA:TRUE
issue() { # NAME DAYS EXTENDED_KEY_USAGE
    quiet openssl req -newkey rsa:2048 -nodes -keyout "$1.key" -out "$1.csr" -subj "/CN=$1"
    printf 'basicConstraints=CA:FALSE\nkeyUsage=digitalSignature\nextendedKeyUsage=%s\n' "$3" >"$1.ext"
    quiet openssl x509 -req -in "$1.csr" -CA ca.crt -CAkey ca.key -CAcreateserial -days "$2" \
        -extfile "$1.ext" -out "$1.crt"
    cat "$1.crt" ca.crt >"$1.chain"
}
issue signer 1 codeSigning
issue server 1 serverAuth
issue expired 0 codeSigning
openssl rand -hex 16 >password
quiet openssl pkcs12 -export -inkey signer.key -in signer.crt -certfile ca.crt -out signer.p12 \
    -passout file:password
sleep 1 # "expired" is valid until the second it was made in has passed
cd "$project"

for refused in server expired; do
    if scripts/release --tested --output "$out/$refused" --cert "$secrets/$refused.chain" \
        --key "$secrets/$refused.key" 2>"$secrets/why"; then
        fail "a release was signed with the $refused certificate"
    fi
    [ ! -e "$out/$refused" ] || fail "the $refused certificate was refused only after writing"
    grep -q 'refused' "$secrets/why" || fail "no reason given for refusing $refused: $(cat "$secrets/why")"
done

# The script says what it wants, and never asks: not for a missing value,
# not for the password of an encrypted key.
scripts/release --help | grep -q '^usage: scripts/release' || fail "--help shows no usage"
for missing in "--pkcs12:--pkcs12 needs a file" "--output --tested:--output needs a folder"; do
    ! scripts/release ${missing%%:*} 2>"$secrets/why" </dev/null &&
        grep -q -- "${missing#*:}" "$secrets/why" || fail "'${missing%%:*}': not '${missing#*:}'"
done
quiet openssl pkey -in "$secrets/signer.key" -aes256 -passout "file:$secrets/password" \
    -out "$secrets/encrypted.key"
if setsid -w scripts/release --tested --output "$out/encrypted" --cert "$secrets/signer.chain" \
    --key "$secrets/encrypted.key" 2>"$secrets/why" </dev/null; then
    fail "a release was signed with an encrypted key and no password"
fi
grep -q 'encrypted: give its password with --password-file' "$secrets/why" ||
    fail "an encrypted key without a password: $(cat "$secrets/why")"
[ ! -e "$out/encrypted" ] || fail "the encrypted key was refused only after writing"

expect_release() { # NAME signed|unsigned
    local release=$out/$1
    (cd "$release" && sha256sum --quiet -c SHA256SUMS) || fail "$1: SHA256SUMS does not check"
    [ "$(cut -d' ' -f3 "$release/SHA256SUMS" | sort | tr '\n' ' ')" = "$inno $nsis $msi $zip " ] ||
        fail "$1: SHA256SUMS does not list the two setups, the package and the archive"
    [ "$(ls -A "$release" | tr '\n' ' ')" = "SHA256SUMS $inno $nsis $msi $zip " ] ||
        fail "$1: the release folder holds more than the release: $(ls -A "$release")"
    mkdir "$release/unpacked"
    (cd "$release/unpacked" && cmake -E tar xf "../$zip")
    local program=$release/unpacked/bundle-answer-$version-win32/bundle-answer.exe
    [ "$(cd "$release/unpacked/bundle-answer-$version-win32" && find . -type f -printf '%f ' | tr ' ' '\n' |
        LC_ALL=C sort | tr '\n' ' ')" = \
        "BundleAnswer.wxs LICENSE README.md bundle-answer-german.iss bundle-answer-wixl.sh bundle-answer.exe bundle-answer.iss bundle-answer.nsh " ] ||
        fail "$1: the archive holds other than the program, the kits, README and LICENSE"
    if [ "$2" = unsigned ]; then
        cmp -s "$program" "$build/bundle-answer.exe" || fail "$1: not the tested program"
        return
    fi
    # The helper inside the package is the signed one too, and so is the one
    # that the Inno setup stores as it is.
    msiinfo extract "$release/$msi" Binary.BundleAnswerHelper >"$release/helper.exe"
    bytes() { od -An -v -tx1 "$1" | tr -d '\n'; }
    grep -qF -f <(bytes "$program") <(bytes "$release/$inno") ||
        fail "$1: the Inno setup does not hold the signed program"
    for file in "$program" "$release/$nsis" "$release/$msi" "$release/helper.exe" \
        "$release/$inno"; do
        quiet osslsigncode verify -CAfile "$secrets/ca.crt" -in "$file" ||
            fail "$1: $(basename "$file") does not verify"
    done
    quiet osslsigncode remove-signature -in "$program" -out "$release/stripped.exe"
    cmp -s "$release/stripped.exe" "$build/bundle-answer.exe" ||
        fail "$1: without its signature, the program is not the one tested"
    for file in "$nsis" "$msi" "$inno"; do
        cp "$release/$file" "$release/tampered-$file"
        printf '\x01' | dd of="$release/tampered-$file" bs=1 seek=4096 conv=notrunc status=none
        ! quiet osslsigncode verify -CAfile "$secrets/ca.crt" -in "$release/tampered-$file" ||
            fail "$1: a changed byte in $file still verifies"
    done
}

scripts/release --tested --output "$out/pkcs12" --pkcs12 "$secrets/signer.p12" \
    --password-file "$secrets/password" >/dev/null 2>"$secrets/why"
expect_release pkcs12 signed
grep -q 'no --timestamp: the signatures will not be valid once the certificate expires' \
    "$secrets/why" || fail "a release signed without a time stamp does not say what that means"
SIGN_CERT=$secrets/signer.chain SIGN_KEY=$secrets/signer.key \
    scripts/release --tested --output "$out/pem" >/dev/null
expect_release pem signed
scripts/release --tested --output "$out/unsigned" | grep -q UNSIGNED ||
    fail "an unsigned release does not say so"
expect_release unsigned unsigned

# A release that fails leaves the folder as it was, earlier release and all,
# with nothing of its own, and says why in one line.
snapshot() { (cd "$1" && find . -printf '%y %p %s\n' | sort && find . -type f -exec sha256sum {} + | sort); }
expect_failed_release() { # WHAT FOLDER RELEASE-SCRIPT OPTION...
    local what=$1 folder=$2 release=$3
    shift 3
    snapshot "$folder" >"$secrets/before"
    if "$release" --tested "$@" >/dev/null 2>"$secrets/why" </dev/null; then
        fail "$what: the release did not fail"
    fi
    [ "$(wc -l <"$secrets/why")" = 1 ] && grep -q '^release: failed: ' "$secrets/why" ||
        fail "$what: not one line 'release: failed: ...': $(cat "$secrets/why")"
    snapshot "$folder" | cmp -s - "$secrets/before" || fail "$what: the folder changed"
}
earlier=$out/unsigned
expect_failed_release "an output that is a file" "$earlier" scripts/release \
    --output "$earlier/SHA256SUMS"
# The default folder, build/release of the checkout the script is in: here
# a checkout of links to this one's scripts and build tree.
checkout=$out/checkout
mkdir -p "$checkout/scripts" "$checkout/build"
ln -s "$project"/scripts/* "$checkout/scripts/"
ln -s "$build" "$checkout/build/windows-x86"
"$checkout/scripts/release" --tested >/dev/null
expect_release checkout/build/release unsigned
rm -rf "$checkout/build/release/unpacked"
expect_failed_release "an unreachable time-stamp server" "$checkout/build/release" \
    "$checkout/scripts/release" --pkcs12 "$secrets/signer.p12" \
    --password-file "$secrets/password" --timestamp http://127.0.0.1:9/
# A full file system: a small one of its own, in a mount namespace of its own.
if [ "$(id -u)" = 0 ]; then
    export -f expect_failed_release snapshot fail
    export secrets earlier failed
    mkdir "$out/full"
    unshare --mount --propagation private bash -c '
        mount -t tmpfs -o size=1m tmpfs "$1" || exit 1
        cp -a "$earlier"/. "$1"
        dd if=/dev/zero of="$1/filler" bs=4k status=none 2>/dev/null
        expect_failed_release "a full file system" "$1" scripts/release --output "$1"
        exit $failed' _ "$out/full" || fail "a full file system: see above"
else
    echo "not root: the full file system case needs a mount of its own, and is not tried"
fi

# The signed program, and the signed setup that carries it, still run.
signed_run=$out/pkcs12/run
mkdir "$signed_run"
cp "$build/bundle_answer_tests.exe" "$out/pkcs12/unpacked/bundle-answer-$version-win32/bundle-answer.exe" "$signed_run"
wine "$signed_run/bundle_answer_tests.exe" --gtest_filter='Program.*' --gtest_brief=1 ||
    fail "the signed program fails the program tests"
wine "$out/pkcs12/$nsis" /S /BUNDLE=yes || fail "the signed setup program does not run"

# No secret is left anywhere else under the build tree, the archives included.
for secret in signer.key signer.p12 password; do
    digest=$(sha256sum <"$secrets/$secret" | cut -d' ' -f1)
    find "$build" -path "$secrets" -prune -o -type f -size "$(stat -c %s "$secrets/$secret")c" \
        -exec sha256sum {} + | grep "^$digest " && fail "a copy of $secret is in the build tree"
done
grep -rlF --exclude-dir=release-secrets "$(cat "$secrets/password")" "$build" &&
    fail "the password is in the build tree"
exit $failed
