; The per-user installer of Korvane: no elevation, everything under the user's own folders and
; HKCU.  Built by scripts/package, which passes
;   -DVERSION=x.y.z  the CMake project version (the same as in Korvane.exe's version resource)
;   -DSTAGE=dir      the folder with Korvane.exe, README.txt, LICENSE.txt, THIRD-PARTY-NOTICES.txt,
;                    licenses\
;   -DICON=file      the program's icon (build/release/src/win/korvane.ico), for the installer and
;                    the uninstaller
;   -DOUTFILE=file   the installer to write
;   -DSIGN=command   optional: a command that signs the file named after it in place
;                    (scripts/sign); it signs the uninstaller before it is packed into the
;                    installer, and then the installer.  Without it nothing is signed, and the
;                    installer is the same as a build that never heard of signing.
;
; Silent use:  Korvane-x.y.z-setup.exe /S [/D=folder]
;              Uninstall.exe /S [/REMOVEUSERDATA]
; The uninstaller asks whether to remove the pins, the settings and any crash reports; silently it
; keeps them unless /REMOVEUSERDATA is given.

Unicode true
Target amd64-unicode
!ifdef SIGN
  !uninstfinalize '${SIGN} "%1"'
  !finalize '${SIGN} "%1"'
!endif
SetCompressor /SOLID lzma
RequestExecutionLevel user
ManifestDPIAware true

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include WinMessages.nsh

!define PRODUCT "Korvane"
!define PUBLISHER "The Korvane developers"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
; Korvane.exe's hidden main window; a WM_CLOSE to it ends the program as its own Exit does.
!define MAIN_CLASS "KorvaneMain"
!define SYNCHRONIZE_TERMINATE_QUERY 0x00101001
!define WAIT_OBJECT_0 0

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT}"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} ${VERSION} setup"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Copyright (C) 2026 the Korvane developers"

!define MUI_ABORTWARNING
!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_FINISHPAGE_RUN "$INSTDIR\Korvane.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Start Korvane now"
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\README.txt"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; Ends the Korvane started from $INSTDIR, if one runs: first as its Exit would, then, if it has
; not gone after ten seconds, by force, so that its exe can be replaced or removed.  A Korvane
; run from elsewhere (the portable zip) is left alone.
!macro CLOSE_RUNNING_KORVANE un
Function ${un}close_running_korvane
  FindWindow $0 "${MAIN_CLASS}" "${PRODUCT}"
  ${If} $0 == 0
    Return
  ${EndIf}
  System::Call 'user32::GetWindowThreadProcessId(p r0, *i 0 r1) i'
  System::Call 'kernel32::OpenProcess(i ${SYNCHRONIZE_TERMINATE_QUERY}, i 0, i r1) p .r2'
  ${If} $2 P= 0
    Return
  ${EndIf}
  System::Call 'kernel32::QueryFullProcessImageNameW(p r2, i 0, w .r3, *i ${NSIS_MAX_STRLEN}) i .r4'
  ${If} $4 <> 0
  ${AndIf} $3 != "$INSTDIR\Korvane.exe"
    System::Call 'kernel32::CloseHandle(p r2)'
    Return
  ${EndIf}
  DetailPrint "Closing the running Korvane"
  SendMessage $0 ${WM_CLOSE} 0 0 /TIMEOUT=5000
  System::Call 'kernel32::WaitForSingleObject(p r2, i 10000) i .r4'
  ${If} $4 <> ${WAIT_OBJECT_0}
    DetailPrint "Korvane did not close; ending it"
    System::Call 'kernel32::TerminateProcess(p r2, i 1)'
    System::Call 'kernel32::WaitForSingleObject(p r2, i 5000)'
  ${EndIf}
  System::Call 'kernel32::CloseHandle(p r2)'
FunctionEnd
!macroend
!insertmacro CLOSE_RUNNING_KORVANE ""
!insertmacro CLOSE_RUNNING_KORVANE "un."

Function .onInit
  SetShellVarContext current
FunctionEnd

Section "Korvane"
  Call close_running_korvane
  SetOutPath "$INSTDIR"
  File "${STAGE}\Korvane.exe"
  File "${STAGE}\README.txt"
  File "${STAGE}\LICENSE.txt"
  File "${STAGE}\THIRD-PARTY-NOTICES.txt"
  SetOutPath "$INSTDIR\licenses"
  File "${STAGE}\licenses\*.txt"
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\Korvane.exe" "" "$INSTDIR\Korvane.exe" 0 \
                 SW_SHOWNORMAL "" "Clipboard toolbar: recent clips and pins"

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" '"$INSTDIR\Korvane.exe",0'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Function un.onInit
  SetShellVarContext current
FunctionEnd

Section "Uninstall"
  Call un.close_running_korvane

  Delete "$INSTDIR\Korvane.exe"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\LICENSE.txt"
  Delete "$INSTDIR\THIRD-PARTY-NOTICES.txt"
  Delete "$INSTDIR\licenses\*.txt"
  RMDir "$INSTDIR\licenses"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"

  ; The sign-in value goes only when it starts this copy: a portable Korvane may have set it.
  ReadRegStr $4 HKCU "${RUN_KEY}" "${PRODUCT}"
  ${If} $4 == '"$INSTDIR\Korvane.exe"'
    DeleteRegValue HKCU "${RUN_KEY}" "${PRODUCT}"
  ${EndIf}
  DeleteRegKey HKCU "${UNINSTALL_KEY}"

  ; Korvane finds its folders as the system names them, the user's roaming application data
  ; (pins and settings) and local application data (crash reports), so the uninstaller does too.
  ; The reports go with the pins and settings.
  StrCpy $0 "$APPDATA\${PRODUCT}"
  StrCpy $3 "$LOCALAPPDATA\${PRODUCT}"
  ${IfNot} ${FileExists} "$0\*.*"
  ${AndIfNot} ${FileExists} "$3\*.*"
    Return
  ${EndIf}
  ${GetParameters} $1
  ClearErrors
  ${GetOptions} $1 "/REMOVEUSERDATA" $2
  ${IfNot} ${Errors}
    RMDir /r "$0"
    RMDir /r "$3"
  ${ElseIfNot} ${Silent}
    MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 \
      "Also remove your pinned clips, Korvane's settings and its crash reports?$\r$\n$\r$\n$0$\r$\n$3$\r$\n$\r$\nChoose No to keep them for a later installation." \
      IDNO keep
    RMDir /r "$0"
    RMDir /r "$3"
    keep:
  ${EndIf}
SectionEnd
