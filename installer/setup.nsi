; The setup program of Brisolde, the product whose configuration key holds the
; bundle answer: it asks the bundle question and hands the answer to
; bundle-answer.exe, which records it in the registry.
;
; makensis -DPRODUCT=Brisolde -DMAKER=Kelvaro -DVERSION=1.0.0 -DURL=https://…
;          "-DANSWER_KEY=SOFTWARE\Kelvaro\Brisolde\CurrentVersion\Configuration"
;          -DPROGRAM=bundle-answer.exe -DREADME=README.md -DLICENSE=LICENSE
;          -DOUTFILE=setup.exe setup.nsi
;
; Build it with NSIS 3.12 or later: older ones load plug-in DLLs that a local
; user can plant in $PLUGINSDIR (NSIS bug #1315, fixed in 3.11), and may use
; the Low-integrity temporary folder when elevated (#1326, fixed in 3.12).
;
; Silent: setup.exe /S [/BUNDLE=yes|no], any letter case; without /BUNDLE,
; or with any other value, the answer is "no". Setup and uninstall need an
; administrator; run by anyone else they stop, with exit status 740.

; ---- The offer: yours to fill in. The page shows each of these as it stands.
!define OFFER_NAME "Example Offer"                      ; what the offer is called
!define OFFER_PUBLISHER "Example Publisher Ltd."        ; who makes it
!define OFFER_INSTALLS "a sample companion application" ; what it puts on the machine
!define OFFER_TERMS_URL "https://offer.example/terms"   ; where its terms are
; The product, its maker, version and home page come from the build, which
; names them once for every setup it makes, and so does ANSWER_KEY, the key
; that bundle-answer.exe writes.

Unicode true
ManifestSupportedOS all
RequestExecutionLevel admin
SetCompressor /SOLID lzma
; No build time stamps inside, so a rebuild from the same files gives the same bytes.
SetDateSave off

!include MUI2.nsh
!include nsDialogs.nsh
!include FileFunc.nsh
!include LogicLib.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${MAKER} ${PRODUCT}"
!define ERROR_ELEVATION_REQUIRED 740

Name "${PRODUCT} ${VERSION}"
BrandingText "${MAKER} ${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES32\${MAKER}\${PRODUCT}"

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey ProductName "${PRODUCT}"
VIAddVersionKey ProductVersion "${VERSION}"
VIAddVersionKey FileVersion "${VERSION}"
VIAddVersionKey FileDescription "${PRODUCT} setup"
VIAddVersionKey CompanyName "${MAKER}"
VIAddVersionKey LegalCopyright "MIT licence"

Var BundleAnswer ; "yes" or "no"
Var BundleCheckBox

!define MUI_ABORTWARNING
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_LICENSE "${LICENSE}"
Page custom BundlePage
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE English

; Writing under HKLM and Program Files needs an administrator. Anyone else
; is told so, or, when silent, learns it from the exit status.
!macro RequireAdministrator
    UserInfo::GetAccountType
    Pop $0
    ${If} $0 != admin
        MessageBox MB_ICONSTOP "${PRODUCT} setup needs an administrator. Run it again as one." \
            /SD IDOK
        SetErrorLevel ${ERROR_ELEVATION_REQUIRED}
        Quit
    ${EndIf}
!macroend

Function .onInit
    !insertmacro RequireAdministrator
    StrCpy $BundleAnswer no
    ${GetParameters} $0
    ClearErrors
    ${GetOptions} $0 /BUNDLE= $1
    ; StrCmp, as == does, ignores letter case.
    ${IfNot} ${Errors}
    ${AndIf} $1 == yes
        StrCpy $BundleAnswer yes
    ${EndIf}
FunctionEnd

Function un.onInit
    !insertmacro RequireAdministrator
FunctionEnd

; The offer is opt-in: the box starts unticked unless /BUNDLE=yes was given,
; and keeps whatever the user made of it when they go back and come again.
Function BundlePage
    !insertmacro MUI_HEADER_TEXT "${OFFER_NAME}" "Choose whether ${PRODUCT} comes with ${OFFER_NAME}."
    nsDialogs::Create 1018
    Pop $0
    ${NSD_CreateLabel} 0 0 100% 36u "${PRODUCT} can be installed together with ${OFFER_NAME} \
        from ${OFFER_PUBLISHER}, which installs ${OFFER_INSTALLS}. Nothing of it is added \
        unless you tick the box below."
    Pop $0
    ${NSD_CreateLink} 0 40u 100% 12u "Read the terms of ${OFFER_NAME}: ${OFFER_TERMS_URL}"
    Pop $0
    ; A link's colour is otherwise the system's "hot" colour, pale on some systems.
    SetCtlColors $0 0000CC transparent
    ${NSD_OnClick} $0 OpenOfferTerms
    ${NSD_CreateCheckbox} 0 58u 100% 12u "&Yes, install ${OFFER_NAME} as well"
    Pop $BundleCheckBox
    ${If} $BundleAnswer == yes
        ${NSD_Check} $BundleCheckBox
    ${EndIf}
    ${NSD_OnClick} $BundleCheckBox BundleCheckBoxClicked
    nsDialogs::Show
FunctionEnd

Function BundleCheckBoxClicked
    Pop $0
    ${NSD_GetState} $BundleCheckBox $0
    ${If} $0 == ${BST_CHECKED}
        StrCpy $BundleAnswer yes
    ${Else}
        StrCpy $BundleAnswer no
    ${EndIf}
FunctionEnd

; The setup runs elevated: a web page opened from it would open in an
; administrator's browser. Explorer hands it to the user's own, unelevated one.
Function OpenOfferTerms
    Pop $0
    Exec '"$WINDIR\explorer.exe" "${OFFER_TERMS_URL}"'
FunctionEnd

Section "${PRODUCT}" SectionProduct
    SectionIn RO
    SetOutPath $INSTDIR
    File "/oname=README.md" "${README}"
    File "/oname=LICENSE" "${LICENSE}"
    WriteUninstaller "$INSTDIR\uninstall.exe"

    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    WriteRegStr HKLM "${UNINSTALL_KEY}" DisplayName "${PRODUCT}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" DisplayVersion "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" DisplayIcon "$INSTDIR\uninstall.exe"
    WriteRegStr HKLM "${UNINSTALL_KEY}" Publisher "${MAKER}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" URLInfoAbout "${URL}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" InstallLocation "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" UninstallString '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" QuietUninstallString '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" EstimatedSize $0 ; KiB
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" NoModify 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" NoRepair 1
SectionEnd

Section "Bundle answer" SectionBundleAnswer
    SectionIn RO
    ; The helper runs from the installer's own temporary folder, which goes
    ; when the installer ends. nsExec runs it hidden and waits for it: a
    ; console program started with ExecWait gets a console window of its own,
    ; which flashes up, and under Wine leaves the setup deaf to the keyboard.
    ; Removed first: should the helper not run (stopped by policy or
    ; antivirus), no earlier "yes" outlives an install that did not say yes.
    ; This 32-bit setup sees the 32-bit view, where the helper writes.
    DeleteRegValue HKLM "${ANSWER_KEY}" bundle_reg_data
    InitPluginsDir
    File "/oname=$PLUGINSDIR\bundle-answer.exe" "${PROGRAM}"
    ${If} $BundleAnswer == yes
        nsExec::Exec '"$PLUGINSDIR\bundle-answer.exe" -y'
    ${Else}
        nsExec::Exec '"$PLUGINSDIR\bundle-answer.exe"'
    ${EndIf}
    ; Its exit status is always 0: the registry value is what it did.
    Pop $0
    Delete "$PLUGINSDIR\bundle-answer.exe"
SectionEnd

Section Uninstall
    Delete "$INSTDIR\README.md"
    Delete "$INSTDIR\LICENSE"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"
    RMDir "$INSTDIR\.."

    DeleteRegKey HKLM "${UNINSTALL_KEY}"
    ; The answer's key goes; the keys above it, up to SOFTWARE, stay while
    ; anything else is in them.
    DeleteRegKey HKLM "${ANSWER_KEY}"
    StrCpy $0 "${ANSWER_KEY}"
    ${Do}
        ${GetParent} $0 $0
        ${If} $0 == ""
        ${OrIf} $0 == SOFTWARE
            ${Break}
        ${EndIf}
        DeleteRegKey /ifempty HKLM $0
    ${Loop}
SectionEnd
