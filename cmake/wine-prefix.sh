#!/bin/sh
# wine-prefix.sh create|stop|remove|run COMMAND...: the Wine prefix at
# $WINEPREFIX and the virtual X display that goes with it.
#   create  stops what an earlier run left in the prefix, makes a fresh one
#           of $WINEARCH (win32 or win64) and keeps its wineserver running,
#           with an X server on a display of its own
#   stop    stops every process of the prefix: Wine's, the X server and any
#           other started with this WINEPREFIX, such as a test of a run that
#           was killed
#   remove  stops the prefix and removes it: a 64-bit prefix takes 1.3 GB
#           of disk, a 32-bit one 0.6 GB, and nothing reads one after its run
#   run     runs COMMAND on the prefix's display
# The X server picks a free display number itself, so runs side by side,
# from other checkouts too, never share one.
set -eu
display_file=$WINEPREFIX.display

parent_of() { sed 's/.*) //' "/proc/$1/stat" 2>/dev/null | cut -d' ' -f2; }

# Those that started this script: each of them is stopping or making the
# prefix, not using it.
callers=" "
pid=$$
while [ -n "$pid" ] && [ "$pid" -gt 1 ]; do
    callers="$callers$pid "
    pid=$(parent_of "$pid")
done

# The processes started with this prefix in their environment, but for
# this script, those that started it and those it started.
processes_of_prefix() {
    grep -lzxF "WINEPREFIX=$WINEPREFIX" /proc/[0-9]*/environ 2>/dev/null |
        while IFS=/ read -r _ _ pid _; do
            case $callers in *" $pid "*) continue ;; esac
            # One that ends meanwhile, like those of this very search, is no
            # longer there to stop.
            ancestor=$pid
            while [ -n "$ancestor" ] && [ "$ancestor" -gt 1 ] && [ "$ancestor" != $$ ]; do
                ancestor=$(parent_of "$ancestor")
            done
            case $ancestor in 0 | 1) echo "$pid" ;; esac
        done
}

# wineserver keeps its socket in a folder of /tmp, which outlives it: going
# with the prefix, it leaves nothing of a run outside the build tree.
# Debian's Wine names the folder in the prefix; Wine's own, by the prefix's
# device and inode.
server_folder() {
    named=$(cat "$WINEPREFIX/wineserver" 2>/dev/null) || named=
    case $named in
    wine-??????) echo "/tmp/$named" ;;
    *)
        printf '/tmp/.wine-%s/server-%s-%x\n' "$(id -u)" "$(stat -c %D "$WINEPREFIX")" \
            "$(stat -c %i "$WINEPREFIX")"
        ;;
    esac
}

# Wine's processes, then whatever else was started with the prefix, such as
# a test that would start Wine programs again, then Wine's anew.
stop_prefix() {
    [ ! -d "$WINEPREFIX" ] || wineserver -k 2>/dev/null || true
    left=$(processes_of_prefix)
    # shellcheck disable=SC2086
    [ -z "$left" ] || kill $left 2>/dev/null || true
    for _ in $(seq 100); do
        left=$(processes_of_prefix)
        [ -n "$left" ] || break
        sleep 0.1
    done
    # shellcheck disable=SC2086
    [ -z "$left" ] || kill -KILL $left 2>/dev/null || true
    if [ -d "$WINEPREFIX" ]; then
        wineserver -k 2>/dev/null || true
        rm -rf "$(server_folder)"
    fi
    rm -f "$display_file"
}

case "${1-}" in
create)
    # Our programs are 32-bit in either prefix: without 32-bit code, no test
    # could run, and none may pass for skipped.
    if ! wine --version >/dev/null 2>&1; then
        echo "32-bit x86 programs do not run on this host: the kernel runs no 32-bit code" \
             "and no emulator is registered for them. Run scripts/setup as root: it routes" \
             "them through qemu-user." >&2
        exit 1
    fi
    stop_prefix
    rm -rf "$WINEPREFIX" "$WINEPREFIX.displayfd"
    mkdir -p "$(dirname "$WINEPREFIX")"
    # Inno Setup's setups make their windows even when very silent. The X
    # server writes the display it took once it takes connections.
    mkfifo "$WINEPREFIX.displayfd"
    setsid Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp \
        3>"$WINEPREFIX.displayfd" </dev/null >/dev/null 2>&1 &
    read -r number <"$WINEPREFIX.displayfd" || true
    rm -f "$WINEPREFIX.displayfd"
    [ -n "${number-}" ] || { echo "Xvfb could not start a display" >&2; exit 1; }
    echo ":$number" >"$display_file"
    export DISPLAY=":$number"
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
    stop_prefix
    ;;
remove)
    stop_prefix
    rm -rf "$WINEPREFIX"
    ;;
run)
    shift
    if [ ! -s "$display_file" ]; then
        echo "$WINEPREFIX has no display: 'wine-prefix.sh create' makes the prefix first" >&2
        exit 1
    fi
    DISPLAY=$(cat "$display_file")
    export DISPLAY
    exec "$@"
    ;;
*)
    echo "usage: wine-prefix.sh create|stop|remove|run COMMAND..." >&2
    exit 2
    ;;
esac
