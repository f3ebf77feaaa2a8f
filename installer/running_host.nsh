; Ends a running Quorvane AI the way the Restart Manager ends an application
; whose files are in use: the host's window is asked whether the session may
; end (WM_QUERYENDSESSION with ENDSESSION_CLOSEAPP), then told that it ends
; (WM_ENDSESSION), and its process is waited for. WM_CLOSE would not do: with
; close to tray on it only hides the window.
;
; Defines EndRunningHost (installer) and un.EndRunningHost (uninstaller). Both
; leave "" in $R9 when no host runs any more, otherwise a message saying why.

!define HOST_WINDOW_CLASS "FLUTTER_RUNNER_WIN32_WINDOW"
!define HOST_WINDOW_TITLE "Quorvane AI 综合平台"
!include WinMessages.nsh
!ifndef ENDSESSION_CLOSEAPP
  !define ENDSESSION_CLOSEAPP 0x1
!endif
!ifndef SMTO_ABORTIFHUNG
  !define SMTO_ABORTIFHUNG 0x2
!endif
!ifndef SYNCHRONIZE
  !define SYNCHRONIZE 0x00100000
!endif
!define HOST_MESSAGE_TIMEOUT_MS 5000
!define HOST_EXIT_TIMEOUT_MS 10000

!macro DefineEndRunningHost prefix
Function ${prefix}EndRunningHost
  Push $0
  Push $1
  Push $2
  Push $3
  StrCpy $R9 ""
  System::Call 'user32::FindWindowW(w "${HOST_WINDOW_CLASS}", w "${HOST_WINDOW_TITLE}") p .r0'
  ${If} $0 P= 0
    Goto done
  ${EndIf}
  ${Log} "Quorvane AI is running; asking it to end."
  MessageBox MB_OKCANCEL|MB_ICONINFORMATION \
    "Quorvane AI is running. It will be closed to continue." /SD IDOK IDOK close
  StrCpy $R9 "Quorvane AI is still running; nothing was changed."
  Goto done

close:
  System::Call 'user32::GetWindowThreadProcessId(p r0, *i 0 r1)'
  System::Call 'kernel32::OpenProcess(i ${SYNCHRONIZE}, i 0, i r1) p .r2'
  ${If} $2 P= 0
    StrCpy $R9 "Quorvane AI is running and cannot be waited for; close it and try again."
    Goto done
  ${EndIf}
  StrCpy $3 0
  System::Call 'user32::SendMessageTimeoutW(p r0, i ${WM_QUERYENDSESSION}, p 0, \
    p ${ENDSESSION_CLOSEAPP}, i ${SMTO_ABORTIFHUNG}, i ${HOST_MESSAGE_TIMEOUT_MS}, *p 0 r3)'
  ${If} $3 P= 0
    ; It refused or did not answer: tell it that the session goes on.
    System::Call 'user32::SendMessageTimeoutW(p r0, i ${WM_ENDSESSION}, p 0, \
      p ${ENDSESSION_CLOSEAPP}, i ${SMTO_ABORTIFHUNG}, i ${HOST_MESSAGE_TIMEOUT_MS}, *p 0)'
    System::Call 'kernel32::CloseHandle(p r2)'
    StrCpy $R9 "Quorvane AI did not agree to close; close it and try again. Nothing was changed."
    Goto done
  ${EndIf}
  System::Call 'user32::SendMessageTimeoutW(p r0, i ${WM_ENDSESSION}, p 1, \
    p ${ENDSESSION_CLOSEAPP}, i ${SMTO_ABORTIFHUNG}, i ${HOST_MESSAGE_TIMEOUT_MS}, *p 0)'
  System::Call 'kernel32::WaitForSingleObject(p r2, i ${HOST_EXIT_TIMEOUT_MS}) i .r3'
  System::Call 'kernel32::CloseHandle(p r2)'
  ${If} $3 != 0
    StrCpy $R9 "Quorvane AI did not end within 10 seconds; close it and try again. Nothing was changed."
    Goto done
  ${EndIf}
  ${Log} "Quorvane AI has ended."

done:
  Pop $3
  Pop $2
  Pop $1
  Pop $0
FunctionEnd
!macroend
