#!/usr/bin/env bash
# check_setup_page.sh nsis|inno SETUP WORK [PICTURE]: the offer of an NSIS or
# Inno Setup program as a person uses it, by the keyboard, on a virtual X
# display, in a fresh 64-bit Wine prefix at $WINEPREFIX. An untouched offer
# records "no", a chosen one "yes". Every step waits for the window to change
# and settle, so a slow machine is only slower. With PICTURE, the offer as it
# first appears is saved there as a PNG image (scripts/screenshot-installer).
set -Eeuo pipefail
# Whatever stops the script says where, never just a status.
trap 'echo "FAILED: line $LINENO: $BASH_COMMAND" >&2' ERR
engine=$1 setup=$2 work=$3 picture=${4-}

# Per engine: the window's title, the keys that lead to the offer, those that
# install from there, what a case must undo so that the next one sees the
# same pages, and the cases: the setup's arguments, the keys pressed at the
# offer, and the answer recorded.
case $engine in
nsis)
    title='^Brisolde .* Setup$'
    to_offer='alt+n alt+a' # Next, I Agree
    install=alt+i
    uninstaller=
    cases='||no
|alt+y|yes
|alt+y alt+b alt+a|yes
|alt+y alt+y|no
/BUNDLE=yes||no'
    ;;
inno)
    title='^Setup - Brisolde '
    to_offer='alt+a space alt+n alt+n' # accept the licence, Next, Next past the folder
    install='alt+n alt+i'
    # Once installed, the setup skips the folder page: each case uninstalls.
    uninstaller='C:\Program Files (x86)\Kelvaro\Brisolde\unins000.exe'
    cases='||no
|alt+y|yes
/BUNDLE=yes||no'
    ;;
*)
    echo "usage: check_setup_page.sh nsis|inno SETUP WORK [PICTURE]" >&2
    exit 2
    ;;
esac

# shellcheck source=own_prefix.sh
. "$(dirname "$0")/own_prefix.sh"
own_prefix "$work"
failed=0
fail() {
    echo "FAILED: $*" >&2
    failed=1
}

# A window that is being replaced has no picture: that is an appearance too.
appearance() { { xwd -silent -id "$1" 2>/dev/null || echo gone; } | md5sum; }
# Waits until the window shows something other than BEFORE, the same twice
# in a row; a blinking caret comes and goes slower than that.
settle() { # WINDOW BEFORE
    local last now
    for _ in $(seq 600); do
        sleep 0.2
        now=$(appearance "$1")
        [ "$now" != "$2" ] && [ "$now" = "${last-}" ] && return 0
        last=$now
    done
    return 1
}

# Starts the setup with ARGUMENTS and waits for its first page.
start_setup() { # ARGUMENTS
    # shellcheck disable=SC2086
    wine "$setup" $1 >/dev/null 2>&1 &
    setup_process=$! window=
    for _ in $(seq 600); do
        window=$(xdotool search --name "$title" 2>/dev/null | head -1) && [ -n "$window" ] && break
        sleep 0.2
    done
    [ -n "$window" ] || { fail "the setup window never appeared"; return 1; }
    settle "$window" "" || { fail "the first page never settled"; return 1; }
}

# Presses each KEY once the last has taken effect.
press() { # KEY...
    local key before
    for key in "$@"; do
        before=$(appearance "$window")
        xdotool windowfocus --sync "$window" key "$key" ||
            { fail "$key could not be pressed"; return 1; }
        settle "$window" "$before" || { fail "nothing changed after $key"; return 1; }
    done
}

# Presses Alt+F, Finish in both engines, until the setup has ended: the
# pages that install come and go at their own pace.
finish_setup() {
    local before
    for _ in $(seq 60); do
        kill -0 "$setup_process" 2>/dev/null || break
        xdotool windowfocus --sync "$window" key alt+f 2>/dev/null || true
        before=$(appearance "$window")
        settle "$window" "$before" || true
    done
    wait "$setup_process" || fail "the setup ended with status $?"
}

answer() {
    wine reg query 'HKLM\SOFTWARE\Kelvaro\Brisolde\CurrentVersion\Configuration' \
        /v bundle_reg_data /reg:32 2>/dev/null | tr -d '\r' |
        awk '$1 == "bundle_reg_data" { print $2 ":" $3 }'
}

while IFS='|' read -r arguments keys expected; do
    wine reg delete 'HKLM\SOFTWARE\Kelvaro' /f /reg:32 >/dev/null 2>&1 || true
    # shellcheck disable=SC2086
    if start_setup "$arguments" && press $to_offer; then
        [ -z "$picture" ] || [ -e "$work/page.xwd" ] || xwd -silent -id "$window" -out "$work/page.xwd"
        # shellcheck disable=SC2086
        press $keys $install && finish_setup
    fi
    [ "$(answer)" = "REG_SZ:$expected" ] ||
        fail "setup $arguments, then $keys at the offer: recorded '$(answer)', not $expected"
    # A case that went wrong leaves its setup behind.
    wineserver -k 2>/dev/null || true
    if [ -n "$uninstaller" ]; then
        wine "$uninstaller" /VERYSILENT /SUPPRESSMSGBOXES >/dev/null 2>&1 || true
        wineserver -w
    fi
done <<<"$cases"
[ -z "$picture" ] || convert "xwd:$work/page.xwd" "$picture"
exit $failed
