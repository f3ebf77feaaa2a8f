; An install or upgrade as one step: every new file (the bundle, the manifest,
; the uninstaller) is written into a staging folder inside $INSTDIR, on the
; same volume. Only when all are written are the previous installation's
; entries moved aside into a backup folder and the new ones moved into place,
; each a rename. Any failure puts the previous installation back as it was;
; success deletes the backup. The uninstall entry is written only after that.
;
; $TxState: 0 nothing changed, 1 staging, 2 moving into place, 3 in place.

Var TxState
Var CurrentFile

!define CREATE_ALWAYS 2

!macro StageFolder name
  CreateDirectory "$INSTDIR\${STAGING_FOLDER}\${name}"
!macroend

; A file that cannot be written ends the section (AllowSkipFiles off), and
; .onInstFailed rolls back; $CurrentFile names it for the log.
!macro StageFile name
  StrCpy $CurrentFile "${name}"
  File "/oname=$INSTDIR\${STAGING_FOLDER}\${name}" "${BUNDLE}\${name}"
!macroend

; Writes every new file into the staging folder. $R8 0, or 2 and $R9.
Function StageFiles
  StrCpy $R8 0
  StrCpy $TxState 1
  RMDir /r "$INSTDIR\${STAGING_FOLDER}"
  RMDir /r "$INSTDIR\${BACKUP_FOLDER}"
  SetOutPath "$INSTDIR\${STAGING_FOLDER}"
  !insertmacro ForEachBundleFolder StageFolder
  !insertmacro ForEachBundleFile StageFile
  StrCpy $CurrentFile "${MANIFEST}"
  ClearErrors
  !insertmacro WriteManifest "$INSTDIR\${STAGING_FOLDER}\${MANIFEST}"
  ${IfNot} ${Errors}
    StrCpy $CurrentFile "${UNINSTALLER}"
    WriteUninstaller "$INSTDIR\${STAGING_FOLDER}\${UNINSTALLER}"
  ${EndIf}
  SetOutPath "$INSTDIR"
  ${If} ${Errors}
    Call NoteWriteFailure
    StrCpy $R8 2
    StrCpy $R9 "$(MSG_WRITE_FAILED)"
    Return
  ${EndIf}
  StrCpy $CurrentFile ""
  ${Log} "$(LOG_FILES_STAGED)"
FunctionEnd

; Logs the file that could not be written, the Windows error and the free
; space left. Called at once after the failure, before the error is replaced.
Function NoteWriteFailure
  System::Call 'kernel32::GetLastError() i .r0'
  ${If} $CurrentFile == ""
    Return
  ${EndIf}
  ; The error of an attempt to create the file again says more, when it fails.
  System::Call 'kernel32::CreateFileW(w "$INSTDIR\${STAGING_FOLDER}\$CurrentFile", \
    i ${GENERIC_WRITE_AND_DELETE}, i 0, p 0, i ${CREATE_ALWAYS}, i 0, p 0) p .r1 ?e'
  Pop $2
  ${If} $1 P= -1
    StrCpy $0 $2
  ${Else}
    System::Call 'kernel32::CloseHandle(p r1)'
  ${EndIf}
  System::Call 'kernel32::GetDiskFreeSpaceExW(w "$INSTDIR\", *l .r1, p 0, p 0) i .r2'
  System::Int64Op $1 / 1024
  Pop $1
  ${Log} "$(LOG_WRITE_FAILED)"
  StrCpy $CurrentFile ""
FunctionEnd

; Moves the path $0 to $1 (a file or a folder, on the same volume). Sets $R8
; 2 and $R9 on failure.
Function MoveEntry
  Push $2
  Push $3
  System::Call 'kernel32::MoveFileW(w r0, w r1) i .r2 ?e'
  Pop $3
  ${If} $2 == 0
    ${Log} "$(LOG_MOVE_FAILED)"
    StrCpy $R7 $0
    StrCpy $R8 2
    StrCpy $R9 "$(MSG_WRITE_FAILED)"
  ${EndIf}
  Pop $3
  Pop $2
FunctionEnd

; Moves the top entry (the first part of the relative name on the stack) of
; the previous installation into the backup folder, once.
Function SetAside
  Exch $0
  Push $1
  Push $2
  StrCpy $1 0
  ${Do}
    StrCpy $2 $0 1 $1
    ${If} $2 == "\"
    ${OrIf} $2 == ""
      ${Break}
    ${EndIf}
    IntOp $1 $1 + 1
  ${Loop}
  StrCpy $0 $0 $1
  ${If} $R8 == 0
  ${AndIf} $0 != ""
  ${AndIf} $0 != "."
  ${AndIf} $0 != ".."
  ${AndIf} $0 != "${STAGING_FOLDER}"
  ${AndIf} $0 != "${BACKUP_FOLDER}"
  ${AndIf} ${FileExists} "$INSTDIR\$0"
  ${AndIfNot} ${FileExists} "$INSTDIR\${BACKUP_FOLDER}\$0"
    Push $0
    StrCpy $1 "$INSTDIR\${BACKUP_FOLDER}\$0"
    StrCpy $0 "$INSTDIR\$0"
    Call MoveEntry
    Pop $0
  ${EndIf}
  Pop $2
  Pop $1
  Pop $0
FunctionEnd

; The previous installation's files, whose top entries are set aside: its
; manifest, or for a version before the manifest, the files it is known to
; have installed.
Function SetAsidePrevious
  Push $0
  ${If} ${FileExists} "$INSTDIR\${MANIFEST}"
    GetFunctionAddress $0 SetAside
    Push $0
    Call ForEachListedFile
  ${ElseIf} ${FileExists} "$INSTDIR\${HOST_EXE}"
    !insertmacro ForEachLegacyFile SetAside
  ${EndIf}
  Pop $0
FunctionEnd

; Moves the previous installation aside and the staged files into place.
; $R8 0, or 2 and $R9 (the caller rolls back).
Function CommitStagedFiles
  Push $0
  Push $1
  Push $2
  Push $3
  StrCpy $TxState 2
  CreateDirectory "$INSTDIR\${BACKUP_FOLDER}"
  Call SetAsidePrevious
  FindFirst $2 $3 "$INSTDIR\${STAGING_FOLDER}\*.*"
  ${DoWhile} $3 != ""
    ${IfThen} $R8 != 0 ${|} ${Break} ${|}
    ${If} $3 != "."
    ${AndIf} $3 != ".."
      Push $3
      Call SetAside
      StrCpy $0 "$INSTDIR\${STAGING_FOLDER}\$3"
      StrCpy $1 "$INSTDIR\$3"
      ${If} $R8 == 0
        Call MoveEntry
      ${EndIf}
    ${EndIf}
    FindNext $2 $3
  ${Loop}
  FindClose $2
  ${If} $R8 == 0
    RMDir "$INSTDIR\${STAGING_FOLDER}"
    StrCpy $TxState 3
  ${EndIf}
  Pop $3
  Pop $2
  Pop $1
  Pop $0
FunctionEnd

!macro RemoveMovedIn name
  Push "${name}"
  Call RemoveMovedIn
!macroend

; Removes the top entry of a new file that was moved into place (it is no
; longer in the staging folder).
Function RemoveMovedIn
  Exch $0
  Push $1
  Push $2
  StrCpy $1 0
  ${Do}
    StrCpy $2 $0 1 $1
    ${If} $2 == "\"
    ${OrIf} $2 == ""
      ${Break}
    ${EndIf}
    IntOp $1 $1 + 1
  ${Loop}
  StrCpy $0 $0 $1
  ${IfNot} ${FileExists} "$INSTDIR\${STAGING_FOLDER}\$0"
    RMDir /r "$INSTDIR\$0"
    Delete "$INSTDIR\$0"
  ${EndIf}
  Pop $2
  Pop $1
  Pop $0
FunctionEnd

; Puts the previous installation back exactly: the new files go, the entries
; set aside return, the staging and backup folders go.
Function RollBack
  Push $0
  Push $1
  Push $2
  Push $3
  ${If} $TxState == 1
    Call NoteWriteFailure
  ${EndIf}
  ${If} $TxState >= 2
    !insertmacro ForEachBundleFile RemoveMovedIn
    !insertmacro RemoveMovedIn "${MANIFEST}"
    !insertmacro RemoveMovedIn "${UNINSTALLER}"
    StrCpy $R8 0
    FindFirst $2 $3 "$INSTDIR\${BACKUP_FOLDER}\*.*"
    ${DoWhile} $3 != ""
      ${If} $3 != "."
      ${AndIf} $3 != ".."
        StrCpy $0 "$INSTDIR\${BACKUP_FOLDER}\$3"
        StrCpy $1 "$INSTDIR\$3"
        Call MoveEntry
      ${EndIf}
      FindNext $2 $3
    ${Loop}
    FindClose $2
  ${EndIf}
  ${If} $TxState >= 1
    SetOutPath "$TEMP"
    RMDir /r "$INSTDIR\${STAGING_FOLDER}"
    RMDir "$INSTDIR\${BACKUP_FOLDER}"
    ${If} ${FileExists} "$INSTDIR\${BACKUP_FOLDER}\*.*"
      ${Log} "$(LOG_ROLLBACK_INCOMPLETE)"
    ${Else}
      ${Log} "$(LOG_ROLLED_BACK)"
    ${EndIf}
  ${EndIf}
  StrCpy $TxState 0
  Pop $3
  Pop $2
  Pop $1
  Pop $0
FunctionEnd

; The new installation is complete: the previous one's files go.
Function FinishTransaction
  RMDir /r "$INSTDIR\${BACKUP_FOLDER}"
  StrCpy $TxState 0
FunctionEnd
