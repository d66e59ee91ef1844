; The setup program of Brisolde, the product whose configuration key holds the
; bundle answer: it asks the bundle question and hands the answer to
; bundle-answer.exe, which records it in the registry. The offer, its
; command line and the helper come from the kit, bundle-answer.nsh.
;
; makensis -NOCD -DPRODUCT=Brisolde -DMAKER=Kelvaro -DVERSION=1.0.0 -DURL=https://…
;          -DOUTFILE=setup.exe setup.nsi
; run in a folder that holds bundle-answer.exe, bundle-answer.nsh, README.md
; and LICENSE, as the release archive does. Build it with NSIS 3.12 or later.
;
; Silent: setup.exe /S [/BUNDLE=yes|no], any letter case; without /BUNDLE,
; or with any other value, the answer is "no". Setup and uninstall need an
; administrator; run by anyone else they stop, with exit status 740.

Unicode true
ManifestSupportedOS all
RequestExecutionLevel admin
SetCompressor /SOLID lzma
; No build time stamps inside, so a rebuild from the same files gives the same bytes.
SetDateSave off

; ---- The offer: yours to fill in. The page shows each of these as it stands.
!define OFFER_NAME "Example Offer"                      ; what the offer is called
!define OFFER_PUBLISHER "Example Publisher Ltd."        ; who makes it
!define OFFER_INSTALLS "a sample companion application" ; what it puts on the machine
!define OFFER_TERMS_URL "https://offer.example/terms"   ; where its licence terms are
!define OFFER_PRIVACY_URL "https://offer.example/privacy" ; where its privacy policy is
!define BUNDLE_ANSWER_PRODUCT "${PRODUCT}"
; The product, its maker, version and home page come from the build, which
; names them once for every setup it makes.

!include MUI2.nsh
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

!define MUI_ABORTWARNING
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_LICENSE LICENSE
Page custom BundleAnswerPage
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE English
; After the languages, so that the offer page comes in each of them.
!include bundle-answer.nsh

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

; The kit's BundleAnswerInit stops the setup for anyone else.
Function .onInit
    !insertmacro BundleAnswerInit
FunctionEnd

Function un.onInit
    !insertmacro RequireAdministrator
FunctionEnd

Section "${PRODUCT}" SectionProduct
    SectionIn RO
    SetOutPath $INSTDIR
    File README.md
    File LICENSE
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
    !insertmacro BundleAnswerRecord
SectionEnd

Section Uninstall
    Delete "$INSTDIR\README.md"
    Delete "$INSTDIR\LICENSE"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"
    RMDir "$INSTDIR\.."

    DeleteRegKey HKLM "${UNINSTALL_KEY}"
    !insertmacro BundleAnswerUninstall
SectionEnd
