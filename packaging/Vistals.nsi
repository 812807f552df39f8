; The Vistals installer: per user, without administrator rights.
;
; Vistals writes vistals.bmp into its own folder, so it goes where the user
; can write: the user's local programs folder. Everything it registers lives
; under HKEY_CURRENT_USER. Built by make-release.sh, which defines VERSION,
; VERSION_QUAD, TARGET (x86-unicode or amd64-unicode), STAGE (the folder to
; pack), ICON, OUTFILE and, when the help file exists, HAVE_CHM.

Unicode true
Target ${TARGET}
SetCompressor /SOLID lzma
RequestExecutionLevel user
ManifestDPIAware true

!define PUBLISHER "Corvane Software"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Vistals"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define SETTINGS_KEY "Software\Corvane Software\Vistals"
!define ID_APP_EXIT 57665
!define SYNCHRONIZE 0x00100000
!define EXIT_WAIT_MS 20000

Name "Vistals ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Vistals"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PUBLISHER}"

VIProductVersion ${VERSION_QUAD}
VIFileVersion ${VERSION_QUAD}
VIAddVersionKey /LANG=1033 "ProductName" "Vistals"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "FileDescription" "Vistals Setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Copyright (C) ${PUBLISHER}"

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include Sections.nsh

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC
!define MUI_FINISHPAGE_RUN "$INSTDIR\Vistals.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Start Vistals now"

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Var WasRunning

; A running Vistals holds its files open and saves its settings and sets only
; when it exits, so it is asked to exit through its own Exit command, exactly
; as its tray menu does, and waited for. Its hidden main window is titled
; "Vistals" and its window classes are named "Vistals:...". Sets WasRunning.
!macro CLOSE_RUNNING_VISTALS un
Function ${un}CloseRunningVistals
  StrCpy $WasRunning 0
  StrCpy $R0 0
  next_window:
    FindWindow $R0 "" "Vistals" 0 $R0
    StrCmp $R0 0 done
    System::Call 'user32::GetClassNameW(p R0, w .R1, i ${NSIS_MAX_STRLEN})'
    StrCpy $R1 $R1 8
    StrCmp $R1 "Vistals:" 0 next_window
    StrCpy $WasRunning 1
    System::Call 'user32::GetWindowThreadProcessId(p R0, *i .R2)'
    System::Call 'kernel32::OpenProcess(i ${SYNCHRONIZE}, i 0, i R2) p .R3'
    System::Call 'user32::PostMessageW(p R0, i ${WM_COMMAND}, p ${ID_APP_EXIT}, p 0)'
    ${If} $R3 != 0
      System::Call 'kernel32::WaitForSingleObject(p R3, i ${EXIT_WAIT_MS}) i .R4'
      System::Call 'kernel32::CloseHandle(p R3)'
    ${Else}
      ; Without a handle of the process, watch its window instead.
      StrCpy $R5 0
      window_wait:
        StrCpy $R4 0
        IsWindow $R0 0 window_gone
        StrCpy $R4 1
        IntCmp $R5 ${EXIT_WAIT_MS} window_gone 0 window_gone
        Sleep 100
        IntOp $R5 $R5 + 100
        Goto window_wait
      window_gone:
    ${EndIf}
    ${If} $R4 != 0
      MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION \
        "Vistals is still running. Close it with Exit in its tray menu, then click Retry." \
        /SD IDCANCEL IDRETRY retry
      Abort "Vistals is still running."
      retry:
    ${EndIf}
    StrCpy $R0 0   ; the window list has changed: look again from the start
    Goto next_window
  done:
FunctionEnd
!macroend
!insertmacro CLOSE_RUNNING_VISTALS ""
!insertmacro CLOSE_RUNNING_VISTALS "un."

Section "Vistals" SecProgram
  SectionIn RO
  Call CloseRunningVistals
  ; vistals.bmp, the wallpaper on show, stays; the settings and sets in the
  ; registry are not touched.
  SetOutPath "$INSTDIR"
  File "${STAGE}\Vistals.exe"
  File "${STAGE}\README.txt"
  !ifdef HAVE_CHM
    File "${STAGE}\Vistals.chm"
  !endif
  SetOutPath "$INSTDIR\ZELIMAGE"
  File "${STAGE}\ZELIMAGE\ZELIMAGE.DLL"
  SetOutPath "$INSTDIR\Licenses"
  File "${STAGE}\Licenses\*.txt"
  SetOutPath "$INSTDIR"   ; the working folder of the shortcut and of "Start Vistals now"

  WriteUninstaller "$INSTDIR\Uninstall.exe"
  CreateShortCut "$SMPROGRAMS\Vistals.lnk" "$INSTDIR\Vistals.exe" "" "$INSTDIR\Vistals.exe" 0 \
    SW_SHOWNORMAL "" "Desktop wallpaper changer"

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Vistals"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Vistals.exe,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Start Vistals when I log on" SecRun
  WriteRegStr HKCU "${RUN_KEY}" "Vistals" '"$INSTDIR\Vistals.exe"'
SectionEnd

Section "-Finish"
  ${IfNot} ${SectionIsSelected} ${SecRun}
    Call RemoveOurRunValue
  ${EndIf}
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  IntFmt $0 "0x%08X" $0
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" "$0"
  ; A silent update puts back the Vistals it closed; the finish page offers
  ; that choice otherwise.
  ${If} ${Silent}
  ${AndIf} $WasRunning == 1
    Exec '"$INSTDIR\Vistals.exe"'
  ${EndIf}
SectionEnd

; Only our own log-on entry goes: a value naming another copy stays.
!macro REMOVE_OUR_RUN_VALUE un
Function ${un}RemoveOurRunValue
  ReadRegStr $R0 HKCU "${RUN_KEY}" "Vistals"
  ${If} $R0 == '"$INSTDIR\Vistals.exe"'
    DeleteRegValue HKCU "${RUN_KEY}" "Vistals"
  ${EndIf}
FunctionEnd
!macroend
!insertmacro REMOVE_OUR_RUN_VALUE ""
!insertmacro REMOVE_OUR_RUN_VALUE "un."

Section "Uninstall"
  Call un.CloseRunningVistals
  Delete "$INSTDIR\Vistals.exe"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\Vistals.chm"
  Delete "$INSTDIR\vistals.bmp"
  Delete "$INSTDIR\ZELIMAGE\ZELIMAGE.DLL"
  RMDir "$INSTDIR\ZELIMAGE"
  Delete "$INSTDIR\Licenses\*.txt"
  RMDir "$INSTDIR\Licenses"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\Vistals.lnk"
  Call un.RemoveOurRunValue
  DeleteRegKey HKCU "${UNINSTALL_KEY}"

  MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 \
    "Also remove your Vistals settings and image sets?$\r$\n$\r$\nYour pictures themselves are not touched." \
    /SD IDNO IDNO keep_settings
    DeleteRegKey HKCU "${SETTINGS_KEY}"
    DeleteRegKey /ifempty HKCU "Software\Corvane Software"
  keep_settings:
SectionEnd

; An update keeps the earlier answer to "Start Vistals when I log on".
Function .onInit
  ReadRegStr $0 HKCU "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 != ""
    ReadRegStr $1 HKCU "${RUN_KEY}" "Vistals"
    ${If} $1 == ""
      !insertmacro UnselectSection ${SecRun}
    ${EndIf}
  ${EndIf}
FunctionEnd
