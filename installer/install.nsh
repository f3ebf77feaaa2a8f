; The installer's sections and callbacks.

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
