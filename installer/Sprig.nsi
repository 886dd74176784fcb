; Sprig's setup program. It installs the add-in into a folder of its own, registers it through the
; DLL's own DllRegisterServer and adds an "Add or Remove Programs" entry; its uninstaller takes
; all of that away again and leaves the user's dialog settings alone.
;   makensis -DVERSION=1.2.3 -DSTAGE=DIR -DOUTFILE=Sprig-1.2.3-setup.exe Sprig.nsi
; DIR holds Sprig.dll, README.txt and LICENSE.txt.

Unicode true
!include LogicLib.nsh
!include FileFunc.nsh

; The product's name and copyright are the version block's.
!searchparse /file "${__FILEDIR__}/../resources/ProductText.h" '#define SPRIG_PRODUCT_NAME "' PRODUCT '"'
!searchparse /file "${__FILEDIR__}/../resources/ProductText.h" '#define SPRIG_COPYRIGHT "' COPYRIGHT '"'
!define PUBLISHER "Tarn's Tools"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Sprig"
; Exit codes besides NSIS's own (1 cancelled, 2 aborted).
!define EXIT_IN_USE 3
!define EXIT_NOT_REGISTERED 4
!define EXIT_NOT_ADMIN 740 ; ERROR_ELEVATION_REQUIRED

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES\Sprig"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
; Registration writes under HKEY_CLASSES_ROOT, and the files go under Program Files.
RequestExecutionLevel admin
SetCompressor /SOLID lzma
ShowInstDetails show
ShowUninstDetails show
LicenseData "${STAGE}\LICENSE.txt"

VIProductVersion "${VERSION}.0"
VIAddVersionKey ProductName "${PRODUCT}"
VIAddVersionKey ProductVersion "${VERSION}"
VIAddVersionKey FileVersion "${VERSION}"
VIAddVersionKey FileDescription "${PRODUCT} ${VERSION} setup"
VIAddVersionKey CompanyName "${PUBLISHER}"
VIAddVersionKey LegalCopyright "${COPYRIGHT}"

Page license
Page directory SkipOverInstalled
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

; A loaded Sprig.dll cannot be replaced or deleted. Opening it for writing fails while any process
; has it loaded, so that is asked before anything is touched, until it is free or the user gives up.
!macro DLL_FREE_CHECK un
Function ${un}WaitUntilDllFree
  ${Do}
    ${IfNot} ${FileExists} "$INSTDIR\Sprig.dll"
      Return
    ${EndIf}
    ClearErrors
    FileOpen $0 "$INSTDIR\Sprig.dll" a
    ${IfNot} ${Errors}
      FileClose $0
      Return
    ${EndIf}
    DetailPrint "$INSTDIR\Sprig.dll is in use."
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$INSTDIR\Sprig.dll is in use: a development environment has the add-in loaded.$\r$\n$\r$\nClose the development environment and retry." /SD IDCANCEL IDRETRY retry
    ${Break}
    retry:
  ${Loop}
  DetailPrint "Nothing was changed. Close the development environment and retry."
  SetErrorLevel ${EXIT_IN_USE}
  Abort
FunctionEnd
!macroend
!insertmacro DLL_FREE_CHECK ""
!insertmacro DLL_FREE_CHECK "un."

Function .onInit
  UserInfo::GetAccountType
  Pop $0
  ${If} $0 != "Admin"
    MessageBox MB_ICONSTOP "Installing ${PRODUCT} needs an administrator's rights." /SD IDOK
    SetErrorLevel ${EXIT_NOT_ADMIN}
    Quit
  ${EndIf}
FunctionEnd

; An installed copy is replaced where it is, so that one installation and one entry remain.
Function SkipOverInstalled
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 != ""
    Abort
  ${EndIf}
FunctionEnd

Section
  Call WaitUntilDllFree
  SetOutPath "$INSTDIR"
  File "${STAGE}\Sprig.dll"
  File "${STAGE}\README.txt"
  File "${STAGE}\LICENSE.txt"
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  ; The entry comes before registration, so that whatever happens next can be uninstalled.
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Sprig.dll,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0

  ClearErrors
  RegDLL "$INSTDIR\Sprig.dll"
  ${If} ${Errors}
    MessageBox MB_ICONSTOP "Sprig.dll could not be registered. Run the setup program again as an administrator." /SD IDOK
    SetErrorLevel ${EXIT_NOT_REGISTERED}
    Abort
  ${EndIf}
SectionEnd

; The user's remembered dialog settings (HKEY_CURRENT_USER\Software\Tarn's Tools\Sprig!) stay.
Section Uninstall
  Call un.WaitUntilDllFree
  ClearErrors
  UnRegDLL "$INSTDIR\Sprig.dll"
  ${If} ${Errors}
    DetailPrint "Sprig.dll could not be unregistered; its files are removed all the same."
  ${EndIf}
  Delete "$INSTDIR\Sprig.dll"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\LICENSE.txt"
  Delete "$INSTDIR\Uninstall.exe"
  ; Only if empty: files the user put there stay.
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
