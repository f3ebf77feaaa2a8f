; The Quorvane AI installer: a per-machine install into Program Files (64-bit),
; upgrades in place, and an uninstaller. Built by scripts/package.sh, which
; passes on the command line:
;   VERSION     the project version (x.y.z)
;   BUNDLE      the folder of the laid-out application bundle
;   FILE_LIST   a generated header defining ForEachBundleFile, which applies a
;               macro to the relative name of every file of the bundle, and
;               ForEachBundleFolder, the same for every folder in it
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
!include install_checks.nsh
!include install.nsh
!include uninstall.nsh
!include integration.nsh
