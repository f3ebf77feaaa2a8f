; A log of its own for the installer and the uninstaller: every line goes to the
; details list and, with the local time in front, to a UTF-16 file, so that a
; silent run that failed can be diagnosed afterwards. The file is appended to
; across runs; past 1 MiB it is moved to FILE.old (one older file is kept).
; /LOG=FILE writes it elsewhere (quote FILE when it holds blanks).

Var LogFile

!define LOG_LIMIT_BYTES 1048576

!macro DefineLog prefix
; Opens the log; takes the default path from the stack.
Function ${prefix}OpenLog
  Exch $0
  Push $1
  Push $2
  ${GetParameters} $1
  ClearErrors
  ${GetOptions} $1 "/LOG=" $2
  ${IfNot} ${Errors}
  ${AndIf} $2 != ""
    StrCpy $0 $2
  ${EndIf}
  ClearErrors
  FileOpen $LogFile "$0" a
  ${IfNot} ${Errors}
    FileSeek $LogFile 0 END $1
    ${If} $1 > ${LOG_LIMIT_BYTES}
      FileClose $LogFile
      Delete "$0.old"
      Rename "$0" "$0.old"
      FileOpen $LogFile "$0" a
      StrCpy $1 0
    ${EndIf}
    ${If} $1 == 0
      FileWriteUTF16LE /BOM $LogFile ""
    ${EndIf}
  ${EndIf}
  Pop $2
  Pop $1
  Pop $0
FunctionEnd

; Writes the line on the stack.
Function ${prefix}WriteLog
  Exch $0
  Push $1
  Push $2
  Push $3
  Push $4
  Push $5
  Push $6
  Push $7
  DetailPrint "$0"
  ${If} $LogFile != ""
    ${GetTime} "" "L" $1 $2 $3 $4 $5 $6 $7
    FileWriteUTF16LE $LogFile "$3-$2-$1 $5:$6:$7 $0$\r$\n"
  ${EndIf}
  Pop $7
  Pop $6
  Pop $5
  Pop $4
  Pop $3
  Pop $2
  Pop $1
  Pop $0
FunctionEnd

Function ${prefix}CloseLog
  ${If} $LogFile != ""
    FileClose $LogFile
    StrCpy $LogFile ""
  ${EndIf}
FunctionEnd
!macroend

!macro LogCall name
  !ifdef __UNINSTALL__
    Call un.${name}
  !else
    Call ${name}
  !endif
!macroend

!macro OpenLog path
  Push "${path}"
  !insertmacro LogCall OpenLog
!macroend

!macro Log text
  Push "${text}"
  !insertmacro LogCall WriteLog
!macroend
!define Log "!insertmacro Log"

; Reports a failure (a message box unless silent), writes it to the log and
; stops the run with error level 2, before anything else is changed.
!macro Fail text
  ${Log} "error: ${text}"
  MessageBox MB_OK|MB_ICONSTOP "${text}" /SD IDOK
  SetErrorLevel 2
  Abort
!macroend
!define Fail "!insertmacro Fail"

; Stops the run as cancelled by the user (error level 1); nothing was changed.
!macro Cancelled
  ${Log} "$(MSG_CANCELLED)"
  SetErrorLevel 1
  Abort
!macroend
!define Cancelled "!insertmacro Cancelled"
