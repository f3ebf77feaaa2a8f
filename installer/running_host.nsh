; Ends a running Quorvane AI the way the Restart Manager ends an application
; whose files are in use: the host's window is asked whether the session may
; end (WM_QUERYENDSESSION with ENDSESSION_CLOSEAPP), then told that it ends
; (WM_ENDSESSION), and its process is waited for. WM_CLOSE would not do: with
; close to tray on it only hides the window.
;
; A host that does not answer within the timeout, or does not end after
; agreeing, does not respond: it is ended (TerminateProcess) only when the user
; chooses so, or silently with /FORCECLOSE ($ForceClose 1), and only when its
; image lies in $INSTDIR.
;
; Defines EndRunningHost (installer) and un.EndRunningHost (uninstaller). Both
; leave in $R8 0 when no host runs any more, 1 when the user cancelled, 2 when
; it still runs, with the reason in $R9. $HostEnded becomes 1 when a host of
; this session was ended.

!define HOST_WINDOW_CLASS "FLUTTER_RUNNER_WIN32_WINDOW"
!define HOST_WINDOW_TITLE "Quorvane AI 综合平台"
!include WinMessages.nsh
!ifndef ENDSESSION_CLOSEAPP
  !define ENDSESSION_CLOSEAPP 0x1
!endif
!ifndef SMTO_ABORTIFHUNG
  !define SMTO_ABORTIFHUNG 0x2
!endif
!define HOST_PROCESS_ACCESS 0x00101001 ; SYNCHRONIZE, QUERY_LIMITED_INFORMATION, TERMINATE
!define HOST_MESSAGE_TIMEOUT_MS 5000
!define HOST_EXIT_TIMEOUT_MS 10000

Var ForceClose
Var HostEnded

!macro DefineEndRunningHost prefix
Function ${prefix}EndRunningHost
  Push $0
  Push $1
  Push $2
  Push $3
  Push $4
  StrCpy $R8 0
  StrCpy $R9 ""
  System::Call 'user32::FindWindowW(w "${HOST_WINDOW_CLASS}", w "${HOST_WINDOW_TITLE}") p .r0'
  ${If} $0 P= 0
    Goto done
  ${EndIf}
  ${Log} "$(LOG_HOST_RUNNING)"
  MessageBox MB_OKCANCEL|MB_ICONINFORMATION "$(MSG_HOST_RUNNING)" /SD IDOK IDOK close
  StrCpy $R8 1
  Goto done

close:
  System::Call 'user32::GetWindowThreadProcessId(p r0, *i 0 r1)'
  System::Call 'kernel32::OpenProcess(i ${HOST_PROCESS_ACCESS}, i 0, i r1) p .r2'
  ${If} $2 P= 0
    StrCpy $R8 2
    StrCpy $R9 "$(MSG_HOST_NOT_ENDED)"
    Goto done
  ${EndIf}
  StrCpy $3 0
  System::Call 'user32::SendMessageTimeoutW(p r0, i ${WM_QUERYENDSESSION}, p 0, \
    p ${ENDSESSION_CLOSEAPP}, i ${SMTO_ABORTIFHUNG}, i ${HOST_MESSAGE_TIMEOUT_MS}, *p 0 r3) p .r4'
  ${If} $4 P= 0
    ${Log} "$(LOG_HOST_NO_ANSWER)"
    Goto hung
  ${EndIf}
  ${If} $3 P= 0
    ; It refused: tell it that the session goes on.
    System::Call 'user32::SendMessageTimeoutW(p r0, i ${WM_ENDSESSION}, p 0, \
      p ${ENDSESSION_CLOSEAPP}, i ${SMTO_ABORTIFHUNG}, i ${HOST_MESSAGE_TIMEOUT_MS}, *p 0)'
    StrCpy $R8 2
    StrCpy $R9 "$(MSG_HOST_REFUSED)"
    Goto release
  ${EndIf}
  System::Call 'user32::SendMessageTimeoutW(p r0, i ${WM_ENDSESSION}, p 1, \
    p ${ENDSESSION_CLOSEAPP}, i ${SMTO_ABORTIFHUNG}, i ${HOST_MESSAGE_TIMEOUT_MS}, *p 0)'
  System::Call 'kernel32::WaitForSingleObject(p r2, i ${HOST_EXIT_TIMEOUT_MS}) i .r3'
  ${If} $3 == 0
    Goto ended
  ${EndIf}
  ${Log} "$(LOG_HOST_STILL_RUNS)"

hung:
  ; Only a program of this installation is ever ended by force.
  System::Call 'kernel32::QueryFullProcessImageNameW(p r2, i 0, w .r3, *i ${NSIS_MAX_STRLEN}) i .r4'
  StrLen $4 "$INSTDIR\"
  StrCpy $3 $3 $4
  ${If} $3 != "$INSTDIR\"
    StrCpy $R8 2
    StrCpy $R9 "$(MSG_HOST_NOT_OURS)"
    Goto release
  ${EndIf}
  ${If} ${Silent}
    ${If} $ForceClose != 1
      StrCpy $R8 2
      StrCpy $R9 "$(MSG_HOST_HUNG)"
      Goto release
    ${EndIf}
  ${Else}
    MessageBox MB_OKCANCEL|MB_ICONEXCLAMATION|MB_DEFBUTTON2 "$(MSG_HOST_HUNG_ASK)" IDOK terminate
    StrCpy $R8 1
    Goto release
  ${EndIf}
terminate:
  ${Log} "$(LOG_HOST_TERMINATING)"
  System::Call 'kernel32::TerminateProcess(p r2, i 1)'
  System::Call 'kernel32::WaitForSingleObject(p r2, i ${HOST_EXIT_TIMEOUT_MS}) i .r3'
  ${If} $3 != 0
    StrCpy $R8 2
    StrCpy $R9 "$(MSG_HOST_NOT_ENDED)"
    Goto release
  ${EndIf}

ended:
  StrCpy $HostEnded 1
  ${Log} "$(LOG_HOST_ENDED)"
release:
  System::Call 'kernel32::CloseHandle(p r2)'
done:
  Pop $4
  Pop $3
  Pop $2
  Pop $1
  Pop $0
FunctionEnd
!macroend
