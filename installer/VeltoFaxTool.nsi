; VeltoFaxTool-<version>-setup.exe: installs VeltoFaxTool with the virtual printer "Velto Print".
;
; Built by scripts/windows/installer.sh with Debian's makensis:
;   makensis -INPUTCHARSET UTF8 -DVERSION=1.0.0 -DPROGRAM=VeltoFaxTool.exe -DPROCESSOR_X86=x86/Vtproc.dll
;            -DPROCESSOR_X64=x64/Vtproc.dll -DDRIVER_DIR=driver -DOUTFILE=setup.exe installer/VeltoFaxTool.nsi
;
; Installing copies the program, the print processor library and the driver package into the program
; folder and runs "VeltoFaxTool.exe INSTALL" there, which copies the program into the Windows directory,
; registers the print processor, installs the driver, creates the port and adds the printer. The spooler
; loads only a print processor of its own bitness and INSTALL, a 32-bit program, registers the 32-bit
; one; on 64-bit Windows this installer first puts the 64-bit processor and driver in place itself.
; Removing runs "VeltoFaxTool.exe UNINSTALL" and then removes every file the installation made.
;
; Silent: "setup.exe /S" (and "/D=C:\folder" for another folder, last on the line), "Uninstall.exe /S".
; Exit status: 0 done; 2 the printer could not be added (the files stay, the log in the details says
; more); 1 cancelled.

Unicode true
ManifestDPIAware true
RequestExecutionLevel admin
SetCompressor /SOLID lzma

!ifndef VERSION | PROGRAM | PROCESSOR_X86 | PROCESSOR_X64 | DRIVER_DIR | OUTFILE
  !error "Define VERSION, PROGRAM, PROCESSOR_X86, PROCESSOR_X64, DRIVER_DIR and OUTFILE (see the top of this file)."
!endif

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "x64.nsh"

!define PRODUCT "VeltoFaxTool"
!define PRINTER "Velto Print"
!define PROCESSOR_NAME "Velto Processor"
!define PROCESSOR_FILE "Vtproc.dll"
!define GPD_FILE "VELTOFAX.GPD"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
!define ENV_X86 "Windows NT x86"
!define ENV_X64 "Windows x64"
; DeletePrinterDriverExW: DPD_DELETE_UNUSED_FILES | DPD_DELETE_SPECIFIC_VERSION, driver version 3.
!define DPD_FLAGS 3
; UploadPrinterDriverPackageW: UPDP_SILENT_UPLOAD | UPDP_CHECK_DRIVERSTORE.
!define UPDP_FLAGS 5

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES\${PRODUCT}"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=0 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=0 "FileDescription" "${PRODUCT} ${VERSION} setup (virtual printer ${PRINTER})"
VIAddVersionKey /LANG=0 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "LegalCopyright" "Velto"

!define MUI_ABORTWARNING
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "SimpChinese"
!insertmacro MUI_LANGUAGE "English"

LangString MsgNoPrinter ${LANG_SIMPCHINESE} "无法添加打印机 ${PRINTER}。程序文件已复制，可以稍后在控制面板中重新安装打印机。"
LangString MsgNoPrinter ${LANG_ENGLISH} "The printer ${PRINTER} could not be added. The program files are in place; the printer can be installed again from the control panel later."
LangString ShortcutPanel ${LANG_SIMPCHINESE} "Velto Print 控制面板"
LangString ShortcutPanel ${LANG_ENGLISH} "Velto Print control panel"
LangString ShortcutUninstall ${LANG_SIMPCHINESE} "卸载 ${PRODUCT}"
LangString ShortcutUninstall ${LANG_ENGLISH} "Uninstall ${PRODUCT}"

; Stops the spooler so that a print processor library it has loaded can be replaced; the installation
; starts it again.
!macro StopSpooler
  DetailPrint "Stopping the print spooler"
  nsExec::Exec '"$SYSDIR\net.exe" stop spooler /y'
  Pop $0
!macroend

; The 64-bit print processor and driver, on 64-bit Windows only.
Function InstallX64Parts
  ${DisableX64FSRedirection}
  System::Call 'winspool.drv::GetPrintProcessorDirectoryW(p 0, w "${ENV_X64}", i 1, w .r1, i ${NSIS_MAX_STRLEN}, *i .r2) i .r0'
  ${If} $0 == 0
    DetailPrint "The 64-bit print processor directory is not known; the 64-bit print processor is not installed"
  ${Else}
    ClearErrors
    CopyFiles /SILENT "$INSTDIR\x64\${PROCESSOR_FILE}" "$1\${PROCESSOR_FILE}"
    ${If} ${Errors}
      DetailPrint "Cannot copy the 64-bit print processor to $1"
    ${EndIf}
  ${EndIf}
  nsExec::Exec '"$SYSDIR\net.exe" start spooler'
  Pop $0
  System::Call 'winspool.drv::AddPrintProcessorW(p 0, w "${ENV_X64}", w "${PROCESSOR_FILE}", w "${PROCESSOR_NAME}") i .r0 ?e'
  Pop $2
  DetailPrint "64-bit print processor ${PROCESSOR_NAME}: $0 (error $2)"
  ; The printer-setup command of INSTALL installs the 32-bit driver; the spooler's own is installed here.
  DetailPrint "Installing the 64-bit driver ${PRINTER}"
  ExecWait '"$SYSDIR\rundll32.exe" printui.dll,PrintUIEntry /ia /m "${PRINTER}" /h "x64" /v "Type 3 - User Mode" /f "$INSTDIR\VeltoPrinter.inf" /q' $0
  ${EnableX64FSRedirection}
FunctionEnd

Section "Install"
  SetShellVarContext all
  SetOutPath "$INSTDIR"
  File "/oname=VeltoFaxTool.exe" "${PROGRAM}"
  File "/oname=${PROCESSOR_FILE}" "${PROCESSOR_X86}"
  File "/oname=VeltoPrinter.inf" "${DRIVER_DIR}\VeltoPrinter.inf"
  File "/oname=${GPD_FILE}" "${DRIVER_DIR}\${GPD_FILE}"
  SetOutPath "$INSTDIR\x64"
  File "/oname=${PROCESSOR_FILE}" "${PROCESSOR_X64}"
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT} (${PRINTER})"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Velto"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\VeltoFaxTool.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1

  CreateDirectory "$SMPROGRAMS\${PRODUCT}"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\$(ShortcutPanel).lnk" "$INSTDIR\VeltoFaxTool.exe" "SHOWDIALOG"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\$(ShortcutUninstall).lnk" "$INSTDIR\Uninstall.exe"

  ; A processor library from an earlier installation may be loaded by the spooler; INSTALL starts the
  ; spooler again.
  !insertmacro StopSpooler
  ${If} ${RunningX64}
    Call InstallX64Parts
  ${EndIf}

  ; INSTALL takes Vtproc.dll from its current directory and the driver package from beside itself.
  DetailPrint "Installing the printer ${PRINTER}"
  ExecWait '"$INSTDIR\VeltoFaxTool.exe" INSTALL' $0
  DetailPrint "VeltoFaxTool INSTALL ended with $0"
  System::Call 'winspool.drv::OpenPrinterW(w "${PRINTER}", *p .r1, p 0) i .r0'
  ${If} $0 == 0
    DetailPrint "The printer ${PRINTER} is not there"
    MessageBox MB_OK|MB_ICONEXCLAMATION "$(MsgNoPrinter)" /SD IDOK
    SetErrorLevel 2
  ${Else}
    System::Call 'winspool.drv::ClosePrinter(p r1)'
    DetailPrint "The printer ${PRINTER} is installed"
  ${EndIf}
SectionEnd

; Removes the driver and print processor of one environment, with the files they left.
!macro RemoveEnvironment ENV
  ; The staged driver package: asking to stage it again gives its place in the driver store (only for a
  ; signed package; an unsigned one may stay in the store, see the README).
  StrCpy $2 ${NSIS_MAX_STRLEN}
  System::Call 'winspool.drv::UploadPrinterDriverPackageW(p 0, w "$INSTDIR\VeltoPrinter.inf", w "${ENV}", i ${UPDP_FLAGS}, p 0, w .r1, *i r2) i .r0'
  System::Call 'winspool.drv::DeletePrinterDriverExW(p 0, w "${ENV}", w "${PRINTER}", i ${DPD_FLAGS}, i 3) i .r3'
  ${If} $0 == 0
    System::Call 'winspool.drv::DeletePrinterDriverPackageW(p 0, w r1, w "${ENV}") i .r0'
  ${EndIf}
  System::Call 'winspool.drv::DeletePrintProcessorW(p 0, w "${ENV}", w "${PROCESSOR_NAME}") i .r0'
  System::Call 'winspool.drv::GetPrintProcessorDirectoryW(p 0, w "${ENV}", i 1, w .r1, i ${NSIS_MAX_STRLEN}, *i .r2) i .r0'
  ${If} $0 != 0
    Delete /REBOOTOK "$1\${PROCESSOR_FILE}"
  ${EndIf}
  System::Call 'winspool.drv::GetPrinterDriverDirectoryW(p 0, w "${ENV}", i 1, w .r1, i ${NSIS_MAX_STRLEN}, *i .r2) i .r0'
  ${If} $0 != 0
    Delete /REBOOTOK "$1\3\${GPD_FILE}"
  ${EndIf}
!macroend

Section "Uninstall"
  SetShellVarContext all
  ${If} ${FileExists} "$INSTDIR\VeltoFaxTool.exe"
    SetOutPath "$INSTDIR"
    DetailPrint "Removing the printer ${PRINTER}"
    ExecWait '"$INSTDIR\VeltoFaxTool.exe" UNINSTALL' $0
    DetailPrint "VeltoFaxTool UNINSTALL ended with $0"
  ${EndIf}
  SetOutPath "$TEMP"

  ; UNINSTALL removes printer, port, processor and driver of its own (32-bit) environment but leaves
  ; their files; the rest is removed here. The spooler lets go of a loaded processor library only when it
  ; stops.
  !insertmacro StopSpooler
  nsExec::Exec '"$SYSDIR\net.exe" start spooler'
  Pop $0
  ${If} ${RunningX64}
    ${DisableX64FSRedirection}
    !insertmacro RemoveEnvironment "${ENV_X64}"
    ${EnableX64FSRedirection}
  ${EndIf}
  !insertmacro RemoveEnvironment "${ENV_X86}"

  ; What INSTALL and the print processor left in the Windows directory. Print jobs that were never
  ; converted (!VeltoJob-*.spl, *.data) are the user's and stay.
  Delete /REBOOTOK "$WINDIR\VeltoFaxTool.exe"
  Delete "$WINDIR\Vtproc.log"
  Delete "$WINDIR\Vtproc.log.old"
  Delete "$WINDIR\!VeltoJob-*.spl.part"
  FindFirst $0 $1 "$WINDIR\!VeltoJob-*.spl"
  ${If} $1 != ""
    DetailPrint "Print jobs that were not converted stay in $WINDIR (!VeltoJob-*.spl)"
  ${EndIf}
  FindClose $0

  Delete "$SMPROGRAMS\${PRODUCT}\*.lnk"
  RMDir "$SMPROGRAMS\${PRODUCT}"
  Delete "$INSTDIR\VeltoFaxTool.exe"
  Delete "$INSTDIR\${PROCESSOR_FILE}"
  Delete "$INSTDIR\x64\${PROCESSOR_FILE}"
  RMDir "$INSTDIR\x64"
  Delete "$INSTDIR\VeltoPrinter.inf"
  Delete "$INSTDIR\${GPD_FILE}"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
