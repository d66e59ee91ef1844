#!/bin/sh
# wine-prefix.sh create|stop: make a fresh Wine prefix of $WINEARCH (win32 or
# win64) at $WINEPREFIX and keep its wineserver running, with a virtual X
# display at $DISPLAY for the setups that need one, or stop both.
set -eu
case "$1" in
create)
    # Our programs are 32-bit in either prefix: without 32-bit code, no test
    # could run, and none may pass for skipped.
    if ! wine --version >/dev/null 2>&1; then
        echo "32-bit x86 programs do not run on this host: the kernel runs no 32-bit code" \
             "and no emulator is registered for them. Run scripts/setup as root: it routes" \
             "them through qemu-user." >&2
        exit 1
    fi
    wineserver -k 2>/dev/null || true
    rm -rf "$WINEPREFIX"
    # Inno Setup's setups make their windows even when very silent.
    if ! xdpyinfo >/dev/null 2>&1; then
        setsid Xvfb "$DISPLAY" -screen 0 1024x768x24 -nolisten tcp </dev/null >/dev/null 2>&1 &
        echo $! >"$WINEPREFIX.display"
        for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
        xdpyinfo >/dev/null 2>&1 || { echo "no X display at $DISPLAY: is it taken?" >&2; exit 1; }
    fi
    wineboot --init
    # Only a 64-bit prefix has a syswow64.
    made=win32
    [ ! -d "$WINEPREFIX/drive_c/windows/syswow64" ] || made=win64
    if [ "$made" != "$WINEARCH" ]; then
        echo "$WINEPREFIX was to be a $WINEARCH prefix, but wineboot made a $made one" >&2
        exit 1
    fi
    # One server for the whole run, so that no test pays for its start-up.
    # Only one may run per prefix: let wineboot's own finish first.
    wineserver -w
    wineserver -p </dev/null >/dev/null 2>&1
    # The first program to reach the new server starts Wine's services, which
    # live as long as the server and keep whatever pipes that program was
    # given: let that be a program whose output nobody waits for.
    wine cmd /c exit </dev/null >/dev/null 2>&1
    ;;
stop)
    wineserver -k 2>/dev/null || true
    [ ! -f "$WINEPREFIX.display" ] || kill "$(cat "$WINEPREFIX.display")" 2>/dev/null || true
    rm -f "$WINEPREFIX.display"
    ;;
*)
    echo "usage: $0 create|stop" >&2
    exit 2
    ;;
esac
