; VELMORA's installer: per user, no administrator rights. Built by
; tools/package-windows.sh, which passes
;   makensis -DVERSION=1.1 -DVERSION4=1.1.0.0 -DEXE=/abs/velmora.exe -DOUTFILE=/abs/setup.exe velmora.nsi
;
; Command line of the built setup.exe (besides NSIS's own /S and /D=folder):
;   /STARTATSIGNIN     tick "Start VELMORA when I sign in"
;   /STARTATSIGNIN=0   untick it
; Without either, the tick keeps what the installed copy had (off on a first install).
;
; The uninstaller, for scripts: uninstall.exe /S _?=<install folder>
; runs in place and returns 0 once the program, its shortcuts and its entry are
; gone, 2 (removing nothing) while VELMORA runs. Without _?= NSIS hands over to
; a copy in %TEMP% before any of this script runs and returns 0 at once, so the
; uninstall entry uses the _?= form.
; The settings (HKCU\Software\VB and VBA Program Settings\VELMORA) are never touched,
; so a reinstall or an uninstall keeps the task list.

Target amd64-unicode
ManifestDPIAware true
RequestExecutionLevel user
SetCompressor /SOLID lzma

!include MUI2.nsh
!include nsDialogs.nsh
!include LogicLib.nsh
!include FileFunc.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\VELMORA"
!define PUBLISHER "TARNHOLT"

Name "VELMORA"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\VELMORA"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"

VIProductVersion "${VERSION4}"
VIFileVersion "${VERSION4}"
VIAddVersionKey "ProductName" "VELMORA"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "FileDescription" "VELMORA ${VERSION} Setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "Copyright 2026 ${PUBLISHER}. Freeware."

!define MUI_ICON "velmora.ico"
!define MUI_UNICON "velmora.ico"
!define MUI_ABORTWARNING
BrandingText "VELMORA ${VERSION}"

Var StartAtSignIn
Var StartAtSignInBox

!insertmacro MUI_PAGE_DIRECTORY
Page custom OptionsPage OptionsPageLeave
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\velmora.exe"
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; Windows does not let a running program's file be opened for writing, so this
; finds a running copy before it is replaced or removed half-way. Silent runs
; give up (exit code 2) rather than wait for a user who is not there.
!macro WAIT_UNTIL_CLOSED prefix
Function ${prefix}WaitUntilClosed
  ${DoWhile} ${FileExists} "$INSTDIR\velmora.exe"
    ClearErrors
    FileOpen $0 "$INSTDIR\velmora.exe" a
    ${IfNot} ${Errors}
      FileClose $0
      ${Break}
    ${EndIf}
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION \
      "VELMORA is running. Close it, then click Retry." /SD IDCANCEL IDRETRY retry
    SetErrorLevel 2
    Quit
    retry:
  ${Loop}
FunctionEnd
!macroend
!insertmacro WAIT_UNTIL_CLOSED ""
!insertmacro WAIT_UNTIL_CLOSED "un."

Function .onInit
  SetShellVarContext current
  StrCpy $StartAtSignIn 0
  ${If} ${FileExists} "$SMSTARTUP\VELMORA.lnk"
    StrCpy $StartAtSignIn 1
  ${EndIf}
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/STARTATSIGNIN" $R1
  ${IfNot} ${Errors}
    ${If} $R1 == ""
    ${OrIf} $R1 == "=1"
      StrCpy $StartAtSignIn 1
    ${ElseIf} $R1 == "=0"
      StrCpy $StartAtSignIn 0
    ${Else}
      MessageBox MB_ICONSTOP "Unknown value: /STARTATSIGNIN$R1 (use /STARTATSIGNIN or /STARTATSIGNIN=0)." /SD IDOK
      SetErrorLevel 2
      Quit
    ${EndIf}
  ${EndIf}
FunctionEnd

Function OptionsPage
  !insertmacro MUI_HEADER_TEXT "Options" "Choose whether VELMORA starts by itself."
  nsDialogs::Create 1018
  Pop $0
  ${NSD_CreateCheckbox} 0 0 100% 12u "Start VELMORA when I sign in"
  Pop $StartAtSignInBox
  ${If} $StartAtSignIn == 1
    ${NSD_Check} $StartAtSignInBox
  ${EndIf}
  nsDialogs::Show
FunctionEnd

Function OptionsPageLeave
  ${NSD_GetState} $StartAtSignInBox $0
  ${If} $0 == ${BST_CHECKED}
    StrCpy $StartAtSignIn 1
  ${Else}
    StrCpy $StartAtSignIn 0
  ${EndIf}
FunctionEnd

Section
  SetShellVarContext current
  Call WaitUntilClosed
  SetOutPath "$INSTDIR"
  File "/oname=velmora.exe" "${EXE}"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateShortcut "$SMPROGRAMS\VELMORA.lnk" "$INSTDIR\velmora.exe"
  ${If} $StartAtSignIn == 1
    CreateShortcut "$SMSTARTUP\VELMORA.lnk" "$INSTDIR\velmora.exe"
  ${Else}
    Delete "$SMSTARTUP\VELMORA.lnk"
  ${EndIf}

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "VELMORA"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\velmora.exe,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  ; _?= last and unquoted, blanks and all.
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe" _?=$INSTDIR'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S _?=$INSTDIR'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Function un.onInit
  SetShellVarContext current
  ; /AFTER: the copy that removes an in-place uninstaller's own file and the
  ; folder once that uninstaller has ended (a running program's file cannot be
  ; deleted). It waits up to 30 s for it.
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/AFTER" $R1
  ${IfNot} ${Errors}
    ${For} $R2 1 300
      Delete "$INSTDIR\uninstall.exe"
      ${IfNot} ${FileExists} "$INSTDIR\uninstall.exe"
        ${Break}
      ${EndIf}
      Sleep 100
    ${Next}
    RMDir "$INSTDIR"
    Quit
  ${EndIf}
FunctionEnd

Section "Uninstall"
  ; First, so that a running VELMORA leaves everything as it was.
  Call un.WaitUntilClosed
  Delete "$INSTDIR\velmora.exe"
  Delete "$SMPROGRAMS\VELMORA.lnk"
  Delete "$SMSTARTUP\VELMORA.lnk"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  ${If} $EXEDIR == $INSTDIR
    ; In place (_?=): this file is in use until the uninstaller ends.
    GetTempFileName $0
    CopyFiles /SILENT "$EXEPATH" "$0"
    Exec '"$0" /S /AFTER _?=$INSTDIR'
  ${Else}
    Delete "$INSTDIR\uninstall.exe"
    ; Not /r: whatever else a user keeps in the folder stays.
    RMDir "$INSTDIR"
  ${EndIf}
SectionEnd
