; The installer's checks before any file changes, the safe folder and the
; removal of a copy installed in another folder.

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
