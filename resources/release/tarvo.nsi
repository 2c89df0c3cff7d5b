; The Windows installer of Tarvo: the compiler root (tarvo.exe in its bin folder), the Start
; menu entry, and the compiler system's keys that the first run would otherwise ask for.
; Made by scripts/release.sh, which defines:
;   VERSION     the program's version (from the build)
;   STAGE       the staged root (scripts/package.sh)
;   FILES       the generated File lines; UNFILES the matching Delete and RMDir lines
;   OUTFILE     the installer to write
;   WIN64       for the 64-bit variant
; Both the installer and the uninstaller run silently with /S. The uninstaller keeps the
; user's settings and projects (Software\vex\Tarvo) unless the user agrees to remove them,
; or, when silent, unless /REMOVESETTINGS is given.
Unicode true
!include "LogicLib.nsh"
!include "FileFunc.nsh"

!macro Required NAME
  !ifndef ${NAME}
    !error "${NAME} is not defined: scripts/release.sh makes the installer"
  !endif
!macroend
!insertmacro Required VERSION
!insertmacro Required STAGE
!insertmacro Required FILES
!insertmacro Required UNFILES
!insertmacro Required OUTFILE

!ifdef WIN64
  Target amd64-unicode
  InstallDir "$PROGRAMFILES64\Tarvo"
!else
  Target x86-unicode
  InstallDir "$PROGRAMFILES\Tarvo"
!endif

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Tarvo"

Name "Tarvo ${VERSION}"
OutFile "${OUTFILE}"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
ShowInstDetails show
ShowUninstDetails show
LicenseData "${STAGE}\doc\COPYING.txt"
LicenseText "Tarvo is free software under the GNU General Public License, version 3 or later."
BrandingText "Tarvo ${VERSION}"
VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "Tarvo"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileDescription" "Tarvo ${VERSION} setup"
VIAddVersionKey /LANG=1033 "LegalCopyright" "GPL-3.0-or-later"

Page license
Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Function .onInit
!ifdef WIN64
  SetRegView 64
!endif
  SetShellVarContext all
FunctionEnd

Function un.onInit
!ifdef WIN64
  SetRegView 64
!endif
  SetShellVarContext all
FunctionEnd

Section "Tarvo"
  SetOutPath "$INSTDIR"
  !include "${FILES}"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  ; What the first run would write: the root is the install folder.
  ClearErrors
  WriteRegStr HKCU "Software\vex\Compiler" "includepath" "$INSTDIR\include"
  WriteRegStr HKCU "Software\vex\vexlnk" "libpath" "$INSTDIR\lib"
  ${If} ${Errors}
    MessageBox MB_OK|MB_ICONSTOP "The compiler keys under HKEY_CURRENT_USER\Software\vex could not be written." /SD IDOK
    Abort
  ${EndIf}

  CreateDirectory "$SMPROGRAMS\Tarvo"
  CreateShortcut "$SMPROGRAMS\Tarvo\Tarvo.lnk" "$INSTDIR\bin\tarvo.exe"
  CreateShortcut "$SMPROGRAMS\Tarvo\Uninstall Tarvo.lnk" "$INSTDIR\uninstall.exe"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Tarvo ${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; Removes a compiler key only while it still names this installation: a root chosen since
; then belongs to the user.
!macro RemoveCompilerKey KEY VALUE FOLDER
  ReadRegStr $0 HKCU "${KEY}" "${VALUE}"
  ${If} $0 == "$INSTDIR\${FOLDER}"
    DeleteRegValue HKCU "${KEY}" "${VALUE}"
    DeleteRegKey /ifempty HKCU "${KEY}"
  ${EndIf}
!macroend

Section "Uninstall"
  !include "${UNFILES}"
  Delete "$INSTDIR\uninstall.exe"
  ; Without /r: whatever the user keeps below the root (autosaved texts among them) stays.
  RMDir "$INSTDIR"

  Delete "$SMPROGRAMS\Tarvo\Tarvo.lnk"
  Delete "$SMPROGRAMS\Tarvo\Uninstall Tarvo.lnk"
  RMDir "$SMPROGRAMS\Tarvo"

  !insertmacro RemoveCompilerKey "Software\vex\Compiler" "includepath" "include"
  !insertmacro RemoveCompilerKey "Software\vex\vexlnk" "libpath" "lib"

  ${GetParameters} $1
  ClearErrors
  ${GetOptions} $1 "/REMOVESETTINGS" $2
  ${IfNot} ${Errors}
    DeleteRegKey HKCU "Software\vex\Tarvo"
  ${ElseIfNot} ${Silent}
    MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 "Remove your Tarvo settings and projects too (HKEY_CURRENT_USER\Software\vex\Tarvo)?" IDNO keep
    DeleteRegKey HKCU "Software\vex\Tarvo"
    keep:
  ${EndIf}
  DeleteRegKey /ifempty HKCU "Software\vex"

  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
