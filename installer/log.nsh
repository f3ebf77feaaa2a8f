; A log of its own for the installer and the uninstaller: every line goes to the
; details list and to a UTF-16 file in the user's temporary folder, so that a
; silent run that failed can be diagnosed afterwards.

Var LogFile

!macro OpenLog path
  FileOpen $LogFile "${path}" w
  FileWriteUTF16LE /BOM $LogFile ""
!macroend

!macro Log text
  DetailPrint "${text}"
  FileWriteUTF16LE $LogFile "${text}$\r$\n"
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
