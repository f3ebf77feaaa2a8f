; The Quorvane AI installer: a per-machine install into Program Files (64-bit),
; upgrades in place, and an uninstaller. Built by scripts/package.sh, which
; passes on the command line:
;   VERSION     the project version (x.y.z)
;   BUNDLE      the folder of the laid-out application bundle
;   FILE_LIST   a generated header defining ForEachBundleFile, which applies a
;               macro to the relative name of every file of the bundle,
;               ForEachBundleFolder, the same for every folder in it, and
;               LONGEST_BUNDLE_PATH, the length of the longest relative name,
;               and BUNDLE_SIZE_KIB, the size of all files
;   ICON        the application icon
;   OUTFILE     the installer to write
;   SHORTCUT_HELPER  the program that gives a shortcut the application's
;               AppUserModelID (run by the installer, not installed)
;   SIGN        (optional) a command that signs the file named after it; the
;               uninstaller is signed as it is written, the installer once built

Target amd64-unicode
SetCompressor /SOLID lzma
!include MUI2.nsh
!include FileFunc.nsh
!include LogicLib.nsh
!include Sections.nsh
!include TextFunc.nsh
!include WinVer.nsh
!include WordFunc.nsh
!include x64.nsh
!include "${FILE_LIST}"

!define PRODUCT_NAME "Quorvane AI"
!define PUBLISHER "Quorvane AI"
!define HOST_EXE "quorvane_ai.exe"
!define SHORTCUT_NAME "Quorvane AI.lnk"
!define UNINSTALLER "uninstall.exe"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\QuorvaneAI"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define RUN_APPROVED_KEY "Software\Microsoft\Windows\CurrentVersion\Explorer\StartupApproved\Run"
!define RUN_VALUE "Quorvane AI"
!define SETTINGS_KEY "Software\QuorvaneAI"
!define USER_DATA_FOLDER "Quorvane AI"
!define TOKEN_CREDENTIAL "quorvane.ai.codex.token.v1"
!define CRED_TYPE_GENERIC 1
!define SETUP_MUTEX "Global\QuorvaneAI.Setup"
!define ERROR_ALREADY_EXISTS 183
!define SYNCHRONIZE 0x00100000
!define LANGID_ZH_CN 2052
!define LANGID_ZH_SG 4100
; New files are written here first and moved into place once all are written;
; the previous installation's files wait in the other folder until then.
!define STAGING_FOLDER "~setup-new"
!define BACKUP_FOLDER "~setup-old"
; Paths longer than this many characters cannot be opened by most programs
; (MAX_PATH, less the 12 characters a folder must leave for a file name).
!define MAX_FOLDER_PATH 247
; Room for the uninstaller, the manifest and the file system, beyond the files.
!define SPACE_MARGIN_KIB 4096
!define HKEY_CURRENT_USER_VALUE -2147483647
; Windows Error Reporting keeps crash dumps of the program for its user.
!define DUMPS_KEY "SOFTWARE\Microsoft\Windows\Windows Error Reporting\LocalDumps\${HOST_EXE}"
!define DUMPS_FOLDER "%LOCALAPPDATA%\${USER_DATA_FOLDER}\crashes"

!include log.nsh
!include running_host.nsh
!include installed_files.nsh
!include folder_security.nsh

Name "${PRODUCT_NAME}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${PRODUCT_NAME}"
; An upgrade goes where the installed version is, unless /D= says otherwise.
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
RequestExecutionLevel admin
ManifestDPIAware true
; The program needs Windows 10 or 11; the setup says so on anything older.
ManifestSupportedOS Win10
AllowSkipFiles off
ShowInstDetails show
ShowUninstDetails show
BrandingText "${PRODUCT_NAME} ${VERSION}"
!ifdef SIGN
  !uninstfinalize '${SIGN} "%1"' = 0
  !finalize '${SIGN} "%1"' = 0
!endif

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_HEADERIMAGE
!define MUI_HEADERIMAGE_BITMAP "art\header.bmp"
!define MUI_WELCOMEFINISHPAGE_BITMAP "art\wizard.bmp"
!define MUI_ABORTWARNING
!define MUI_CUSTOMFUNCTION_GUIINIT GuiInit
!define MUI_CUSTOMFUNCTION_ABORT CancelledOnPage
!define MUI_CUSTOMFUNCTION_UNABORT un.CancelledOnPage
!define MUI_COMPONENTSPAGE_NODESC
!define MUI_UNCOMPONENTSPAGE_NODESC

!define MUI_PAGE_CUSTOMFUNCTION_LEAVE CheckTargetPage
!insertmacro MUI_PAGE_DIRECTORY
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE PrepareInstallPage
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\${HOST_EXE}"
!define MUI_FINISHPAGE_RUN_TEXT "$(FINISH_RUN)"
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE un.PrepareRemovalPage
!define MUI_COMPONENTSPAGE_TEXT_TOP "$(PURGE_NOTE)"
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES

; English first: it is the fallback for a text a translation lacks.
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "SimpChinese"
!include lang\english.nsh
!include lang\simpchinese.nsh

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductName" "${PRODUCT_NAME}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileDescription" "${PRODUCT_NAME} Setup"
VIAddVersionKey /LANG=${LANG_ENGLISH} "LegalCopyright" "© ${PUBLISHER}"

!insertmacro DefineLog ""
!insertmacro DefineLog "un."
!insertmacro DefineEndRunningHost ""
!insertmacro DefineEndRunningHost "un."
!insertmacro DefineInstalledFiles ""
!insertmacro DefineInstalledFiles "un."
!include shared.nsh
!insertmacro DefineShared ""
!insertmacro DefineShared "un."

!include install.nsh
!include install_checks.nsh
!include transaction.nsh
!include old_copy.nsh
!include uninstall_command.nsh
!include uninstall.nsh
!include integration.nsh
