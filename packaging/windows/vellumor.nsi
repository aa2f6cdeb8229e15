; The Windows installer of Vellumor (NSIS, 64-bit): the program and the updater in Program Files,
; the print monitor in the system folder with its port and the printer "Vellumor", the machine's
; default settings, a Start-menu entry for the settings editor and an uninstaller that takes all
; of that away again. Each user's own settings and PDFs stay.
;
; scripts/build-windows-installer.sh defines VERSION, BIN (the built programs), LICENSE_FILE
; and OUTFILE.

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin
ManifestDPIAware true

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "x64.nsh"

!define PRODUCT "Vellumor"
!define PUBLISHER "Corvane Software"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Vellumor"
!define PRODUCT_KEY "SOFTWARE\Corvane Software\Vellumor"
!define GHOSTSCRIPT_PAGE "https://ghostscript.com/releases/gsdnld.html"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${PRODUCT}"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"
VIProductVersion "${VERSION}.0.0"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "FileDescription" "${PRODUCT} ${VERSION} setup"
VIAddVersionKey "LegalCopyright" "GNU Affero General Public License 3.0"

!define MUI_ABORTWARNING
!insertmacro MUI_PAGE_WELCOME
!define MUI_LICENSEPAGE_TEXT_TOP "${PRODUCT} is free software under the GNU Affero General Public License 3.0."
!insertmacro MUI_PAGE_LICENSE "${LICENSE_FILE}"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Function .onInit
  ${IfNot} ${RunningX64}
    MessageBox MB_ICONSTOP "${PRODUCT} ${VERSION} is made for 64-bit Windows." /SD IDOK
    Abort
  ${EndIf}
  SetRegView 64
FunctionEnd

Function un.onInit
  SetRegView 64
FunctionEnd

; Runs the printer tool in the installation folder with `arguments`; its lines go to the details.
!macro PrinterTool arguments
  nsExec::ExecToLog '"$INSTDIR\vellumor-printer-setup.exe" ${arguments}'
!macroend

Section "Vellumor" Main
  SectionIn RO
  SetShellVarContext all

  ; A previous installation: its printer and monitor go first, so that the spooler lets go of
  ; the monitor's file before it is replaced.
  ${If} ${FileExists} "$INSTDIR\vellumor-printer-setup.exe"
    !insertmacro PrinterTool "remove"
    Pop $0
  ${EndIf}

  SetOutPath "$INSTDIR"
  File "${BIN}\vellumor.exe"
  File "${BIN}\Updater.dll"
  File "${BIN}\vellumor-printer-setup.exe"
  File "/oname=LICENSE.txt" "${LICENSE_FILE}"
  SetOutPath "$SYSDIR"
  File "${BIN}\vellumor-monitor.dll"
  SetOutPath "$INSTDIR"

  WriteUninstaller "$INSTDIR\uninstall.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\vellumor.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1

  CreateDirectory "$SMPROGRAMS\${PRODUCT}"
  CreateShortCut "$SMPROGRAMS\${PRODUCT}\${PRODUCT} settings.lnk" "$INSTDIR\vellumor.exe" "" \
    "$INSTDIR\vellumor.exe" 0 SW_SHOWNORMAL "" "Edit how Vellumor makes PDF files"

  DetailPrint "Setting up the printer"
  !insertmacro PrinterTool 'write-defaults'
  Pop $0
  ${If} $0 != 0
    MessageBox MB_ICONSTOP "The default settings could not be written (see the details)." /SD IDOK
    Abort "The default settings could not be written."
  ${EndIf}
  !insertmacro PrinterTool 'install "$INSTDIR\vellumor.exe"'
  Pop $0
  ${If} $0 != 0
    MessageBox MB_ICONSTOP "The printer $\"Vellumor$\" could not be set up (see the details)." /SD IDOK
    Abort "The printer could not be set up."
  ${EndIf}

  ; Ghostscript is not part of Vellumor: say where to get it when the program will not find it.
  !insertmacro PrinterTool 'find-engine'
  Pop $0
  ${If} $0 != 0
    DetailPrint "Ghostscript for Windows (64-bit) is needed to create PDF files: ${GHOSTSCRIPT_PAGE}"
    MessageBox MB_ICONINFORMATION "Vellumor needs Ghostscript for Windows (64-bit) to create PDF files, \
      and none was found on this computer.$\r$\n$\r$\nDownload it from ${GHOSTSCRIPT_PAGE} and install \
      it; Vellumor finds it by itself." /SD IDOK
  ${EndIf}
SectionEnd

Section "Uninstall"
  SetShellVarContext all
  !insertmacro PrinterTool "remove"
  Pop $0
  Delete /REBOOTOK "$SYSDIR\vellumor-monitor.dll"
  Delete "$INSTDIR\vellumor.exe"
  Delete "$INSTDIR\Updater.dll"
  Delete "$INSTDIR\vellumor-printer-setup.exe"
  Delete "$INSTDIR\LICENSE.txt"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\${PRODUCT}\${PRODUCT} settings.lnk"
  RMDir "$SMPROGRAMS\${PRODUCT}"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  ; The machine's defaults were the installer's; each user's own settings stay.
  DeleteRegKey HKLM "${PRODUCT_KEY}"
  DeleteRegKey /ifempty HKLM "SOFTWARE\Corvane Software"
SectionEnd
