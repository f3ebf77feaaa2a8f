; How the installed program meets the desktop: quorvane:// links open it, its
; shortcuts carry the same AppUserModelID as its process, so that the taskbar
; groups the running window with them, and the updates it starts are removed
; with it. Included after the other
; sections, so that these run once the files and shortcuts are in place.
;   SHORTCUT_HELPER   the program that sets a shortcut's AppUserModelID

!ifndef SHORTCUT_HELPER
  !error "SHORTCUT_HELPER must name shortcut_identity.exe"
!endif

!define LINK_SCHEME_KEY "Software\Classes\quorvane"

; Gives the shortcut the application's identity; a failure is logged only:
; the shortcut still starts the program.
!macro GiveShortcutIdentity shortcut
  ${If} ${FileExists} "${shortcut}"
    nsExec::Exec '"$PLUGINSDIR\shortcut_identity.exe" "${shortcut}"'
    Pop $0
    ${If} $0 != 0
      ${Log} "warning: the shortcut ${shortcut} did not get the application's identity ($0)."
    ${EndIf}
  ${EndIf}
!macroend

Section "-Integration"
  WriteRegStr HKLM "${LINK_SCHEME_KEY}" "" "URL:${PRODUCT_NAME}"
  WriteRegStr HKLM "${LINK_SCHEME_KEY}" "URL Protocol" ""
  WriteRegStr HKLM "${LINK_SCHEME_KEY}\DefaultIcon" "" '"$INSTDIR\${HOST_EXE}",0'
  WriteRegStr HKLM "${LINK_SCHEME_KEY}\shell\open\command" "" '"$INSTDIR\${HOST_EXE}" "%1"'
  InitPluginsDir
  File "/oname=$PLUGINSDIR\shortcut_identity.exe" "${SHORTCUT_HELPER}"
  !insertmacro GiveShortcutIdentity "$SMPROGRAMS\${SHORTCUT_NAME}"
  !insertmacro GiveShortcutIdentity "$DESKTOP\${SHORTCUT_NAME}"
  ${Log} "quorvane:// links registered; shortcuts given the application's identity."
SectionEnd

; The scheme goes only while it still opens this installation: another copy,
; or another program, may have taken it over since. The last update the
; program handed over stays in "update" until then; with it goes the folder,
; which the files' removal had to leave.
Section "-un.Integration"
  ${If} ${FileExists} "$INSTDIR\update\*.*"
    Delete "$INSTDIR\update\quorvane_update.exe"
    RMDir "$INSTDIR\update"
    RMDir "$INSTDIR"
  ${EndIf}
  ReadRegStr $0 HKLM "${LINK_SCHEME_KEY}\shell\open\command" ""
  ${If} $0 == '"$INSTDIR\${HOST_EXE}" "%1"'
    DeleteRegKey HKLM "${LINK_SCHEME_KEY}"
    ${Log} "quorvane:// links unregistered."
  ${ElseIf} $0 != ""
    ${Log} "quorvane:// links open $0: left as they are."
  ${EndIf}
SectionEnd
