; Helpers of both the installer and the uninstaller: folder names, the
; language, the launch-at-login value and the removal of created folders.

; Folders are compared without a trailing backslash.
!macro TrimFolder var
  ${DoWhile} "${var}" != ""
    StrCpy $0 "${var}" "" -1
    ${If} $0 != "\"
      ${Break}
    ${EndIf}
    StrCpy ${var} "${var}" -1
  ${Loop}
!macroend

; Chinese for a Simplified Chinese display language, English otherwise.
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
