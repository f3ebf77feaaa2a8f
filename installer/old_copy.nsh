; An installed copy in another folder: removed with its own uninstaller once
; the new files are in place (settings kept), so that no second copy is left.
; Its launch-at-login value moves along with its enabled/disabled mark, which
; the old uninstaller deletes.

!define RRF_RT_REG_BINARY 0x00000008
!define REG_BINARY 3
!define APPROVED_MARK_BYTES 64

; The launch-at-login value and its mark of the user who runs setup, read
; before the old copy's uninstaller deletes them.
Function SaveLaunchAtLogin
  ReadRegStr $OldLaunchAtLogin HKCU "${RUN_KEY}" "${RUN_VALUE}"
  System::Alloc ${APPROVED_MARK_BYTES}
  Pop $OldApprovedMark
  System::Call 'advapi32::RegGetValueW(p ${HKEY_CURRENT_USER_VALUE}, w "${RUN_APPROVED_KEY}", \
    w "${RUN_VALUE}", i ${RRF_RT_REG_BINARY}, p 0, p $OldApprovedMark, \
    *i ${APPROVED_MARK_BYTES} r1) i .r0'
  ${If} $0 == 0
    StrCpy $OldApprovedSize $1
  ${Else}
    StrCpy $OldApprovedSize ""
  ${EndIf}
FunctionEnd

; Points the moved launch-at-login value at the new folder and puts its mark
; back, so that one the user turned off in Task Manager stays off.
Function MoveLaunchAtLogin
  ${If} $OldLaunchAtLogin != ""
    WriteRegStr HKCU "${RUN_KEY}" "${RUN_VALUE}" '"$INSTDIR\${HOST_EXE}"'
    ${If} $OldApprovedSize != ""
      System::Call 'advapi32::RegSetKeyValueW(p ${HKEY_CURRENT_USER_VALUE}, w "${RUN_APPROVED_KEY}", \
        w "${RUN_VALUE}", i ${REG_BINARY}, p $OldApprovedMark, i $OldApprovedSize) i .r0'
    ${EndIf}
    ${Log} "$(LOG_LAUNCH_AT_LOGIN_MOVED)"
  ${EndIf}
  ${If} $OldApprovedMark != ""
    System::Free $OldApprovedMark
    StrCpy $OldApprovedMark ""
  ${EndIf}
FunctionEnd

; Removes the copy that the uninstall entry names when it is in another
; folder than $INSTDIR (both in their one spelling). $R8 0, or 2 and $R9:
; then that copy is unchanged and the caller rolls back.
Function RemoveOldCopy
  Push $0
  StrCpy $R8 0
  ReadRegStr $OldFolder HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $OldFolder == ""
    Goto done
  ${EndIf}
  ${CanonicalFolder} $OldFolder
  ${If} $OldFolder == $INSTDIR
  ${OrIfNot} ${FileExists} "$OldFolder\${UNINSTALLER}"
    Goto done
  ${EndIf}
  Call SaveLaunchAtLogin
  ${Log} "$(LOG_REMOVING_OLD_COPY)"
  ClearErrors
  ExecWait '"$OldFolder\${UNINSTALLER}" /S _?=$OldFolder' $0
  ${IfThen} ${Errors} ${|} StrCpy $0 2 ${|}
  ; 3: removed, but files that setup did not install are left there.
  ${If} $0 != 0
  ${AndIf} $0 != 3
    StrCpy $R7 $OldFolder
    StrCpy $R8 2
    StrCpy $R9 "$(MSG_OLD_COPY_NOT_REMOVED)"
    Goto done
  ${EndIf}
  ; An uninstaller run in place cannot delete itself.
  Delete "$OldFolder\${UNINSTALLER}"
  RMDir "$OldFolder"
done:
  Pop $0
FunctionEnd
