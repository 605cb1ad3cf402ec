; Setup of the Skivol Gaming Mouse utility: one 32-bit program for every user
; of the machine, in Program Files, with its language chosen at install time.
;
; makensis -DSTAGE=<folder> -DOUTFILE=<setup.exe> [-DSIGN_COMMAND=<command>]
;   STAGE holds SkivolMouse.exe, lang.ini, the default setting.dat, the icon
;   and welcome.bmp, the picture of the welcome and finish pages.
;   SIGN_COMMAND, when given, signs the uninstaller ("%1" is its path).
;
; Command line of the setup (administrators only):
;   /S               silent
;   /LANG=<number>   1033, 1031, 1036, 1034 or 1040 (default: the last choice,
;                    else the system's); given, the language page is skipped
;   /AUTOSTART=0|1   start with Windows (default: as the installed copy has it,
;                    on for a first installation)
;   /D=<folder>      install folder (last, unquoted)
; Exit codes of setup and uninstaller: 0 done, 1 cancelled by the user, 2 done
; but something failed (rights not set, files left behind), 32 the running
; utility did not end, 87 an unknown /LANG= or /AUTOSTART= value, 740 not run
; as administrator.

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
; The install folder: Administrators (S-1-5-32-544) and SYSTEM (S-1-5-18)
; full control, Users read and execute, inherited by everything in it.
!define ADMINS_SID "S-1-5-32-544"
!define SYSTEM_SID "S-1-5-18"
!define FULL_RIGHTS 0x1F01FF
!define READ_EXECUTE_RIGHTS 0x1200A9
!define INHERIT_TO_ALL 3
; Exit codes (Windows error numbers where one fits).
!define EXIT_FAILED 2
!define EXIT_STILL_RUNNING 32 ; ERROR_SHARING_VIOLATION
!define EXIT_BAD_OPTION 87    ; ERROR_INVALID_PARAMETER

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

!define SETUP_DESCRIPTION "${PRODUCT} ${VERSION} Setup"
!define UNINSTALLER_DESCRIPTION "${PRODUCT} Uninstall"

VIProductVersion "1.0.1.0"
VIFileVersion "1.0.1.0"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "FileDescription" "${SETUP_DESCRIPTION}"
VIAddVersionKey /LANG=1033 "FileVersion" "1.0.1.0"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Copyright © 2026 ${PUBLISHER}"

; The uninstaller is named for what it is, then signed.
; (makensis works in this folder.)
!uninstfinalize '/usr/bin/python3 name_uninstaller.py "%1" "${SETUP_DESCRIPTION}" "${UNINSTALLER_DESCRIPTION}"' = 0
!ifdef SIGN_COMMAND
  !uninstfinalize '${SIGN_COMMAND}' = 0
!endif

Var wasRunning
Var langInfo

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
; Set in .onInit, in the language the page proposes.
!define MUI_LANGDLL_INFO "$langInfo"
; The welcome and finish pages show the utility's own look.
!define MUI_WELCOMEFINISHPAGE_BITMAP "${STAGE}\welcome.bmp"

!define MUI_WELCOMEPAGE_TEXT "$(WelcomeText)"
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_TEXT "$(FinishText)"
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "$(StartNow)"
!define MUI_FINISHPAGE_RUN_FUNCTION StartShown
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
LangString StillRunning ${LANG_ENGLISH} "${PRODUCT} is still running and did not close. Exit it from its icon in the notification area, then click Retry."
LangString StillRunning ${LANG_GERMAN} "${PRODUCT} läuft noch und wurde nicht beendet. Beenden Sie es über sein Symbol im Infobereich und klicken Sie dann auf Wiederholen."
LangString StillRunning ${LANG_FRENCH} "${PRODUCT} est toujours en cours d'exécution et ne s'est pas fermé. Quittez-le depuis son icône de la zone de notification, puis cliquez sur Réessayer."
LangString StillRunning ${LANG_SPANISH} "${PRODUCT} todavía se está ejecutando y no se ha cerrado. Ciérrelo desde su icono del área de notificación y haga clic en Reintentar."
LangString StillRunning ${LANG_ITALIAN} "${PRODUCT} è ancora in esecuzione e non si è chiuso. Chiudilo dalla sua icona nell'area di notifica, poi fai clic su Riprova."
LangString Closing ${LANG_ENGLISH} "Closing ${PRODUCT}…"
LangString Closing ${LANG_GERMAN} "${PRODUCT} wird beendet…"
LangString Closing ${LANG_FRENCH} "Fermeture de ${PRODUCT}…"
LangString Closing ${LANG_SPANISH} "Cerrando ${PRODUCT}…"
LangString Closing ${LANG_ITALIAN} "Chiusura di ${PRODUCT}…"
LangString NotRemoved ${LANG_ENGLISH} "Could not be removed: $R1"
LangString NotRemoved ${LANG_GERMAN} "Konnte nicht entfernt werden: $R1"
LangString NotRemoved ${LANG_FRENCH} "Impossible de supprimer : $R1"
LangString NotRemoved ${LANG_SPANISH} "No se pudo quitar: $R1"
LangString NotRemoved ${LANG_ITALIAN} "Impossibile rimuovere: $R1"
LangString BadOption ${LANG_ENGLISH} "Unknown value: $R1$\r$\n$\r$\n/LANG= takes 1033, 1031, 1036, 1034 or 1040.$\r$\n/AUTOSTART= takes 0 or 1."
LangString BadOption ${LANG_GERMAN} "Unbekannter Wert: $R1$\r$\n$\r$\n/LANG= nimmt 1033, 1031, 1036, 1034 oder 1040.$\r$\n/AUTOSTART= nimmt 0 oder 1."
LangString BadOption ${LANG_FRENCH} "Valeur inconnue : $R1$\r$\n$\r$\n/LANG= accepte 1033, 1031, 1036, 1034 ou 1040.$\r$\n/AUTOSTART= accepte 0 ou 1."
LangString BadOption ${LANG_SPANISH} "Valor desconocido: $R1$\r$\n$\r$\n/LANG= admite 1033, 1031, 1036, 1034 o 1040.$\r$\n/AUTOSTART= admite 0 o 1."
LangString BadOption ${LANG_ITALIAN} "Valore sconosciuto: $R1$\r$\n$\r$\n/LANG= accetta 1033, 1031, 1036, 1034 o 1040.$\r$\n/AUTOSTART= accetta 0 o 1."
LangString StartNow ${LANG_ENGLISH} "Start ${PRODUCT} now"
LangString StartNow ${LANG_GERMAN} "${PRODUCT} jetzt starten"
LangString StartNow ${LANG_FRENCH} "Démarrer ${PRODUCT} maintenant"
LangString StartNow ${LANG_SPANISH} "Iniciar ${PRODUCT} ahora"
LangString StartNow ${LANG_ITALIAN} "Avvia ${PRODUCT} ora"
LangString WelcomeText ${LANG_ENGLISH} "This installs ${PRODUCT} ${VERSION}, the configuration utility of your five-button gaming mouse, for every user of this computer.$\r$\n$\r$\nA running copy of the utility is closed for the update and your settings are kept.$\r$\n$\r$\nClick Next to continue."
LangString WelcomeText ${LANG_GERMAN} "Hiermit wird ${PRODUCT} ${VERSION}, das Konfigurationsprogramm Ihrer Gaming-Maus mit fünf Tasten, für alle Benutzer dieses Computers installiert.$\r$\n$\r$\nEin laufendes Programm wird für die Aktualisierung beendet, Ihre Einstellungen bleiben erhalten.$\r$\n$\r$\nKlicken Sie auf Weiter, um fortzufahren."
LangString WelcomeText ${LANG_FRENCH} "Cet assistant installe ${PRODUCT} ${VERSION}, l'utilitaire de configuration de votre souris de jeu à cinq boutons, pour tous les utilisateurs de cet ordinateur.$\r$\n$\r$\nL'utilitaire en cours d'exécution est fermé pour la mise à jour et vos réglages sont conservés.$\r$\n$\r$\nCliquez sur Suivant pour continuer."
LangString WelcomeText ${LANG_SPANISH} "Se instalará ${PRODUCT} ${VERSION}, la utilidad de configuración de su ratón para juegos de cinco botones, para todos los usuarios de este equipo.$\r$\n$\r$\nSi la utilidad se está ejecutando, se cierra para la actualización y su configuración se conserva.$\r$\n$\r$\nHaga clic en Siguiente para continuar."
LangString WelcomeText ${LANG_ITALIAN} "Verrà installato ${PRODUCT} ${VERSION}, il programma di configurazione del tuo mouse da gioco a cinque pulsanti, per tutti gli utenti di questo computer.$\r$\n$\r$\nSe il programma è in esecuzione, viene chiuso per l'aggiornamento e le tue impostazioni vengono mantenute.$\r$\n$\r$\nFai clic su Avanti per continuare."
LangString FinishText ${LANG_ENGLISH} "${PRODUCT} is installed. You find it in the Start menu and, while it runs, in the notification area."
LangString FinishText ${LANG_GERMAN} "${PRODUCT} ist installiert. Sie finden es im Startmenü und, während es läuft, im Infobereich."
LangString FinishText ${LANG_FRENCH} "${PRODUCT} est installé. Vous le trouvez dans le menu Démarrer et, pendant qu'il s'exécute, dans la zone de notification."
LangString FinishText ${LANG_SPANISH} "${PRODUCT} está instalado. Lo encontrará en el menú Inicio y, mientras se ejecuta, en el área de notificación."
LangString FinishText ${LANG_ITALIAN} "${PRODUCT} è installato. Lo trovi nel menu Start e, mentre è in esecuzione, nell'area di notifica."

; ---- helpers shared by setup and uninstaller ------------------------------

; Asks the running copy, if any, to end with its own "/close" (which first
; hands the mouse its buttons back) and waits until it has. Sets $wasRunning;
; $0 is 1 when a copy still runs after the wait.
!macro END_RUNNING_COPY un
Function ${un}EndRunningCopy
  StrCpy $0 0
  System::Call 'kernel32::OpenEventW(i 0x00100000, i 0, w "${RUNNING_EVENT}") p .r0'
  ${If} $0 P= 0
    StrCpy $0 0
    Return
  ${EndIf}
  System::Call 'kernel32::CloseHandle(p r0)'
  StrCpy $wasRunning 1
  DetailPrint "$(Closing)"
  ${If} ${FileExists} "$INSTDIR\${EXE}"
    ; The progress line says what happens; the command line is no news.
    SetDetailsPrint none
    ExecWait '"$INSTDIR\${EXE}" /close'
    SetDetailsPrint lastused
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
      StrCpy $0 1
      Return
    ${EndIf}
    Sleep 100
  ${Loop}
  ; The event goes a moment before the process and its hold on the file.
  Sleep 500
  StrCpy $0 0
FunctionEnd

; Ends the running copy, asking the user to end it by hand while it does not
; (Retry). Cancel, or a silent run, ends the whole run, nothing replaced.
Function ${un}EndRunningCopyOrQuit
  ${Do}
    Call ${un}EndRunningCopy
    ${If} $0 = 0
      Return
    ${EndIf}
    DetailPrint "$(StillRunning)"
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$(StillRunning)" /SD IDCANCEL IDRETRY +2
      Goto quit
  ${Loop}
  quit:
  SetErrorLevel ${EXIT_STILL_RUNNING}
  Abort
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

; Gives the install folder rights of its own, whatever it would inherit from
; the folder above (C:\ lets every user change what is made in it): the
; machine-wide Run value starts this folder's program at every user's sign-in.
; $0 is 0 on success, else a Windows error code.
Function ProtectInstallFolder
  StrCpy $R2 0
  StrCpy $R3 0
  StrCpy $R4 0
  StrCpy $R6 0
  System::Call 'advapi32::ConvertStringSidToSidW(w "${ADMINS_SID}", *p .R2) i .r0'
  System::Call 'advapi32::ConvertStringSidToSidW(w "${SYSTEM_SID}", *p .R3) i .r1'
  System::Call 'advapi32::ConvertStringSidToSidW(w "${USERS_SID}", *p .R4) i .r2'
  ${If} $0 = 0
  ${OrIf} $1 = 0
  ${OrIf} $2 = 0
    System::Call 'kernel32::GetLastError() i .r0'
  ${Else}
    ; Three EXPLICIT_ACCESS_W: set, inherited by files and folders, trustee a SID
    System::Call '*(i ${FULL_RIGHTS}, i 2, i ${INHERIT_TO_ALL}, p 0, i 0, i 0, i 5, p R2, \
                    i ${FULL_RIGHTS}, i 2, i ${INHERIT_TO_ALL}, p 0, i 0, i 0, i 5, p R3, \
                    i ${READ_EXECUTE_RIGHTS}, i 2, i ${INHERIT_TO_ALL}, p 0, i 0, i 0, i 5, p R4) p .R5'
    System::Call 'advapi32::SetEntriesInAclW(i 3, p R5, p 0, *p .R6) i .r0'
    System::Free $R5
    ${If} $0 = 0
      ; DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION
      System::Call 'advapi32::SetNamedSecurityInfoW(w "$INSTDIR", i 1, i 0x80000004, p 0, p 0, p R6, p 0) i .r0'
    ${EndIf}
  ${EndIf}
  System::Call 'kernel32::LocalFree(p R6)'
  System::Call 'kernel32::LocalFree(p R4)'
  System::Call 'kernel32::LocalFree(p R3)'
  System::Call 'kernel32::LocalFree(p R2)'
FunctionEnd

; Starts the installed program with the parameters $R0 as the signed-in user,
; never with the setup's administrator rights, which a program started by it
; would otherwise inherit: with the token of the shell, or else with the
; limited twin of the setup's own token. Where neither is to be had it is not
; started (the Run value starts it at the next sign-in).
Function StartAsUser
  StrCpy $R1 0
  StrCpy $R5 0
  System::Call '*(i 68, i 0, i 0, i 0, i 0, i 0, i 0, i 0, i 0, i 0, i 0, i 0, i 0, i 0, i 0, i 0, i 0) p .R6'
  System::Call '*(p 0, p 0, i 0, i 0) p .R7'
  System::Call 'user32::GetShellWindow() p .r0'
  ${If} $0 P<> 0
    System::Call 'user32::GetWindowThreadProcessId(p r0, *i .r1)'
    ; PROCESS_QUERY_INFORMATION, then TOKEN_DUPLICATE
    System::Call 'kernel32::OpenProcess(i 0x400, i 0, i r1) p .r2'
    ${If} $2 P<> 0
      System::Call 'advapi32::OpenProcessToken(p r2, i 0x2, *p .r3) i .r4'
      ${If} $4 <> 0
        ; A primary token with the rights CreateProcessWithTokenW needs.
        System::Call 'advapi32::DuplicateTokenEx(p r3, i 0x18B, p 0, i 2, i 1, *p .R5)'
        System::Call 'kernel32::CloseHandle(p r3)'
      ${EndIf}
      System::Call 'kernel32::CloseHandle(p r2)'
    ${EndIf}
    ${If} $R5 P<> 0
      System::Call 'advapi32::CreateProcessWithTokenW(p R5, i 0, w "$INSTDIR\${EXE}", w `"$INSTDIR\${EXE}" $R0`, i 0, p 0, w "$INSTDIR", p R6, p R7) i .R1'
      System::Call 'kernel32::CloseHandle(p R5)'
    ${EndIf}
  ${EndIf}
  ${If} $R1 = 0
    ; TOKEN_QUERY; TokenLinkedToken (19) of an elevated token is its limited twin.
    System::Call 'kernel32::GetCurrentProcess() p .r0'
    System::Call 'advapi32::OpenProcessToken(p r0, i 0x8, *p .r3) i .r4'
    ${If} $4 <> 0
      System::Call 'advapi32::GetTokenInformation(p r3, i 19, *p .r5, i 4, *i .r6) i .r4'
      ${If} $4 <> 0
        System::Call 'advapi32::DuplicateTokenEx(p r5, i 0x18B, p 0, i 2, i 1, *p .r7) i .r4'
        ${If} $4 <> 0
          System::Call 'kernel32::CreateProcessAsUserW(p r7, w "$INSTDIR\${EXE}", w `"$INSTDIR\${EXE}" $R0`, p 0, p 0, i 0, i 0, p 0, w "$INSTDIR", p R6, p R7) i .R1'
          System::Call 'kernel32::CloseHandle(p r7)'
        ${EndIf}
        System::Call 'kernel32::CloseHandle(p r5)'
      ${EndIf}
      System::Call 'kernel32::CloseHandle(p r3)'
    ${EndIf}
  ${EndIf}
  ${If} $R1 <> 0
    System::Call '*$R7(p .r0, p .r1)'
    System::Call 'kernel32::CloseHandle(p r0)'
    System::Call 'kernel32::CloseHandle(p r1)'
  ${EndIf}
  System::Free $R6
  System::Free $R7
FunctionEnd

; The finish page's "Start now": the window shown, as from the Start menu.
Function StartShown
  StrCpy $R0 ""
  Call StartAsUser
FunctionEnd

; Writes one file of the stage, asking to retry while it is in use; Cancel,
; or a silent run, ends the run rather than keep the old file.
!macro INSTALL_FILE name
  ${Do}
    ClearErrors
    File "${STAGE}\${name}"
    ${IfNot} ${Errors}
      ${Break}
    ${EndIf}
    DetailPrint "$(StillRunning)"
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$(StillRunning)" /SD IDCANCEL IDRETRY +3
      SetErrorLevel ${EXIT_STILL_RUNNING}
      Abort
  ${Loop}
!macroend

Section "$(NameProgram)" SecProgram
  SectionIn RO
  SetRegView 32
  SetShellVarContext all
  Call EndRunningCopyOrQuit

  SetOutPath "$INSTDIR"
  Call ProtectInstallFolder
  ${If} $0 <> 0
    DetailPrint "$INSTDIR: rights not set (error $0)"
    SetErrorLevel ${EXIT_FAILED}
  ${EndIf}
  ; A file in use is reported, never skipped or half written.
  SetOverwrite try
  !insertmacro INSTALL_FILE "${EXE}"
  !insertmacro INSTALL_FILE "lang.ini"
  SetOverwrite on
  ; The user's settings survive an update; a fresh install gets the record
  ; that the program itself writes for its defaults.
  ${IfNot} ${FileExists} "$INSTDIR\setting.dat"
    File "${STAGE}\setting.dat"
  ${EndIf}
  ; The program profiles start empty, in a file every user may change like
  ; setting.dat: the program never makes it in a folder users cannot write.
  ${IfNot} ${FileExists} "$INSTDIR\profiles.ini"
    ClearErrors
    FileOpen $0 "$INSTDIR\profiles.ini" w
    ${IfNot} ${Errors}
      FileClose $0
    ${EndIf}
  ${EndIf}
  ; The settings and the saved profiles are shared by every user of the
  ; machine, so every user may change them. Only them: the folder stays
  ; writable by administrators alone.
  ${ForEach} $1 0 1 + 1
    ${If} $1 = 0
      StrCpy $2 "setting.dat"
    ${Else}
      StrCpy $2 "profiles.ini"
    ${EndIf}
    ${If} ${FileExists} "$INSTDIR\$2"
      Push "$INSTDIR\$2"
      Call GrantUsersModify
      ${If} $0 <> 0
        DetailPrint "$2: rights not granted (error $0)"
        SetErrorLevel ${EXIT_FAILED}
      ${EndIf}
    ${EndIf}
  ${Next}

  WriteRegStr HKLM "${PRODUCT_KEY}" "Language" "$LANGUAGE"

  CreateShortcut "${SHORTCUT}" "$INSTDIR\${EXE}" "" "$INSTDIR\${EXE}" 0

  WriteUninstaller "$INSTDIR\uninstall.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${EXE},0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  ; Run in place (_?=), the uninstaller returns only when it is done.
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S _?=$INSTDIR'
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
  ${EndIf}
  ; The copy ended above was in use: its successor takes over, hidden as at
  ; sign-in. Shown, the finish page's "Start now" asks the user instead.
  ${If} ${Silent}
  ${AndIf} $wasRunning = 1
    StrCpy $R0 "/hide"
    Call StartAsUser
  ${EndIf}
SectionEnd

!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${SecProgram} "$(DescProgram)"
  !insertmacro MUI_DESCRIPTION_TEXT ${SecAutostart} "$(DescAutostart)"
!insertmacro MUI_FUNCTION_DESCRIPTION_END

; Refuses a command-line value the setup does not know: a message when shown,
; the exit code alone when silent.
!macro REFUSE_OPTION
  MessageBox MB_ICONSTOP "$(BadOption)" /SD IDOK
  SetErrorLevel ${EXIT_BAD_OPTION}
  Quit
!macroend

!macro IF_KNOWN_LANGUAGE value
  ${If} ${value} == ${LANG_ENGLISH}
  ${OrIf} ${value} == ${LANG_GERMAN}
  ${OrIf} ${value} == ${LANG_FRENCH}
  ${OrIf} ${value} == ${LANG_SPANISH}
  ${OrIf} ${value} == ${LANG_ITALIAN}
!macroend

; After the sections, whose indexes it uses.
Function .onInit
  StrCpy $wasRunning 0
  SetRegView 32
  SetShellVarContext all
  !insertmacro REQUIRE_ADMIN
  ${GetParameters} $R0

  ; "Start with Windows" as the installed copy has it: off when an
  ; installation is there without its Run value.
  ClearErrors
  ${GetOptions} $R0 "/AUTOSTART=" $R1
  ${If} ${Errors}
    ClearErrors
    ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
    ${IfNot} ${Errors}
      ReadRegStr $0 HKLM "${RUN_KEY}" "${RUN_VALUE}"
      ${If} ${Errors}
        !insertmacro UnselectSection ${SecAutostart}
      ${EndIf}
    ${EndIf}
  ${ElseIf} $R1 S== "0"
    !insertmacro UnselectSection ${SecAutostart}
  ${ElseIf} $R1 S!= "1"
    StrCpy $R1 "/AUTOSTART=$R1"
    !insertmacro REFUSE_OPTION
  ${EndIf}

  ; A language given is taken as chosen: no language page.
  ClearErrors
  ${GetOptions} $R0 "/LANG=" $R1
  ${IfNot} ${Errors}
    !insertmacro IF_KNOWN_LANGUAGE $R1
      StrCpy $LANGUAGE $R1
      Return
    ${EndIf}
    StrCpy $R1 "/LANG=$R1"
    !insertmacro REFUSE_OPTION
  ${EndIf}

  ; The page's question in the language it proposes (the last choice, else
  ; the system's): it sets the utility's language too.
  ReadRegStr $0 HKLM "${PRODUCT_KEY}" "Language"
  !insertmacro IF_KNOWN_LANGUAGE $0
    StrCpy $LANGUAGE $0
  ${EndIf}
  ${Select} $LANGUAGE
    ${Case} ${LANG_GERMAN}
      StrCpy $langInfo "Wählen Sie die Sprache der Installation und des Programms ${PRODUCT}:"
    ${Case} ${LANG_FRENCH}
      StrCpy $langInfo "Choisissez la langue de l'installation et de l'utilitaire ${PRODUCT} :"
    ${Case} ${LANG_SPANISH}
      StrCpy $langInfo "Elija el idioma de la instalación y de la utilidad ${PRODUCT}:"
    ${Case} ${LANG_ITALIAN}
      StrCpy $langInfo "Scegli la lingua dell'installazione e del programma ${PRODUCT}:"
    ${CaseElse}
      StrCpy $langInfo "Choose the language of the setup and of the ${PRODUCT} utility:"
  ${EndSelect}
  !insertmacro MUI_LANGDLL_DISPLAY
FunctionEnd

; ---- uninstaller ----------------------------------------------------------

Var leftBehind

Function un.onInit
  SetRegView 32
  SetShellVarContext all
  !insertmacro REQUIRE_ADMIN
  !insertmacro MUI_UNGETLANGUAGE
FunctionEnd

; Deletes one file, noting it when it stays.
!macro REMOVE_FILE path
  StrCpy $R1 "${path}"
  ClearErrors
  Delete "$R1"
  ${If} ${Errors}
  ${OrIf} ${FileExists} "$R1"
    DetailPrint "$(NotRemoved)"
    StrCpy $leftBehind 1
  ${EndIf}
!macroend

Section "Uninstall"
  SetRegView 32
  SetShellVarContext all
  StrCpy $leftBehind 0
  Call un.EndRunningCopyOrQuit

  DeleteRegValue HKLM "${RUN_KEY}" "${RUN_VALUE}"
  !insertmacro REMOVE_FILE "${SHORTCUT}"
  !insertmacro REMOVE_FILE "$INSTDIR\${EXE}"
  !insertmacro REMOVE_FILE "$INSTDIR\lang.ini"
  !insertmacro REMOVE_FILE "$INSTDIR\setting.dat"
  !insertmacro REMOVE_FILE "$INSTDIR\setting.dat.tmp"
  !insertmacro REMOVE_FILE "$INSTDIR\profiles.ini"
  !insertmacro REMOVE_FILE "$INSTDIR\profiles.ini.tmp"
  !insertmacro REMOVE_FILE "$INSTDIR\profiles.ini.bak"
  ; Anything else in the folder is not ours to delete: it is reported.
  FindFirst $0 $1 "$INSTDIR\*"
  ${DoWhile} $1 != ""
    ${If} $1 != "."
    ${AndIf} $1 != ".."
    ${AndIf} $1 != "uninstall.exe"
      StrCpy $R1 "$INSTDIR\$1"
      DetailPrint "$(NotRemoved)"
      StrCpy $leftBehind 1
    ${EndIf}
    FindNext $0 $1
  ${Loop}
  FindClose $0
  ${If} "$EXEDIR" == "$INSTDIR"
    ; Run in place (_?=): this very file cannot be deleted while it runs, but
    ; Windows lets it move out of the way, to go at the next restart. Where
    ; it cannot move (Wine), it and the folder go at the next restart.
    GetTempFileName $R1
    Delete "$R1"
    ClearErrors
    Rename "$INSTDIR\uninstall.exe" "$R1"
    ${If} ${Errors}
      ; %TEMP% on another drive: beside the folder instead.
      GetTempFileName $R1 "$INSTDIR\.."
      Delete "$R1"
      ClearErrors
      Rename "$INSTDIR\uninstall.exe" "$R1"
    ${EndIf}
    ${If} ${Errors}
      Delete "$R1"
      Delete /REBOOTOK "$INSTDIR\uninstall.exe"
      RMDir /REBOOTOK "$INSTDIR"
    ${Else}
      Delete /REBOOTOK "$R1"
      RMDir "$INSTDIR"
    ${EndIf}
  ${Else}
    !insertmacro REMOVE_FILE "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"
  ${EndIf}

  DeleteRegKey HKLM "${PRODUCT_KEY}"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  ${If} $leftBehind = 1
    SetErrorLevel ${EXIT_FAILED}
  ${EndIf}
SectionEnd
