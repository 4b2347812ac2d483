; The installer of the Windows build, made by scripts/windows-build:
;   makensis -INPUTCHARSET UTF8 -DVERSION=0.1 -DPRODUCT_VERSION=0.1.0.0 -DFILES=<files.nsh> -DSIZE_KB=<size>
;            -DICON=<.ico> -DOUTFILE=<setup.exe> huizhang.nsi
; FILES defines the macros HZ_INSTALL_FILES and HZ_UNINSTALL_FILES, which list the staged files one by one, so that
; the uninstaller removes exactly what was installed: the settings file, the demo ERP and the run journal that the
; program may keep beside itself are the user's and stay. `setup.exe /S` installs silently, `/D=C:\Folder` (last)
; chooses the folder.

Unicode true
; Wine's 64-bit loader cannot run NSIS's default 32-bit installer, and the program is 64-bit anyway.
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!define PRODUCT "汇账助手"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\huizhang"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\huizhang"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
ShowInstDetails nevershow
ShowUninstDetails nevershow

VIProductVersion "${PRODUCT_VERSION}"
VIAddVersionKey /LANG=2052 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=2052 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=2052 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=2052 "FileDescription" "${PRODUCT} ${VERSION} 安装程序"
VIAddVersionKey /LANG=2052 "LegalCopyright" "huizhang"

!include "MUI2.nsh"
!include "${FILES}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
; No "run the program now" on the last page: it would start elevated, and an elevated program may write its settings
; into the program folder, where the user's own runs would not find them.
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "SimpChinese"

Section "${PRODUCT}"
    SetRegView 64
    !insertmacro HZ_INSTALL_FILES
    SetOutPath "$INSTDIR"
    WriteUninstaller "$INSTDIR\uninstall.exe"

    ; Start-menu entries for every user, as the program folder is shared by all.
    SetShellVarContext all
    CreateDirectory "$SMPROGRAMS\${PRODUCT}"
    CreateShortcut "$SMPROGRAMS\${PRODUCT}\${PRODUCT}.lnk" "$INSTDIR\huizhang.exe" "" "$INSTDIR\huizhang.exe" 0
    CreateShortcut "$SMPROGRAMS\${PRODUCT}\${PRODUCT} 使用说明.lnk" "$INSTDIR\docs\guide.html"

    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT} ${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\huizhang.exe,0"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "huizhang"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" ${SIZE_KB}
SectionEnd

Section "Uninstall"
    SetRegView 64
    !insertmacro HZ_UNINSTALL_FILES
    Delete "$INSTDIR\uninstall.exe"
    ; Only when empty: what the program wrote beside itself stays.
    RMDir "$INSTDIR"

    SetShellVarContext all
    Delete "$SMPROGRAMS\${PRODUCT}\${PRODUCT}.lnk"
    Delete "$SMPROGRAMS\${PRODUCT}\${PRODUCT} 使用说明.lnk"
    RMDir "$SMPROGRAMS\${PRODUCT}"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
