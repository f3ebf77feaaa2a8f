; Helpers of both the installer and the uninstaller: one spelling of a folder,
; the language, the launch-at-login value and the removal of created folders.

; Chinese for a Simplified Chinese display language, English otherwise (also
; for Traditional Chinese, which has no translation: one language throughout).
; Set in .onInit, it applies from the first dialog on: every message, log
; line and page comes after .onInit.
!macro ChooseLanguage
  System::Call 'kernel32::GetUserDefaultUILanguage() i .r0'
  ${If} $0 == ${LANGID_ZH_CN}
  ${OrIf} $0 == ${LANGID_ZH_SG}
    StrCpy $LANGUAGE ${LANG_SIMPCHINESE}
  ${Else}
    StrCpy $LANGUAGE ${LANG_ENGLISH}
  ${EndIf}
!macroend

; Removes the launch-at-login value of the user who runs this and its
; enabled/disabled mark, so that Windows does not try to start a removed program.
!macro RemoveLaunchAtLogin
  DeleteRegValue HKCU "${RUN_KEY}" "${RUN_VALUE}"
  DeleteRegValue HKCU "${RUN_APPROVED_KEY}" "${RUN_VALUE}"
!macroend

; Removes $INSTDIR when empty and then each parent up to and including TOP
; (a folder that setup created), as long as they are empty.
!macro RemoveFolderAndCreatedParents top
  Push $0
  StrCpy $0 "$INSTDIR"
  ${Do}
    RMDir "$0"
    ${If} "${top}" == ""
    ${OrIf} $0 == "${top}"
      ${Break}
    ${EndIf}
    ${GetParent} "$0" $0
  ${LoopUntil} $0 == ""
  Pop $0
!macroend

!macro CanonicalFolder var
  Push "${var}"
  !insertmacro LogCall CanonicalFolder
  Pop ${var}
!macroend
!define CanonicalFolder "!insertmacro CanonicalFolder"

!macro DefineShared prefix
; Replaces the folder on the stack by its one spelling: the full path as
; Windows resolves it (. and .., slashes), without trailing blanks, dots or
; backslashes, the drive letter in capitals and each existing folder in the
; case it has on disk.
; Folders are compared in this form, and without regard to case.
Function ${prefix}CanonicalFolder
  Exch $0
  Push $1
  Push $2
  Push $3
  Push $4
  Push $5
  Push $6
  System::Call 'kernel32::GetFullPathNameW(w r0, i ${NSIS_MAX_STRLEN}, w .r1, p 0) i .r2'
  ${If} $2 > 0
  ${AndIf} $2 < ${NSIS_MAX_STRLEN}
    StrCpy $0 $1
  ${EndIf}
  ${Do}
    StrCpy $1 $0 1 -1
    ${If} $1 != "\"
    ${AndIf} $1 != " "
    ${AndIf} $1 != "."
      ${Break}
    ${EndIf}
    StrCpy $0 $0 -1
  ${Loop}
  ; Each existing folder of the path as it is spelt on disk.
  StrCpy $3 ""
  ${Do}
    ${GetParent} "$0" $1
    ${IfThen} $1 == "" ${|} ${Break} ${|}
    StrLen $2 $1
    IntOp $2 $2 + 1
    StrCpy $4 $0 "" $2
    ${If} ${FileExists} "$0"
      FindFirst $5 $6 "$0"
      FindClose $5
      ${IfThen} $6 != "" ${|} StrCpy $4 $6 ${|}
    ${EndIf}
    StrCpy $3 "\$4$3"
    StrCpy $0 $1
  ${Loop}
  ; The drive letter in capitals.
  StrCpy $1 $0 1 1
  ${If} $1 == ":"
    System::Call 'user32::CharUpperBuffW(w r0 r0, i 1)'
  ${EndIf}
  StrCpy $0 "$0$3"
  Pop $6
  Pop $5
  Pop $4
  Pop $3
  Pop $2
  Pop $1
  Exch $0
FunctionEnd

!macroend
