; tolvar.nsi - the per-user installer of Tolvar (scripts/package.sh builds it).
;
;   makensis -DVERSION=1.2.3 -DFILES=<generated file lists> -DICON=<program icon>
;            -DOUTFILE=<setup.exe> tolvar.nsi
;
; Installs for the current user only, without administrator rights, into the
; user's local programs folder: the options library unpacks scheme content
; into "Icons" and "Sounds" beside the program, and the program keeps its
; settings beside itself when it can, so the folder must be the user's to
; write. Adds a Start menu entry and an entry in the list of installed
; programs, and offers to start Tolvar at the end. "setup.exe /S" installs
; silently, "uninstall.exe /S" removes silently.
;
; A folder that already holds other things and is not a Tolvar folder is
; used only when the user agrees, and never when a file of Tolvar's would
; replace one there; a silent run refuses it (exit code 2, nothing written).
;
; The uninstaller removes exactly the files the installer put there (FILES
; lists them), its own entries, and the Startup shortcut that the options
; dialog may have made; a folder goes only when it is then empty, and its
; last page says which folder stayed and why. It asks before it removes the
; user's settings; a silent uninstall keeps them. Icons and sounds unpacked
; from schemes and the user's own files are never removed.
;
; A program file that another process still has loaded (TolvarEx.dll stays
; mapped in idle programs after Tolvar exits) cannot be replaced or deleted,
; only renamed: it is set aside as "<name>.<number>.old" beside the new one.
; Tolvar deletes such copies at its next start; after an uninstall, a command
; under the user's RunOnce key deletes them at the next logon.

Unicode true
SetCompressor /SOLID lzma
RequestExecutionLevel user
ManifestDPIAware true
; Installed files get the time of installation, and the installer carries no
; build times: two builds from the same files are the same installer.
SetDateSave off

!define PRODUCT "Tolvar"
; As LICENSE.txt names them.
!define PUBLISHER "The Tolvar authors"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Tolvar"
!define RUNONCE_KEY "Software\Microsoft\Windows\CurrentVersion\RunOnce"
!define DEFAULT_DIR "$LOCALAPPDATA\Programs\${PRODUCT}"
; The object by which the running program keeps itself to one instance per
; session (host/app/single_instance.cpp).
!define INSTANCE_MUTEX "Local\Tolvar.Indicator.Instance"
; Held by the 64-bit companion while it runs (hook/companion/companion_protocol.h);
; it ends with the program, a moment after it.
!define COMPANION_MUTEX "Local\Tolvar.Hook64.Running"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "${DEFAULT_DIR}"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} ${VERSION} setup"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Copyright (C) the Tolvar authors"

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "FileFunc.nsh"
!include "${FILES}"

; What the uninstaller left and why, for its last page.
Var LeftBehind
; The program files that were still in use when the uninstaller ran: those
; deleted at the next logon, and those the user has to delete.
Var InUse
Var InUseTooLong

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE DirectoryLeave
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
; The section leaves $OUTPATH at $INSTDIR, so the program starts in its folder.
!define MUI_FINISHPAGE_RUN "$INSTDIR\Tolvar.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Start ${PRODUCT} now"
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\README.txt"
!define MUI_FINISHPAGE_SHOWREADME_TEXT "Show the README"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!define MUI_FINISHPAGE_TEXT "$LeftBehind"
!insertmacro MUI_UNPAGE_FINISH
!insertmacro MUI_LANGUAGE "English"

; Waits until Tolvar does not run: its files are in use while it does. The
; installed program's --exit asks a running one to end (a silent run does so
; without asking); failing that, the user is asked to end it, and a silent run
; gives up with exit code 2. Then up to 10 s for its 64-bit companion, which
; ends with it.
!macro WaitUntilNotRunning un
Function ${un}WaitUntilNotRunning
  StrCpy $1 0
  ${Do}
    System::Call 'kernel32::OpenMutexW(i 0x00100000, i 0, w "${INSTANCE_MUTEX}") i .r0'
    ${If} $0 = 0
      ${Break}
    ${EndIf}
    System::Call 'kernel32::CloseHandle(i r0)'
    ${If} $1 = 0
    ${AndIf} ${FileExists} "$INSTDIR\Tolvar.exe"
      StrCpy $1 1
      MessageBox MB_OKCANCEL|MB_ICONINFORMATION "${PRODUCT} is running and will be closed." \
        /SD IDOK IDOK close
      Quit
      close:
      ExecWait '"$INSTDIR\Tolvar.exe" --exit'
      ${Continue}
    ${EndIf}
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION \
      "${PRODUCT} is running. End it (right-click its tray icon, Exit), then click Retry." \
      /SD IDCANCEL IDRETRY again
    SetErrorLevel 2
    Quit
    again:
  ${Loop}
  ; The companion ends with the program; its files are in use until it has.
  ; It lets go of its mutex just before its process ends, and the process
  ; holds its program file until then.
  StrCpy $1 0
  ${Do}
    System::Call 'kernel32::OpenMutexW(i 0x00100000, i 0, w "${COMPANION_MUTEX}") i .r0'
    ${If} $0 = 0
    ${OrIf} $1 >= 100
      ${Break}
    ${EndIf}
    System::Call 'kernel32::CloseHandle(i r0)'
    Sleep 100
    IntOp $1 $1 + 1
  ${Loop}
  ${DoWhile} $1 < 100
    ${IfNot} ${FileExists} "$INSTDIR\TolvarHook64.exe"
      ${Break}
    ${EndIf}
    ClearErrors
    FileOpen $0 "$INSTDIR\TolvarHook64.exe" a
    ${IfNot} ${Errors}
      FileClose $0
      ${Break}
    ${EndIf}
    Sleep 100
    IntOp $1 $1 + 1
  ${Loop}
FunctionEnd
!macroend
!insertmacro WaitUntilNotRunning ""
!insertmacro WaitUntilNotRunning "un."

; ---- the folder -------------------------------------------------------------

; Notes in $R3 the first file of the package that $INSTDIR already holds.
!macro NoteFileAlreadyThere path
  ${If} $R3 == ""
  ${AndIf} ${FileExists} "$INSTDIR\${path}"
    StrCpy $R3 "${path}"
  ${EndIf}
!macroend

; Whether $INSTDIR may be installed into; $0 is 1 when it may. Yes when the
; folder is missing or empty, or is Tolvar's: it holds Tolvar.exe or the
; settings an uninstall kept, it is where Tolvar was installed, or it is the
; default folder. Any other folder holds someone else's things: never when a
; file of the package would replace one of them, else only when the user
; agrees (a silent run does not).
Function ConfirmInstallFolder
  StrCpy $0 1
  ${DirState} "$INSTDIR" $R1
  ${If} $R1 <> 1
    Return
  ${EndIf}
  ReadRegStr $R2 HKCU "${UNINSTALL_KEY}" "InstallLocation"
  ${If} ${FileExists} "$INSTDIR\Tolvar.exe"
  ${OrIf} ${FileExists} "$INSTDIR\Tolvar.ini"
  ${OrIf} $INSTDIR == $R2
  ${OrIf} $INSTDIR == "${DEFAULT_DIR}"
    Return
  ${EndIf}
  StrCpy $R3 ""
  !insertmacro ForEachInstalledFile NoteFileAlreadyThere
  !insertmacro NoteFileAlreadyThere "uninstall.exe"
  ${If} $R3 != ""
    StrCpy $0 0
    MessageBox MB_OK|MB_ICONSTOP "$INSTDIR already holds a file named $R3 that is not \
      ${PRODUCT}'s, and ${PRODUCT} would replace it.$\n$\nChoose another folder, for \
      example a new folder inside this one." /SD IDOK
    Return
  ${EndIf}
  MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 "$INSTDIR already holds other files \
    and is not a ${PRODUCT} folder.$\n$\nInstall ${PRODUCT} into it anyway? Its uninstaller \
    will remove only the files it installed.$\n$\nChoose No to pick another folder, for \
    example a new folder inside this one." /SD IDNO IDYES agreed
  StrCpy $0 0
  agreed:
FunctionEnd

Function DirectoryLeave
  Call ConfirmInstallFolder
  ${If} $0 = 0
    Abort
  ${EndIf}
FunctionEnd

Function .onInit
  SetShellVarContext current
  ; A silent run has no folder page: the folder given with /D is judged here,
  ; before anything is written.
  ${If} ${Silent}
    Call ConfirmInstallFolder
    ${If} $0 = 0
      SetErrorLevel 2
      Quit
    ${EndIf}
  ${EndIf}
FunctionEnd

; ---- program files in use ---------------------------------------------------

!macro AddToList list item
  ${If} ${list} == ""
    StrCpy ${list} "${item}"
  ${Else}
    StrCpy ${list} "${list}, ${item}"
  ${EndIf}
!macroend

; Makes room for a new copy of a program file: deletes the old one, or, when
; another process holds it, renames it to "<name>.<number>.old" (a mapped
; file can be renamed, not replaced); Tolvar deletes those at its next start.
!macro SetAsideIfInUse name
  Delete "$INSTDIR\${name}"
  ${If} ${FileExists} "$INSTDIR\${name}"
    StrCpy $R8 1
    ${DoWhile} ${FileExists} "$INSTDIR\${name}.$R8.old"
      IntOp $R8 $R8 + 1
    ${Loop}
    Rename "$INSTDIR\${name}" "$INSTDIR\${name}.$R8.old"
    DetailPrint "${name} is in use by another program: set aside as ${name}.$R8.old"
  ${EndIf}
!macroend

; Removes a program file and the copies of it that updates set aside. One
; that another process still holds is set aside too, and deleted at the next
; logon by a command under the user's RunOnce key: a per-user uninstaller
; cannot schedule a delete for the next restart (that needs administrator
; rights), and the program folder is gone, so Tolvar will not start there.
; The command goes to the folder's parent first, so that it names the folder
; once and fits the 260 characters a RunOnce command may have; when it does
; not fit, the last page asks the user to delete the file.
!macro RemoveProgramFile name
  Delete "$INSTDIR\${name}.*.old"
  !insertmacro SetAsideIfInUse "${name}"
  ${If} ${FileExists} "$INSTDIR\${name}.*.old"
    ${GetParent} "$INSTDIR" $R1
    ${GetFileName} "$INSTDIR" $R2
    StrCpy $R3 'cmd.exe /c cd /d "$R1\" && del /f /q "$R2\${name}.*.old" && rmdir "$R2"'
    StrLen $R4 $R3
    ${If} $R4 <= 260
      WriteRegStr HKCU "${RUNONCE_KEY}" "${PRODUCT} leftover ${name}" $R3
      !insertmacro AddToList $InUse "${name}"
    ${Else}
      !insertmacro AddToList $InUseTooLong "${name}"
    ${EndIf}
  ${EndIf}
!macroend

; ---- install ----------------------------------------------------------------

Section "${PRODUCT}"
  Call WaitUntilNotRunning
  !insertmacro InstallFiles
  WriteUninstaller "$INSTDIR\uninstall.exe"
  ; Shortcuts and the finish page's start run in $OUTPATH: the program's folder.
  SetOutPath "$INSTDIR"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\Tolvar.exe" "" "$INSTDIR\Tolvar.exe" 0 \
    SW_SHOWNORMAL "" "Shows the state of Caps Lock, Num Lock, Scroll Lock and other keys"

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Comments" \
    "Shows the state of Caps Lock, Num Lock, Scroll Lock and other keys"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "HelpLink" "$INSTDIR\Tolvar.html"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Readme" "$INSTDIR\README.txt"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Tolvar.exe"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ; The package's files and the uninstaller, not whatever else the folder holds.
  ${GetSize} "$INSTDIR" "/M=uninstall.exe /S=0K /G=0" $0 $1 $2
  IntOp $0 $0 + ${INSTALLED_KB}
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

; ---- uninstall --------------------------------------------------------------

Function un.onInit
  SetShellVarContext current
FunctionEnd

; Tells what is left of $INSTDIR and why, on the last page and in the log.
Function un.DescribeWhatWasLeft
  StrCpy $LeftBehind "${PRODUCT} has been removed from your computer."
  ${IfNot} ${FileExists} "$INSTDIR\*.*"
    Return
  ${EndIf}
  StrCpy $R1 ""  ; what the folder still holds
  StrCpy $R4 0   ; it holds settings
  StrCpy $R5 0   ; it holds files Tolvar did not install
  FindFirst $R2 $R3 "$INSTDIR\*.*"
  ${DoWhile} $R3 != ""
    ${If} $R3 != "."
    ${AndIf} $R3 != ".."
      ${If} $R1 == ""
        StrCpy $R1 $R3
      ${Else}
        StrCpy $R1 "$R1, $R3"
      ${EndIf}
      StrCpy $R6 $R3 10
      StrCpy $R7 $R3 "" -4
      ${If} $R6 == "Tolvar.ini"
      ${OrIf} $R6 == "Tolvar.unr"
      ${OrIf} $R6 == "Tolvar.unf"
      ${OrIf} $R6 == "Tolvar.ori"
        StrCpy $R4 1
      ${ElseIf} $R7 != ".old"
        StrCpy $R5 1
      ${EndIf}
    ${EndIf}
    FindNext $R2 $R3
  ${Loop}
  FindClose $R2
  StrCpy $LeftBehind "$LeftBehind$\r$\n$\r$\nThe folder $INSTDIR was left in place. It still \
    holds: $R1."
  ${If} $R4 = 1
    StrCpy $LeftBehind "$LeftBehind$\r$\n- Tolvar.ini: your settings, kept as you chose, for a \
      later installation."
  ${EndIf}
  ${If} $InUse != ""
    StrCpy $LeftBehind "$LeftBehind$\r$\n- Program files that other programs still had \
      loaded ($InUse): they are deleted when you next log on."
  ${EndIf}
  ${If} $InUseTooLong != ""
    StrCpy $LeftBehind "$LeftBehind$\r$\n- Program files that other programs still had \
      loaded ($InUseTooLong): delete them once those programs have ended (the folder's path is \
      too long to have them deleted at your next logon)."
  ${EndIf}
  ${If} $R5 = 1
    StrCpy $LeftBehind "$LeftBehind$\r$\n- Files that ${PRODUCT} did not install (your own, or \
      icons and sounds unpacked from schemes): the uninstaller removes only what it installed."
  ${EndIf}
  DetailPrint "$LeftBehind"
FunctionEnd

!macro RemoveSettingsIn folder
  Delete "${folder}\Tolvar.ini"
  Delete "${folder}\Tolvar.ini.new"
  Delete "${folder}\Tolvar.unreadable*.ini"
  Delete "${folder}\Tolvar.unfinished*.ini"
  Delete "${folder}\Tolvar.original*.ini"
!macroend

Section "Uninstall"
  ; Only now that the user has confirmed: a running Tolvar holds its files.
  Call un.WaitUntilNotRunning
  ; The user's settings: Tolvar.ini beside the program, with the files a
  ; start set aside (unreadable, unfinished, or kept as they were), or the
  ; same in the user's application data when the program's folder was not
  ; writable.
  MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 \
    "Also remove your ${PRODUCT} settings (Tolvar.ini)?$\n$\nChoose No to keep them for a later installation." \
    /SD IDNO IDNO keep
    !insertmacro RemoveSettingsIn "$INSTDIR"
    !insertmacro RemoveSettingsIn "$APPDATA\${PRODUCT}"
    RMDir "$APPDATA\${PRODUCT}"
  keep:

  !insertmacro UninstallFiles
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  Delete "$SMSTARTUP\${PRODUCT}.lnk"
  Call un.DescribeWhatWasLeft
  ; Last, so that whoever waits for the entry to go knows the rest is done.
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
