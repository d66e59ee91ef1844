#!/bin/sh
# wine-prefix.sh create|stop: make a fresh Wine prefix at $WINEPREFIX and keep
# its wineserver running, or stop that server again.
set -eu
case "$1" in
create)
    wineserver -k 2>/dev/null || true
    rm -rf "$WINEPREFIX"
    wineboot --init
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
    ;;
*)
    echo "usage: $0 create|stop" >&2
    exit 2
    ;;
esac
