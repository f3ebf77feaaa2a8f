; The Quorvane AI installer: a per-machine install into Program Files (64-bit),
; upgrades in place, and an uninstaller. Built by scripts/package.sh, which
; passes on the command line:
;   VERSION     the project version (x.y.z)
;   BUNDLE      the folder of the laid-out application bundle
;   FILE_LIST   a generated header defining ForEachBundleFile, which applies a
;               macro to the name of every file at the top of the bundle
;   ICON        the application icon
;   OUTFILE     the installer to write

Target amd64-unicode
!include MUI2.nsh
!include FileFunc.nsh
!include LogicLib.nsh
!include Sections.nsh
!include log.nsh
!include running_host.nsh
!include "${FILE_LIST}"

!define PRODUCT_NAME "Quorvane AI"
!define PUBLISHER "Quorvane AI"
!define HOST_EXE "quorvane_ai.exe"
!define SHORTCUT_NAME "Quorvane AI.lnk"
!define UNINSTALLER "uninstall.exe"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\QuorvaneAI"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define RUN_VALUE "Quorvane AI"
!define SETTINGS_KEY "Software\QuorvaneAI"
!define TOKEN_CREDENTIAL "quorvane.ai.codex.token.v1"
!define CRED_TYPE_GENERIC 1

Name "${PRODUCT_NAME}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${PRODUCT_NAME}"
; An upgrade goes where the installed version is, unless /D= says otherwise.
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
RequestExecutionLevel admin
ManifestDPIAware true
SetCompressor /SOLID lzma
AllowSkipFiles off
ShowInstDetails show
ShowUninstDetails show
BrandingText "${PRODUCT_NAME} ${VERSION}"

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "${PRODUCT_NAME}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "FileDescription" "${PRODUCT_NAME} Setup"
VIAddVersionKey "LegalCopyright" "© ${PUBLISHER}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC
!define MUI_UNCOMPONENTSPAGE_NODESC

!define MUI_PAGE_CUSTOMFUNCTION_LEAVE CheckTargetPage
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\${HOST_EXE}"
!define MUI_FINISHPAGE_RUN_TEXT "Start ${PRODUCT_NAME}"
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

!insertmacro DefineEndRunningHost ""
!insertmacro DefineEndRunningHost "un."

; --- installer ---

!macro CheckReplaceable name
  ${If} ${FileExists} "$INSTDIR\${name}"
    ClearErrors
    FileOpen $0 "$INSTDIR\${name}" a
    ${If} ${Errors}
      ${Fail} "$INSTDIR\${name} is in use or cannot be replaced; close the programs using it and try again. Nothing was changed."
    ${EndIf}
    FileClose $0
  ${EndIf}
!macroend

!macro InstallFile name
  File "${BUNDLE}\${name}"
!macroend

; Leaves in $R9 "" when files can be written into $INSTDIR, else why not. A
; folder made only for this check is removed again. A folder that holds other
; files but no installed version is refused: upgrades and removal delete its
; data folder whole.
Function CheckTarget
  Push $0
  Push $1
  Push $2
  StrCpy $R9 ""
  StrCpy $0 "existed"
  ${If} ${FileExists} "$INSTDIR\*.*"
  ${AndIfNot} ${FileExists} "$INSTDIR\${HOST_EXE}"
    FindFirst $1 $2 "$INSTDIR\*.*"
    ${DoWhile} $2 != ""
      ${If} $2 != "."
      ${AndIf} $2 != ".."
        StrCpy $R9 "The folder $INSTDIR already holds other files. Choose an empty or a new folder."
        ${Break}
      ${EndIf}
      FindNext $1 $2
    ${Loop}
    FindClose $1
    ${If} $R9 != ""
      Goto done
    ${EndIf}
  ${EndIf}
  ${IfNot} ${FileExists} "$INSTDIR\*.*"
    StrCpy $0 "created"
    ClearErrors
    CreateDirectory "$INSTDIR"
    ${If} ${Errors}
      StrCpy $R9 "The folder $INSTDIR cannot be created. Choose another folder."
      Goto done
    ${EndIf}
  ${EndIf}
  ClearErrors
  FileOpen $R8 "$INSTDIR\quorvane-setup-write-test.tmp" w
  ${If} ${Errors}
    StrCpy $R9 "The folder $INSTDIR cannot be written. Choose another folder, or run Setup as an administrator."
  ${Else}
    FileClose $R8
    Delete "$INSTDIR\quorvane-setup-write-test.tmp"
  ${EndIf}
  ${If} $0 == "created"
    RMDir "$INSTDIR"
  ${EndIf}
done:
  Pop $2
  Pop $1
  Pop $0
FunctionEnd

; Setup falls back to the default folder when the folder given with /D= is
; not a possible folder (part of its path is a file, say). Installing
; somewhere else than asked would surprise an administrator: that is refused.
Function CheckRequestedFolder
  System::Call 'kernel32::GetCommandLineW() w .r0'
  StrLen $1 $0
  IntOp $1 $1 - 4
  ${DoWhile} $1 >= 0
    StrCpy $2 $0 4 $1
    ${If} $2 == " /D="
      IntOp $1 $1 + 4
      StrCpy $2 $0 "" $1
      ${If} $2 != $INSTDIR
      ${AndIf} $2 != "$INSTDIR\"
        ${Fail} "The folder $2 cannot be created. Choose another folder."
      ${EndIf}
      ${Break}
    ${EndIf}
    IntOp $1 $1 - 1
  ${Loop}
FunctionEnd

Function CheckTargetPage
  Call CheckTarget
  ${If} $R9 != ""
    MessageBox MB_OK|MB_ICONEXCLAMATION "$R9"
    Abort
  ${EndIf}
FunctionEnd

; Everything that could stop the install is checked before any file changes.
Section "-Check"
  ${Log} "Installing ${PRODUCT_NAME} ${VERSION} into $INSTDIR"
  Call CheckTarget
  ${If} $R9 != ""
    ${Fail} "$R9"
  ${EndIf}
  Call EndRunningHost
  ${If} $R9 != ""
    ${Fail} "$R9"
  ${EndIf}
  !insertmacro ForEachBundleFile CheckReplaceable
  !insertmacro CheckReplaceable "${UNINSTALLER}"
SectionEnd

Section "${PRODUCT_NAME}" SecProgram
  SectionIn RO
  SetOutPath "$INSTDIR"
  ; The application data of an older version goes; the new one replaces it.
  RMDir /r "$INSTDIR\data"
  !insertmacro ForEachBundleFile InstallFile
  File /r "${BUNDLE}\data"
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"
  ${Log} "Files written."

  CreateShortcut "$SMPROGRAMS\${SHORTCUT_NAME}" "$INSTDIR\${HOST_EXE}" "" "$INSTDIR\${HOST_EXE}" 0
  Delete "$DESKTOP\${SHORTCUT_NAME}"

  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT_NAME}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${HOST_EXE},0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ${Log} "Start-menu shortcut and uninstall entry written."
SectionEnd

Section "Desktop shortcut" SecDesktop
  CreateShortcut "$DESKTOP\${SHORTCUT_NAME}" "$INSTDIR\${HOST_EXE}" "" "$INSTDIR\${HOST_EXE}" 0
SectionEnd

Function .onInit
  SetShellVarContext all
  SetRegView 64
  !insertmacro OpenLog "$TEMP\QuorvaneAI-setup.log"
  Call CheckRequestedFolder
  ; /NODESKTOP: no desktop shortcut (for managed deployment).
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/NODESKTOP" $1
  ${IfNot} ${Errors}
    !insertmacro UnselectSection ${SecDesktop}
  ${EndIf}
FunctionEnd

Function .onInstSuccess
  ${Log} "Installation complete."
  FileClose $LogFile
FunctionEnd

Function .onInstFailed
  ${Log} "Installation failed."
  FileClose $LogFile
FunctionEnd

; --- uninstaller ---

!macro RemoveFile name
  Delete "$INSTDIR\${name}"
!macroend

Section "un.${PRODUCT_NAME}"
  SectionIn RO
  ${Log} "Removing ${PRODUCT_NAME} from $INSTDIR"
  Call un.EndRunningHost
  ${If} $R9 != ""
    ${Fail} "$R9"
  ${EndIf}
  !insertmacro ForEachBundleFile RemoveFile
  RMDir /r "$INSTDIR\data"
  ; This uninstaller runs from a copy in the temporary folder; the original may
  ; still be ending for a moment.
  StrCpy $0 0
  ${DoWhile} ${FileExists} "$INSTDIR\${UNINSTALLER}"
    Delete "$INSTDIR\${UNINSTALLER}"
    IntOp $0 $0 + 1
    ${IfThen} $0 >= 50 ${|} ${Break} ${|}
    Sleep 100
  ${Loop}
  RMDir "$INSTDIR"
  ${If} ${FileExists} "$INSTDIR\*.*"
    ${Log} "warning: $INSTDIR is not empty or in use and was left in place."
  ${EndIf}
  Delete "$SMPROGRAMS\${SHORTCUT_NAME}"
  Delete "$DESKTOP\${SHORTCUT_NAME}"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  ; Windows would otherwise try to start the removed program at the next logon.
  DeleteRegValue HKCU "${RUN_KEY}" "${RUN_VALUE}"
  ${Log} "Files, shortcuts, uninstall entry and launch-at-login entry removed."
SectionEnd

Section /o "un.Also remove my settings and saved access token" SecPurge
  DeleteRegKey HKCU "${SETTINGS_KEY}"
  ; ERROR_NOT_FOUND (1168) just means there was no token.
  System::Call 'advapi32::CredDeleteW(w "${TOKEN_CREDENTIAL}", i ${CRED_TYPE_GENERIC}, i 0) i .r0 ?e'
  Pop $1
  ${If} $0 == 0
  ${AndIf} $1 != 1168
    ${Log} "warning: the saved access token could not be removed (error $1)."
  ${EndIf}
  ${Log} "Settings and saved access token removed."
SectionEnd

Function un.onInit
  SetShellVarContext all
  SetRegView 64
  !insertmacro OpenLog "$TEMP\QuorvaneAI-uninstall.log"
  ; /PURGE: also remove the settings and the access token (silent mode).
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/PURGE" $1
  ${IfNot} ${Errors}
    !insertmacro SelectSection ${SecPurge}
  ${EndIf}
FunctionEnd

Function un.onUninstSuccess
  ${Log} "Removal complete."
  FileClose $LogFile
FunctionEnd

Function un.onUninstFailed
  ${Log} "Removal failed."
  FileClose $LogFile
FunctionEnd
