; The demo game's installer for Inno Setup 6: installs the game, its manual and Brackenfold.exe for
; all users, and registers the game with Game Explorer, with a play task and a support task; the
; uninstaller removes both. The same game, GUID and tasks as ..\nsis\demo-game.nsi.
;
; Build with Inno Setup's compiler (Windows only) in a folder that holds demo_game.exe, manual.txt
; and Brackenfold.exe: iscc demo-game.iss
; Silent install and uninstall: demo-game-setup.exe /VERYSILENT, then
; "C:\Program Files\Brackenfold Demo Game\unins000.exe" /VERYSILENT

#define Name "Brackenfold Demo Game"
; The game's own GUID: made once with uuidgen for this game and never changed. Never copy it into
; another game's installer: two games with one GUID overwrite each other's registration.
#define GameGuid "{71B2020C-28DD-42ED-B047-994106D57D91}"

[Setup]
; Inno Setup reads an opening brace as the start of a constant, so AppId doubles it.
AppId={{71B2020C-28DD-42ED-B047-994106D57D91}
AppName={#Name}
AppVersion=1.0.0
DefaultDirName={autopf}\{#Name}
PrivilegesRequired=admin
ArchitecturesAllowed=x64
ArchitecturesInstallIn64BitMode=x64
OutputBaseFilename=demo-game-setup
DisableProgramGroupPage=yes

[Files]
Source: "demo_game.exe"; DestDir: "{app}"
Source: "manual.txt"; DestDir: "{app}"
Source: "Brackenfold.exe"; DestDir: "{app}"

[Code]
{ Runs Brackenfold.exe from the installed files and tells whether it reported success. Its exit
  status is 0 whether the game was added or not (1 only for a wrong command line), so its output
  is kept in a file and searched for the text that marks a failure. }
function RunBrackenfold(const Arguments, FailureText: String): Boolean;
var
  LogFile: String;
  Output: AnsiString;
  ResultCode: Integer;
begin
  LogFile := ExpandConstant('{tmp}\brackenfold.log');
  Result := Exec(ExpandConstant('{cmd}'), '/c ""' + ExpandConstant('{app}\Brackenfold.exe') + '" ' + Arguments + ' > "' + LogFile + '" 2>&1"', '', SW_HIDE, ewWaitUntilTerminated, ResultCode)
    and (ResultCode = 0) and LoadStringFromFile(LogFile, Output) and (Pos(FailureText, String(Output)) = 0);
  if not Result then
    SuppressibleMsgBox('{#Name} could not be changed in the Games folder:' + #13#10 + String(Output), mbError, MB_OK, IDOK);
end;

procedure CurStepChanged(CurStep: TSetupStep);
var
  Game: String;
begin
  if CurStep = ssPostInstall then
  begin
    Game := ExpandConstant('{app}\demo_game.exe');
    RunBrackenfold('-guid:{#GameGuid} -add all "' + Game + '" "Play;' + Game + ';play;-windowed" "Manual;' + ExpandConstant('{app}\manual.txt') + ';support"', ' not added.');
  end;
end;

procedure CurUninstallStepChanged(CurUninstallStep: TUninstallStep);
begin
  if CurUninstallStep = usUninstall then
    RunBrackenfold('-guid:{#GameGuid} -del "' + ExpandConstant('{app}\demo_game.exe') + '"', ' not removed.');
end;
