; Every text of the installer and the uninstaller of their own, in English.
; English is loaded first, so a text missing from a translation shows in
; English. Messages may name $INSTDIR and $R7 (a folder or a version), which
; are filled in when shown.

LangString SEC_DESKTOP_SHORTCUT ${LANG_ENGLISH} "Desktop shortcut"
LangString SEC_PURGE ${LANG_ENGLISH} \
  "Also remove my settings and saved access token (those of the account running this removal)"
LangString FINISH_RUN ${LANG_ENGLISH} "Start ${PRODUCT_NAME}"

LangString MSG_OLD_WINDOWS ${LANG_ENGLISH} \
  "${PRODUCT_NAME} needs 64-bit Windows 10, version 1703 or later, or Windows 11. It cannot be installed on this computer."
LangString MSG_NEEDS_ADMIN ${LANG_ENGLISH} \
  "Setup needs administrator rights. Sign in with an administrator account, or right-click Setup and choose $\"Run as administrator$\"."
LangString MSG_SETUP_RUNNING ${LANG_ENGLISH} \
  "Another ${PRODUCT_NAME} setup is already running. Let it finish, then try again."
LangString MSG_DOWNGRADE ${LANG_ENGLISH} \
  "The newer version $R7 of ${PRODUCT_NAME} is installed. Replace it with the older version ${VERSION}?"
LangString MSG_REINSTALL ${LANG_ENGLISH} \
  "${PRODUCT_NAME} ${VERSION} is already installed. Install it again?"

LangString MSG_FOLDER_NOT_EMPTY ${LANG_ENGLISH} \
  "The folder $INSTDIR already holds other files. Choose an empty or a new folder."
LangString MSG_FOLDER_CANNOT_CREATE ${LANG_ENGLISH} \
  "The folder $R7 cannot be created. Choose another folder."
LangString MSG_FOLDER_NOT_WRITABLE ${LANG_ENGLISH} \
  "The folder $INSTDIR cannot be written. Choose another folder, or run Setup as an administrator."
LangString MSG_FOLDER_NOT_SECURED ${LANG_ENGLISH} \
  "The folder $INSTDIR cannot be restricted to administrators, so other users could place programs in it. Choose another folder. Nothing was changed."
LangString MSG_FILES_IN_USE ${LANG_ENGLISH} \
  "${PRODUCT_NAME} is still running, possibly for another user signed in to this computer, so its files in $INSTDIR cannot be changed. Ask that user to close it, or end $\"quorvane_ai.exe$\" in Task Manager (tab Users or Details), then try again. Nothing was changed."
LangString MSG_OLD_COPY_NOT_REMOVED ${LANG_ENGLISH} \
  "The installed copy of ${PRODUCT_NAME} in $R7 could not be removed. Remove it from Settings › Apps, then try again. Nothing was changed."

LangString MSG_HOST_RUNNING ${LANG_ENGLISH} \
  "${PRODUCT_NAME} is running. It will be closed to continue."
LangString MSG_HOST_REFUSED ${LANG_ENGLISH} \
  "${PRODUCT_NAME} did not agree to close. Close it and try again. Nothing was changed."
LangString MSG_HOST_HUNG_ASK ${LANG_ENGLISH} \
  "${PRODUCT_NAME} does not respond. Close it anyway? Work not saved in it is lost.$\r$\n$\r$\nChoose Cancel to stop here; nothing has been changed."
LangString MSG_HOST_HUNG ${LANG_ENGLISH} \
  "${PRODUCT_NAME} does not respond. End it in Task Manager, or run again with /FORCECLOSE to have it closed. Nothing was changed."
LangString MSG_HOST_NOT_OURS ${LANG_ENGLISH} \
  "A ${PRODUCT_NAME} that does not respond runs from another folder than $INSTDIR and was left alone. End it in Task Manager and try again. Nothing was changed."
LangString MSG_HOST_NOT_ENDED ${LANG_ENGLISH} \
  "${PRODUCT_NAME} could not be closed. End it in Task Manager and try again. Nothing was changed."
LangString MSG_CANCELLED ${LANG_ENGLISH} "Cancelled. Nothing was changed."
