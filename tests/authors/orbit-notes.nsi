; Orbit Notes, an author's own Modern UI setup of a 64-bit product, with
; the bundle offer added as the kit's README says. Around each kit line it
; sets every register to a known value and pushes a mark, then records in
; its own key what the kit left (Left<place>): the registers, the mark, and
; the registry view, which it keeps at 64 bits where Windows has them.
Unicode true
!define OFFER_NAME "Example Offer"
!define OFFER_PUBLISHER "Example Publisher Ltd."
!define OFFER_INSTALLS "a sample companion application"
!define OFFER_TERMS_URL "https://offer.example/terms"
!define OFFER_PRIVACY_URL "https://offer.example/privacy"
!include MUI2.nsh
!include LogicLib.nsh
!include x64.nsh

!define ORBIT_KEY "Software\Orbit\Notes"
Name "Orbit Notes"
OutFile "orbit-notes-setup.exe"
InstallDir "$PROGRAMFILES64\Orbit\Notes"
RequestExecutionLevel admin
Var Left

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_LICENSE "LICENSE"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_COMPONENTS
Page custom BundleAnswerPage
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE English
!include "bundle-answer.nsh"

!macro KnownRegisters
    StrCpy $0 r0
    StrCpy $1 r1
    StrCpy $2 r2
    StrCpy $3 r3
    StrCpy $4 r4
    StrCpy $5 r5
    StrCpy $6 r6
    StrCpy $7 r7
    StrCpy $8 r8
    StrCpy $9 r9
    StrCpy $R0 R0
    StrCpy $R1 R1
    StrCpy $R2 R2
    StrCpy $R3 R3
    StrCpy $R4 R4
    StrCpy $R5 R5
    StrCpy $R6 R6
    StrCpy $R7 R7
    StrCpy $R8 R8
    StrCpy $R9 R9
    Push mark
!macroend
!macro RecordWhatWasLeft PLACE
    Pop $Left
    WriteRegStr HKLM "${ORBIT_KEY}" "Left${PLACE}" \
        "$Left $0 $1 $2 $3 $4 $5 $6 $7 $8 $9 $R0 $R1 $R2 $R3 $R4 $R5 $R6 $R7 $R8 $R9"
!macroend

Function .onInit
    ${If} ${RunningX64}
        SetRegView 64
    ${EndIf}
    ReadRegStr $0 HKLM "${ORBIT_KEY}" InstallFolder
    StrCpy $1 "$0" ; the earlier install folder, kept for the sections
    !insertmacro KnownRegisters
    !insertmacro BundleAnswerInit
    !insertmacro RecordWhatWasLeft Init
FunctionEnd

Function un.onInit
    ${If} ${RunningX64}
        SetRegView 64
    ${EndIf}
FunctionEnd

Section "Orbit Notes" SectionProgram
    SectionIn RO
    SetOutPath "$INSTDIR"
    File LICENSE
    WriteUninstaller "$INSTDIR\uninstall.exe"
    WriteRegStr HKLM "${ORBIT_KEY}" InstallFolder "$INSTDIR"
SectionEnd

Section "Sample notebooks" SectionSamples
    SetOutPath "$INSTDIR\Samples"
    File /oname=welcome.txt LICENSE
SectionEnd

; Last, when nothing can fail any more.
Section "-Bundle answer"
    !insertmacro KnownRegisters
    !insertmacro BundleAnswerRecord
    !insertmacro RecordWhatWasLeft Record
SectionEnd

Section Uninstall
    !insertmacro KnownRegisters
    !insertmacro BundleAnswerUninstall
    !insertmacro RecordWhatWasLeft Uninstall
    Delete "$INSTDIR\Samples\welcome.txt"
    RMDir "$INSTDIR\Samples"
    Delete "$INSTDIR\LICENSE"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"
SectionEnd
