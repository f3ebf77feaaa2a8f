; A log of its own for the installer and the uninstaller: every line goes to the
; details list and, with the local time in front, to a UTF-16 file, so that a
; silent run that failed can be diagnosed afterwards. The file is appended to
; across runs; past 1 MiB it is moved to FILE.old (one older file is kept).
; /LOG=FILE writes it elsewhere (quote FILE when it holds blanks).

Var LogFile
Var LogError
Var LogProblem

!define LOG_LIMIT_BYTES 1048576
!define LOG_ACCESS 0xC0000000 ; GENERIC_READ | GENERIC_WRITE
!define LOG_SHARING 3 ; FILE_SHARE_READ | FILE_SHARE_WRITE
!define LOG_OPEN_ALWAYS 4

!macro DefineLog prefix
; Opens the log; takes the default path from the stack. The file is shared,
; so that a second setup that is refused can still say so in it. A /LOG=
; file whose folder is missing gets the folder; one that cannot be written
; leaves the log at the default path and $LogProblem naming it, for the first
; line (none may be written before the language applies).
Function ${prefix}OpenLog
  Exch $0
  Push $1
  Push $2
  ${GetParameters} $1
  ClearErrors
  ${GetOptions} $1 "/LOG=" $2
  ${IfNot} ${Errors}
  ${AndIf} $2 != ""
    ${GetParent} "$2" $1
    CreateDirectory "$1"
    Push $2
    Call ${prefix}OpenLogFile
    ${If} $LogFile == ""
      StrCpy $LogProblem "$2 (error $LogError)"
    ${EndIf}
  ${EndIf}
  ${If} $LogFile == ""
    Push $0
    Call ${prefix}OpenLogFile
  ${EndIf}
  Pop $2
  Pop $1
  Pop $0
FunctionEnd

; Opens the file on the stack for reading and appending, shared; moves it to
; FILE.old first when it has grown past the limit.
Function ${prefix}OpenLogFile
  Exch $0
  Push $1
  Push $2
  ${ForEach} $2 1 2 + 1
    System::Call 'kernel32::CreateFileW(w r0, i ${LOG_ACCESS}, i ${LOG_SHARING}, p 0, \
      i ${LOG_OPEN_ALWAYS}, i 0, p 0) p .r1 ?e'
    Pop $LogError
    ${If} $1 P= -1
      StrCpy $LogFile ""
      ${Break}
    ${EndIf}
    StrCpy $LogFile $1
    FileSeek $LogFile 0 END $1
    ${If} $1 <= ${LOG_LIMIT_BYTES}
    ${OrIf} $2 == 2
      ${Break}
    ${EndIf}
    FileClose $LogFile
    Delete "$0.old"
    Rename "$0" "$0.old"
  ${Next}
  ${If} $LogFile != ""
  ${AndIf} $1 == 0
    FileWriteUTF16LE /BOM $LogFile ""
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
    ; Another setup may have written in the meantime.
    FileSeek $LogFile 0 END
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
  ${Log} "$(LOG_ERROR)${text}"
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
