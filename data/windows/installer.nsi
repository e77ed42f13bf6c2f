; The installer of the Windows build (makensis, called by scripts/windows.sh
; with SOURCE, OUTPUT, ICON and VERSION defined). 64-bit, for the current user only:
; no administrator rights, the files under %LOCALAPPDATA%, a Start-menu entry
; that opens the largest window the screen allows, and an uninstaller that
; leaves nothing behind.
Unicode true
Target amd64-unicode
RequestExecutionLevel user
SetCompressor /SOLID lzma

!include FileFunc.nsh
!define NAME "TOMMY-ZAPPO"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\TOMMY-ZAPPO"

Name "${NAME} ${VERSION}"
VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=0 "ProductName" "${NAME}"
VIAddVersionKey /LANG=0 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "FileDescription" "${NAME} ${VERSION} setup"
VIAddVersionKey /LANG=0 "CompanyName" "The TOMMY-ZAPPO developers"
VIAddVersionKey /LANG=0 "LegalCopyright" "Copyright 2026 The TOMMY-ZAPPO developers"
OutFile "${OUTPUT}"
Icon "${ICON}"
UninstallIcon "${ICON}"
InstallDir "$LOCALAPPDATA\Programs\TOMMY-ZAPPO"
ShowInstDetails nevershow

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Section "Install"
  SetOutPath "$INSTDIR"
  File "${SOURCE}\tommy-zappo.exe"
  File "${SOURCE}\SDL.dll"
  File "${SOURCE}\SDL_mixer.dll"
  File "${SOURCE}\SDL_ttf.dll"
  File "${SOURCE}\libfreetype-6.dll"
  File "${SOURCE}\README.txt"
  SetOutPath "$INSTDIR\licenses"
  File "${SOURCE}\licenses\*.txt"
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  SetShellVarContext current
  CreateShortcut "$SMPROGRAMS\${NAME}.lnk" "$INSTDIR\tommy-zappo.exe" "--scale auto" "$INSTDIR\tommy-zappo.exe" 0
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${NAME}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "The TOMMY-ZAPPO developers"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\tommy-zappo.exe"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  ; Settings' list of apps shows the size, in KiB, of what was installed.
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  SetShellVarContext current
  Delete "$SMPROGRAMS\${NAME}.lnk"
  Delete "$INSTDIR\licenses\*.txt"
  RMDir "$INSTDIR\licenses"
  Delete "$INSTDIR\tommy-zappo.exe"
  Delete "$INSTDIR\SDL.dll"
  Delete "$INSTDIR\SDL_mixer.dll"
  Delete "$INSTDIR\SDL_ttf.dll"
  Delete "$INSTDIR\libfreetype-6.dll"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\uninstall.exe"
  ; A folder that is the current one cannot go.
  SetOutPath "$TEMP"
  RMDir "$INSTDIR"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
