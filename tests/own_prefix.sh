# own_prefix.sh, sourced by the tests that drive a setup on screen:
# own_prefix WORK empties WORK and makes a fresh 64-bit prefix at
# $WINEPREFIX with an X display of its own, exported as DISPLAY. What an
# earlier, killed run left in the prefix is stopped first, found by the
# prefix it was started with, and all of it is stopped when the script ends.
own_prefix() { # WORK
    wine_prefix=$(dirname "${BASH_SOURCE[0]}")/../cmake/wine-prefix.sh
    : "${WINEPREFIX:?the prefix to make, in the environment}"
    "$wine_prefix" stop
    trap '"$wine_prefix" stop' EXIT
    rm -rf "$1"
    mkdir -p "$1"
    WINEARCH=win64 "$wine_prefix" create >/dev/null 2>&1 ||
        { echo "FAILED: no Wine prefix at $WINEPREFIX" >&2; exit 1; }
    DISPLAY=$(cat "$WINEPREFIX.display")
    export DISPLAY
}
