; The setup program of Brisolde, the product whose configuration key holds the
; bundle answer: it asks the bundle question and hands the answer to
; bundle-answer.exe, which records it in the registry.
;
; makensis -DVERSION=1.0.0 -DPROGRAM=bundle-answer.exe -DREADME=README.md
;          -DLICENSE=LICENSE -DOUTFILE=setup.exe setup.nsi
;
; Silent: setup.exe /S [/BUNDLE=yes|no], any letter case; without /BUNDLE,
; or with any other value, the answer is "no".

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

!define PRODUCT Brisolde
!define MAKER Kelvaro
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${MAKER} ${PRODUCT}"
!define PRODUCT_KEY "Software\${MAKER}\${PRODUCT}"

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
Page custom BundlePage BundlePageLeave
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE English

Function .onInit
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

; The offer is opt-in: the box starts unticked unless /BUNDLE=yes was given.
Function BundlePage
    !insertmacro MUI_HEADER_TEXT "Bundled offer" "Choose whether ${PRODUCT} comes with its bundled offer."
    nsDialogs::Create 1018
    Pop $0
    ${NSD_CreateLabel} 0 0 100% 36u "${PRODUCT} can be installed together with a bundled offer. \
        Nothing is added unless you tick the box below."
    Pop $0
    ${NSD_CreateCheckbox} 0 44u 100% 12u "&Yes, install the bundled offer as well"
    Pop $BundleCheckBox
    ${If} $BundleAnswer == yes
        ${NSD_Check} $BundleCheckBox
    ${EndIf}
    nsDialogs::Show
FunctionEnd

Function BundlePageLeave
    ${NSD_GetState} $BundleCheckBox $0
    ${If} $0 == ${BST_CHECKED}
        StrCpy $BundleAnswer yes
    ${Else}
        StrCpy $BundleAnswer no
    ${EndIf}
FunctionEnd

Section
    SetOutPath $INSTDIR
    File "/oname=README.md" "${README}"
    File "/oname=LICENSE" "${LICENSE}"
    WriteUninstaller "$INSTDIR\uninstall.exe"

    WriteRegStr HKLM "${UNINSTALL_KEY}" DisplayName "${PRODUCT}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" DisplayVersion "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" Publisher "${MAKER}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" InstallLocation "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" UninstallString '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" QuietUninstallString '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" NoModify 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" NoRepair 1

    ; The helper runs from the installer's own temporary folder, which goes
    ; when the installer ends. Its exit status is always 0: the registry
    ; value is what it did, so nothing here branches on the status.
    InitPluginsDir
    File "/oname=$PLUGINSDIR\bundle-answer.exe" "${PROGRAM}"
    ${If} $BundleAnswer == yes
        ExecWait '"$PLUGINSDIR\bundle-answer.exe" -y'
    ${Else}
        ExecWait '"$PLUGINSDIR\bundle-answer.exe"'
    ${EndIf}
    Delete "$PLUGINSDIR\bundle-answer.exe"
SectionEnd

Section Uninstall
    Delete "$INSTDIR\README.md"
    Delete "$INSTDIR\LICENSE"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"
    RMDir "$INSTDIR\.."

    DeleteRegKey HKLM "${UNINSTALL_KEY}"
    ; The answer's key goes; the keys above it stay while anything else is in them.
    DeleteRegKey HKLM "${PRODUCT_KEY}\CurrentVersion\Configuration"
    DeleteRegKey /ifempty HKLM "${PRODUCT_KEY}\CurrentVersion"
    DeleteRegKey /ifempty HKLM "${PRODUCT_KEY}"
    DeleteRegKey /ifempty HKLM "Software\${MAKER}"
SectionEnd
