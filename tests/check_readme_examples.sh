#!/usr/bin/env bash
# check_readme_examples.sh ARCHIVE WORK MAKENSIS ISCC: each engine's example
# setup in the release archive's README, saved and built as that README says,
# from the archive's files alone, then installed silently under Wine in
# $WINEPREFIX: the "yes" form records "yes", the plain one "no", no helper
# stays behind, and uninstalling keeps a neighbour value.
set -euo pipefail
archive=$1 work=$2
PATH=$(dirname "$3"):$PATH
export ISCC=$4 PATH
failed=0
fail() {
    echo "FAILED: $*" >&2
    failed=1
}
key='HKLM\SOFTWARE\Kelvaro\Brisolde\CurrentVersion\Configuration'
answer() {
    wine reg query "$key" /v bundle_reg_data /reg:32 2>/dev/null | tr -d '\r' |
        awk '$1 == "bundle_reg_data" { print $3 }'
}
programs=$WINEPREFIX/drive_c/Program\ Files
[ ! -d "$programs (x86)" ] || programs="$programs (x86)"

# Waits for an uninstaller that hands over to a copy of itself and returns.
wait_until_gone() { # FOLDER
    for _ in $(seq 300); do [ -e "$1" ] || return 0; sleep 0.2; done
    fail "$1 is still there after its uninstall"
}

# Per engine: the tag of its example, and the commands that install it
# answering "yes", install it plainly and uninstall it, given $setup.
while IFS='|' read -r tag yes plain uninstall; do
    rm -rf "$work/$tag"
    mkdir -p "$work/$tag"
    (cd "$work/$tag" && cmake -E tar xf "$archive")
    folder=$(echo "$work/$tag"/*)
    # The example and the commands right under it, as the README has them.
    if ! awk -v tag="$tag" -v example="$work/$tag/example" -v commands="$work/$tag/commands" '
        state == 0 && $0 == "```" tag { state = 1; next }
        state == 1 && $0 == "```" { state = 2; next }
        state == 1 { print > example; next }
        state == 2 && $0 == "" { next }
        state == 2 && $0 == "```sh" { state = 3; next }
        state == 2 { exit }
        state == 3 && $0 == "```" { state = 4; exit }
        state == 3 { print > commands }
        END { exit state != 4 }' "$folder/README.md"; then
        fail "$tag: no example tagged $tag with an sh block right under it"
        continue
    fi
    # Saved under the name its commands give it.
    name=$(grep -oE '[A-Za-z0-9_.-]+\.(nsi|wxs|iss)' "$work/$tag/commands" | head -1)
    mv "$work/$tag/example" "$folder/$name"
    if ! (cd "$folder" && bash -e "$work/$tag/commands") >"$work/$tag/build.log" 2>&1; then
        fail "$tag: the README's commands do not build $name: $(tail -3 "$work/$tag/build.log")"
        continue
    fi
    setup=$(find "$folder" -maxdepth 1 -newer "$folder/$name" \( -name '*.exe' -o -name '*.msi' \) | head -1)
    [ -n "$setup" ] || { fail "$tag: the commands made no setup"; continue; }
    run_uninstall() { eval "$uninstall" >/dev/null 2>&1 || true; }

    wine reg delete 'HKLM\SOFTWARE\Kelvaro' /f /reg:32 >/dev/null 2>&1 || true
    eval "$yes" >/dev/null 2>&1 || fail "$tag: $yes failed"
    [ "$(answer)" = yes ] || fail "$tag: $yes recorded '$(answer)', not yes"
    while read -r left; do
        cmp -s "$left" "$folder/bundle-answer.exe" && fail "$tag: a helper is left at $left"
    done < <(find "$WINEPREFIX/drive_c/windows/temp" "$WINEPREFIX/drive_c/windows/Installer" \
        "$WINEPREFIX/drive_c/users" -type f 2>/dev/null)
    wine reg add 'HKLM\SOFTWARE\Kelvaro\Brisolde' /v Edition /d Home /f /reg:32 >/dev/null 2>&1
    run_uninstall
    wait_until_gone "$programs/Acme/Widget"
    wine reg query 'HKLM\SOFTWARE\Kelvaro\Brisolde\CurrentVersion' /reg:32 >/dev/null 2>&1 &&
        fail "$tag: the uninstall left the answer's keys"
    wine reg query 'HKLM\SOFTWARE\Kelvaro\Brisolde' /v Edition /reg:32 2>/dev/null | grep -q Home ||
        fail "$tag: the uninstall took a neighbour value"

    eval "$plain" >/dev/null 2>&1 || fail "$tag: $plain failed"
    [ "$(answer)" = no ] || fail "$tag: $plain recorded '$(answer)', not no"
    run_uninstall
    wait_until_gone "$programs/Acme/Widget"
done <<'CASES'
nsis|wine "$setup" /S /BUNDLE=yes|wine "$setup" /S|wine "$programs/Acme/Widget/uninstall.exe" /S
xml|wine msiexec /i "$setup" BUNDLE=yes /qn|wine msiexec /i "$setup" /qn|wine msiexec /x "$setup" /qn
ini|wine "$setup" /VERYSILENT /SUPPRESSMSGBOXES /BUNDLE=yes|wine "$setup" /VERYSILENT /SUPPRESSMSGBOXES|wine "$programs/Acme/Widget/unins000.exe" /VERYSILENT /SUPPRESSMSGBOXES
CASES
exit $failed
