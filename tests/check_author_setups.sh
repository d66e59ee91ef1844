#!/usr/bin/env bash
# check_author_setups.sh ARCHIVE WORK MAKENSIS ISCC STANDARD_USER: the kits of the release
# archive inside setups that are not ours, an author's own Orbit Notes for
# each engine (tests/authors/), built from the archive's files and installed
# silently under Wine in $WINEPREFIX. Each records yes and no, leaves no
# earlier "yes" when its helper cannot run, removes the answer's key and
# keeps a neighbour value on uninstall, and leaves the author's own setup
# as it was: NSIS its registers, stack and registry view, Inno its tasks and
# code, Windows Installer its properties and features. Then the places where
# a kit must refuse, or must take what an author writes. STANDARD_USER holds
# an NSIS UserInfo plug-in that says the user is no administrator.
set -euo pipefail
archive=$1 work=$2 standard_user=$5
export PATH=$(dirname "$3"):$PATH ISCC=$4
authors=$(cd "$(dirname "$0")/authors" && pwd)
failed=0
fail() {
    echo "FAILED: $*" >&2
    failed=1
}
configuration='HKLM\SOFTWARE\Kelvaro\Brisolde\CurrentVersion\Configuration'
answer() { # the answer's type and text, or "none"
    wine reg query "$configuration" /v bundle_reg_data /reg:32 2>/dev/null | tr -d '\r' |
        awk '$1 == "bundle_reg_data" { print $2 ":" $3; found = 1 } END { if (!found) print "none" }'
}
plant_yes() { wine reg add "$configuration" /v bundle_reg_data /d yes /f /reg:32 >/dev/null 2>&1; }
# The product's own key, in the view a 64-bit product uses.
view=/reg:32
[ ! -d "$WINEPREFIX/drive_c/windows/syswow64" ] || view=/reg:64
orbit() { # NAME [VIEW]: a value of Orbit Notes' own key
    wine reg query 'HKLM\Software\Orbit\Notes' /v "$1" "${2:-$view}" 2>/dev/null | tr -d '\r' |
        awk -v name="$1" '$1 == name { $1 = $2 = ""; sub(/^ +/, ""); print }'
}
# Wine refuses to start the helper: it may not load the registry API.
blocked='HKCU\Software\Wine\AppDefaults\bundle-answer.exe'
block_helper() { wine reg add "$blocked\\DllOverrides" /v advapi32 /d '' /f >/dev/null 2>&1; }
free_helper() { wine reg delete "$blocked" /f >/dev/null 2>&1 || true; }
# Runs a command line as a batch file would, quotes and all.
as_batch() { # COMMAND-LINE
    printf '@%s\r\n' "$1" >"$folder/run.cmd"
    (cd "$folder" && wine cmd /c run.cmd)
}
expect() { # WHAT EXPECTED ACTUAL
    [ "$2" = "$3" ] || fail "$engine: $1: '$3', not '$2'"
}
programs=$WINEPREFIX/drive_c/Program\ Files
program_files_x86=$programs
[ ! -d "$programs (x86)" ] || program_files_x86="$programs (x86)"
wait_until_gone() { # PATH
    for _ in $(seq 300); do [ -e "$1" ] || return 0; sleep 0.2; done
    fail "$engine: $1 is still there after its uninstall"
}
# Uninstalls with UNINSTALL... beside a neighbour value of the product's
# key, and waits until GONE, a file the uninstall removes, is gone: NSIS's
# and Inno's uninstallers hand over to a copy of themselves and return at
# once. The answer's keys go, the neighbour stays.
uninstall_beside_a_neighbour() { # WHAT GONE UNINSTALL...
    local what=$1 gone=$2
    shift 2
    wine reg add 'HKLM\SOFTWARE\Kelvaro\Brisolde' /v Edition /d Home /f /reg:32 >/dev/null 2>&1
    "$@" || fail "$engine: $what: the uninstall failed"
    wait_until_gone "$gone"
    wine reg query 'HKLM\SOFTWARE\Kelvaro\Brisolde\CurrentVersion' /reg:32 >/dev/null 2>&1 &&
        fail "$engine: $what, then uninstall: the answer's keys stay"
    wine reg query 'HKLM\SOFTWARE\Kelvaro\Brisolde' /v Edition /reg:32 2>/dev/null | grep -q Home ||
        fail "$engine: $what, then uninstall: a neighbour value went"
}

# The archive's files, and an author's setup beside them, built.
unpack() { # ENGINE
    rm -rf "$work/$1"
    mkdir -p "$work/$1"
    (cd "$work/$1" && cmake -E tar xf "$archive")
    folder=$(echo "$work/$1"/*)
}
build() { # SOURCE: builds it in $folder; its output in $work/$engine/build.log
    cp "$1" "$folder/"
    local name
    name=$(basename "$1")
    (cd "$folder" && case $name in
        *.nsi) makensis -WX "$name" ;;
        *.iss) wine "$ISCC" /Q "$name" ;;
        *.wxs) wixl -a x86 -o "${name%.wxs}.msi" "$name" && sh bundle-answer-wixl.sh "${name%.wxs}.msi" ;;
        esac) >"$work/$engine/build.log" 2>&1
}

# ---- NSIS: registers, stack and view kept; quoted switch; where lines go.
engine=nsis
unpack nsis
if ! build "$authors/orbit-notes.nsi"; then
    fail "nsis: Orbit Notes does not build under -WX: $(tail -3 "$work/nsis/build.log")"
else
    registers="mark r0 r1 r2 r3 r4 r5 r6 r7 r8 r9 R0 R1 R2 R3 R4 R5 R6 R7 R8 R9"
    uninstaller="$programs/Orbit/Notes/uninstall.exe"
    while IFS='|' read -r command_line expected; do
        wine reg delete 'HKLM\SOFTWARE\Kelvaro' /f /reg:32 >/dev/null 2>&1 || true
        wine reg delete 'HKLM\Software\Orbit' /f $view >/dev/null 2>&1 || true
        as_batch "orbit-notes-setup.exe $command_line" || fail "nsis: $command_line failed"
        expect "$command_line" "$expected" "$(answer)"
        for place in Init Record; do
            expect "$command_line: what the kit left at $place" "$registers" "$(orbit "Left$place")"
        done
        uninstall_beside_a_neighbour "$command_line" "$uninstaller" wine "$uninstaller" /S
        expect "uninstall: what the kit left" "$registers" "$(orbit LeftUninstall)"
    done <<'CASES'
/S /BUNDLE=yes|REG_SZ:yes
/S "/BUNDLE=yes"|REG_SZ:yes
/S "/bundle=YES"|REG_SZ:yes
/S|REG_SZ:no
/S /X="a /BUNDLE=yes"|REG_SZ:no
/S /BUNDLE=yesplease|REG_SZ:no
CASES
    plant_yes
    block_helper
    wine "$folder/orbit-notes-setup.exe" /S
    free_helper
    expect "a helper that cannot run, over yes" none "$(answer)"
    wine "$uninstaller" /S
    wait_until_gone "$uninstaller"
fi
# Setups of other kinds take the same lines: classic UI, silent only.
for kind in classic silent; do
    if [ $kind = classic ]; then
        change='s/^Page custom BundleAnswerPage$/&\nPage instfiles/'
    else
        change='/^Page custom/d; s/^Name .*/&\nSilentInstall silent/'
    fi
    sed -e '/MUI_\|!include MUI2/d' -e "$change" -e "s/orbit-notes-setup.exe/orbit-notes-$kind.exe/" \
        "$authors/orbit-notes.nsi" >"$work/nsis/orbit-notes-$kind.nsi"
    if build "$work/nsis/orbit-notes-$kind.nsi"; then
        wine reg delete 'HKLM\SOFTWARE\Kelvaro' /f /reg:32 >/dev/null 2>&1 || true
        wine "$folder/orbit-notes-$kind.exe" /S /BUNDLE=yes
        expect "a $kind setup" REG_SZ:yes "$(answer)"
        wine "$programs/Orbit/Notes/uninstall.exe" /S
        wait_until_gone "$programs/Orbit/Notes/uninstall.exe"
    else
        fail "nsis: a $kind setup does not build under -WX: $(tail -3 "$work/nsis/build.log")"
    fi
done
# A standard user is refused: told so, or, silent, exit status 740 (as Wine
# passes it on, its low byte) with nothing installed or recorded.
sed -e "s|^!include \"bundle-answer.nsh\"|!addplugindir /x86-unicode $standard_user\n&|" \
    -e 's/orbit-notes-setup.exe/orbit-notes-user.exe/' "$authors/orbit-notes.nsi" >"$work/nsis/orbit-notes-user.nsi"
if build "$work/nsis/orbit-notes-user.nsi"; then
    plant_yes
    status=0
    wine "$folder/orbit-notes-user.exe" /S /BUNDLE=no || status=$?
    expect "a standard user's exit status" 228 $status
    expect "a standard user's install" REG_SZ:yes "$(answer)"
    [ ! -e "$programs/Orbit/Notes" ] || fail "nsis: a standard user's install installed"
else
    fail "nsis: a setup with the standard user's plug-in does not build: $(tail -3 "$work/nsis/build.log")"
fi
# A kit line where it cannot work stops the build, saying why.
while IFS='|' read -r line misplaced; do
    sed "0,/^FunctionEnd$/s//&\n$misplaced/" "$authors/orbit-notes.nsi" >"$work/nsis/misplaced.nsi"
    if build "$work/nsis/misplaced.nsi"; then
        fail "nsis: $line in the wrong place builds"
    else
        grep -q "$line belongs in" "$work/nsis/build.log" ||
            fail "nsis: $line in the wrong place: $(grep -m1 -i error "$work/nsis/build.log")"
    fi
done <<'CASES'
BundleAnswerInit|Function un.Extra\n!insertmacro BundleAnswerInit\nFunctionEnd
BundleAnswerRecord|Section un.Extra\n!insertmacro BundleAnswerRecord\nSectionEnd
BundleAnswerUninstall|Section Extra\n!insertmacro BundleAnswerUninstall\nSectionEnd
CASES

# ---- Inno Setup: the author's tasks and code as without the kit.
engine=inno
unpack inno
if ! build "$authors/orbit-notes.iss"; then
    fail "inno: Orbit Notes does not build: $(tail -3 "$work/inno/build.log")"
else
    icon="$WINEPREFIX/drive_c/users/Public/Desktop/Orbit Notes licence.lnk"
    uninstaller="$programs/Orbit/Notes/unins000.exe"
    while IFS='|' read -r command_line expected icons; do
        wine reg delete 'HKLM\SOFTWARE\Kelvaro' /f /reg:32 >/dev/null 2>&1 || true
        as_batch "orbit-notes-setup.exe /VERYSILENT /SUPPRESSMSGBOXES $command_line" ||
            fail "inno: $command_line failed"
        expect "$command_line" "$expected" "$(answer)"
        expect "$command_line: the author's desktop icon" "$icons" "$(ls "$icon" 2>/dev/null | wc -l)"
        for event in InitializeSetup CurStepChanged; do
            expect "$command_line: the author's $event" ran "$(orbit $event)"
        done
        uninstall_beside_a_neighbour "$command_line" "$uninstaller" \
            wine "$uninstaller" /VERYSILENT /SUPPRESSMSGBOXES
    done <<'CASES'
/BUNDLE=yes|REG_SZ:yes|1
"/Bundle=Yes"|REG_SZ:yes|1
|REG_SZ:no|1
/MERGETASKS="!desktopicon" /BUNDLE=yes|REG_SZ:yes|0
/TASKS=desktopicon|REG_SZ:no|1
CASES
    plant_yes
    block_helper
    wine "$folder/orbit-notes-setup.exe" /VERYSILENT /SUPPRESSMSGBOXES
    free_helper
    expect "a helper that cannot run, over yes" none "$(answer)"
    wine "$uninstaller" /VERYSILENT /SUPPRESSMSGBOXES
    wait_until_gone "$uninstaller"
fi
# Run as a user who is not an administrator, by Inno's own means: refused
# at start, the earlier answer untouched; set so in [Setup], not built.
sed 's/^PrivilegesRequired=admin$/&\nPrivilegesRequiredOverridesAllowed=commandline/' \
    "$authors/orbit-notes.iss" >"$work/inno/orbit-notes-user.iss"
sed -i 's/^OutputBaseFilename=.*/OutputBaseFilename=orbit-notes-user/' "$work/inno/orbit-notes-user.iss"
if build "$work/inno/orbit-notes-user.iss"; then
    plant_yes
    ! wine "$folder/orbit-notes-user.exe" /VERYSILENT /SUPPRESSMSGBOXES /CURRENTUSER ||
        fail "inno: a /CURRENTUSER install went ahead"
    expect "/CURRENTUSER" REG_SZ:yes "$(answer)"
    [ ! -e "$programs/Orbit/Notes" ] && [ ! -e "$program_files_x86/Orbit/Notes" ] ||
        fail "inno: a /CURRENTUSER install installed"
else
    fail "inno: a setup that may run as a user does not build: $(tail -3 "$work/inno/build.log")"
fi
sed 's/^PrivilegesRequired=admin$/PrivilegesRequired=lowest/' "$authors/orbit-notes.iss" \
    >"$work/inno/orbit-notes-lowest.iss"
! build "$work/inno/orbit-notes-lowest.iss" || fail "inno: PrivilegesRequired=lowest builds"
grep -q 'needs PrivilegesRequired=admin' "$work/inno/build.log" ||
    fail "inno: PrivilegesRequired=lowest: $(tail -2 "$work/inno/build.log")"

# ---- Windows Installer: the author's own properties and features kept.
engine=msi
unpack msi
if ! build "$authors/orbit-notes.wxs"; then
    fail "msi: Orbit Notes does not build: $(tail -3 "$work/msi/build.log")"
else
    msi=$folder/orbit-notes.msi
    property() { msiinfo export "$msi" Property | tr -d '\r' | awk -F '\t' -v name="$1" '$1 == name { print $2 }'; }
    expect "the author's ARPNOMODIFY" 1 "$(property ARPNOMODIFY)"
    expect "SecureCustomProperties" "WIX_DOWNGRADE_DETECTED;WIX_UPGRADE_DETECTED;BUNDLE" \
        "$(property SecureCustomProperties)"
    cp "$msi" "$work/msi/before.msi"
    (cd "$folder" && sh bundle-answer-wixl.sh orbit-notes.msi) 2>"$work/msi/again" ||
        fail "msi: a second run fails"
    cmp -s "$msi" "$work/msi/before.msi" || fail "msi: a second run changed the package"
    grep -q 'carries the bundle offer already' "$work/msi/again" || fail "msi: a second run says nothing"
    while IFS='|' read -r properties expected; do
        wine reg delete 'HKLM\SOFTWARE\Kelvaro' /f /reg:32 >/dev/null 2>&1 || true
        # shellcheck disable=SC2086
        wine msiexec /i "$msi" $properties /qn || fail "msi: $properties failed"
        expect "$properties" "$expected" "$(answer)"
        expect "$properties: the author's value" 'C:\Program Files\Orbit Notes\' \
            "$(orbit InstallFolder /reg:32 | sed 's/ (x86)//')"
        uninstall_beside_a_neighbour "$properties" "$program_files_x86/Orbit Notes/LICENSE" wine msiexec /x "$msi" /qn
    done <<'CASES'
BUNDLE=yes|REG_SZ:yes
BUNDLE=yes ADDLOCAL=Samples,Product|REG_SZ:yes
|REG_SZ:no
CASES
fi
# An install that fails after the helper ran leaves no "yes": a deferred
# action of the author's fails at the end.
cp "$folder/orbit-notes.msi" "$work/msi/failing.msi" 2>/dev/null &&
msibuild "$work/msi/failing.msi" \
    -q "INSERT INTO \`CustomAction\` (\`Action\`, \`Type\`, \`Source\`, \`Target\`) VALUES ('FailLate', 3106, 'TARGETDIR', '[SystemFolder]cmd.exe /c exit 1')" \
    -q "INSERT INTO \`InstallExecuteSequence\` (\`Action\`, \`Condition\`, \`Sequence\`) VALUES ('FailLate', 'NOT Installed', 6500)" ||
    fail "msi: no package to make fail"
wine reg delete 'HKLM\SOFTWARE\Kelvaro' /f /reg:32 >/dev/null 2>&1 || true
! wine msiexec /i "$work/msi/failing.msi" BUNDLE=yes /qn || fail "msi: an install that fails succeeded"
[ "$(answer)" != REG_SZ:yes ] || fail "msi: an install that failed after the helper ran left yes"
# A helper that cannot run: Windows Installer runs it under a name of its
# own, so the package carries a file that is no program in its place.
echo "not a program" >"$folder/bundle-answer.exe"
if build "$authors/orbit-notes.wxs"; then
    plant_yes
    wine msiexec /i "$folder/orbit-notes.msi" /qn || fail "msi: an install with no helper failed"
    expect "a helper that cannot run, over yes" none "$(answer)"
    wine msiexec /x "$folder/orbit-notes.msi" /qn || true
fi
# Refused in one line, the package as it was: a feature it has not, a
# per-user package.
sed 's/InstallScope="perMachine"/InstallScope="perUser"/' "$folder/orbit-notes.wxs" >"$folder/per-user.wxs"
while IFS='|' read -r what wxs feature refusal; do
    (cd "$folder" && wixl -a x86 -o "$work/msi/refused.msi" "$wxs") >/dev/null 2>&1
    cp "$work/msi/refused.msi" "$work/msi/before.msi"
    if (cd "$folder" && sh bundle-answer-wixl.sh "$work/msi/refused.msi" $feature) 2>"$work/msi/why"; then
        fail "msi: $what is taken"
    fi
    [ "$(wc -l <"$work/msi/why")" = 1 ] && grep -q "$refusal" "$work/msi/why" ||
        fail "msi: $what: $(cat "$work/msi/why")"
    cmp -s "$work/msi/refused.msi" "$work/msi/before.msi" || fail "msi: $what changed the package"
done <<CASES
a misspelt feature|orbit-notes.wxs|Prodcut|no feature 'Prodcut'
a per-user package|per-user.wxs||a per-user package
CASES
exit $failed
