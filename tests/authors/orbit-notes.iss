; Orbit Notes, an author's own Inno Setup script, 64-bit where it can be, with
; the bundle offer added as the kit's README says: its own task (a desktop
; icon, ticked by default), icons, code and [Setup] directives. Its code
; records in its own key that it ran (InitializeSetup, CurStepChanged).
#define OfferName "Example Offer"
#define OfferPublisher "Example Publisher Ltd."
#define OfferInstalls "a sample companion application"
#define OfferTermsUrl "https://offer.example/terms"
#define OfferPrivacyUrl "https://offer.example/privacy"

[Setup]
AppId={{2C6F0A9E-53B1-4D7A-9E24-8B1F3C5D7A60}
AppName=Orbit Notes
AppVersion=2.1
AppPublisher=Orbit
DefaultDirName={autopf}\Orbit\Notes
DefaultGroupName=Orbit Notes
PrivilegesRequired=admin
ArchitecturesInstallIn64BitMode=x64compatible
LicenseFile=LICENSE
OutputDir=.
OutputBaseFilename=orbit-notes-setup

#include "bundle-answer.iss"

[Tasks]
Name: desktopicon; Description: "Create a &desktop shortcut"

[Files]
Source: "LICENSE"; DestDir: "{app}"

[Icons]
Name: "{group}\Orbit Notes licence"; Filename: "{app}\LICENSE"
Name: "{autodesktop}\Orbit Notes licence"; Filename: "{app}\LICENSE"; Tasks: desktopicon

[Registry]
Root: HKLM; Subkey: "Software\Orbit\Notes"; ValueType: string; ValueName: "InstallFolder"; \
    ValueData: "{app}"; Flags: uninsdeletekey

[Code]
function InitializeSetup: Boolean;
begin
  RegWriteStringValue(HKLM, 'Software\Orbit\Notes', 'InitializeSetup', 'ran');
  Result := True;
end;

procedure CurStepChanged(CurStep: TSetupStep);
begin
  if CurStep = ssPostInstall then
    RegWriteStringValue(HKLM, 'Software\Orbit\Notes', 'CurStepChanged', 'ran');
end;
