; The uninstaller's command line as Windows tools pass it. "_?=FOLDER" runs it
; in place; setup itself takes the rest of the line as the folder, but
; deployment tools append switches to the registered command, so /S, /PURGE
; and /FORCECLOSE are also read after the folder. $UninstallSwitches holds
; every switch given, for the copy that does the removal.

Var UninstallSwitches

; Removes SWITCH from the end of $1 (the folder part) when it is there, and
; adds it to the switches.
!macro TakeTrailingSwitch switch
  StrLen $3 " ${switch}"
  StrCpy $2 $1 "" -$3
  ${If} $2 == " ${switch}"
    IntOp $3 0 - $3
    StrCpy $1 $1 $3
    StrCpy $UninstallSwitches "$UninstallSwitches ${switch}"
    StrCpy $4 1
  ${EndIf}
!macroend

; Sets $INSTDIR (in its one spelling) and $UninstallSwitches; /S after the
; folder makes the run silent.
Function un.ReadCommandLine
  Push $0
  Push $1
  Push $2
  Push $3
  Push $4
  ${GetParameters} $UninstallSwitches
  System::Call 'kernel32::GetCommandLineW() w .r0'
  StrLen $3 $0
  StrCpy $2 0
  StrCpy $1 ""
  ${DoWhile} $2 < $3
    StrCpy $4 $0 4 $2
    ${If} $4 == " _?="
      IntOp $2 $2 + 4
      StrCpy $1 $0 "" $2
      ${Break}
    ${EndIf}
    IntOp $2 $2 + 1
  ${Loop}
  ${If} $1 != ""
    ${Do}
      StrCpy $4 0
      ${Do}
        StrCpy $2 $1 1 -1
        ${IfThen} $2 != " " ${|} ${Break} ${|}
        StrCpy $1 $1 -1
      ${Loop}
      !insertmacro TakeTrailingSwitch "/S"
      !insertmacro TakeTrailingSwitch "/PURGE"
      !insertmacro TakeTrailingSwitch "/FORCECLOSE"
    ${LoopUntil} $4 == 0
    StrCpy $INSTDIR $1
  ${EndIf}
  ${CanonicalFolder} $INSTDIR
  ClearErrors
  ${GetOptions} "$UninstallSwitches" "/S" $0
  ${IfNot} ${Errors}
    SetSilent silent
  ${EndIf}
  Pop $4
  Pop $3
  Pop $2
  Pop $1
  Pop $0
FunctionEnd
