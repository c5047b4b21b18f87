; The Windows setup of InvCiv, made by scripts/package-windows with makensis from the runnable folder that
; scripts/build-windows lays out. scripts/package-windows defines:
;   VERSION    the project's version (CMake's project VERSION)
;   ARCH       x64 or x86
;   SOURCE     the runnable folder
;   OUTFILE    the setup program to write
;   FILES      an include file with the File lines, folder by folder
;   REMOVE     an include file with the Delete and RMDir lines of exactly those files and folders
; and, when it has them:
;   ICON              the programs' icon (.ico), for the setup and the uninstaller themselves
;   SIGN_UNINSTALLER  a command that signs the uninstaller NSIS writes, given its path
;
; Silent install: setup.exe /S [/D=folder]; silent removal: "<folder>\Disinstalla InvCiv.exe" /S.
; The setup writes the program's folder, one Start-menu shortcut for all users and the entry in the list of
; installed programs; nothing else. Each user's own settings and work folder are never touched.

Unicode true
SetCompressor /SOLID lzma
RequestExecutionLevel admin
ManifestSupportedOS all

!define PRODUCT "InvCiv"
!define PUBLISHER "Brevalon-Ostrena"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
!define UNINSTALLER "Disinstalla InvCiv.exe"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
BrandingText "${PRODUCT} ${VERSION} (${ARCH})"
!if ${ARCH} == "x64"
  InstallDir "$PROGRAMFILES64\${PRODUCT}"
!else
  InstallDir "$PROGRAMFILES32\${PRODUCT}"
!endif
; An upgrade goes where the earlier version is.
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"

VIProductVersion "${VIVERSION}.0.0"
VIAddVersionKey /LANG=1040 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1040 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1040 "FileDescription" "Installazione di ${PRODUCT} ${VERSION} (${ARCH})"
VIAddVersionKey /LANG=1040 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1040 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1040 "LegalCopyright" "${PUBLISHER}"

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "x64.nsh"
!include "FileFunc.nsh"

!ifdef SIGN_UNINSTALLER
  ; The uninstaller is written into the setup; it is signed as it is written.
  !uninstfinalize '"${SIGN_UNINSTALLER}" "%1"' = 0
!endif

!define MUI_ABORTWARNING
!ifdef ICON
  !define MUI_ICON "${ICON}"
  !define MUI_UNICON "${ICON}"
!endif
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Italian"

Function .onInit
  SetShellVarContext all
!if ${ARCH} == "x64"
  ${IfNot} ${RunningX64}
    MessageBox MB_ICONSTOP "Questa versione di ${PRODUCT} richiede Windows a 64 bit: installare la versione x86." /SD IDOK
    Abort
  ${EndIf}
  SetRegView 64
!else
  SetRegView 32
!endif
FunctionEnd

Function un.onInit
  SetShellVarContext all
!if ${ARCH} == "x64"
  SetRegView 64
!else
  SetRegView 32
!endif
FunctionEnd

Section "Programma"
  SetOutPath "$INSTDIR"
  ; An upgrade first takes away the files of the version it replaces, by that version's own uninstaller
  ; (which knows its list), then lays the new ones.
  ${If} ${FileExists} "$INSTDIR\${UNINSTALLER}"
    ExecWait '"$INSTDIR\${UNINSTALLER}" /S _?=$INSTDIR'
  ${EndIf}
  !include "${FILES}"
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\invciv.exe" "" "$INSTDIR\invciv.exe" 0

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\invciv.exe,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  IntFmt $0 "0x%08X" $0
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" "$0"
SectionEnd

Section "Uninstall"
  ; Exactly what the setup laid: a file the user put in the folder stays, and so does the folder then.
  !include "${REMOVE}"
  Delete "$INSTDIR\${UNINSTALLER}"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
