; The demo game's installer: installs the game, its manual and Brackenfold.exe, and registers the
; game with Game Explorer, with a play task and a support task; the uninstaller removes both.
;
; Build (makensis 3, on Windows or Linux) in this folder of the release kit:
;   makensis demo-game.nsi
; It takes ..\demo-game\demo_game.exe, ..\demo-game-manual.txt and ..\..\Brackenfold.exe (the kit's
; files, relative to this folder); -DGAME_EXE=..., -DMANUAL=... and -DBRACKENFOLD_EXE=... name
; others.
; Options: -DSCOPE=current for a per-user installer that runs unelevated (default: all users);
; -DTARGET=amd64-unicode for a 64-bit installer (default: x86-unicode, the usual one);
; -DTASKS=... for other task lines; -DOUTFILE=... for the installer's file name.
; Silent install and uninstall: setup.exe /S /D=C:\Games\Demo, then
; C:\Games\Demo\uninstall.exe /S _?=C:\Games\Demo (the _? form waits for it to finish, and leaves
; uninstall.exe and the folder for the caller to delete). A silent install keeps Brackenfold's
; lines and the words for its status in brackenfold.log in the install folder, a silent uninstall
; in %TEMP%\brackenfold-uninstall.log.
; Installing into another folder than an earlier install first uninstalls that one.
; NSIS cuts a command line at 1,024 characters (its string length): keep the task lines short.

!ifdef TARGET
  Target ${TARGET}
!else
  Unicode true
!endif

!include LogicLib.nsh

!define NAME "Brackenfold Demo Game"
; The game's file name in the install folder, which Brackenfold registers.
!define GAME_FILE "demo_game.exe"
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
  !define TASKS '"Play;$INSTDIR\${GAME_FILE};play;-windowed" "Manual;$INSTDIR\manual.txt;support"'
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

; Brackenfold's command lines, with -exitcode (its exit status tells the outcome) and -nologo (its
; banner stays out of the log).
!define GAME "$INSTDIR\${GAME_FILE}"
!define BRACKENFOLD '"$INSTDIR\Brackenfold.exe" -nologo -exitcode -guid:${GAME_GUID}'
!define ADD_GAME '${BRACKENFOLD} -add ${SCOPE} "${GAME}" ${TASKS}'
!define DELETE_GAME '${BRACKENFOLD} -del "${GAME}"'
; Where a silent install and a silent uninstall keep Brackenfold's lines and what they came to.
!define INSTALL_LOG "$INSTDIR\brackenfold.log"
!define UNINSTALL_LOG "$TEMP\brackenfold-uninstall.log"

; Runs a Brackenfold command line and leaves its exit status in $0 ("error" when it could not be
; started). Each line it prints goes to the details list (and to the install log of a logging
; NSIS); a silent run has no details list, and NSIS keeps no log unless it was built with one, so
; there the lines go to SILENT_LOG.
!macro RunBrackenfold COMMAND_LINE SILENT_LOG
  ${If} ${Silent}
    nsExec::ExecToStack '${COMMAND_LINE}'
    Pop $0
    Pop $1
    FileOpen $2 "${SILENT_LOG}" w
    FileWrite $2 $1
    FileClose $2
  ${Else}
    nsExec::ExecToLog '${COMMAND_LINE}'
    Pop $0
  ${EndIf}
!macroend

; Tells what Brackenfold's status means: in a message box, or, when silent (which shows none), in a
; line added to SILENT_LOG.
!macro Report MESSAGE SILENT_LOG
  MessageBox MB_ICONEXCLAMATION "${MESSAGE}" /SD IDOK
  ${If} ${Silent}
    FileOpen $2 "${SILENT_LOG}" a
    FileSeek $2 0 END
    FileWrite $2 "${MESSAGE}$\r$\n"
    FileClose $2
  ${EndIf}
!macroend

Section "Install"
  ; An earlier install in another folder is uninstalled first: it shares the game's GUID and
  ; Add/Remove Programs entry with this one, so its uninstaller would remove this install's.
  ReadRegStr $3 ${REGISTRY_ROOT} "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $3 != ""
  ${AndIf} $3 != $INSTDIR
  ${AndIf} ${FileExists} "$3\uninstall.exe"
    ExecWait '"$3\uninstall.exe" /S _?=$3'
    Delete "$3\uninstall.exe"
    RMDir "$3"
  ${EndIf}

  SetOutPath "$INSTDIR"
  File "/oname=${GAME_FILE}" "${GAME_EXE}"
  File "/oname=manual.txt" "${MANUAL}"
  File "/oname=Brackenfold.exe" "${BRACKENFOLD_EXE}"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  WriteRegStr ${REGISTRY_ROOT} "${UNINSTALL_KEY}" "DisplayName" "${NAME}"
  WriteRegStr ${REGISTRY_ROOT} "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr ${REGISTRY_ROOT} "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"

  !insertmacro RunBrackenfold '${ADD_GAME}' "${INSTALL_LOG}"
  ${If} $0 == 0
    ; Added with every task.
  ${ElseIf} $0 == 3
    !insertmacro Report "${NAME} was added to the Games folder, but not every task as asked: see the details." "${INSTALL_LOG}"
    SetErrorLevel 3
  ${ElseIf} $0 == 2
    !insertmacro Report "${NAME} could not be added to the Games folder: see the details." "${INSTALL_LOG}"
    SetErrorLevel 2
  ${Else}
    !insertmacro Report "Brackenfold.exe could not be run ($0): ${NAME} is not in the Games folder." "${INSTALL_LOG}"
    SetErrorLevel 2
  ${EndIf}
SectionEnd

Section "Uninstall"
  ; The game's GUID is registered by the install in InstallLocation only: an uninstaller left in
  ; another folder leaves that install's registration and Add/Remove Programs entry alone.
  ReadRegStr $3 ${REGISTRY_ROOT} "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $3 == ""
  ${OrIf} $3 == $INSTDIR
    !insertmacro RunBrackenfold '${DELETE_GAME}' "${UNINSTALL_LOG}"
    ${If} $0 == 0
      ; Nothing of the game is left, also when there was nothing to remove.
    ${ElseIf} $0 == 3
      !insertmacro Report "${NAME} was removed from the Games folder, but a task folder is left: see the details." "${UNINSTALL_LOG}"
      SetErrorLevel 3
    ${ElseIf} $0 == 2
      !insertmacro Report "${NAME} could not be removed from the Games folder: see the details." "${UNINSTALL_LOG}"
      SetErrorLevel 2
    ${Else}
      !insertmacro Report "Brackenfold.exe could not be run ($0): ${NAME} may still be in the Games folder." "${UNINSTALL_LOG}"
      SetErrorLevel 2
    ${EndIf}
    DeleteRegKey ${REGISTRY_ROOT} "${UNINSTALL_KEY}"
  ${EndIf}

  Delete "$INSTDIR\Brackenfold.exe"
  Delete "$INSTDIR\manual.txt"
  Delete "${GAME}"
  Delete "${INSTALL_LOG}"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
SectionEnd
