; The setup program of Brisolde made with Inno Setup 6: it offers the bundle
; as a task, unticked, and hands the answer to bundle-answer.exe, which
; records it in the registry.
;
; ISCC /DPRODUCT=Brisolde /DMAKER=Kelvaro /DVERSION=1.0.0 /DURL=https://...
;      "/DANSWER_KEY=SOFTWARE\Kelvaro\Brisolde\CurrentVersion\Configuration"
;      /DSTAGED=<folder of bundle-answer.exe, README.md, LICENSE>
;      /DOUTPUT=<folder> /DOUTNAME=<file name without .exe> setup.iss
;
; Silent: setup.exe /VERYSILENT /SUPPRESSMSGBOXES /TASKS=bundle records "yes";
; without /TASKS, or with /TASKS= (no task), the answer is "no".

; ---- The offer: yours to fill in. The page shows each of these as it stands.
#define OfferName "Example Offer"
#define OfferPublisher "Example Publisher Ltd."
#define OfferInstalls "a sample companion application"
#define OfferTermsUrl "https://offer.example/terms"
; The product, its maker, version and home page come from the build, which
; names them once for every setup it makes, and so does ANSWER_KEY, the key
; that bundle-answer.exe writes.
#define KeyAbove(str Key) Copy(Key, 1, RPos("\", Key) - 1)

[Setup]
AppId={{8F2B6D14-3C7A-4E95-B0D1-6A4E2C9F7B38}
AppName={#PRODUCT}
AppVersion={#VERSION}
AppPublisher={#MAKER}
AppPublisherURL={#URL}
VersionInfoVersion={#VERSION}
VersionInfoDescription={#PRODUCT} {#VERSION} Setup
; Per machine, as an administrator, in the 32-bit Program Files.
PrivilegesRequired=admin
DefaultDirName={commonpf32}\{#MAKER}\{#PRODUCT}
DisableProgramGroupPage=yes
LicenseFile=LICENSE
SourceDir={#STAGED}
OutputDir={#OUTPUT}
OutputBaseFilename={#OUTNAME}
SolidCompression=yes
; Every install starts from an unticked offer: nobody opts in by having
; opted in once.
UsePreviousTasks=no

[Tasks]
Name: bundle; Description: "Yes, install {#OfferName} as well"; Flags: unchecked; \
    GroupDescription: "{#PRODUCT} can be installed together with {#OfferName} from \
    {#OfferPublisher}, which installs {#OfferInstalls}. Nothing of it is added unless you \
    tick the box below. Read the terms of {#OfferName}: {#OfferTermsUrl}"

[Files]
Source: "README.md"; DestDir: "{app}"
Source: "LICENSE"; DestDir: "{app}"
; The helper only passes through the setup's own temporary folder. Stored
; as it is, so that anyone can find the signed program's bytes in the setup.
Source: "bundle-answer.exe"; DestDir: "{tmp}"; Flags: deleteafterinstall nocompression

[Registry]
; The answer's key goes on uninstall; each key above it only while empty.
; The uninstaller takes these in reverse order: the answer's key first.
Root: HKLM32; Subkey: "{#KeyAbove(KeyAbove(KeyAbove(ANSWER_KEY)))}"; Flags: uninsdeletekeyifempty
Root: HKLM32; Subkey: "{#KeyAbove(KeyAbove(ANSWER_KEY))}"; Flags: uninsdeletekeyifempty
Root: HKLM32; Subkey: "{#KeyAbove(ANSWER_KEY)}"; Flags: uninsdeletekeyifempty
Root: HKLM32; Subkey: "{#ANSWER_KEY}"; Flags: uninsdeletekey
; Registry entries are made before [Run]: should the helper not run
; (stopped by policy or antivirus), no earlier "yes" outlives an install
; that did not say yes.
Root: HKLM32; Subkey: "{#ANSWER_KEY}"; ValueType: none; ValueName: "bundle_reg_data"; \
    Flags: deletevalue

[Run]
; Hidden and waited for; its exit status is always 0: the value is what it did.
Filename: "{tmp}\bundle-answer.exe"; Parameters: "-y"; Tasks: bundle; \
    Flags: runhidden waituntilterminated
Filename: "{tmp}\bundle-answer.exe"; Tasks: not bundle; Flags: runhidden waituntilterminated
