; The files of an installation. Every installed file is listed, relative to the
; folder, in MANIFEST (UTF-16, one a line), so that an upgrade removes what the
; version before it installed and a removal removes everything, also files
; that a newer version no longer ships.
;
; Before anything is changed, every file that would be replaced or removed is
; opened for writing and deleting without sharing: that fails for a file that
; any program holds open or runs from, including a host running in another
; user's session, which no window search can find.

!define MANIFEST "installed-files.txt"
!define GENERIC_WRITE_AND_DELETE 0x40010000
!define OPEN_EXISTING 3
!define ERROR_FILE_NOT_FOUND 2
!define ERROR_PATH_NOT_FOUND 3

; Sets $R8 2 and $R9 to the reason when the file $INSTDIR\NAME exists and
; cannot be deleted.
!macro CheckDeletable name
  Push "${name}"
  !insertmacro LogCall CheckDeletable
!macroend

!macro DeleteInstalled name
  Delete "$INSTDIR\${name}"
!macroend

; The files that the versions before the manifest installed (with the
; stand-in or the real engine), besides data\, which every version ships.
!macro ForEachLegacyFile function
  !insertmacro CallWithName ${function} "${HOST_EXE}"
  !insertmacro CallWithName ${function} "flutter_windows.dll"
  !insertmacro CallWithName ${function} "desktop_drop_plugin.dll"
  !insertmacro CallWithName ${function} "flutter_secure_storage_windows_plugin.dll"
  !insertmacro CallWithName ${function} "local_notifier_plugin.dll"
  !insertmacro CallWithName ${function} "tray_manager_plugin.dll"
  !insertmacro CallWithName ${function} "webview_windows_plugin.dll"
!macroend

!macro CallWithName function name
  Push "${name}"
  Call ${function}
!macroend

!macro DefineInstalledFiles prefix
Function ${prefix}CheckDeletable
  Exch $0
  Push $1
  Push $2
  ${If} $R8 != 0
    Goto done
  ${EndIf}
  System::Call 'kernel32::CreateFileW(w "$INSTDIR\$0", i ${GENERIC_WRITE_AND_DELETE}, i 0, p 0, \
    i ${OPEN_EXISTING}, i 0, p 0) p .r1 ?e'
  Pop $2
  ${If} $1 P= -1
    ${If} $2 != ${ERROR_FILE_NOT_FOUND}
    ${AndIf} $2 != ${ERROR_PATH_NOT_FOUND}
      ${Log} "$(LOG_CANNOT_DELETE)"
      StrCpy $R8 2
      StrCpy $R9 "$(MSG_FILES_IN_USE)"
    ${EndIf}
  ${Else}
    System::Call 'kernel32::CloseHandle(p r1)'
  ${EndIf}
done:
  Pop $2
  Pop $1
  Pop $0
FunctionEnd

; Applies the function whose address is on the stack to each file of the
; manifest in $INSTDIR (its relative name on the stack).
Function ${prefix}ForEachListedFile
  Exch $0
  Push $1
  Push $2
  Push $3
  ClearErrors
  FileOpen $1 "$INSTDIR\${MANIFEST}" r
  ${IfNot} ${Errors}
    ${Do}
      ClearErrors
      FileReadUTF16LE $1 $2
      ${If} ${Errors}
        ${Break}
      ${EndIf}
      ${TrimNewLines} "$2" $2
      ${If} $2 != ""
        Push $2
        Call $0
      ${EndIf}
    ${Loop}
    FileClose $1
  ${EndIf}
  Pop $3
  Pop $2
  Pop $1
  Pop $0
FunctionEnd

!if "${prefix}" == "un."
; Deletes a listed file and the folders of the installation that it leaves
; empty (a version's subfolders go with their last file).
Function ${prefix}DeleteListed
  Exch $0
  Push $1
  Push $2
  Delete "$INSTDIR\$0"
  StrLen $2 $INSTDIR
  ${GetParent} "$INSTDIR\$0" $1
  ${Do}
    StrLen $0 $1
    ${IfThen} $0 <= $2 ${|} ${Break} ${|}
    RMDir "$1"
    ${GetParent} "$1" $1
  ${Loop}
  Pop $2
  Pop $1
  Pop $0
FunctionEnd
!endif

; $R8 0 when every installed file can be deleted, else 2 and $R9 the reason.
Function ${prefix}CheckInstalledFiles
  Push $0
  StrCpy $R8 0
  GetFunctionAddress $0 ${prefix}CheckDeletable
  Push $0
  Call ${prefix}ForEachListedFile
  !insertmacro ForEachBundleFile CheckDeletable
  !ifndef __UNINSTALL__
    ; A version before the manifest: the files it is known to have installed.
    ${IfNot} ${FileExists} "$INSTDIR\${MANIFEST}"
      !insertmacro ForEachLegacyFile ${prefix}CheckDeletable
    ${EndIf}
  !endif
  !insertmacro CheckDeletable "${MANIFEST}"
  !ifndef __UNINSTALL__
    ; The uninstaller's own file is deleted after it has ended.
    !insertmacro CheckDeletable "${UNINSTALLER}"
  !endif
  Pop $0
FunctionEnd

!if "${prefix}" == "un."
; Removes every file of the manifest, of this version's list, the application
; data folder and the manifest itself; leaves the uninstaller.
Function ${prefix}RemoveInstalledFiles
  Push $0
  GetFunctionAddress $0 ${prefix}DeleteListed
  Push $0
  Call ${prefix}ForEachListedFile
  !insertmacro ForEachBundleFile DeleteInstalled
  RMDir /r "$INSTDIR\data"
  Delete "$INSTDIR\${MANIFEST}"
  Pop $0
FunctionEnd
!endif
!macroend

!macro WriteManifestLine name
  FileWriteUTF16LE $0 "${name}$\r$\n"
!macroend

; Writes the manifest of this version to PATH; sets the error flag when it
; cannot be written.
!macro WriteManifest path
  FileOpen $0 "${path}" w
  FileWriteUTF16LE /BOM $0 ""
  !insertmacro ForEachBundleFile WriteManifestLine
  FileClose $0
!macroend
