; The demo game's installer: installs the game, its manual and Brackenfold.exe, and registers the
; game with Game Explorer, with a play task and a support task; the uninstaller removes both.
;
; Build (makensis 3, on Windows or Linux) in this folder of the release kit:
;   makensis demo-game.nsi
; It takes ..\demo-game\demo_game.exe, ..\demo-game-manual.txt and ..\..\Brackenfold.exe (the kit's
; files, relative to this folder); -DGAME_EXE=..., -DMANUAL=... and -DBRACKENFOLD_EXE=... name
; others (in the repository, after building the windows preset:
; -DBRACKENFOLD_EXE=..\..\build\windows\brackenfold.exe).
; Options: -DSCOPE=current for a per-user installer that runs unelevated (default: all users);
; -DTARGET=amd64-unicode for a 64-bit installer (default: x86-unicode, the usual one);
; -DTASKS=... for other task lines; -DOUTFILE=... for the installer's file name.
; Silent install and uninstall: setup.exe /S /D=C:\Games\Demo, then
; C:\Games\Demo\uninstall.exe /S _?=C:\Games\Demo (the _? form waits for it to finish, and leaves
; uninstall.exe and the folder for the caller to delete).
; NSIS cuts a command line at 1,024 characters (its string length): keep the task lines short.

!ifdef TARGET
  Target ${TARGET}
!else
  Unicode true
!endif

!include LogicLib.nsh

!define NAME "Brackenfold Demo Game"
!ifndef SCOPE
  !define SCOPE all
!endif
; The game's own GUID, one for each flavour of the installer: made once and never
; changed. The per-user and the all-users installer can both be installed on one machine, and with
; one GUID the uninstall of either would remove the other's registration. Never copy a GUID into
; another game's installer: two games with one GUID overwrite each other's registration.
!if "${SCOPE}" == "current"
  !define GAME_GUID "{B438507A-34C2-4076-AF65-621AEDB46908}"
!else
  !define GAME_GUID "{71B2020C-28DD-42ED-B047-994106D57D91}"
!endif
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${GAME_GUID}"
!ifndef GAME_EXE
  !define GAME_EXE "..\demo-game\demo_game.exe"
!endif
!ifndef BRACKENFOLD_EXE
  !define BRACKENFOLD_EXE "..\..\Brackenfold.exe"
!endif
!ifndef MANUAL
  !define MANUAL "..\demo-game-manual.txt"
!endif
!ifndef TASKS
  !define TASKS '"Play;$INSTDIR\demo_game.exe;play;-windowed" "Manual;$INSTDIR\manual.txt;support"'
!endif
!ifndef OUTFILE
  !define OUTFILE "demo-game-setup.exe"
!endif

!if "${SCOPE}" == "current"
  RequestExecutionLevel user
  !define REGISTRY_ROOT HKCU
  InstallDir "$LOCALAPPDATA\Programs\${NAME}"
!else
  RequestExecutionLevel admin
  !define REGISTRY_ROOT HKLM
  InstallDir "$PROGRAMFILES64\${NAME}"
!endif

Name "${NAME}"
OutFile "${OUTFILE}"
ShowInstDetails show
Page directory
Page instfiles
UninstPage instfiles

; Game Explorer's record of the game, where an earlier install of it was registered for all users.
!define GAME_EXPLORER_RECORD "Software\Microsoft\Windows\CurrentVersion\GameUX\Games\${GAME_GUID}"

Function .onInit
!if "${SCOPE}" == "current"
  SetShellVarContext current
!else
  SetShellVarContext all
!endif
  ; Brackenfold.exe (its x86 build too) registers the game in the 64-bit registry view; a
  ; 32-bit installer reads the 32-bit view unless told otherwise.
  SetRegView 64
!if "${SCOPE}" != "current"
  ; Reinstalling updates the game where it is, unless /D= names a folder.
  ${If} $INSTDIR == "$PROGRAMFILES64\${NAME}"
    ReadRegStr $0 HKLM "${GAME_EXPLORER_RECORD}" "ConfigApplicationPath"
    ${If} $0 != ""
      StrCpy $INSTDIR $0
    ${EndIf}
  ${EndIf}
!endif
FunctionEnd

Function un.onInit
!if "${SCOPE}" == "current"
  SetShellVarContext current
!else
  SetShellVarContext all
!endif
  SetRegView 64
FunctionEnd

Section "Install"
  SetOutPath "$INSTDIR"
  File "/oname=demo_game.exe" "${GAME_EXE}"
  File "/oname=manual.txt" "${MANUAL}"
  File "/oname=Brackenfold.exe" "${BRACKENFOLD_EXE}"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  WriteRegStr ${REGISTRY_ROOT} "${UNINSTALL_KEY}" "DisplayName" "${NAME}"
  WriteRegStr ${REGISTRY_ROOT} "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'

  ; With -exitcode, Brackenfold's exit status says whether the game was added with every task (0);
  ; -nologo leaves its banner out of the log.
  !define ADD_GAME '"$INSTDIR\Brackenfold.exe" -nologo -exitcode -guid:${GAME_GUID} -add ${SCOPE} "$INSTDIR\demo_game.exe" ${TASKS}'
  ${If} ${Silent}
    ; A silent install has no details list, and NSIS keeps no log unless it was built with one:
    ; the lines go to brackenfold.log in the install folder instead.
    nsExec::ExecToStack '${ADD_GAME}'
    Pop $0 ; exit status (2: not added, 3: a task missing), or "error" when it could not be started
    Pop $1 ; every line it printed
    FileOpen $2 "$INSTDIR\brackenfold.log" w
    FileWrite $2 $1
    FileClose $2
  ${Else}
    ; Each line it prints goes to the details list (and to the install log of a logging NSIS).
    nsExec::ExecToLog '${ADD_GAME}'
    Pop $0
  ${EndIf}
  ${If} $0 != 0
    MessageBox MB_ICONEXCLAMATION "${NAME} could not be added to the Games folder (status $0): see the details." /SD IDOK
    SetErrorLevel 2
  ${EndIf}
SectionEnd

Section "Uninstall"
  ; 0: nothing of the game is left, also when there was nothing to remove.
  nsExec::ExecToLog '"$INSTDIR\Brackenfold.exe" -nologo -exitcode -guid:${GAME_GUID} -del "$INSTDIR\demo_game.exe"'
  Pop $0
  ${If} $0 != 0
    MessageBox MB_ICONEXCLAMATION "${NAME} could not be removed from the Games folder (status $0): see the details." /SD IDOK
    SetErrorLevel 2
  ${EndIf}

  Delete "$INSTDIR\Brackenfold.exe"
  Delete "$INSTDIR\manual.txt"
  Delete "$INSTDIR\demo_game.exe"
  Delete "$INSTDIR\brackenfold.log"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey ${REGISTRY_ROOT} "${UNINSTALL_KEY}"
SectionEnd
