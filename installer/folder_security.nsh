; The program always runs elevated and loads libraries from its own folder, so
; that folder must be writable by administrators only. Below Program Files it
; inherits such a list; anywhere else (a folder under C:\ lets every signed-in
; user write) it gets one like Program Files' own: Administrators and SYSTEM
; full control, Users and the application-package groups read and execute,
; nothing inherited from the parent, everything inherited by what it holds.

!define SAFE_FOLDER_SDDL "D:PAI(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)(A;OICI;0x1200a9;;;S-1-15-2-1)(A;OICI;0x1200a9;;;S-1-15-2-2)"
!define SDDL_REVISION_1 1
!define DACL_SECURITY_INFORMATION 4
; The list read back must grant nothing to Everyone, Authenticated Users or
; Users beyond read and execute.
!define EVERYONE_ENTRY ";;;WD)"

; Leaves $R8 0 when $INSTDIR is below Program Files or now carries the safe
; list, else 2 and the reason in $R9.
Function SecureFolder
  Push $0
  Push $1
  Push $2
  StrCpy $R8 0
  ${ForEach} $0 1 2 + 1
    ${If} $0 == 1
      StrCpy $1 "$PROGRAMFILES64\"
    ${Else}
      StrCpy $1 "$PROGRAMFILES32\"
    ${EndIf}
    StrLen $2 $1
    StrCpy $2 "$INSTDIR\" $2
    ${If} $2 == $1
      ${Log} "$(LOG_FOLDER_INHERITS)"
      Goto done
    ${EndIf}
  ${Next}
  System::Call 'advapi32::ConvertStringSecurityDescriptorToSecurityDescriptorW( \
    w "${SAFE_FOLDER_SDDL}", i ${SDDL_REVISION_1}, *p .r1, p 0) i .r0'
  ${If} $0 == 0
    Goto failed
  ${EndIf}
  ; The descriptor's control marks the list protected. Setting it on the
  ; folder alone is enough: every file and folder in it is written afresh
  ; afterwards and inherits the list.
  System::Call 'advapi32::SetFileSecurityW(w "$INSTDIR", i ${DACL_SECURITY_INFORMATION}, p r1) i .r2 ?e'
  Pop $0
  ${If} $2 != 0
    StrCpy $0 0
  ${ElseIf} $0 == 0
    StrCpy $0 "unknown"
  ${EndIf}
  System::Call 'kernel32::LocalFree(p r1)'
  ${If} $0 == 0
    Call CheckSecuredFolder
  ${EndIf}
  ${If} $0 == 0
    ${Log} "$(LOG_FOLDER_SECURED)"
    Goto done
  ${EndIf}
  ${Log} "$(LOG_FOLDER_NOT_SECURED)"
failed:
  StrCpy $R8 2
  StrCpy $R9 "$(MSG_FOLDER_NOT_SECURED)"
done:
  Pop $2
  Pop $1
  Pop $0
FunctionEnd

; Reads the access list of $INSTDIR back: $0 stays 0 when it grants Everyone
; nothing, else it is the reason.
Function CheckSecuredFolder
  Push $1
  Push $2
  Push $3
  System::Call 'advapi32::GetFileSecurityW(w "$INSTDIR", i ${DACL_SECURITY_INFORMATION}, p 0, i 0, *i 0 r1)'
  System::Alloc $1
  Pop $2
  System::Call 'advapi32::GetFileSecurityW(w "$INSTDIR", i ${DACL_SECURITY_INFORMATION}, p r2, i r1, *i .r1) i .r3 ?e'
  Pop $0
  ${If} $3 != 0
    System::Call 'advapi32::ConvertSecurityDescriptorToStringSecurityDescriptorW(p r2, \
      i ${SDDL_REVISION_1}, i ${DACL_SECURITY_INFORMATION}, *p .r1, p 0) i .r3 ?e'
    Pop $0
  ${EndIf}
  ${If} $3 != 0
    System::Call '*$1(&w${NSIS_MAX_STRLEN} .r3)'
    System::Call 'kernel32::LocalFree(p r1)'
    ClearErrors
    ${WordFind} "$3" "${EVERYONE_ENTRY}" "E+1" $1
    ${If} ${Errors}
    ${AndIf} $1 == 1
      StrCpy $0 0
    ${Else}
      StrCpy $0 "Everyone"
    ${EndIf}
  ${EndIf}
  System::Free $2
  Pop $3
  Pop $2
  Pop $1
FunctionEnd
