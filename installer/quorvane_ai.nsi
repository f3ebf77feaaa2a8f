; The Quorvane AI installer: a per-machine install into Program Files (64-bit),
; upgrades in place, and an uninstaller. Built by scripts/package.sh, which
; passes on the command line:
;   VERSION     the project version (x.y.z)
;   BUNDLE      the folder of the laid-out application bundle
;   FILE_LIST   a generated header defining ForEachBundleFile, which applies a
;               macro to the relative name of every file of the bundle, and
;               ForEachBundleFolder, the same for every folder in it
;   ICON        the application icon
;   OUTFILE     the installer to write
;   SIGN        (optional) a command that signs the file named after it; the
;               uninstaller is signed as it is written, the installer once built

Target amd64-unicode
SetCompressor /SOLID lzma
!include MUI2.nsh
!include FileFunc.nsh
!include LogicLib.nsh
!include Sections.nsh
!include TextFunc.nsh
!include WinVer.nsh
!include WordFunc.nsh
!include x64.nsh
!include "${FILE_LIST}"

!define PRODUCT_NAME "Quorvane AI"
!define PUBLISHER "Quorvane AI"
!define HOST_EXE "quorvane_ai.exe"
!define SHORTCUT_NAME "Quorvane AI.lnk"
!define UNINSTALLER "uninstall.exe"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\QuorvaneAI"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define RUN_APPROVED_KEY "Software\Microsoft\Windows\CurrentVersion\Explorer\StartupApproved\Run"
!define RUN_VALUE "Quorvane AI"
!define SETTINGS_KEY "Software\QuorvaneAI"
!define USER_DATA_FOLDER "Quorvane AI"
!define TOKEN_CREDENTIAL "quorvane.ai.codex.token.v1"
!define CRED_TYPE_GENERIC 1
!define SETUP_MUTEX "Global\QuorvaneAI.Setup"
!define ERROR_ALREADY_EXISTS 183
!define SYNCHRONIZE 0x00100000
!define LANGID_ZH_CN 2052
!define LANGID_ZH_SG 4100

!include log.nsh
!include running_host.nsh
!include installed_files.nsh
!include folder_security.nsh

Name "${PRODUCT_NAME}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${PRODUCT_NAME}"
; An upgrade goes where the installed version is, unless /D= says otherwise.
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
RequestExecutionLevel admin
ManifestDPIAware true
; The program needs Windows 10 or 11; the setup says so on anything older.
ManifestSupportedOS Win10
AllowSkipFiles off
ShowInstDetails show
ShowUninstDetails show
BrandingText "${PRODUCT_NAME} ${VERSION}"
!ifdef SIGN
  !uninstfinalize '${SIGN} "%1"' = 0
  !finalize '${SIGN} "%1"' = 0
!endif

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_HEADERIMAGE
!define MUI_HEADERIMAGE_BITMAP "art\header.bmp"
!define MUI_WELCOMEFINISHPAGE_BITMAP "art\wizard.bmp"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC
!define MUI_UNCOMPONENTSPAGE_NODESC

!define MUI_PAGE_CUSTOMFUNCTION_LEAVE CheckTargetPage
!insertmacro MUI_PAGE_DIRECTORY
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE PrepareInstallPage
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\${HOST_EXE}"
!define MUI_FINISHPAGE_RUN_TEXT "$(FINISH_RUN)"
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE un.PrepareRemovalPage
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES

; English first: it is the fallback for a text a translation lacks.
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "SimpChinese"
!include lang\english.nsh
!include lang\simpchinese.nsh

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductName" "${PRODUCT_NAME}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileDescription" "${PRODUCT_NAME} Setup"
VIAddVersionKey /LANG=${LANG_ENGLISH} "LegalCopyright" "© ${PUBLISHER}"

!insertmacro DefineLog ""
!insertmacro DefineLog "un."
!insertmacro DefineEndRunningHost ""
!insertmacro DefineEndRunningHost "un."
!insertmacro DefineInstalledFiles ""
!insertmacro DefineInstalledFiles "un."

; Folders are compared without a trailing backslash.
!macro TrimFolder var
  ${DoWhile} "${var}" != ""
    StrCpy $0 "${var}" "" -1
    ${If} $0 != "\"
      ${Break}
    ${EndIf}
    StrCpy ${var} "${var}" -1
  ${Loop}
!macroend

; Chinese for a Simplified Chinese display language, English otherwise.
!macro ChooseLanguage
  System::Call 'kernel32::GetUserDefaultUILanguage() i .r0'
  ${If} $0 == ${LANGID_ZH_CN}
  ${OrIf} $0 == ${LANGID_ZH_SG}
    StrCpy $LANGUAGE ${LANG_SIMPCHINESE}
  ${Else}
    StrCpy $LANGUAGE ${LANG_ENGLISH}
  ${EndIf}
!macroend

; Removes the launch-at-login value of the user who runs this and its
; enabled/disabled mark, so that Windows does not try to start a removed program.
!macro RemoveLaunchAtLogin
  DeleteRegValue HKCU "${RUN_KEY}" "${RUN_VALUE}"
  DeleteRegValue HKCU "${RUN_APPROVED_KEY}" "${RUN_VALUE}"
!macroend

; Removes $INSTDIR when empty and then each parent up to and including TOP
; (a folder that setup created), as long as they are empty.
!macro RemoveFolderAndCreatedParents top
  Push $0
  StrCpy $0 "$INSTDIR"
  ${Do}
    RMDir "$0"
    ${If} "${top}" == ""
    ${OrIf} $0 == "${top}"
      ${Break}
    ${EndIf}
    ${GetParent} "$0" $0
  ${LoopUntil} $0 == ""
  Pop $0
!macroend

; --- installer ---

Var CreatedFolder
Var InstalledVersion
Var OldFolder
Var OldLaunchAtLogin

!macro InstallFolder name
  CreateDirectory "$INSTDIR\${name}"
!macroend

!macro InstallFile name
  File "/oname=$INSTDIR\${name}" "${BUNDLE}\${name}"
!macroend

; Pushes the outermost folder of $INSTDIR that does not exist yet ("" when
; $INSTDIR exists): creating $INSTDIR creates it and those below it.
Function FirstMissingFolder
  Push $0
  Push $1
  StrCpy $0 "$INSTDIR"
  StrCpy $1 ""
  ${DoUntil} ${FileExists} "$0\*.*"
    StrCpy $1 $0
    ${GetParent} "$0" $0
    ${IfThen} $0 == "" ${|} ${Break} ${|}
  ${Loop}
  Exch $1
  Exch
  Pop $0
FunctionEnd

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
        StrCpy $R9 "$(MSG_FOLDER_NOT_EMPTY)"
        ${Break}
      ${EndIf}
      FindNext $1 $2
    ${Loop}
    FindClose $1
    ${If} $R9 != ""
      Goto done
    ${EndIf}
  ${EndIf}
  SetDetailsPrint none
  ${IfNot} ${FileExists} "$INSTDIR\*.*"
    StrCpy $0 "created"
    Call FirstMissingFolder
    Pop $1
    ClearErrors
    CreateDirectory "$INSTDIR"
    ${If} ${Errors}
      StrCpy $R7 "$INSTDIR"
      StrCpy $R9 "$(MSG_FOLDER_CANNOT_CREATE)"
      Goto done
    ${EndIf}
  ${EndIf}
  ClearErrors
  FileOpen $R8 "$INSTDIR\quorvane-setup-write-test.tmp" w
  ${If} ${Errors}
    StrCpy $R9 "$(MSG_FOLDER_NOT_WRITABLE)"
  ${Else}
    FileClose $R8
    Delete "$INSTDIR\quorvane-setup-write-test.tmp"
  ${EndIf}
  ${If} $0 == "created"
    !insertmacro RemoveFolderAndCreatedParents $1
  ${EndIf}
done:
  SetDetailsPrint both
  Pop $2
  Pop $1
  Pop $0
FunctionEnd

; Setup falls back to the default folder when the folder given with /D= is
; not a possible folder (part of its path is a file, say). Installing
; somewhere else than asked would surprise an administrator: that is refused.
; The folder is compared as setup reads it: slashes as backslashes, trailing
; blanks and backslashes dropped.
Function CheckRequestedFolder
  System::Call 'kernel32::GetCommandLineW() w .r0'
  StrLen $1 $0
  IntOp $1 $1 - 4
  ${DoWhile} $1 >= 0
    StrCpy $2 $0 4 $1
    ${If} $2 == " /D="
      IntOp $1 $1 + 4
      StrCpy $2 $0 "" $1
      ${WordReplace} "$2" "/" "\" "+" $2
      ${Do}
        StrCpy $3 $2 "" -1
        ${If} $3 != " "
        ${AndIf} $3 != "\"
          ${Break}
        ${EndIf}
        StrCpy $2 $2 -1
      ${Loop}
      StrCpy $3 $INSTDIR
      !insertmacro TrimFolder $3
      ${If} $2 != $3
        StrCpy $R7 $2
        ${Fail} "$(MSG_FOLDER_CANNOT_CREATE)"
      ${EndIf}
      ${Break}
    ${EndIf}
    IntOp $1 $1 - 1
  ${Loop}
FunctionEnd

; An installed version: a downgrade or a reinstall is said so, and asked
; about before anything changes when a user is there to answer.
Function CheckInstalledVersion
  ReadRegStr $InstalledVersion HKLM "${UNINSTALL_KEY}" "DisplayVersion"
  ${If} $InstalledVersion == ""
    Return
  ${EndIf}
  StrCpy $R7 $InstalledVersion
  ${VersionCompare} "${VERSION}" "$InstalledVersion" $0
  ${If} $0 == 2
    ${Log} "Version $InstalledVersion is installed: this is a downgrade to ${VERSION}."
    StrCpy $1 "$(MSG_DOWNGRADE)"
  ${ElseIf} $0 == 0
    ${Log} "Version ${VERSION} is installed already: installing it again."
    StrCpy $1 "$(MSG_REINSTALL)"
  ${Else}
    ${Log} "Upgrading from version $InstalledVersion."
    Return
  ${EndIf}
  MessageBox MB_YESNO|MB_ICONQUESTION "$1" /SD IDYES IDYES confirmed
  ${Cancelled}
confirmed:
FunctionEnd

; $R8 0 when the install may go ahead, 1 when the user cancelled, 2 (with the
; reason in $R9) when it cannot: everything that could stop it is checked
; before any file changes, and a running host is ended.
Function PrepareInstall
  StrCpy $R8 0
  Call CheckTarget
  ${If} $R9 != ""
    StrCpy $R8 2
    Return
  ${EndIf}
  Call EndRunningHost
  ${If} $R8 != 0
    Return
  ${EndIf}
  Call CheckInstalledFiles
FunctionEnd

Function CheckTargetPage
  Call CheckTarget
  ${If} $R9 != ""
    MessageBox MB_OK|MB_ICONEXCLAMATION "$R9"
    Abort
  ${EndIf}
FunctionEnd

; Interactively the running host is asked about before the progress page.
Function PrepareInstallPage
  Call PrepareInstall
  ${If} $R8 == 1
    ${Log} "$(MSG_CANCELLED)"
    SetErrorLevel 1
    Quit
  ${ElseIf} $R8 == 2
    ${Log} "error: $R9"
    MessageBox MB_OK|MB_ICONEXCLAMATION "$R9"
    Abort
  ${EndIf}
FunctionEnd

; Creates $INSTDIR, noting the first folder it had to create, and restricts
; it when it is not below Program Files.
Function MakeSafeFolder
  Call FirstMissingFolder
  Pop $CreatedFolder
  ClearErrors
  CreateDirectory "$INSTDIR"
  ${If} ${Errors}
    StrCpy $R7 "$INSTDIR"
    StrCpy $R8 2
    StrCpy $R9 "$(MSG_FOLDER_CANNOT_CREATE)"
    Return
  ${EndIf}
  Call SecureFolder
FunctionEnd

; An installed copy in another folder is removed first (its settings kept), so
; that no second copy is left behind. Its launch-at-login value moves along.
Function RemoveOldCopy
  ReadRegStr $OldFolder HKLM "${UNINSTALL_KEY}" "InstallLocation"
  StrCpy $R8 0
  ${If} $OldFolder == ""
  ${OrIf} $OldFolder == $INSTDIR
  ${OrIfNot} ${FileExists} "$OldFolder\${UNINSTALLER}"
    Return
  ${EndIf}
  ReadRegStr $OldLaunchAtLogin HKCU "${RUN_KEY}" "${RUN_VALUE}"
  ${Log} "Removing the copy installed in $OldFolder."
  ClearErrors
  ExecWait '"$OldFolder\${UNINSTALLER}" /S _?=$OldFolder' $0
  ${If} ${Errors}
  ${OrIf} $0 != 0
    StrCpy $R7 $OldFolder
    StrCpy $R8 2
    StrCpy $R9 "$(MSG_OLD_COPY_NOT_REMOVED)"
    Return
  ${EndIf}
  ; An uninstaller run in place cannot delete itself.
  Delete "$OldFolder\${UNINSTALLER}"
  RMDir "$OldFolder"
FunctionEnd

Section "-Check"
  ${Log} "Installing ${PRODUCT_NAME} ${VERSION} into $INSTDIR"
  Call PrepareInstall
  ${If} $R8 == 1
    ${Cancelled}
  ${ElseIf} $R8 == 2
    ${Fail} "$R9"
  ${EndIf}
  Call MakeSafeFolder
  ${If} $R8 == 0
    Call RemoveOldCopy
  ${EndIf}
  ${If} $R8 != 0
    ${Fail} "$R9"
  ${EndIf}
SectionEnd

Section "${PRODUCT_NAME}" SecProgram
  SectionIn RO
  SetOutPath "$INSTDIR"
  ; What the installed version installed goes, also what this one no longer
  ; ships. Every file is created afresh, so it inherits the folder's list.
  Call RemoveInstalledFiles
  Delete "$INSTDIR\${UNINSTALLER}"
  !insertmacro ForEachBundleFolder InstallFolder
  !insertmacro ForEachBundleFile InstallFile
  !insertmacro WriteManifest
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
  ; Run in place (_?=) so that the caller gets the result; the uninstaller
  ; hands over to a copy of itself and waits for it.
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}" _?=$INSTDIR'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" \
    '"$INSTDIR\${UNINSTALLER}" /S _?=$INSTDIR'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ${If} $CreatedFolder != ""
    WriteRegStr HKLM "${UNINSTALL_KEY}" "CreatedFolder" "$CreatedFolder"
  ${ElseIf} $OldFolder != ""
  ${AndIf} $OldFolder != $INSTDIR
    DeleteRegValue HKLM "${UNINSTALL_KEY}" "CreatedFolder"
  ${EndIf}
  ${If} $OldLaunchAtLogin != ""
    WriteRegStr HKCU "${RUN_KEY}" "${RUN_VALUE}" '"$INSTDIR\${HOST_EXE}"'
  ${EndIf}
  ${Log} "Start-menu shortcut and uninstall entry written."
SectionEnd

Section "$(SEC_DESKTOP_SHORTCUT)" SecDesktop
  CreateShortcut "$DESKTOP\${SHORTCUT_NAME}" "$INSTDIR\${HOST_EXE}" "" "$INSTDIR\${HOST_EXE}" 0
SectionEnd

Function .onInit
  SetShellVarContext all
  SetRegView 64
  !insertmacro ChooseLanguage
  !insertmacro OpenLog "$TEMP\QuorvaneAI-setup.log"
  ${IfNot} ${RunningX64}
  ${OrIfNot} ${AtLeastWin10}
  ${OrIfNot} ${AtLeastBuild} 15063
    ${Fail} "$(MSG_OLD_WINDOWS)"
  ${EndIf}
  UserInfo::GetAccountType
  Pop $0
  ${If} $0 != "Admin"
    ${Fail} "$(MSG_NEEDS_ADMIN)"
  ${EndIf}
  ; Held until this setup ends.
  System::Call 'kernel32::CreateMutexW(p 0, i 0, w "${SETUP_MUTEX}") p .r0 ?e'
  Pop $1
  ${If} $1 == ${ERROR_ALREADY_EXISTS}
    ${Fail} "$(MSG_SETUP_RUNNING)"
  ${EndIf}
  Call CheckRequestedFolder
  Call CheckInstalledVersion
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/FORCECLOSE" $1
  ${IfNot} ${Errors}
    StrCpy $ForceClose 1
  ${EndIf}
  ; /NODESKTOP: no desktop shortcut (for managed deployment). On an upgrade a
  ; desktop shortcut comes back only if it is still there.
  ClearErrors
  ${GetOptions} $0 "/NODESKTOP" $1
  ${IfNot} ${Errors}
    !insertmacro UnselectSection ${SecDesktop}
  ${ElseIf} $InstalledVersion != ""
  ${AndIfNot} ${FileExists} "$DESKTOP\${SHORTCUT_NAME}"
    !insertmacro UnselectSection ${SecDesktop}
  ${EndIf}
FunctionEnd

Function .onInstSuccess
  ${Log} "Installation complete."
  ; A host of this session ended for a silent upgrade is started again, as
  ; the user had it; interactively the finish page offers it.
  ${If} ${Silent}
  ${AndIf} $HostEnded == 1
    ${Log} "Starting ${PRODUCT_NAME} again."
    Exec '"$INSTDIR\${HOST_EXE}"'
  ${EndIf}
  Call CloseLog
FunctionEnd

Function .onInstFailed
  ${If} $CreatedFolder != ""
    !insertmacro RemoveFolderAndCreatedParents $CreatedFolder
  ${EndIf}
  ${Log} "Installation failed."
  Call CloseLog
FunctionEnd

; --- uninstaller ---

Var HandedOver
Var OwnEntry

; Run in place, the uninstaller could not delete itself: it copies itself to
; a folder of its own in %TEMP%, runs the copy with the same switches, waits
; for it and returns its exit code (0 removed, 1 cancelled, 2 stopped with
; nothing changed). After a removal, the copy is started once more to delete
; this uninstaller and the folder as soon as this process has ended.
Function un.RunFromCopy
  ${GetParameters} $0
  ; The parents that setup created go too, when the entry is this installation's.
  ReadRegStr $3 HKLM "${UNINSTALL_KEY}" "CreatedFolder"
  ReadRegStr $4 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${IfThen} $4 != $INSTDIR ${|} StrCpy $3 "" ${|}
  GetTempFileName $1
  Delete "$1"
  CreateDirectory "$1"
  ClearErrors
  CopyFiles /SILENT "$EXEPATH" "$1\${UNINSTALLER}"
  ${IfNot} ${Errors}
    ExecWait '"$1\${UNINSTALLER}" $0 /HANDEDOVER _?=$INSTDIR' $2
  ${EndIf}
  ${If} ${Errors}
    StrCpy $2 2
  ${EndIf}
  SetErrorLevel $2
  ${If} $2 == 0
    System::Call 'kernel32::GetCurrentProcessId() i .r4'
    Exec '"$1\${UNINSTALLER}" /CLEANUP=$4 /TOP="$3" _?=$INSTDIR'
  ${Else}
    RMDir /r "$1"
  ${EndIf}
FunctionEnd

; The last step after a removal run in place: waits for that process to end,
; deletes the uninstaller and the empty folders, and this copy at the next
; restart (a running program cannot delete itself).
Function un.CleanUp
  ${GetOptions} $0 "/CLEANUP=" $1
  ${GetOptions} $0 "/TOP=" $2
  System::Call 'kernel32::OpenProcess(i ${SYNCHRONIZE}, i 0, i r1) p .r3'
  ${If} $3 P<> 0
    System::Call 'kernel32::WaitForSingleObject(p r3, i ${HOST_EXIT_TIMEOUT_MS})'
    System::Call 'kernel32::CloseHandle(p r3)'
  ${EndIf}
  Delete "$INSTDIR\${UNINSTALLER}"
  !insertmacro RemoveFolderAndCreatedParents $2
  Delete /REBOOTOK "$EXEPATH"
  RMDir /REBOOTOK "$EXEDIR"
FunctionEnd

; $R8 0 when the removal may go ahead, 1 cancelled, 2 (reason in $R9) not.
Function un.PrepareRemoval
  Call un.EndRunningHost
  ${If} $R8 != 0
    Return
  ${EndIf}
  Call un.CheckInstalledFiles
FunctionEnd

Function un.PrepareRemovalPage
  Call un.PrepareRemoval
  ${If} $R8 == 1
    ${Log} "$(MSG_CANCELLED)"
    SetErrorLevel 1
    Quit
  ${ElseIf} $R8 == 2
    ${Log} "error: $R9"
    MessageBox MB_OK|MB_ICONEXCLAMATION "$R9"
    Abort
  ${EndIf}
FunctionEnd

Section "un.${PRODUCT_NAME}"
  SectionIn RO
  ${Log} "Removing ${PRODUCT_NAME} from $INSTDIR"
  Call un.PrepareRemoval
  ${If} $R8 == 1
    ${Cancelled}
  ${ElseIf} $R8 == 2
    ${Fail} "$R9"
  ${EndIf}
  ; Only the installation that the uninstall entry names is unregistered.
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 == $INSTDIR
    StrCpy $OwnEntry 1
  ${Else}
    ${Log} "The uninstall entry belongs to $0: it, the shortcuts and the launch-at-login value stay."
  ${EndIf}
  ReadRegStr $1 HKLM "${UNINSTALL_KEY}" "CreatedFolder"
  Call un.RemoveInstalledFiles
  ${If} $HandedOver != 1
    ; Started from the folder without _?=, this is a copy in the temporary
    ; folder; the original may still be ending for a moment.
    StrCpy $0 0
    ${DoWhile} ${FileExists} "$INSTDIR\${UNINSTALLER}"
      Delete "$INSTDIR\${UNINSTALLER}"
      IntOp $0 $0 + 1
      ${IfThen} $0 >= 50 ${|} ${Break} ${|}
      Sleep 100
    ${Loop}
    ${IfThen} $OwnEntry != 1 ${|} StrCpy $1 "" ${|}
    !insertmacro RemoveFolderAndCreatedParents $1
  ${EndIf}
  ${If} $OwnEntry == 1
    Delete "$SMPROGRAMS\${SHORTCUT_NAME}"
    Delete "$DESKTOP\${SHORTCUT_NAME}"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
    !insertmacro RemoveLaunchAtLogin
  ${EndIf}
  ${Log} "Files, shortcuts, uninstall entry and launch-at-login entry removed."
SectionEnd

Section /o "un.$(SEC_PURGE)" SecPurge
  DeleteRegKey HKCU "${SETTINGS_KEY}"
  ; The host's log folder and crash dumps.
  SetShellVarContext current
  RMDir /r "$LOCALAPPDATA\${USER_DATA_FOLDER}"
  SetShellVarContext all
  ; ERROR_NOT_FOUND (1168) just means there was no token.
  System::Call 'advapi32::CredDeleteW(w "${TOKEN_CREDENTIAL}", i ${CRED_TYPE_GENERIC}, i 0) i .r0 ?e'
  Pop $1
  ${If} $0 == 0
  ${AndIf} $1 != 1168
    ${Log} "warning: the saved access token could not be removed (error $1)."
  ${EndIf}
  ${Log} "Settings, local data and saved access token removed."
SectionEnd

Function un.onInit
  SetShellVarContext all
  SetRegView 64
  !insertmacro TrimFolder $INSTDIR
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/CLEANUP=" $1
  ${IfNot} ${Errors}
    Call un.CleanUp
    Quit
  ${EndIf}
  StrCpy $1 $EXEDIR
  !insertmacro TrimFolder $1
  ${If} $1 == $INSTDIR
    Call un.RunFromCopy
    Quit
  ${EndIf}
  !insertmacro ChooseLanguage
  !insertmacro OpenLog "$TEMP\QuorvaneAI-uninstall.log"
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/HANDEDOVER" $1
  ${IfNot} ${Errors}
    StrCpy $HandedOver 1
  ${EndIf}
  ClearErrors
  ${GetOptions} $0 "/FORCECLOSE" $1
  ${IfNot} ${Errors}
    StrCpy $ForceClose 1
  ${EndIf}
  ; /PURGE: also remove the settings and the access token (silent mode).
  ClearErrors
  ${GetOptions} $0 "/PURGE" $1
  ${IfNot} ${Errors}
    !insertmacro SelectSection ${SecPurge}
  ${EndIf}
FunctionEnd

Function un.onUninstSuccess
  ${Log} "Removal complete."
  Call un.CloseLog
FunctionEnd

Function un.onUninstFailed
  ${Log} "Removal failed."
  Call un.CloseLog
FunctionEnd
