; The uninstaller: its hand-over to a copy of itself, its sections and callbacks.

Var HandedOver
Var OwnEntry
Var Leftovers
Var RemovalDone
Var AccountName

; Run in place, the uninstaller could not delete itself: it copies itself to
; a folder of its own in %TEMP%, runs the copy with the same switches, waits
; for it and returns its exit code (0 removed, 1 cancelled, 2 stopped with
; nothing changed, 3 removed but files setup did not install are left). After
; a removal, the copy is started once more to delete this uninstaller and the
; folder as soon as this process has ended.
Function un.RunFromCopy
  StrCpy $0 $UninstallSwitches
  ; The parents that setup created go too, when the entry is this installation's.
  ReadRegStr $3 HKLM "${UNINSTALL_KEY}" "CreatedFolder"
  ReadRegStr $4 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${CanonicalFolder} $4
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
  ${OrIf} $2 == 3
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

; $R8 0 when the removal may go ahead, 1 cancelled, 2 (reason in $R9) not:
; also when the folder holds no installation (a folder misread, say).
Function un.PrepareRemoval
  ${IfNot} ${FileExists} "$INSTDIR\${MANIFEST}"
  ${AndIfNot} ${FileExists} "$INSTDIR\${HOST_EXE}"
    StrCpy $R8 2
    StrCpy $R9 "$(MSG_NOT_INSTALLED)"
    Return
  ${EndIf}
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
    ${Log} "$(LOG_ERROR)$R9"
    MessageBox MB_OK|MB_ICONEXCLAMATION "$R9"
    Abort
  ${EndIf}
FunctionEnd

Section "un.${PRODUCT_NAME}"
  SectionIn RO
  ${Log} "$(LOG_REMOVING)"
  Call un.PrepareRemoval
  ${If} $R8 == 1
    ${Cancelled}
  ${ElseIf} $R8 == 2
    ${Fail} "$R9"
  ${EndIf}
  ; Only the installation that the uninstall entry names is unregistered.
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${CanonicalFolder} $0
  ${If} $0 == $INSTDIR
    StrCpy $OwnEntry 1
  ${Else}
    ${Log} "$(LOG_ENTRY_NOT_OURS)"
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
    ; The crash dump settings go only while they are still the ones setup wrote.
    ReadRegStr $0 HKLM "${DUMPS_KEY}" "DumpFolder"
    ${If} $0 == "${DUMPS_FOLDER}"
      DeleteRegKey HKLM "${DUMPS_KEY}"
    ${EndIf}
  ${EndIf}
  ${Log} "$(LOG_REMOVED)"
  Call un.FindLeftovers
  StrCpy $RemovalDone 1
SectionEnd

; What is left in the folder besides the uninstaller running in place was
; not installed by setup (or could not be deleted): it stays, and is named.
Function un.FindLeftovers
  StrCpy $Leftovers ""
  FindFirst $0 $1 "$INSTDIR\*.*"
  ${DoWhile} $1 != ""
    ${If} $1 != "."
    ${AndIf} $1 != ".."
    ${AndIf} $1 != "${UNINSTALLER}"
      ${If} $Leftovers != ""
        StrCpy $Leftovers "$Leftovers, "
      ${EndIf}
      StrCpy $Leftovers "$Leftovers$1"
    ${EndIf}
    FindNext $0 $1
  ${Loop}
  FindClose $0
  ${If} $Leftovers != ""
    ${Log} "$(LOG_LEFTOVERS)"
  ${EndIf}
FunctionEnd

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
    ${Log} "$(LOG_TOKEN_NOT_REMOVED)"
  ${EndIf}
  ${Log} "$(LOG_PURGED)"
SectionEnd

Function un.onInit
  SetShellVarContext all
  SetRegView 64
  Call un.ReadCommandLine
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/CLEANUP=" $1
  ${IfNot} ${Errors}
    Call un.CleanUp
    Quit
  ${EndIf}
  StrCpy $1 $EXEDIR
  ${CanonicalFolder} $1
  ${If} $1 == $INSTDIR
    Call un.RunFromCopy
    Quit
  ${EndIf}
  !insertmacro ChooseLanguage
  !insertmacro OpenLog "$TEMP\QuorvaneAI-uninstall.log"
  System::Call 'advapi32::GetUserNameW(w .r0, *i ${NSIS_MAX_STRLEN})'
  StrCpy $AccountName $0
  StrCpy $0 $UninstallSwitches
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

; The completion line only once the removal section has run to its end.
Function un.onUninstSuccess
  ${If} $RemovalDone != 1
    Return
  ${EndIf}
  ${If} $Leftovers != ""
    ${Log} "$(LOG_REMOVAL_COMPLETE_LEFTOVERS)"
    SetErrorLevel 3
  ${Else}
    ${Log} "$(LOG_REMOVAL_COMPLETE)"
  ${EndIf}
  Call un.CloseLog
FunctionEnd

Function un.onUninstFailed
  ${Log} "$(LOG_REMOVAL_FAILED)"
  Call un.CloseLog
FunctionEnd

Function un.CancelledOnPage
  ${Log} "$(LOG_CANCELLED_ON_PAGE)"
  Call un.CloseLog
FunctionEnd
