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
; The uninstaller removes exactly the files the installer put there (FILES
; lists them), its own entries, and the Startup shortcut that the options
; dialog may have made. It asks before it removes the user's settings and the
; icons and sounds unpacked from schemes; a silent uninstall keeps them.

Unicode true
SetCompressor /SOLID lzma
RequestExecutionLevel user
ManifestDPIAware true
; Installed files get the time of installation, and the installer carries no
; build times: two builds from the same files are the same installer.
SetDateSave off

!define PRODUCT "Tolvar"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Tolvar"
; The object by which the running program keeps itself to one instance per
; session (host/single_instance.cpp).
!define INSTANCE_MUTEX "Local\Tolvar.Indicator.Instance"
; Held by the 64-bit companion while it runs (hook/companion/companion_protocol.h);
; it ends with the program, a moment after it.
!define COMPANION_MUTEX "Local\Tolvar.Hook64.Running"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT}"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} ${VERSION} setup"
VIAddVersionKey /LANG=1033 "CompanyName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Copyright (C) the Tolvar authors"

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "FileFunc.nsh"
!include "${FILES}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_FINISHPAGE_RUN "$INSTDIR\Tolvar.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Start ${PRODUCT} now"
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\README.txt"
!define MUI_FINISHPAGE_SHOWREADME_TEXT "Show the README"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED

!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
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
FunctionEnd
!macroend
!insertmacro WaitUntilNotRunning ""
!insertmacro WaitUntilNotRunning "un."

Function .onInit
  SetShellVarContext current
  Call WaitUntilNotRunning
FunctionEnd

Section "${PRODUCT}"
  !insertmacro InstallFiles
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\Tolvar.exe" "" "$INSTDIR\Tolvar.exe" 0 \
    SW_SHOWNORMAL "" "Shows the state of Caps Lock, Num Lock, Scroll Lock and other keys"

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Tolvar.exe"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Function un.onInit
  SetShellVarContext current
  Call un.WaitUntilNotRunning
FunctionEnd

Section "Uninstall"
  ; The user's own things: settings (Tolvar.ini beside the program, with the
  ; copies of unreadable ones set aside, or the same in the user's application
  ; data when the program's folder was not writable) and what the options
  ; dialog unpacked from schemes into Icons and Sounds.
  MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 \
    "Also remove your ${PRODUCT} settings and the icons and sounds unpacked from schemes?$\n$\nChoose No to keep them for a later installation." \
    /SD IDNO IDNO keep
    Delete "$INSTDIR\Tolvar.ini"
    Delete "$INSTDIR\Tolvar.ini.new"
    Delete "$INSTDIR\Tolvar.unreadable*.ini"
    RMDir /r "$APPDATA\${PRODUCT}"
    RMDir /r "$INSTDIR\Icons"
    RMDir /r "$INSTDIR\Sounds"
  keep:

  !insertmacro UninstallFiles
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  Delete "$SMSTARTUP\${PRODUCT}.lnk"
  ; Last, so that whoever waits for the entry to go knows the rest is done.
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
