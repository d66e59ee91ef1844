#!/usr/bin/env bash
# check_offer_texts.sh ARCHIVE WORK MAKENSIS ISCC WINDOW_TEXTS: each kit's
# offer page shows the offer's texts as the author wrote them, "&", "$",
# quotes, braces and percent signs included: the README's NSIS and Inno
# examples, built from the release archive with such texts, are started on
# a display of their own in a fresh prefix at $WINEPREFIX, and the page is
# read back from its controls (WINDOW_TEXTS). A kit refuses, in one line
# that names it, a setup that leaves out the privacy policy's address.
set -euo pipefail
archive=$1 work=$2 window_texts=$5
export PATH=$(dirname "$3"):$PATH ISCC=$4
failed=0
fail() {
    echo "FAILED: $*" >&2
    failed=1
}
# shellcheck source=own_prefix.sh
. "$(dirname "$0")/own_prefix.sh"
own_prefix "$work"
(cd "$work" && cmake -E tar xf "$archive")
folder=$(echo "$work"/*)

name='Fast & Free "Cleaner" $5 {Beta} 100%'
publisher="O'Brien & Sons"
# As sed replacements, where "&" and "\" are sed's own.
as_replacement() { printf '%s' "$1" | sed 's/[&\\]/\\&/g'; }
name_as=$(as_replacement "$name") publisher_as=$(as_replacement "$publisher")
example() { # TAG: the README's example of that tag
    awk -v tag="$1" '$0 == "```" tag { on = 1; next } on && $0 == "```" { exit } on' "$folder/README.md"
}
# The page as the user reads it.
shown() { # TITLE
    wine "$window_texts" "$1" 2>/dev/null | tr -d '\r'
}
# Waits, a bounded time, for a window TITLE to show a line starting PREFIX.
wait_for() { # TITLE PREFIX
    for _ in $(seq 300); do
        shown "$1" | grep -qF -- "$2" && return 0
        sleep 0.2
    done
    return 1
}

while IFS='|' read -r tag source title to_offer; do
    case $tag in
    nsis)
        example nsis | sed -e "s|^!define OFFER_NAME .*|!define OFFER_NAME '$name_as'|" \
            -e "s|^!define OFFER_PUBLISHER .*|!define OFFER_PUBLISHER \"$publisher_as\"|" >"$folder/$source"
        build() { (cd "$folder" && makensis -WX "$1"); }
        ;;
    ini)
        example ini | sed -e "s|^#define OfferName .*|#define OfferName '$name_as'|" \
            -e "s|^#define OfferPublisher .*|#define OfferPublisher \"$publisher_as\"|" >"$folder/$source"
        build() { (cd "$folder" && wine "$ISCC" /Q "$1"); }
        ;;
    esac
    if ! build "$source" >"$work/$tag.log" 2>&1; then
        fail "$tag: the example with such texts does not build: $(tail -3 "$work/$tag.log")"
        continue
    fi
    wine "$folder/acme-widget-setup.exe" >/dev/null 2>&1 &
    if ! wait_for "$title" "$title"; then
        fail "$tag: the setup's window never appeared"
    else
        if [ -n "$to_offer" ]; then
            window=$(xdotool search --name "^$title" | head -1)
            xdotool windowfocus --sync "$window" key "$to_offer" || fail "$tag: $to_offer could not be pressed"
        fi
        if wait_for "$title" "Optional offer: $name"; then
            shown "$title" >"$work/$tag.page"
            for line in "Optional offer: $name" \
                "From $publisher, not part of Acme Widget." \
                "This is an optional offer from $publisher: $name, which installs a sample companion application. Acme Widget works the same without it, and nothing of it is installed unless you tick the box below." \
                "Licence terms of $name: https://offer.example/terms" \
                "Privacy policy of $name: https://offer.example/privacy" \
                "Yes, install $name as well"; do
                grep -qxF -- "$line" "$work/$tag.page" || fail "$tag: the page does not show '$line'"
            done
        else
            fail "$tag: no offer page naming '$name': $(shown "$title" | tr '\n' '|')"
        fi
    fi
    wineserver -k 2>/dev/null || true
    # Without the privacy policy's address, no setup.
    grep -v 'OFFER_PRIVACY_URL\|OfferPrivacyUrl' "$folder/$source" >"$folder/no-privacy-$source"
    if build "no-privacy-$source" >"$work/$tag.log" 2>&1; then
        fail "$tag: a setup without the privacy policy's address builds"
    else
        grep -qE 'define (OFFER_PRIVACY_URL|OfferPrivacyUrl) before the' "$work/$tag.log" ||
            fail "$tag: no line names the missing privacy address: $(grep -i -m1 error "$work/$tag.log")"
    fi
done <<'CASES'
nsis|acme-widget.nsi|Acme Widget Setup|
ini|acme-widget.iss|Setup - Acme Widget|alt+n
CASES
exit $failed
