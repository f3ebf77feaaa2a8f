; The installer's checks before any file changes: the Windows version, rights,
; a second setup, the installed version, the folder (its one spelling, its
; length, whether it can be used) and the free space.

; The folder of /D=, read from the command line as Windows passed it: setup
; itself falls back to the default folder for a spelling it does not take
; (forward slashes, say), and installing elsewhere than asked would surprise
; an administrator. /D= is last on the line and not quoted.
Function ReadRequestedFolder
  System::Call 'kernel32::GetCommandLineW() w .r0'
  StrLen $1 $0
  IntOp $1 $1 - 4
  ${DoWhile} $1 >= 0
    StrCpy $2 $0 4 $1
    ${If} $2 == " /D="
      IntOp $1 $1 + 4
      StrCpy $RequestedFolder $0 "" $1
      ${WordReplace} "$RequestedFolder" "/" "\" "+" $RequestedFolder
      StrCpy $INSTDIR $RequestedFolder
      ${Break}
    ${EndIf}
    IntOp $1 $1 - 1
  ${Loop}
  ${CanonicalFolder} $INSTDIR
FunctionEnd

; Everything checked before any page: $R8 0 go ahead, 1 cancelled, 2 refused
; with the reason in $R9.
Function Preflight
  StrCpy $R8 0
  ${If} $LogProblem != ""
    ${Log} "$(LOG_LOG_NOT_WRITABLE)"
  ${EndIf}
  ${IfNot} ${RunningX64}
  ${OrIfNot} ${AtLeastWin10}
  ${OrIfNot} ${AtLeastBuild} 15063
    StrCpy $R8 2
    StrCpy $R9 "$(MSG_OLD_WINDOWS)"
    Return
  ${EndIf}
  UserInfo::GetAccountType
  Pop $0
  ${If} $0 != "Admin"
    StrCpy $R8 2
    StrCpy $R9 "$(MSG_NEEDS_ADMIN)"
    Return
  ${EndIf}
  ; Held until this setup ends.
  System::Call 'kernel32::CreateMutexW(p 0, i 0, w "${SETUP_MUTEX}") p .r0 ?e'
  Pop $1
  ${If} $1 == ${ERROR_ALREADY_EXISTS}
    StrCpy $R8 2
    StrCpy $R9 "$(MSG_SETUP_RUNNING)"
    Return
  ${EndIf}
  Call CheckInstalledVersion
  ${If} $R8 != 0
    Return
  ${EndIf}
  ; /NODESKTOP: no desktop shortcut (for managed deployment). On an upgrade a
  ; desktop shortcut comes back only if it is still there.
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/NODESKTOP" $1
  ${IfNot} ${Errors}
    !insertmacro UnselectSection ${SecDesktop}
  ${ElseIf} $InstalledVersion != ""
  ${AndIfNot} ${FileExists} "$DESKTOP\${SHORTCUT_NAME}"
    !insertmacro UnselectSection ${SecDesktop}
  ${EndIf}
FunctionEnd

; An installed version: a downgrade or a reinstall is said so, and asked
; about (No by default) when a user is there to answer. $R8 1 when declined.
Function CheckInstalledVersion
  ReadRegStr $InstalledVersion HKLM "${UNINSTALL_KEY}" "DisplayVersion"
  ${If} $InstalledVersion == ""
    Return
  ${EndIf}
  StrCpy $R7 $InstalledVersion
  ${VersionCompare} "${VERSION}" "$InstalledVersion" $0
  ${If} $0 == 2
    ${Log} "$(LOG_DOWNGRADE)"
    StrCpy $1 "$(MSG_DOWNGRADE)"
  ${ElseIf} $0 == 0
    ${Log} "$(LOG_REINSTALL)"
    StrCpy $1 "$(MSG_REINSTALL)"
  ${Else}
    ${Log} "$(LOG_UPGRADE)"
    Return
  ${EndIf}
  MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 "$1" /SD IDYES IDYES confirmed
  StrCpy $R8 1
confirmed:
FunctionEnd

; Leaves in $R9 "" when files can be written into $INSTDIR, else why not. A
; folder made only for this check is removed again. A folder that holds other
; files but no installed version is refused: upgrades and removal delete its
; data folder whole. A folder so long that the files in it would pass the
; classic path limit is refused: the program could not start from it.
Function CheckTarget
  Push $0
  Push $1
  Push $2
  StrCpy $R9 ""
  StrLen $0 "$INSTDIR\${STAGING_FOLDER}\"
  IntOp $0 $0 + ${LONGEST_BUNDLE_PATH}
  ${If} $0 > ${MAX_FOLDER_PATH}
    StrLen $R7 $INSTDIR
    IntOp $R6 $R7 - $0
    IntOp $R6 $R6 + ${MAX_FOLDER_PATH}
    StrCpy $R9 "$(MSG_FOLDER_TOO_LONG)"
    Goto done
  ${EndIf}
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
  FileOpen $2 "$INSTDIR\quorvane-setup-write-test.tmp" w
  ${If} ${Errors}
    StrCpy $R9 "$(MSG_FOLDER_NOT_WRITABLE)"
  ${Else}
    FileClose $2
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

; Sets $R8 2 and $R9 the reason when the drive of $INSTDIR has less free
; space than the new files need while the installed ones are still there.
Function CheckFreeSpace
  Push $0
  Push $1
  Push $2
  Push $3
  StrCpy $0 $INSTDIR
  ${DoUntil} ${FileExists} "$0\*.*"
    ${GetParent} "$0" $1
    ${IfThen} $1 == "" ${|} ${Break} ${|}
    StrCpy $0 $1
  ${Loop}
  System::Call 'kernel32::GetDiskFreeSpaceExW(w "$0\", *l .r1, p 0, p 0) i .r2 ?e'
  Pop $3
  ${If} $2 == 0
    ${Log} "$(LOG_FREE_SPACE_UNKNOWN)"
    Goto done
  ${EndIf}
  IntOp $2 ${BUNDLE_SIZE_KIB} + ${SPACE_MARGIN_KIB}
  System::Int64Op $1 / 1024
  Pop $1
  IntOp $R7 $2 + 1023
  IntOp $R7 $R7 / 1024
  System::Int64Op $1 / 1024
  Pop $R6
  ${Log} "$(LOG_FREE_SPACE)"
  System::Int64Op $1 < $2
  Pop $3
  ${If} $3 != 0
    StrCpy $R8 2
    StrCpy $R9 "$(MSG_DISK_FULL)"
  ${EndIf}
done:
  Pop $3
  Pop $2
  Pop $1
  Pop $0
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
  Call CheckFreeSpace
  ${If} $R8 != 0
    Return
  ${EndIf}
  Call EndRunningHost
  ${If} $R8 != 0
    Return
  ${EndIf}
  Call CheckInstalledFiles
FunctionEnd

Function CheckTargetPage
  ${CanonicalFolder} $INSTDIR
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
    ${Log} "$(LOG_ERROR)$R9"
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

; Pushes the outermost folder of $INSTDIR that does not exist yet ("" when
; $INSTDIR exists): creating $INSTDIR creates it and those below it.
Function FirstMissingFolder
  Push $0
  Push $1
  Push $2
  StrCpy $0 "$INSTDIR"
  StrCpy $1 ""
  ; A drive's root counts as existing: an empty one lists no entries.
  ${DoUntil} ${FileExists} "$0\*.*"
    ${GetParent} "$0" $2
    ${IfThen} $2 == "" ${|} ${Break} ${|}
    StrCpy $1 $0
    StrCpy $0 $2
  ${Loop}
  Pop $2
  Exch $1
  Exch
  Pop $0
FunctionEnd
