; The setup program of Brisolde made with Inno Setup 6: it offers the bundle
; on a page of its own, unticked, and hands the answer to bundle-answer.exe, which
; records it in the registry. The offer and the helper come from the kit,
; bundle-answer.iss, which lies beside this script in the staged folder.
;
; ISCC /DPRODUCT=Brisolde /DMAKER=Kelvaro /DVERSION=1.0.0 /DURL=https://...
;      /DSTAGED=<folder of bundle-answer.exe, README.md, LICENSE>
;      /DOUTPUT=<folder> /DOUTNAME=<file name without .exe> setup.iss
;
; Silent: setup.exe /VERYSILENT /SUPPRESSMSGBOXES /BUNDLE=yes records "yes",
; in any letter case; without it, or with any other value, the answer is "no".

; ---- The offer: yours to fill in. The page shows each of these as it stands.
#define OfferName "Example Offer"
#define OfferPublisher "Example Publisher Ltd."
#define OfferInstalls "a sample companion application"
#define OfferTermsUrl "https://offer.example/terms"
#define OfferPrivacyUrl "https://offer.example/privacy"
; The product, its maker, version and home page come from the build, which
; names them once for every setup it makes.

[Setup]
AppId={{8F2B6D14-3C7A-4E95-B0D1-6A4E2C9F7B38}
AppName={#PRODUCT}
AppVersion={#VERSION}
AppPublisher={#MAKER}
AppPublisherURL={#URL}
VersionInfoVersion={#VERSION}
VersionInfoDescription={#PRODUCT} {#VERSION} Setup
; Per machine (the kit asks for an administrator), in the 32-bit Program Files.
DefaultDirName={commonpf32}\{#MAKER}\{#PRODUCT}
DisableProgramGroupPage=yes
LicenseFile=LICENSE
SourceDir={#STAGED}
OutputDir={#OUTPUT}
OutputBaseFilename={#OUTNAME}
SolidCompression=yes

#include "bundle-answer.iss"

[Files]
Source: "README.md"; DestDir: "{app}"
Source: "LICENSE"; DestDir: "{app}"
