; The setup program for 64-bit Windows: installs Quillet into Program Files, a Start-menu entry,
; an entry in Apps & features and "Open with" entries for .csv and .dxf, and an uninstaller that
; takes all of it away again. Built by tools/package-windows.sh:
;   makensis -DVERSION=X.Y.Z -DSTAGE=DIR -DOUTFILE=FILE [-DWITH_WINDOW] [-DWITH_PREVIEW] installer.nsi
; STAGE holds the programs, the licence texts (CRLF) and the user's guide (guide\guide.html with
; its pictures) as they are installed.

; A 64-bit setup program for 64-bit programs: it writes the 64-bit registry and Program Files
; without redirection, and runs under a wine that has no 32-bit side.
Target amd64-unicode
ManifestDPIAware true
ManifestSupportedOS all
RequestExecutionLevel admin
SetCompressor /SOLID lzma

!ifndef VERSION
  !error "VERSION, STAGE and OUTFILE must be defined (see tools/package-windows.sh)"
!endif
!ifndef STAGE
  !error "VERSION, STAGE and OUTFILE must be defined (see tools/package-windows.sh)"
!endif
!ifndef OUTFILE
  !error "VERSION, STAGE and OUTFILE must be defined (see tools/package-windows.sh)"
!endif

!define APP "Quillet"
!define PUBLISHER "The Quillet developers"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${APP}"
!define CLASSES "Software\Classes"
!define UNINSTALLER "uninstall.exe"
; The Start-menu entry of the user's guide.
!define GUIDE_LINK "$SMPROGRAMS\${APP} 利用の手引き.lnk"
; The program Explorer offers under "Open with" for .csv and .dxf.
!ifdef WITH_WINDOW
  !define OPENER "quillet.exe"
!endif

!include MUI2.nsh
!include FileFunc.nsh
!include LogicLib.nsh

Name "${APP}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${APP}"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${APP} ${VERSION}"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=0 "ProductName" "${APP}"
VIAddVersionKey /LANG=0 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "FileDescription" "${APP} Setup"
VIAddVersionKey /LANG=0 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=0 "LegalCopyright" "Copyright 2026 ${PUBLISHER} (MIT)"

!define MUI_ICON "../quillet.ico"
!define MUI_UNICON "../quillet.ico"
!define MUI_ABORTWARNING
!insertmacro MUI_PAGE_LICENSE "${STAGE}/LICENSE.txt"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
; The first language is the one taken when Windows' own is neither.
!insertmacro MUI_LANGUAGE "Japanese"
!insertmacro MUI_LANGUAGE "English"

Function .onInit
  SetRegView 64
  SetShellVarContext all
FunctionEnd

Function un.onInit
  SetRegView 64
  SetShellVarContext all
FunctionEnd

; A ProgID of ours for one file type, offered under "Open with" beside whatever the type's default
; program is. The type's own (Default) is never written.
!macro OpenWithType EXT PROGID DESCRIPTION
  WriteRegStr HKLM "${CLASSES}\${PROGID}" "" "${DESCRIPTION}"
  WriteRegStr HKLM "${CLASSES}\${PROGID}" "FriendlyTypeName" "${DESCRIPTION}"
  WriteRegStr HKLM "${CLASSES}\${PROGID}\DefaultIcon" "" "$INSTDIR\quillet.ico"
  WriteRegStr HKLM "${CLASSES}\${PROGID}\shell\open\command" "" '"$INSTDIR\${OPENER}" "%1"'
  WriteRegNone HKLM "${CLASSES}\${EXT}\OpenWithProgids" "${PROGID}"
  WriteRegStr HKLM "${CLASSES}\Applications\${OPENER}\SupportedTypes" "${EXT}" ""
!macroend

!macro RemoveOpenWithType EXT PROGID
  DeleteRegKey HKLM "${CLASSES}\${PROGID}"
  DeleteRegValue HKLM "${CLASSES}\${EXT}\OpenWithProgids" "${PROGID}"
  ; The type's keys go only if nothing else is left in them (they were ours alone).
  DeleteRegKey /ifnosubkeys /ifnovalues HKLM "${CLASSES}\${EXT}\OpenWithProgids"
  DeleteRegKey /ifnosubkeys /ifnovalues HKLM "${CLASSES}\${EXT}"
!macroend

Section "Quillet" SecMain
  SectionIn RO
  SetOutPath "$INSTDIR"
  File "${STAGE}/quillet-convert.exe"
!ifdef WITH_WINDOW
  File "${STAGE}/quillet.exe"
!endif
!ifdef WITH_PREVIEW
  File "${STAGE}/quillet-preview.exe"
!endif
  File "${STAGE}/LICENSE.txt"
  File "${STAGE}/THIRD-PARTY-NOTICES.txt"
  File "../quillet.ico"
  SetOutPath "$INSTDIR\guide"
  File /r "${STAGE}/guide/*"
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"
  CreateShortcut "${GUIDE_LINK}" "$INSTDIR\guide\guide.html"

!ifdef WITH_WINDOW
  CreateShortcut "$SMPROGRAMS\${APP}.lnk" "$INSTDIR\quillet.exe" "" "$INSTDIR\quillet.ico" 0
  WriteRegStr HKLM "Software\Microsoft\Windows\CurrentVersion\App Paths\quillet.exe" "" \
      "$INSTDIR\quillet.exe"
  WriteRegStr HKLM "${CLASSES}\Applications\${OPENER}" "FriendlyAppName" "${APP}"
  WriteRegStr HKLM "${CLASSES}\Applications\${OPENER}\shell\open\command" "" \
      '"$INSTDIR\${OPENER}" "%1"'
  !insertmacro OpenWithType ".csv" "Quillet.csv" "CSV (Quillet)"
  !insertmacro OpenWithType ".dxf" "Quillet.dxf" "DXF (Quillet)"
!else
  ; Without the window the entry opens a console in the program's folder, where
  ; quillet-convert answers.
  ; quillet-convert answers (a shortcut starts in $OUTDIR).
  CreateShortcut "$SMPROGRAMS\${APP}.lnk" "$SYSDIR\cmd.exe" '/k quillet-convert --help' \
      "$INSTDIR\quillet.ico" 0
!endif

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${APP}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\quillet.ico"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0

SectionEnd

Section "Uninstall"
  Delete "$SMPROGRAMS\${APP}.lnk"
  Delete "${GUIDE_LINK}"
  ; The guide's folder holds nothing but what the setup put there.
  RMDir /r "$INSTDIR\guide"
  Delete "$INSTDIR\quillet-convert.exe"
  Delete "$INSTDIR\quillet.exe"
  Delete "$INSTDIR\quillet-preview.exe"
  Delete "$INSTDIR\LICENSE.txt"
  Delete "$INSTDIR\THIRD-PARTY-NOTICES.txt"
  Delete "$INSTDIR\quillet.ico"
  Delete "$INSTDIR\${UNINSTALLER}"
  RMDir "$INSTDIR"

  ; Removed whether or not this build had the window: an older install may have written them.
  !insertmacro RemoveOpenWithType ".csv" "Quillet.csv"
  !insertmacro RemoveOpenWithType ".dxf" "Quillet.dxf"
  DeleteRegKey HKLM "${CLASSES}\Applications\quillet.exe"
  DeleteRegKey HKLM "Software\Microsoft\Windows\CurrentVersion\App Paths\quillet.exe"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
