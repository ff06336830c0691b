; The Windows installer: both DLLs, the README and the licence. By default it
; installs for the current user alone, with no administrator's rights, into
; %LOCALAPPDATA%\Programs\Oddments, and registers per user; /ALLUSERS, or the
; choice on its first page, installs for everyone under Program Files, asking
; for elevation. /S runs silently, /D= names the folder.
;
; makensis -DVERSION=x.y.z -DSTAGE=<folder of the files> -DOUTFILE=<setup.exe>
;          [-DSIGN=<script that signs a file in place>]

!ifndef VERSION | STAGE | OUTFILE
  !error "VERSION, STAGE and OUTFILE must be defined"
!endif

Unicode true
SetCompressor /SOLID lzma
RequestExecutionLevel user

!include LogicLib.nsh
!include x64.nsh
!include FileFunc.nsh
!include nsDialogs.nsh
!include MUI2.nsh

!define PRODUCT "Oddments Shell Extension"
!define PUBLISHER "Marrowgate Code Workshop"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Oddments"
; Where a user's programs run the next time they sign in.
!define RUN_ONCE_KEY "Software\Microsoft\Windows\CurrentVersion\RunOnce"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
BrandingText "${PRODUCT} ${VERSION}"
ShowInstDetails show
ShowUninstDetails show

!ifdef SIGN
  !uninstfinalize '"${SIGN}" "%1"'
!endif

Var AllUsers      ; 1: installed for everyone
Var ModeGiven     ; 1: /ALLUSERS or /CURRENTUSER was on the command line
Var DirGiven      ; 1: /D= named the folder
Var InUseRenamed  ; 1: a DLL that Explorer holds was renamed aside
Var PreviousDir   ; where an earlier install of this mode lies
Var RadioUser
Var RadioAll

!define MUI_ABORTWARNING
Page custom ModePage ModePageLeave
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "FileDescription" "${PRODUCT} Setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "Copyright (c) 2026 ${PUBLISHER}"

; The mode from the command line: /ALLUSERS or /CURRENTUSER, in any case.
!macro ReadModeOptions
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/ALLUSERS" $1
  ${IfNot} ${Errors}
    StrCpy $AllUsers 1
    StrCpy $ModeGiven 1
  ${EndIf}
  ClearErrors
  ${GetOptions} $0 "/CURRENTUSER" $1
  ${IfNot} ${Errors}
    StrCpy $AllUsers 0
    StrCpy $ModeGiven 1
  ${EndIf}
!macroend

; Registry view and shell folders of the mode: the uninstall entry lands in
; the hive that matches it, in the system's native view.
!macro UseModeContext
  ${If} ${RunningX64}
    SetRegView 64
  ${EndIf}
  ${If} $AllUsers == 1
    SetShellVarContext all
  ${Else}
    SetShellVarContext current
  ${EndIf}
!macroend

; An install for everyone needs an administrator: without one, the same
; program runs again elevated, for everyone, with the same options, and this
; one ends.
!macro DefineRequireAdmin PREFIX
  Function ${PREFIX}RequireAdmin
    UserInfo::GetAccountType
    Pop $0
    ${If} $0 == "Admin"
      Return
    ${EndIf}
    ${GetParameters} $1
    ClearErrors
    ExecShellWait "runas" "$EXEPATH" "/ALLUSERS $1"
    ${If} ${Errors}
      MessageBox MB_OK|MB_ICONSTOP "Installing for everyone needs an administrator's rights." /SD IDOK
      SetErrorLevel 5
    ${EndIf}
    Quit
  FunctionEnd
!macroend
!insertmacro DefineRequireAdmin ""
!insertmacro DefineRequireAdmin "un."

; The folder of the mode, unless /D= named one: where
; an earlier install of the same mode lies, else the mode's usual place.
Function ApplyMode
  !insertmacro UseModeContext
  ${If} $DirGiven == 1
    Return
  ${EndIf}
  ReadRegStr $0 SHCTX "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 != ""
    StrCpy $INSTDIR $0
  ${ElseIf} $AllUsers != 1
    StrCpy $INSTDIR "$LOCALAPPDATA\Programs\Oddments"
  ${ElseIf} ${RunningX64}
    StrCpy $INSTDIR "$PROGRAMFILES64\Oddments"
  ${Else}
    StrCpy $INSTDIR "$PROGRAMFILES\Oddments"
  ${EndIf}
FunctionEnd

Function .onInit
  StrCpy $AllUsers 0
  !insertmacro ReadModeOptions
  ; InstallDir is not set, so a folder here came from /D=.
  ${If} $INSTDIR != ""
    StrCpy $DirGiven 1
  ${EndIf}
  ${If} $AllUsers == 1
    Call RequireAdmin
  ${EndIf}
  Call ApplyMode
FunctionEnd

Function ModePage
  ${If} $ModeGiven == 1
    Abort
  ${EndIf}
  !insertmacro MUI_HEADER_TEXT "Who uses Oddments" "Install it for you alone, or for everyone on this computer."
  nsDialogs::Create 1018
  Pop $0
  ${NSD_CreateRadioButton} 0 10u 100% 12u "Just for &me (no administrator's rights needed)"
  Pop $RadioUser
  ${NSD_CreateRadioButton} 0 28u 100% 12u "For &everyone on this computer (asks for administrator's rights)"
  Pop $RadioAll
  ${If} $AllUsers == 1
    ${NSD_Check} $RadioAll
  ${Else}
    ${NSD_Check} $RadioUser
  ${EndIf}
  ${NSD_CreateLabel} 0 52u 100% 40u "Programs that run as administrator see Oddments only when it is installed for everyone: Windows ignores a user's own shell extensions in elevated programs."
  Pop $0
  nsDialogs::Show
FunctionEnd

Function ModePageLeave
  ${NSD_GetState} $RadioAll $0
  ${If} $0 == ${BST_CHECKED}
    StrCpy $AllUsers 1
    Call RequireAdmin
  ${Else}
    StrCpy $AllUsers 0
  ${EndIf}
  Call ApplyMode
FunctionEnd

; A file that cannot go now is deleted at the next restart: by the system for
; an administrator, at the user's next sign-in otherwise, since only an
; administrator may schedule deletions for the restart.
!macro DefineDeleteLater PREFIX
  Function ${PREFIX}DeleteLater
    Exch $0
    ${If} $AllUsers == 1
      Delete /REBOOTOK "$0"
    ${Else}
      WriteRegStr HKCU "${RUN_ONCE_KEY}" "Oddments cleanup $0" '"$SYSDIR\cmd.exe" /c del /f /q "$0"'
    ${EndIf}
    Pop $0
  FunctionEnd
!macroend
!insertmacro DefineDeleteLater ""
!insertmacro DefineDeleteLater "un."

; Explorer keeps a DLL it has loaded until it ends, and Windows refuses to
; overwrite or delete a loaded DLL but lets it be renamed: the old one moves
; aside, and Explorer goes on with it until the user signs in again.
!macro PlaceDll FOLDER
  CreateDirectory "$INSTDIR\${FOLDER}"
  ClearErrors
  Delete "$INSTDIR\${FOLDER}\shexOddments.dll"
  ${If} ${Errors}
    GetTempFileName $0 "$INSTDIR\${FOLDER}"
    Delete $0
    Rename "$INSTDIR\${FOLDER}\shexOddments.dll" $0
    Push $0
    Call DeleteLater
    StrCpy $InUseRenamed 1
  ${EndIf}
  File "/oname=$INSTDIR\${FOLDER}\shexOddments.dll" "${STAGE}/${FOLDER}/shexOddments.dll"
!macroend

; regsvr32 of one bitness on one DLL: per user (/n /i:user) or for the
; machine, as the mode says. EXTRA is /u to unregister.
!macro Regsvr32 DLL EXTRA
  ${If} $AllUsers == 1
    ExecWait '"$SYSDIR\regsvr32.exe" /s ${EXTRA} "${DLL}"' $0
  ${Else}
    ExecWait '"$SYSDIR\regsvr32.exe" /s ${EXTRA} /n /i:user "${DLL}"' $0
  ${EndIf}
!macroend

; The 64-bit regsvr32 lives in the real system folder, which this 32-bit
; program reaches with the file system's redirection off.
!macro Regsvr32Native DLL EXTRA
  ${DisableX64FSRedirection}
  !insertmacro Regsvr32 "${DLL}" "${EXTRA}"
  ${EnableX64FSRedirection}
!macroend

; Removes one DLL; one that Explorer holds goes at the next restart.
!macro RemoveDll DIR FOLDER PREFIX
  ClearErrors
  Delete "${DIR}\${FOLDER}\shexOddments.dll"
  ${If} ${Errors}
    Push "${DIR}\${FOLDER}\shexOddments.dll"
    Call ${PREFIX}DeleteLater
  ${EndIf}
  Delete "${DIR}\${FOLDER}\ns*.tmp"
  RMDir "${DIR}\${FOLDER}"
!macroend

; Removes the files an install put in DIR, by name, and the folder when
; nothing else is left in it.
!macro RemoveInstalledFiles DIR PREFIX
  !insertmacro RemoveDll "${DIR}" "64-bit" "${PREFIX}"
  !insertmacro RemoveDll "${DIR}" "32-bit" "${PREFIX}"
  Delete "${DIR}\README.md"
  Delete "${DIR}\LICENSE"
  Delete "${DIR}\uninstall.exe"
  RMDir "${DIR}"
!macroend

Section "Install"
  ReadRegStr $PreviousDir SHCTX "${UNINSTALL_KEY}" "InstallLocation"
  SetOutPath "$INSTDIR"
  ; Left over from an earlier upgrade, if no restart took them yet.
  Delete "$INSTDIR\64-bit\ns*.tmp"
  Delete "$INSTDIR\32-bit\ns*.tmp"

  !insertmacro PlaceDll "32-bit"
  ${If} ${RunningX64}
    !insertmacro PlaceDll "64-bit"
  ${EndIf}
  File "/oname=$INSTDIR\README.md" "${STAGE}/README.md"
  File "/oname=$INSTDIR\LICENSE" "${STAGE}/LICENSE"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  ; The 32-bit DLL first: where one view holds a user's classes for both
  ; bitnesses, the one named last is Explorer's, the 64-bit one.
  !insertmacro Regsvr32 "$INSTDIR\32-bit\shexOddments.dll" ""
  ${If} $0 != 0
    Abort "Registering the 32-bit DLL failed (regsvr32 exit code $0)."
  ${EndIf}
  ${If} ${RunningX64}
    !insertmacro Regsvr32Native "$INSTDIR\64-bit\shexOddments.dll" ""
    ${If} $0 != 0
      Abort "Registering the 64-bit DLL failed (regsvr32 exit code $0)."
    ${EndIf}
  ${EndIf}

  StrCpy $1 '"$INSTDIR\uninstall.exe"'
  ${If} $AllUsers == 1
    StrCpy $1 "$1 /ALLUSERS"
  ${EndIf}
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\uninstall.exe,0"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" "$1"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" "$1 /S"
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $2 $3 $4
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "EstimatedSize" $2

  ; An earlier install of this mode in another folder: its registration and
  ; entry now name this one, so its files would stay behind for good.
  ${If} $PreviousDir != ""
  ${AndIf} $PreviousDir != $INSTDIR
    DetailPrint "Removing the earlier install in $PreviousDir"
    !insertmacro RemoveInstalledFiles "$PreviousDir" ""
  ${EndIf}

  ${If} $InUseRenamed == 1
    DetailPrint "Explorer still runs the version it loaded."
    MessageBox MB_OK|MB_ICONINFORMATION "Explorer still runs the version of Oddments it had loaded. It uses the new version after you sign in to Windows again." /SD IDOK
  ${EndIf}
SectionEnd

Function un.onInit
  StrCpy $AllUsers 0
  !insertmacro ReadModeOptions
  ${If} $AllUsers == 1
    Call un.RequireAdmin
  ${EndIf}
  !insertmacro UseModeContext
FunctionEnd

Section "Uninstall"
  ${If} ${RunningX64}
  ${AndIf} ${FileExists} "$INSTDIR\64-bit\shexOddments.dll"
    !insertmacro Regsvr32Native "$INSTDIR\64-bit\shexOddments.dll" "/u"
  ${EndIf}
  ${If} ${FileExists} "$INSTDIR\32-bit\shexOddments.dll"
    !insertmacro Regsvr32 "$INSTDIR\32-bit\shexOddments.dll" "/u"
  ${EndIf}

  !insertmacro RemoveInstalledFiles "$INSTDIR" "un."
  DeleteRegKey SHCTX "${UNINSTALL_KEY}"
SectionEnd
