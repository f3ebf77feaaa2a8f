; Every text of the installer and the uninstaller of their own, in English.
; English is loaded first, so a text missing from a translation shows in
; English. Messages may name $INSTDIR and $R7 (a folder or a version), which
; are filled in when shown.

LangString SEC_DESKTOP_SHORTCUT ${LANG_ENGLISH} "Desktop shortcut"
LangString SEC_PURGE ${LANG_ENGLISH} "Also remove my settings and saved access token"
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
LangString MSG_DISK_FULL ${LANG_ENGLISH} \
  "There is not enough free space on the drive of $INSTDIR: ${PRODUCT_NAME} needs $R7 MB, $R6 MB are free. Free some space or choose another drive. Nothing was changed."
LangString MSG_FOLDER_TOO_LONG ${LANG_ENGLISH} \
  "The folder $INSTDIR is too long ($R7 characters): the files in it would pass the path limit of Windows (260 characters), and ${PRODUCT_NAME} could not start. Choose a folder of at most $R6 characters. Nothing was changed."
LangString MSG_WRITE_FAILED ${LANG_ENGLISH} \
  "The files of ${PRODUCT_NAME} could not be written to $INSTDIR (the setup log names the file and the error). The previous state is restored: nothing was changed."
LangString MSG_NOT_INSTALLED ${LANG_ENGLISH} \
  "No installation of ${PRODUCT_NAME} was found in $INSTDIR. Nothing was changed."
LangString PURGE_NOTE ${LANG_ENGLISH} \
  "Your settings, saved access token and local data are kept for a later install. Tick the box to remove them too: only those of the account $AccountName, which runs this removal."

; The log and the details list, line by line.
LangString LOG_ERROR ${LANG_ENGLISH} "error: "
LangString LOG_LOG_NOT_WRITABLE ${LANG_ENGLISH} \
  "warning: the log $LogProblem cannot be written; it is written here instead."
LangString LOG_CANCELLED_ON_PAGE ${LANG_ENGLISH} "Cancelled by the user. Nothing was changed."
LangString LOG_INSTALLING ${LANG_ENGLISH} "Installing ${PRODUCT_NAME} ${VERSION} into $INSTDIR"
LangString LOG_DOWNGRADE ${LANG_ENGLISH} \
  "Version $InstalledVersion is installed: this is a downgrade to ${VERSION}."
LangString LOG_REINSTALL ${LANG_ENGLISH} \
  "Version ${VERSION} is installed already: installing it again."
LangString LOG_UPGRADE ${LANG_ENGLISH} "Upgrading from version $InstalledVersion."
LangString LOG_FREE_SPACE ${LANG_ENGLISH} "Free space for $INSTDIR: $R6 MB; needed: $R7 MB."
LangString LOG_FREE_SPACE_UNKNOWN ${LANG_ENGLISH} \
  "warning: the free space for $INSTDIR cannot be read (error $3)."
LangString LOG_CANNOT_DELETE ${LANG_ENGLISH} "$INSTDIR\$0 cannot be deleted (error $2)."
LangString LOG_FOLDER_INHERITS ${LANG_ENGLISH} "$INSTDIR is below $1 and keeps its access list."
LangString LOG_FOLDER_SECURED ${LANG_ENGLISH} "$INSTDIR is writable by administrators only."
LangString LOG_FOLDER_NOT_SECURED ${LANG_ENGLISH} \
  "The access list of $INSTDIR cannot be set or is not in effect ($0)."
LangString LOG_FILES_STAGED ${LANG_ENGLISH} \
  "New files written beside the installed ones, in $INSTDIR\${STAGING_FOLDER}."
LangString LOG_WRITE_FAILED ${LANG_ENGLISH} \
  "$INSTDIR\${STAGING_FOLDER}\$CurrentFile cannot be written (error $0); $1 KB free on the drive."
LangString LOG_MOVE_FAILED ${LANG_ENGLISH} "$0 cannot be moved to $1 (error $3)."
LangString LOG_ROLLED_BACK ${LANG_ENGLISH} "$INSTDIR is as it was before this setup."
LangString LOG_ROLLBACK_INCOMPLETE ${LANG_ENGLISH} \
  "error: the previous installation could not be put back completely; its remaining files are in $INSTDIR\${BACKUP_FOLDER}."
LangString LOG_FILES_WRITTEN ${LANG_ENGLISH} "Files written."
LangString LOG_REMOVING_OLD_COPY ${LANG_ENGLISH} "Removing the copy installed in $OldFolder."
LangString LOG_LAUNCH_AT_LOGIN_MOVED ${LANG_ENGLISH} \
  "Launch at login now starts $INSTDIR\${HOST_EXE}, enabled or disabled as before."
LangString LOG_REGISTERED ${LANG_ENGLISH} "Start-menu shortcut and uninstall entry written."
LangString LOG_INSTALL_COMPLETE ${LANG_ENGLISH} "Installation complete."
LangString LOG_RESTARTING ${LANG_ENGLISH} "Starting ${PRODUCT_NAME} again."
LangString LOG_INSTALL_FAILED ${LANG_ENGLISH} "Installation failed."
LangString LOG_HOST_RUNNING ${LANG_ENGLISH} "${PRODUCT_NAME} is running; asking it to end."
LangString LOG_HOST_NO_ANSWER ${LANG_ENGLISH} "${PRODUCT_NAME} does not answer."
LangString LOG_HOST_STILL_RUNS ${LANG_ENGLISH} "${PRODUCT_NAME} agreed to end but still runs."
LangString LOG_HOST_TERMINATING ${LANG_ENGLISH} "Ending ${PRODUCT_NAME}, which does not respond."
LangString LOG_HOST_ENDED ${LANG_ENGLISH} "${PRODUCT_NAME} has ended."
LangString LOG_REMOVING ${LANG_ENGLISH} "Removing ${PRODUCT_NAME} from $INSTDIR"
LangString LOG_ENTRY_NOT_OURS ${LANG_ENGLISH} \
  "The uninstall entry belongs to $0: it, the shortcuts and the launch-at-login value stay."
LangString LOG_REMOVED ${LANG_ENGLISH} \
  "Files, shortcuts, uninstall entry and launch-at-login entry removed."
LangString LOG_LEFTOVERS ${LANG_ENGLISH} \
  "warning: files that setup did not install are left in $INSTDIR: $Leftovers"
LangString LOG_TOKEN_NOT_REMOVED ${LANG_ENGLISH} \
  "warning: the saved access token could not be removed (error $1)."
LangString LOG_PURGED ${LANG_ENGLISH} "Settings, local data and saved access token removed."
LangString LOG_REMOVAL_COMPLETE ${LANG_ENGLISH} "Removal complete."
LangString LOG_REMOVAL_COMPLETE_LEFTOVERS ${LANG_ENGLISH} \
  "Removal complete, but files that setup did not install are left in $INSTDIR (exit code 3)."
LangString LOG_REMOVAL_FAILED ${LANG_ENGLISH} "Removal failed."
