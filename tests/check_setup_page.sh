#!/usr/bin/env bash
# check_setup_page.sh SETUP WORK [PICTURE]: the setup program's offer page as a person
# uses it, by the keyboard, on a virtual X display, in a 64-bit Wine prefix
# of its own under WORK. An untouched box records "no"; a box ticked by its
# access key records "yes", also after Back and Next; /BUNDLE=yes starts
# with the box ticked. Every step waits for the window to change and settle,
# so a slow machine is only slower. With PICTURE, the untouched offer page is
# saved there as a PNG image (scripts/screenshot-installer).
set -euo pipefail
setup=$1 work=$2 picture=${3-}
rm -rf "$work"
mkdir -p "$work"
export WINEPREFIX=$work/prefix WINEARCH=win64
failed=0
fail() {
    echo "FAILED: $*" >&2
    failed=1
}

# A display of our own; Xvfb writes the number it took.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
display_server=$!
trap 'wineserver -k 2>/dev/null || true; kill $display_server 2>/dev/null || true' EXIT
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=:$(head -1 "$work/display")
wineboot --init >/dev/null 2>&1
wineserver -w

appearance() { xwd -silent -id "$1" 2>/dev/null | md5sum; }
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

# Starts the setup with ARGUMENTS, presses KEYS one by one, each once the
# last has taken effect, and then FINISH until the setup has ended: the
# pages that install come and go at their own pace.
use_setup() { # "ARGUMENTS" FINISH KEY...
    wine "$setup" $1 >/dev/null 2>&1 &
    local setup_process=$! finish=$2 window= key before
    shift 2
    for _ in $(seq 600); do
        window=$(xdotool search --name '^Brisolde .* Setup$' 2>/dev/null | head -1) && [ -n "$window" ] && break
        sleep 0.2
    done
    [ -n "$window" ] || { fail "the setup window never appeared"; return; }
    settle "$window" "" || { fail "the first page never settled"; return; }
    for key in "$@"; do
        before=$(appearance "$window")
        xdotool windowfocus --sync "$window" key "$key"
        settle "$window" "$before" || { fail "nothing changed after $key"; return; }
        [ "$key" != "${picture_after-}" ] || xwd -silent -id "$window" -out "$work/page.xwd"
    done
    for _ in $(seq 60); do
        kill -0 "$setup_process" 2>/dev/null || break
        xdotool windowfocus --sync "$window" key "$finish" 2>/dev/null || true
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

# Next, I Agree, then the offer page: ARGUMENTS, what is done there, and the answer.
picture_after=alt+a
while IFS='|' read -r arguments keys expected; do
    wine reg delete 'HKLM\SOFTWARE\Kelvaro' /f /reg:32 >/dev/null 2>&1 || true
    # shellcheck disable=SC2086
    use_setup "$arguments" alt+f alt+n alt+a $keys alt+i
    [ "$(answer)" = "REG_SZ:$expected" ] ||
        fail "setup $arguments, then $keys on the offer page: recorded '$(answer)', not $expected"
    picture_after=
done <<'CASES'
||no
|alt+y|yes
|alt+y alt+b alt+a|yes
|alt+y alt+y|no
/BUNDLE=yes|alt+b alt+a|yes
CASES
[ -z "$picture" ] || convert "xwd:$work/page.xwd" "$picture"
exit $failed
