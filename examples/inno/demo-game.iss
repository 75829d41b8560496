; The demo game's installer for Inno Setup 6.3 or later: installs the game, its manual and
; Brackenfold.exe for all users, and registers the game with Game Explorer, with a play task and a
; support task; the uninstaller removes both. The same game, GUID and tasks as ..\nsis\demo-game.nsi.
;
; Build with Inno Setup's compiler (ISCC.exe, 6.3 or later) in this folder of the release kit:
;   iscc demo-game.iss
; (on Linux: wine ISCC.exe demo-game.iss, with the compiler of npm's innosetup-compiler@6.3.1).
; It takes ..\demo-game\demo_game.exe, ..\demo-game-manual.txt and ..\..\Brackenfold.exe (the kit's
; files, relative to this folder); /DGameExe=..., /DManual=... and /DBrackenfoldExe=... name others.
; Silent install and uninstall, each with its log (every line Brackenfold prints is in it):
;   demo-game-setup.exe /VERYSILENT /SUPPRESSMSGBOXES /LOG=setup.log, then
;   "C:\Program Files\Brackenfold Demo Game\unins000.exe" /VERYSILENT /LOG=uninstall.log
; A setup whose game could not be added to the Games folder exits with status 10.

#define Name "Brackenfold Demo Game"
; The game's own GUID: made once for this game and never changed. Never copy it into
; another game's installer: two games with one GUID overwrite each other's registration.
#define GameGuid "{71B2020C-28DD-42ED-B047-994106D57D91}"
; The game's file name in the install folder, which Brackenfold registers.
#define GameFile "demo_game.exe"
#ifndef GameExe
  #define GameExe "..\demo-game\demo_game.exe"
#endif
#ifndef Manual
  #define Manual "..\demo-game-manual.txt"
#endif
#ifndef BrackenfoldExe
  #define BrackenfoldExe "..\..\Brackenfold.exe"
#endif

[Setup]
; Inno Setup reads an opening brace as the start of a constant, so AppId doubles it.
AppId={#"{" + GameGuid}
AppName={#Name}
AppVersion=1.0.0
DefaultDirName={autopf}\{#Name}
PrivilegesRequired=admin
ArchitecturesAllowed=x64
ArchitecturesInstallIn64BitMode=x64
OutputBaseFilename=demo-game-setup
DisableProgramGroupPage=yes

[Files]
Source: "{#GameExe}"; DestDir: "{app}"; DestName: "{#GameFile}"
Source: "{#Manual}"; DestDir: "{app}"; DestName: "manual.txt"
Source: "{#BrackenfoldExe}"; DestDir: "{app}"; DestName: "Brackenfold.exe"

[Code]
const
  { The setup's exit status when the game could not be added to the Games folder. }
  RegistrationFailedExitCode = 10;

var
  RegistrationFailed: Boolean;

procedure LogBrackenfoldLine(const S: String; const Error, FirstLine: Boolean);
begin
  Log('Brackenfold: ' + S);
end;

{ Runs Brackenfold.exe from the installed files with -exitcode and logs every line it prints
  (-nologo: without its banner). True when its exit status is 0: the game was added with every
  task, or nothing of it is left. }
function RunBrackenfold(const Arguments: String): Boolean;
var
  ResultCode: Integer;
begin
  Result := ExecAndLogOutput(ExpandConstant('{app}\Brackenfold.exe'),
    '-nologo -exitcode ' + Arguments, '', SW_HIDE, ewWaitUntilTerminated, ResultCode,
    @LogBrackenfoldLine) and (ResultCode = 0);
  if not Result then
  begin
    Log(Format('Brackenfold exit status: %d', [ResultCode]));
    SuppressibleMsgBox('{#Name} could not be changed in the Games folder: see the setup log.', mbError, MB_OK, IDOK);
  end;
end;

procedure CurStepChanged(CurStep: TSetupStep);
var
  Game: String;
begin
  if CurStep = ssPostInstall then
  begin
    Game := ExpandConstant('{app}\{#GameFile}');
    RegistrationFailed := not RunBrackenfold('-guid:{#GameGuid} -add all "' + Game + '" "Play;' + Game + ';play;-windowed" "Manual;' + ExpandConstant('{app}\manual.txt') + ';support"');
  end;
end;

function GetCustomSetupExitCode: Integer;
begin
  if RegistrationFailed then
    Result := RegistrationFailedExitCode
  else
    Result := 0;
end;

procedure CurUninstallStepChanged(CurUninstallStep: TUninstallStep);
begin
  if CurUninstallStep = usUninstall then
    RunBrackenfold('-guid:{#GameGuid} -del "' + ExpandConstant('{app}\{#GameFile}') + '"');
end;
