# shellcheck shell=bash
# own_prefix.sh, sourced by the tests that drive a setup on screen:
# own_prefix WORK empties WORK and makes a fresh 64-bit prefix at
# $WINEPREFIX with an X display of its own, exported as DISPLAY. What an
# earlier, killed run left in the prefix is stopped first, found by the
# prefix it was started with, and all of it is stopped and the prefix removed
# when the script ends: it takes 1.3 GB of disk.
own_prefix() { # WORK
    wine_prefix=$(dirname "${BASH_SOURCE[0]}")/../cmake/wine-prefix.sh
    : "${WINEPREFIX:?the prefix to make, in the environment}"
    trap '"$wine_prefix" remove' EXIT
    # Wine's start-up talk is kept, to say why when the prefix is not made.
    if ! WINEARCH=win64 "$wine_prefix" create >"$WINEPREFIX.log" 2>&1; then
        echo "FAILED: no Wine prefix at $WINEPREFIX: $(tail -n 1 "$WINEPREFIX.log")" >&2
        exit 1
    fi
    # Emptied once create has stopped what a killed run still had writing here.
    rm -rf "$1"
    mkdir -p "$1"
    DISPLAY=$(cat "$WINEPREFIX.display")
    export DISPLAY
}
