; The Windows installer of Orvalen, made by scripts/build-windows with NSIS:
;   makensis -DVERSION=1.0.0.1 -DSTAGE=<folder of the programs> -DICON=<orvalen.ico>
;            -DOUTFILE=<setup.exe> installer.nsi
; It installs orvalen.exe, orvalen-sql.exe and the template plugin_db_sample.sdb beside them
; into Program Files\Orvalen, adds a Start-menu folder with the editor and the uninstaller,
; registers the uninstaller with Windows' list of installed programs, and registers plugin files
; (.vdb) to open in the editor from Explorer. Orvalen itself keeps no settings, so uninstalling
; removes everything the installer made.

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!include "MUI2.nsh"
!include "x64.nsh"

!define PRODUCT "Orvalen"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
!define START_MENU "$SMPROGRAMS\${PRODUCT}"
; The file type of plugin files, for every user.
!define CLASSES "Software\Classes"
!define FILE_TYPE "Orvalen.Plugin"
; SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST): Explorer takes the new icon and command.
!define NOTIFY_ASSOCIATIONS "shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${PRODUCT}"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"

VIProductVersion "${VERSION}"
VIAddVersionKey /LANG=2052 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=2052 "FileDescription" "Orvalen 安装程序"
VIAddVersionKey /LANG=2052 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=2052 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=2052 "CompanyName" "${PRODUCT}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_FINISHPAGE_RUN "$INSTDIR\orvalen.exe"

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "SimpChinese"

Function .onInit
  SetRegView 64
  SetShellVarContext all
FunctionEnd

Function un.onInit
  SetRegView 64
  SetShellVarContext all
FunctionEnd

Section "Orvalen"
  SetOutPath "$INSTDIR"
  File "${STAGE}\orvalen.exe"
  File "${STAGE}\orvalen-sql.exe"
  File "${STAGE}\plugin_db_sample.sdb"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateDirectory "${START_MENU}"
  CreateShortcut "${START_MENU}\Orvalen.lnk" "$INSTDIR\orvalen.exe" "" "$INSTDIR\orvalen.exe" 0
  CreateShortcut "${START_MENU}\卸载 Orvalen.lnk" "$INSTDIR\uninstall.exe"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\orvalen.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1

  WriteRegStr HKLM "${CLASSES}\.vdb" "" "${FILE_TYPE}"
  WriteRegStr HKLM "${CLASSES}\${FILE_TYPE}" "" "视频扩展插件"
  WriteRegStr HKLM "${CLASSES}\${FILE_TYPE}\DefaultIcon" "" '"$INSTDIR\orvalen.exe",0'
  WriteRegStr HKLM "${CLASSES}\${FILE_TYPE}\shell\open\command" "" '"$INSTDIR\orvalen.exe" "%1"'
  System::Call "${NOTIFY_ASSOCIATIONS}"
SectionEnd

Section "Uninstall"
  Delete "$INSTDIR\orvalen.exe"
  Delete "$INSTDIR\orvalen-sql.exe"
  Delete "$INSTDIR\plugin_db_sample.sdb"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  Delete "${START_MENU}\Orvalen.lnk"
  Delete "${START_MENU}\卸载 Orvalen.lnk"
  RMDir "${START_MENU}"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"

  ; .vdb keeps what other programs put there; only its link to our file type goes, and the key
  ; itself when nothing else is left in it.
  ReadRegStr $0 HKLM "${CLASSES}\.vdb" ""
  StrCmp $0 "${FILE_TYPE}" 0 +2
    DeleteRegValue HKLM "${CLASSES}\.vdb" ""
  DeleteRegKey /ifempty HKLM "${CLASSES}\.vdb"
  DeleteRegKey HKLM "${CLASSES}\${FILE_TYPE}"
  System::Call "${NOTIFY_ASSOCIATIONS}"
SectionEnd
