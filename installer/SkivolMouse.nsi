; Setup of the Skivol Gaming Mouse utility: one 32-bit program for every user
; of the machine, in Program Files, with its language chosen at install time.
;
; makensis -DSTAGE=<folder> -DOUTFILE=<setup.exe> [-DSIGN_COMMAND=<command>]
;   STAGE holds SkivolMouse.exe, lang.ini and the default setting.dat.
;   SIGN_COMMAND, when given, signs the uninstaller ("%1" is its path).
;
; Command line of the setup (administrators only):
;   /S               silent
;   /LANG=<number>   1033, 1031, 1036, 1034 or 1040 (default: the system's)
;   /AUTOSTART=0     no start with Windows
;   /D=<folder>      install folder (last, unquoted)

Unicode true
ManifestDPIAware true
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!define PRODUCT "Skivol Gaming Mouse"
!define VERSION "1.01"
!define PUBLISHER "Skivol"
!define EXE "SkivolMouse.exe"
!define PRODUCT_KEY "SOFTWARE\${PRODUCT}"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define RUN_VALUE "${PRODUCT}"
!define SHORTCUT "$SMPROGRAMS\${PRODUCT}.lnk"
; The running copy holds this event as long as it lives.
!define RUNNING_EVENT "Global\KorvanixWaitEventClose"
; Users (S-1-5-32-545) may change setting.dat: read, write, delete (icacls "M").
!define USERS_SID "S-1-5-32-545"
!define MODIFY_RIGHTS 0x1301BF

!ifndef STAGE
  !error "STAGE must name the folder with the files to install"
!endif
!ifndef OUTFILE
  !define OUTFILE "SkivolMouse-${VERSION}-setup.exe"
!endif

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "FileFunc.nsh"
!include "Sections.nsh"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES32\${PRODUCT}"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"

VIProductVersion "1.0.1.0"
VIFileVersion "1.0.1.0"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} Setup"
VIAddVersionKey /LANG=1033 "FileVersion" "1.0.1.0"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Copyright © 2026 ${PUBLISHER}"

!ifdef SIGN_COMMAND
  !uninstfinalize '${SIGN_COMMAND}'
!endif

Var wasRunning

; ---- pages ----------------------------------------------------------------

!define MUI_ICON "${STAGE}\app.ico"
!define MUI_UNICON "${STAGE}\app.ico"
!define MUI_ABORTWARNING
; The language page remembers the last choice through the program's own value.
!define MUI_LANGDLL_REGISTRY_ROOT HKLM
!define MUI_LANGDLL_REGISTRY_KEY "${PRODUCT_KEY}"
!define MUI_LANGDLL_REGISTRY_VALUENAME "Language"
!define MUI_LANGDLL_ALWAYSSHOW
!define MUI_LANGDLL_ALLLANGUAGES
!define MUI_LANGDLL_WINDOWTITLE "${PRODUCT} ${VERSION}"

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

; The program's languages, English first (the fallback).
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "German"
!insertmacro MUI_LANGUAGE "French"
!insertmacro MUI_LANGUAGE "Spanish"
!insertmacro MUI_LANGUAGE "Italian"
!insertmacro MUI_RESERVEFILE_LANGDLL

LangString NameProgram ${LANG_ENGLISH} "${PRODUCT}"
LangString NameProgram ${LANG_GERMAN} "${PRODUCT}"
LangString NameProgram ${LANG_FRENCH} "${PRODUCT}"
LangString NameProgram ${LANG_SPANISH} "${PRODUCT}"
LangString NameProgram ${LANG_ITALIAN} "${PRODUCT}"
LangString NameAutostart ${LANG_ENGLISH} "Start with Windows"
LangString NameAutostart ${LANG_GERMAN} "Mit Windows starten"
LangString NameAutostart ${LANG_FRENCH} "Démarrer avec Windows"
LangString NameAutostart ${LANG_SPANISH} "Iniciar con Windows"
LangString NameAutostart ${LANG_ITALIAN} "Avvia con Windows"
LangString DescProgram ${LANG_ENGLISH} "The program, its texts and its settings file."
LangString DescProgram ${LANG_GERMAN} "Das Programm, seine Texte und seine Einstellungsdatei."
LangString DescProgram ${LANG_FRENCH} "Le programme, ses textes et son fichier de paramètres."
LangString DescProgram ${LANG_SPANISH} "El programa, sus textos y su archivo de configuración."
LangString DescProgram ${LANG_ITALIAN} "Il programma, i suoi testi e il suo file di impostazioni."
LangString DescAutostart ${LANG_ENGLISH} "Starts the utility hidden in the notification area when a user signs in."
LangString DescAutostart ${LANG_GERMAN} "Startet das Programm bei der Anmeldung ausgeblendet im Infobereich."
LangString DescAutostart ${LANG_FRENCH} "Lance l'utilitaire, masqué dans la zone de notification, à l'ouverture de session."
LangString DescAutostart ${LANG_SPANISH} "Inicia la utilidad oculta en el área de notificación al iniciar sesión."
LangString DescAutostart ${LANG_ITALIAN} "Avvia il programma nascosto nell'area di notifica all'accesso."
LangString NeedAdmin ${LANG_ENGLISH} "Installing ${PRODUCT} needs administrator rights."
LangString NeedAdmin ${LANG_GERMAN} "Für die Installation von ${PRODUCT} sind Administratorrechte erforderlich."
LangString NeedAdmin ${LANG_FRENCH} "L'installation de ${PRODUCT} nécessite des droits d'administrateur."
LangString NeedAdmin ${LANG_SPANISH} "Para instalar ${PRODUCT} se necesitan derechos de administrador."
LangString NeedAdmin ${LANG_ITALIAN} "L'installazione di ${PRODUCT} richiede i diritti di amministratore."
LangString StillRunning ${LANG_ENGLISH} "${PRODUCT} is still running. Close it from its tray menu and try again."
LangString StillRunning ${LANG_GERMAN} "${PRODUCT} läuft noch. Beenden Sie es über sein Infobereich-Menü und versuchen Sie es erneut."
LangString StillRunning ${LANG_FRENCH} "${PRODUCT} est toujours en cours d'exécution. Quittez-le depuis son menu de la zone de notification et réessayez."
LangString StillRunning ${LANG_SPANISH} "${PRODUCT} todavía se está ejecutando. Ciérrelo desde su menú del área de notificación e inténtelo de nuevo."
LangString StillRunning ${LANG_ITALIAN} "${PRODUCT} è ancora in esecuzione. Chiudilo dal suo menu nell'area di notifica e riprova."

; ---- helpers shared by setup and uninstaller ------------------------------

; Asks the running copy, if any, to end with its own "/close" (which first
; hands the mouse its buttons back) and waits until it has. Sets $wasRunning.
!macro END_RUNNING_COPY un
Function ${un}EndRunningCopy
  StrCpy $wasRunning 0
  System::Call 'kernel32::OpenEventW(i 0x00100000, i 0, w "${RUNNING_EVENT}") p .r0'
  ${If} $0 P= 0
    Return
  ${EndIf}
  System::Call 'kernel32::CloseHandle(p r0)'
  StrCpy $wasRunning 1
  ${If} ${FileExists} "$INSTDIR\${EXE}"
    ExecWait '"$INSTDIR\${EXE}" /close'
  ${Else}
    ; Another copy of the program elsewhere: the same request, by hand.
    System::Call 'kernel32::OpenEventW(i 0x0002, i 0, w "${RUNNING_EVENT}") p .r0'
    ${If} $0 P<> 0
      System::Call 'kernel32::PulseEvent(p r0)'
      System::Call 'kernel32::CloseHandle(p r0)'
    ${EndIf}
  ${EndIf}
  ; Up to 20 s for the copy to hand back the buttons and end.
  StrCpy $1 0
  ${Do}
    System::Call 'kernel32::OpenEventW(i 0x00100000, i 0, w "${RUNNING_EVENT}") p .r0'
    ${If} $0 P= 0
      ${Break}
    ${EndIf}
    System::Call 'kernel32::CloseHandle(p r0)'
    IntOp $1 $1 + 1
    ${If} $1 >= 200
      DetailPrint "$(StillRunning)"
      ${Break}
    ${EndIf}
    Sleep 100
  ${Loop}
  ; The event goes a moment before the process and its hold on the file.
  Sleep 500
FunctionEnd
!macroend
!insertmacro END_RUNNING_COPY ""
!insertmacro END_RUNNING_COPY "un."

!macro REQUIRE_ADMIN
  UserInfo::GetAccountType
  Pop $0
  ${If} $0 != "Admin"
    MessageBox MB_ICONSTOP "$(NeedAdmin)" /SD IDOK
    SetErrorLevel 740 ; ERROR_ELEVATION_REQUIRED
    Quit
  ${EndIf}
!macroend

; ---- setup ----------------------------------------------------------------


; Gives the Users group modify rights on one file, on top of what it inherits.
; $0 is 0 on success, else a Windows error code.
Function GrantUsersModify
  Pop $R0
  StrCpy $R3 0
  StrCpy $R4 0
  StrCpy $R6 0
  System::Call 'advapi32::GetNamedSecurityInfoW(w R0, i 1, i 4, p 0, p 0, *p .R2, p 0, *p .R3) i .r0'
  ${If} $0 = 0
    System::Call 'advapi32::ConvertStringSidToSidW(w "${USERS_SID}", *p .R4) i .r0'
    ${If} $0 = 0
      System::Call 'kernel32::GetLastError() i .r0'
    ${Else}
      ; EXPLICIT_ACCESS_W: grant, not inherited, trustee a well-known group by SID
      System::Call '*(i ${MODIFY_RIGHTS}, i 1, i 0, p 0, i 0, i 0, i 5, p R4) p .R5'
      System::Call 'advapi32::SetEntriesInAclW(i 1, p R5, p R2, *p .R6) i .r0'
      System::Free $R5
      ${If} $0 = 0
        System::Call 'advapi32::SetNamedSecurityInfoW(w R0, i 1, i 4, p 0, p 0, p R6, p 0) i .r0'
      ${EndIf}
    ${EndIf}
  ${EndIf}
  System::Call 'kernel32::LocalFree(p R6)'
  System::Call 'kernel32::LocalFree(p R4)'
  System::Call 'kernel32::LocalFree(p R3)'
FunctionEnd

Section "$(NameProgram)" SecProgram
  SectionIn RO
  SetRegView 32
  SetShellVarContext all
  Call EndRunningCopy

  SetOutPath "$INSTDIR"
  SetOverwrite on
  File "${STAGE}\${EXE}"
  File "${STAGE}\lang.ini"
  ; The user's settings survive an update; a fresh install gets the record
  ; that the program itself writes for its defaults.
  ${IfNot} ${FileExists} "$INSTDIR\setting.dat"
    File "${STAGE}\setting.dat"
  ${EndIf}
  ; setting.dat is shared by every user of the machine, so every user may
  ; change it. Only it: the folder stays writable by administrators alone.
  Push "$INSTDIR\setting.dat"
  Call GrantUsersModify
  ${If} $0 <> 0
    DetailPrint "setting.dat: rights not granted (error $0)"
    SetErrorLevel 2
  ${EndIf}

  WriteRegStr HKLM "${PRODUCT_KEY}" "Language" "$LANGUAGE"

  CreateShortcut "${SHORTCUT}" "$INSTDIR\${EXE}" "" "$INSTDIR\${EXE}" 0

  WriteUninstaller "$INSTDIR\uninstall.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${EXE},0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  IntFmt $0 "0x%08X" $0
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" "$0"
SectionEnd

Section "$(NameAutostart)" SecAutostart
  SetRegView 32
  WriteRegStr HKLM "${RUN_KEY}" "${RUN_VALUE}" '"$INSTDIR\${EXE}" /hide'
SectionEnd

Section "-Restart"
  ${IfNot} ${SectionIsSelected} ${SecAutostart}
    SetRegView 32
    DeleteRegValue HKLM "${RUN_KEY}" "${RUN_VALUE}"
  ${ElseIf} $wasRunning = 1
    ; The copy ended above was in use: its successor takes over, as at sign-in.
    Exec '"$INSTDIR\${EXE}" /hide'
  ${EndIf}
SectionEnd

!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${SecProgram} "$(DescProgram)"
  !insertmacro MUI_DESCRIPTION_TEXT ${SecAutostart} "$(DescAutostart)"
!insertmacro MUI_FUNCTION_DESCRIPTION_END

; After the sections, whose indexes it uses.
Function .onInit
  SetRegView 32
  SetShellVarContext all
  !insertmacro REQUIRE_ADMIN
  !insertmacro MUI_LANGDLL_DISPLAY
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/LANG=" $R1
  ${IfNot} ${Errors}
    ${If} $R1 == ${LANG_ENGLISH}
    ${OrIf} $R1 == ${LANG_GERMAN}
    ${OrIf} $R1 == ${LANG_FRENCH}
    ${OrIf} $R1 == ${LANG_SPANISH}
    ${OrIf} $R1 == ${LANG_ITALIAN}
      StrCpy $LANGUAGE $R1
    ${EndIf}
  ${EndIf}
  ClearErrors
  ${GetOptions} $R0 "/AUTOSTART=" $R1
  ${IfNot} ${Errors}
  ${AndIf} $R1 == "0"
    !insertmacro UnselectSection ${SecAutostart}
  ${EndIf}
FunctionEnd

; ---- uninstaller ----------------------------------------------------------

Function un.onInit
  SetRegView 32
  SetShellVarContext all
  !insertmacro REQUIRE_ADMIN
  !insertmacro MUI_UNGETLANGUAGE
FunctionEnd

Section "Uninstall"
  SetRegView 32
  SetShellVarContext all
  Call un.EndRunningCopy

  DeleteRegValue HKLM "${RUN_KEY}" "${RUN_VALUE}"
  Delete "${SHORTCUT}"
  Delete "$INSTDIR\${EXE}"
  Delete "$INSTDIR\lang.ini"
  Delete "$INSTDIR\setting.dat"
  Delete "$INSTDIR\setting.dat.tmp"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"

  DeleteRegKey HKLM "${PRODUCT_KEY}"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
