#!/usr/bin/env bash
# check_offer_texts.sh ARCHIVE WORK MAKENSIS ISCC WINDOW_TEXTS: each kit's
# offer page shows the offer's texts as the author wrote them, "&", "$",
# quotes, braces and percent signs included, in English and in German: the
# README's NSIS and Inno examples, which speak both, built from the release
# archive with such texts, are started on a display of their own in a fresh
# prefix at $WINEPREFIX, and the page is read back from its controls
# (WINDOW_TEXTS). A kit refuses, in one line that names it, a setup that
# leaves out the privacy policy's address.
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

# What the page must show, line by line, in each language.
expected() { # LANGUAGE
    case $1 in
    English)
        printf '%s\n' "Optional offer: $name" "From $publisher, not part of Acme Widget." \
            "This is an optional offer from $publisher: $name, which installs a sample companion application. Acme Widget works the same without it, and nothing of it is installed unless you tick the box below." \
            "Licence terms of $name: https://offer.example/terms" \
            "Privacy policy of $name: https://offer.example/privacy" "Yes, install $name as well"
        ;;
    German)
        printf '%s\n' "Optionales Angebot: $name" "Von $publisher, nicht Teil von Acme Widget." \
            "Dies ist ein optionales Angebot von $publisher: $name, das eine Beispielanwendung installiert. Acme Widget funktioniert ohne es genauso, und nichts davon wird installiert, wenn Sie das Kästchen unten nicht ankreuzen." \
            "Lizenzbedingungen von $name: https://offer.example/terms" \
            "Datenschutzerklärung von $name: https://offer.example/privacy" "Ja, $name ebenfalls installieren"
        ;;
    esac
}

# Per engine and language: the example's tag, what makes it start in that
# language (NSIS: speaking it alone; Inno: /LANG, which also skips its
# choice of language), its window's title and the key that leads to the
# offer (Next, "Weiter" in German).
while IFS='|' read -r tag language only arguments title to_offer; do
    case $tag in
    nsis)
        source=acme-widget-$language.nsi
        example nsis | sed -e "s|^!define OFFER_NAME .*|!define OFFER_NAME '$name_as'|" \
            -e "s|^!define OFFER_PUBLISHER .*|!define OFFER_PUBLISHER \"$publisher_as\"|" \
            -e "$only" >"$folder/$source"
        build() { (cd "$folder" && makensis -WX "$1"); }
        ;;
    ini)
        source=acme-widget-$language.iss
        example ini | sed -e "s|^#define OfferName .*|#define OfferName '$name_as'|" \
            -e "s|^#define OfferPublisher .*|#define OfferPublisher \"$publisher_as\"|" >"$folder/$source"
        build() { (cd "$folder" && wine "$ISCC" /Q "$1"); }
        ;;
    esac
    if ! build "$source" >"$work/$tag.log" 2>&1; then
        fail "$tag: the example with such texts does not build: $(tail -3 "$work/$tag.log")"
        continue
    fi
    # shellcheck disable=SC2086
    wine "$folder/acme-widget-setup.exe" $arguments >/dev/null 2>&1 &
    if ! wait_for "$title" "$title"; then
        fail "$tag, $language: the setup's window never appeared"
    else
        if [ -n "$to_offer" ]; then
            window=$(xdotool search --name "^$title" | head -1)
            xdotool windowfocus --sync "$window" key "$to_offer" ||
                fail "$tag, $language: $to_offer could not be pressed"
        fi
        if wait_for "$title" "$(expected "$language" | head -1)"; then
            shown "$title" >"$work/$tag-$language.page"
            while read -r line; do
                grep -qxF -- "$line" "$work/$tag-$language.page" ||
                    fail "$tag, $language: the page does not show '$line'"
            done < <(expected "$language")
        else
            fail "$tag, $language: no offer page: $(shown "$title" | tr '\n' '|')"
        fi
    fi
    wineserver -k 2>/dev/null || true
    [ "$language" = English ] || continue
    # Without the privacy policy's address, no setup.
    grep -v 'OFFER_PRIVACY_URL\|OfferPrivacyUrl' "$folder/$source" >"$folder/no-privacy-$source"
    if build "no-privacy-$source" >"$work/$tag.log" 2>&1; then
        fail "$tag: a setup without the privacy policy's address builds"
    else
        grep -qE 'define (OFFER_PRIVACY_URL|OfferPrivacyUrl) before the' "$work/$tag.log" ||
            fail "$tag: no line names the missing privacy address: $(grep -i -m1 error "$work/$tag.log")"
    fi
done <<'CASES'
nsis|English|/MUI_LANGUAGE German/d||Acme Widget Setup|
nsis|German|/MUI_LANGUAGE English/d||Installation von Acme Widget|
ini|English||/LANG=english|Setup - Acme Widget|alt+n
ini|German||/LANG=german|Setup - Acme Widget|alt+w
CASES
exit $failed
