#!/usr/bin/env bash
# check_run_script.sh PROJECT: scripts/run takes only the options it knows,
# refuses the rest before running anything, and hands the program the
# arguments after its own options unchanged. It runs the program as the
# native preset built it: no set-up, no build while ctest runs in the tree.
set -uo pipefail
project=$1
export BUNDLE_ANSWER_BUILT=yes
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
fail() {
    echo "FAILED: $*" >&2
    failed=1
}
answer() { # STORE: the bytes of the answer the store holds, or "none"
    local value=$1/HKEY_LOCAL_MACHINE/SOFTWARE/Kelvaro/Brisolde/CurrentVersion/Configuration/bundle_reg_data
    [ -f "$value" ] && od -A n -t x1 "$value" | tr -d ' \n' || echo none
}
yes_bytes=0100000079657300 no_bytes=010000006e6f00

# Refused or answered without a run: STATUS, ARGUMENTS...
while read -r expected arguments; do
    rm -rf "$work/store"
    # shellcheck disable=SC2086
    (cd "$work" && WINREG_ROOT=$work/store "$project/scripts/run" $arguments \
        >"$work/out" 2>"$work/err")
    status=$?
    [ "$status" = "$expected" ] || fail "scripts/run $arguments: status $status, not $expected"
    grep -q '^usage: scripts/run' "$work/out" "$work/err" ||
        fail "scripts/run $arguments: no usage"
    [ "$(answer "$work/store")" = none ] || fail "scripts/run $arguments ran the program"
done <<'CASES'
0 --help
0 -h
0 --native --help
2 --win32 --native -y
2 --native --native
2 --bogus -y
2 --native --verbose
CASES

# After -- and after the first word that is not an option, everything goes
# to the program as typed: ARGUMENTS... and the answer they must record.
while read -r expected arguments; do
    rm -rf "$work/store"
    # shellcheck disable=SC2086
    (cd "$work" && WINREG_ROOT=$work/store "$project/scripts/run" --native $arguments \
        >"$work/out" 2>&1) || fail "scripts/run --native $arguments: $(tail -1 "$work/out")"
    [ "$(answer "$work/store")" = "${!expected}" ] ||
        fail "scripts/run --native $arguments did not record $expected"
done <<'CASES'
yes_bytes -- -y
no_bytes -- --help
yes_bytes /Y --native
no_bytes
CASES

# A relative store is the caller's, not the checkout's.
mkdir "$work/caller"
(cd "$work/caller" && WINREG_ROOT=relative "$project/scripts/run" --native -y >/dev/null 2>&1) ||
    fail "a relative WINREG_ROOT fails"
[ "$(answer "$work/caller/relative")" = "$yes_bytes" ] ||
    fail "a relative WINREG_ROOT is not taken from the caller's folder"
[ ! -e "$project/relative" ] || fail "a relative WINREG_ROOT made a store in the checkout"

# A store that cannot be one is named, not met with a raw error.
touch "$work/file"
WINREG_ROOT=$work/file "$project/scripts/run" --native -y >/dev/null 2>"$work/err"
status=$?
[ "$status" = 2 ] && grep -q 'WINREG_ROOT=.*cannot hold a store' "$work/err" ||
    fail "a WINREG_ROOT that is a file: status $status, $(cat "$work/err")"
exit $failed
