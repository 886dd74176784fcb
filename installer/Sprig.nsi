; Sprig's setup program. It installs the add-in into a folder of its own, registers it through the
; DLL's own DllRegisterServer, adds the add-in to each chosen Visual Studio version that loads
; add-ins and adds an "Add or Remove Programs" entry; its uninstaller takes all of that away again
; and leaves the user's dialog settings alone.
;   makensis -DVERSION=1.2.3 -DSTAGE=DIR -DICON=sprig.ico -DOUTFILE=Sprig-1.2.3-setup.exe Sprig.nsi
; DIR holds Sprig.dll, README.txt and LICENSE.txt.

Unicode true
!include LogicLib.nsh
!include FileFunc.nsh
!include MUI2.nsh
!include nsDialogs.nsh
!include StrFunc.nsh
${StrStr}
${UnStrStr}

; The product's name and copyright are the version block's.
!searchparse /file "${__FILEDIR__}/../resources/ProductText.h" '#define SPRIG_PRODUCT_NAME "' PRODUCT '"'
!searchparse /file "${__FILEDIR__}/../resources/ProductText.h" '#define SPRIG_COPYRIGHT "' COPYRIGHT '"'
!define PUBLISHER "Tarn's Tools"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Sprig"
; Each Visual Studio version's own keys, and the add-in's name towards it.
!define VS_KEY "SOFTWARE\Microsoft\VisualStudio"
!define PROGID "Sprig.Connect"
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
; No text of the installer's maker at the foot of the pages.
BrandingText " "

VIProductVersion "${VERSION}.0"
VIAddVersionKey ProductName "${PRODUCT}"
VIAddVersionKey ProductVersion "${VERSION}"
VIAddVersionKey FileVersion "${VERSION}"
VIAddVersionKey FileDescription "${PRODUCT} ${VERSION} setup"
VIAddVersionKey CompanyName "${PUBLISHER}"
VIAddVersionKey LegalCopyright "${COPYRIGHT}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_WELCOMEPAGE_TEXT "This installs ${PRODUCT} ${VERSION}, an add-in for Visual Studio 2005 to 2013 that finds any file of the open solution by a few typed characters and opens it.$\r$\n$\r$\nClose Visual Studio before you go on.$\r$\n$\r$\n$_CLICK"
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_LICENSE "${STAGE}\LICENSE.txt"
!define MUI_PAGE_CUSTOMFUNCTION_PRE SkipOverInstalled
!insertmacro MUI_PAGE_DIRECTORY
Page custom VersionsPage VersionsPageLeave
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_TITLE "${PRODUCT} is installed"
!define MUI_FINISHPAGE_TEXT "Restart Visual Studio: at its next start it adds $\"Open File(s) in Solution...$\" at the top of the Tools menu, under the shortcut Ctrl+Shift+Alt+O."
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\README.txt"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; The versions found installed, and those chosen, each a list such as " 8.0 12.0 ".
Var Found
Var Chosen

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
  Call FindVersions
  StrCpy $Chosen $Found
FunctionEnd

; Runs `function` once for each version whose environment loads add-ins registered under its
; AddIns key, with the version in $0. 14.0 and later load none and are never written.
!macro EACH_VERSION function
  !insertmacro EACH_VERSION_ONE ${function} 8.0
  !insertmacro EACH_VERSION_ONE ${function} 9.0
  !insertmacro EACH_VERSION_ONE ${function} 10.0
  !insertmacro EACH_VERSION_ONE ${function} 11.0
  !insertmacro EACH_VERSION_ONE ${function} 12.0
!macroend
!macro EACH_VERSION_ONE function version
  StrCpy $0 "${version}"
  Call ${function}
!macroend

; A version counts as installed in an edition that loads add-ins when its machine-wide key, in
; the 32-bit view that the environment itself reads, names in "InstallDir" a folder that holds
; devenv.exe. Express editions keep their InstallDir under keys of their own (VCExpress, VCSExpress,
; VBExpress, VWDExpress, WDExpress) and run other programs; what they share under VisualStudio
; (Setup and the like) has no InstallDir.
Function FindVersions
  StrCpy $Found " "
  SetRegView 32
  !insertmacro EACH_VERSION FindVersion
  SetRegView lastused
FunctionEnd

Function FindVersion
  ReadRegStr $3 HKLM "${VS_KEY}\$0" "InstallDir"
  ${If} $3 != ""
    StrCpy $4 $3 1 -1
    ${IfThen} $4 == "\" ${|} StrCpy $3 $3 -1 ${|}
    ${If} ${FileExists} "$3\devenv.exe"
      StrCpy $Found "$Found$0 "
    ${EndIf}
  ${EndIf}
FunctionEnd

; One check box a version found, checked while chosen.
Var Box8
Var Box9
Var Box10
Var Box11
Var Box12
!macro VERSION_BOX version tag
  ${StrStr} $5 $Found " ${version} "
  ${If} $5 != ""
    ${NSD_CreateCheckBox} 10u $3u 100% 12u "Visual Studio ${version}"
    Pop $Box${tag}
    ${StrStr} $5 $Chosen " ${version} "
    ${IfThen} $5 != "" ${|} ${NSD_Check} $Box${tag} ${|}
    IntOp $3 $3 + 14
  ${EndIf}
!macroend
!macro VERSION_CHOICE version tag
  ${StrStr} $5 $Found " ${version} "
  ${If} $5 != ""
    ${NSD_GetState} $Box${tag} $6
    ${IfThen} $6 == ${BST_CHECKED} ${|} StrCpy $Chosen "$Chosen${version} " ${|}
  ${EndIf}
!macroend

Function VersionsPage
  !insertmacro MUI_HEADER_TEXT "Visual Studio versions" "Choose the versions of Visual Studio that load ${PRODUCT}."
  nsDialogs::Create 1018
  Pop $0
  ${If} $Found == " "
    ${NSD_CreateLabel} 0 0 100% 40u "No Visual Studio 2005, 2008, 2010, 2012 or 2013 that loads add-ins was found (Express editions load none). ${PRODUCT} is installed all the same; README.txt says how to add it to a version by hand."
    Pop $0
    nsDialogs::Show
    Return
  ${EndIf}
  ${NSD_CreateLabel} 0 0 100% 20u "${PRODUCT} is added for you, the user who runs this setup program, to the versions checked:"
  Pop $0
  StrCpy $3 24
  !insertmacro VERSION_BOX 8.0 8
  !insertmacro VERSION_BOX 9.0 9
  !insertmacro VERSION_BOX 10.0 10
  !insertmacro VERSION_BOX 11.0 11
  !insertmacro VERSION_BOX 12.0 12
  nsDialogs::Show
FunctionEnd

Function VersionsPageLeave
  StrCpy $Chosen " "
  !insertmacro VERSION_CHOICE 8.0 8
  !insertmacro VERSION_CHOICE 9.0 9
  !insertmacro VERSION_CHOICE 10.0 10
  !insertmacro VERSION_CHOICE 11.0 11
  !insertmacro VERSION_CHOICE 12.0 12
FunctionEnd

; The add-in's key under version $0, and the environment's record of its one-time set-up, which
; goes so that the environment sets the add-in up afresh at its next start.
!macro FORGET_VERSION un
Function ${un}ForgetVersion
  DeleteRegKey HKCU "${VS_KEY}\$0\AddIns\${PROGID}"
  DeleteRegValue HKCU "${VS_KEY}\$0\PreloadAddinState" "${PROGID}"
FunctionEnd
!macroend
!insertmacro FORGET_VERSION ""
!insertmacro FORGET_VERSION "un."

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
  Call AddToVersions
SectionEnd

; The DLL's registration wrote the add-in's key for 8.0; every other chosen version gets a copy of
; it, value by value in the same order. Versions an earlier install wrote and not chosen now lose
; theirs, 8.0 too when it is not chosen. The versions written are kept in the uninstall entry.
!define ADDIN_8 "${VS_KEY}\8.0\AddIns\${PROGID}"
Function AddToVersions
  ReadRegDWORD $R0 HKCU "${ADDIN_8}" "LoadBehavior"
  ReadRegDWORD $R1 HKCU "${ADDIN_8}" "CommandLineSafe"
  ReadRegDWORD $R2 HKCU "${ADDIN_8}" "CommandPreload"
  ReadRegStr $R3 HKCU "${ADDIN_8}" "FriendlyName"
  ReadRegStr $R4 HKCU "${ADDIN_8}" "Description"
  ReadRegStr $R5 HKCU "${ADDIN_8}" "AboutBoxDetails"
  ReadRegStr $R6 HKCU "${ADDIN_8}" "AboutBoxIcon"
  ReadRegStr $R7 HKLM "${UNINSTALL_KEY}" "VisualStudioVersions"
  StrCpy $R7 " $R7 "
  !insertmacro EACH_VERSION AddToVersion
  StrCpy $2 $Chosen -1 1
  WriteRegStr HKLM "${UNINSTALL_KEY}" "VisualStudioVersions" $2
FunctionEnd

Function AddToVersion
  ${StrStr} $2 $Chosen " $0 "
  ${If} $2 == ""
    ${StrStr} $2 $R7 " $0 "
    ${If} $2 != ""
    ${OrIf} $0 == "8.0"
      Call ForgetVersion
    ${EndIf}
    Return
  ${EndIf}
  DetailPrint "Adding ${PRODUCT} to Visual Studio $0"
  DeleteRegValue HKCU "${VS_KEY}\$0\PreloadAddinState" "${PROGID}"
  ${If} $0 != "8.0"
    DeleteRegKey HKCU "${VS_KEY}\$0\AddIns\${PROGID}"
    WriteRegDWORD HKCU "${VS_KEY}\$0\AddIns\${PROGID}" "LoadBehavior" $R0
    WriteRegDWORD HKCU "${VS_KEY}\$0\AddIns\${PROGID}" "CommandLineSafe" $R1
    WriteRegDWORD HKCU "${VS_KEY}\$0\AddIns\${PROGID}" "CommandPreload" $R2
    WriteRegStr HKCU "${VS_KEY}\$0\AddIns\${PROGID}" "FriendlyName" $R3
    WriteRegStr HKCU "${VS_KEY}\$0\AddIns\${PROGID}" "Description" $R4
    WriteRegStr HKCU "${VS_KEY}\$0\AddIns\${PROGID}" "AboutBoxDetails" $R5
    WriteRegStr HKCU "${VS_KEY}\$0\AddIns\${PROGID}" "AboutBoxIcon" $R6
  ${EndIf}
FunctionEnd

Function un.ForgetRecordedVersion
  ${UnStrStr} $2 $R7 " $0 "
  ${IfThen} $2 != "" ${|} Call un.ForgetVersion ${|}
FunctionEnd

; The user's remembered dialog settings (HKEY_CURRENT_USER\Software\Tarn's Tools\Sprig!) stay.
Section Uninstall
  Call un.WaitUntilDllFree
  ClearErrors
  UnRegDLL "$INSTDIR\Sprig.dll"
  ${If} ${Errors}
    DetailPrint "Sprig.dll could not be unregistered; its files are removed all the same."
  ${EndIf}
  ReadRegStr $R7 HKLM "${UNINSTALL_KEY}" "VisualStudioVersions"
  StrCpy $R7 " $R7 "
  !insertmacro EACH_VERSION un.ForgetRecordedVersion
  Delete "$INSTDIR\Sprig.dll"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\LICENSE.txt"
  Delete "$INSTDIR\Uninstall.exe"
  ; Only if empty: files the user put there stay.
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
