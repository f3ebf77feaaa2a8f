; The installer's sections and callbacks. Every file is written beside the
; installed ones first and moved into place only when all are written
; (transaction.nsh); a failure on the way puts the previous installation back.

Var CreatedFolder
Var InstalledVersion
Var OldFolder
Var OldLaunchAtLogin
Var OldApprovedMark
Var OldApprovedSize
Var Preflighted
Var RequestedFolder

Section "-Check"
  ${If} $Preflighted != 1
    Call Preflight
    ${If} $R8 == 1
      ${Cancelled}
    ${ElseIf} $R8 == 2
      ${Fail} "$R9"
    ${EndIf}
  ${EndIf}
  ${Log} "$(LOG_INSTALLING)"
  Call PrepareInstall
  ${If} $R8 == 1
    ${Cancelled}
  ${ElseIf} $R8 == 2
    ${Fail} "$R9"
  ${EndIf}
  Call MakeSafeFolder
  ${If} $R8 != 0
    ${Fail} "$R9"
  ${EndIf}
SectionEnd

Section "${PRODUCT_NAME}" SecProgram
  SectionIn RO
  AddSize ${BUNDLE_SIZE_KIB}
  Call StageFiles
  ${If} $R8 == 0
    Call CommitStagedFiles
  ${EndIf}
  ${If} $R8 == 0
    Call RemoveOldCopy
  ${EndIf}
  ${If} $R8 != 0
    ${Fail} "$R9"
  ${EndIf}
  ${Log} "$(LOG_FILES_WRITTEN)"

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
  Call MoveLaunchAtLogin
  ; Mini dumps (type 1), the last ten, when the program crashes.
  WriteRegExpandStr HKLM "${DUMPS_KEY}" "DumpFolder" "${DUMPS_FOLDER}"
  WriteRegDWORD HKLM "${DUMPS_KEY}" "DumpCount" 10
  WriteRegDWORD HKLM "${DUMPS_KEY}" "DumpType" 1
  ${Log} "$(LOG_REGISTERED)"
  Call FinishTransaction
SectionEnd

Section "$(SEC_DESKTOP_SHORTCUT)" SecDesktop
  CreateShortcut "$DESKTOP\${SHORTCUT_NAME}" "$INSTDIR\${HOST_EXE}" "" "$INSTDIR\${HOST_EXE}" 0
SectionEnd

; No message and no log line here: the language applies after .onInit. What
; is checked before any page runs in Preflight.
Function .onInit
  SetShellVarContext all
  SetRegView 64
  !insertmacro ChooseLanguage
  !insertmacro OpenLog "$TEMP\QuorvaneAI-setup.log"
  Call ReadRequestedFolder
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/FORCECLOSE" $1
  ${IfNot} ${Errors}
    StrCpy $ForceClose 1
  ${EndIf}
FunctionEnd

; Interactively, the checks before any page, once the window (and with it
; the language) is set up and before it shows.
Function GuiInit
  Call Preflight
  ${If} $R8 == 1
    ${Log} "$(MSG_CANCELLED)"
    SetErrorLevel 1
    Quit
  ${ElseIf} $R8 == 2
    ${Log} "$(LOG_ERROR)$R9"
    MessageBox MB_OK|MB_ICONSTOP "$R9"
    SetErrorLevel 2
    Quit
  ${EndIf}
  StrCpy $Preflighted 1
FunctionEnd

Function CancelledOnPage
  ${Log} "$(LOG_CANCELLED_ON_PAGE)"
  Call CloseLog
FunctionEnd

Function .onInstSuccess
  ${Log} "$(LOG_INSTALL_COMPLETE)"
  ; A host of this session ended for a silent upgrade is started again, as
  ; the user had it; interactively the finish page offers it.
  ${If} ${Silent}
  ${AndIf} $HostEnded == 1
    ${Log} "$(LOG_RESTARTING)"
    Exec '"$INSTDIR\${HOST_EXE}"'
  ${EndIf}
  Call CloseLog
FunctionEnd

Function .onInstFailed
  Call RollBack
  ${If} $CreatedFolder != ""
    !insertmacro RemoveFolderAndCreatedParents $CreatedFolder
  ${EndIf}
  ${Log} "$(LOG_INSTALL_FAILED)"
  Call CloseLog
FunctionEnd
