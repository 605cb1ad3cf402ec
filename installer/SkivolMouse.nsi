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
;   /D=<folder>      install folder (last, unquoted): a full path to a folder
;                    that does not exist yet, is empty, or holds this
;                    installation; while one exists, only its folder
; Exit codes of setup and uninstaller: 0 done, 1 cancelled by the user, 2 done
; but something failed (rights not set, files left behind), 32 the running
; utility did not end, 87 an unknown /LANG= or /AUTOSTART= value or a folder
; not to install into, 145 the folder holds other files, 183 installed in
; another folder, 740 not run as administrator, 1605 (uninstaller) its
; folder is not the installation's.

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
; Every running copy, of every session, holds this event as long as it lives.
!define RUNNING_EVENT "Global\KorvanixWaitEventClose"
; A later copy of the same session asks the running one to close, or to show
; its window, with these ("/close" sets the machine's close event too).
!define SESSION_CLOSE_EVENT "Local\KorvanixWaitEventClose"
!define SESSION_SHOW_EVENT "Local\KorvanixWaitEventOpen"
; Users (S-1-5-32-545) may change what setting.dat holds: read and write,
; not delete (icacls "M" without "D"), since only administrators could make
; the file again in the folder.
!define USERS_SID "S-1-5-32-545"
!define MODIFY_RIGHTS 0x1201BF
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
!define EXIT_FOLDER_IN_USE 145 ; ERROR_DIR_NOT_EMPTY
!define EXIT_INSTALLED_ELSEWHERE 183 ; ERROR_ALREADY_EXISTS
!define EXIT_NOT_INSTALLED 1605 ; ERROR_UNKNOWN_PRODUCT

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
; The last status line, the same for setup and uninstaller.
CompletedText "$(DoneText)"

!define SETUP_FILE_NAME "SkivolMouse-${VERSION}-setup.exe"
!define SETUP_DESCRIPTION "${PRODUCT} ${VERSION} Setup"
!define UNINSTALLER_DESCRIPTION "${PRODUCT} Uninstall"

VIProductVersion "1.0.1.0"
VIFileVersion "1.0.1.0"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "FileDescription" "${SETUP_DESCRIPTION}"
VIAddVersionKey /LANG=1033 "FileVersion" "1.0.1.0"
VIAddVersionKey /LANG=1033 "OriginalFilename" "${SETUP_FILE_NAME}"
VIAddVersionKey /LANG=1033 "InternalName" "${SETUP_FILE_NAME}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Copyright © 2026 ${PUBLISHER}"

; Setup and uninstaller are named for what they are, the uninstaller then
; signed (the setup is signed after this script). (makensis works in this folder.)
!finalize '/usr/bin/python3 name_uninstaller.py "%1" "Skivol.Mouse.Setup" "${SETUP_DESCRIPTION}"' = 0
!uninstfinalize '/usr/bin/python3 name_uninstaller.py "%1" "Skivol.Uninstall" "${UNINSTALLER_DESCRIPTION}" "FileDescription=${UNINSTALLER_DESCRIPTION}" "OriginalFilename=uninstall.exe" "InternalName=uninstall.exe"' = 0
!ifdef SIGN_COMMAND
  !uninstfinalize '${SIGN_COMMAND}' = 0
!endif

Var wasRunning
Var langInfo
; The folder of the installation there is (its uninstall entry), "" if none.
Var installedFolder
; A refusal found before the window opens: its exit code (0: none), and the
; folder refused.
Var refusal
Var refusedFolder

; ---- pages ----------------------------------------------------------------

!define MUI_ICON "${STAGE}\app.ico"
!define MUI_UNICON "${STAGE}\app.ico"
!define MUI_ABORTWARNING
; Messages from before the window opens wait for it, to be in its language.
!define MUI_CUSTOMFUNCTION_GUIINIT GuiInit
!define MUI_CUSTOMFUNCTION_UNGUIINIT un.GuiInit
; The language page remembers the last choice through the program's own value.
!define MUI_LANGDLL_REGISTRY_ROOT HKLM
!define MUI_LANGDLL_REGISTRY_KEY "${PRODUCT_KEY}"
!define MUI_LANGDLL_REGISTRY_VALUENAME "Language"
!define MUI_LANGDLL_ALWAYSSHOW
!define MUI_LANGDLL_ALLLANGUAGES
!define MUI_LANGDLL_WINDOWTITLE "${PRODUCT} ${VERSION}"
; The welcome and finish pages show the utility's own look.
!define MUI_WELCOMEFINISHPAGE_BITMAP "${STAGE}\welcome.bmp"

; A title short enough for two lines in every language.
!define MUI_WELCOMEPAGE_TITLE "$(WelcomeTitle)"
!define MUI_WELCOMEPAGE_TEXT "$(WelcomeText)"
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_COMPONENTS
; An update goes where the installation is: no folder to choose then.
!define MUI_PAGE_CUSTOMFUNCTION_PRE DirectoryPre
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE DirectoryLeave
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_TEXT "$(FinishText)"
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "$(StartNow)"
!define MUI_FINISHPAGE_RUN_FUNCTION StartShown
!define MUI_PAGE_CUSTOMFUNCTION_SHOW FinishShow
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
LangString StillRunning ${LANG_ENGLISH} "${PRODUCT} is still running and did not close. Exit it from its icon in the notification area, then try again."
LangString StillRunning ${LANG_GERMAN} "${PRODUCT} läuft noch und wurde nicht beendet. Beenden Sie es über sein Symbol im Infobereich und versuchen Sie es dann erneut."
LangString StillRunning ${LANG_FRENCH} "${PRODUCT} est toujours en cours d'exécution et ne s'est pas fermé. Quittez-le depuis son icône de la zone de notification, puis réessayez."
LangString StillRunning ${LANG_SPANISH} "${PRODUCT} todavía se está ejecutando y no se ha cerrado. Ciérrelo desde su icono del área de notificación y vuelva a intentarlo."
LangString StillRunning ${LANG_ITALIAN} "${PRODUCT} è ancora in esecuzione e non si è chiuso. Chiudilo dalla sua icona nell'area di notifica, poi riprova."
LangString FileInUse ${LANG_ENGLISH} "This file is open in another program and cannot be replaced:$\r$\n$\r$\n$R1$\r$\n$\r$\nClose that program, then try again. Cancelling leaves the installed version as it was."
LangString FileInUse ${LANG_GERMAN} "Diese Datei ist in einem anderen Programm geöffnet und kann nicht ersetzt werden:$\r$\n$\r$\n$R1$\r$\n$\r$\nSchließen Sie dieses Programm und versuchen Sie es dann erneut. Ein Abbruch lässt die installierte Version unverändert."
LangString FileInUse ${LANG_FRENCH} "Ce fichier est ouvert dans un autre programme et ne peut pas être remplacé :$\r$\n$\r$\n$R1$\r$\n$\r$\nFermez ce programme, puis réessayez. Annuler laisse la version installée telle quelle."
LangString FileInUse ${LANG_SPANISH} "Este archivo está abierto en otro programa y no se puede reemplazar:$\r$\n$\r$\n$R1$\r$\n$\r$\nCierre ese programa y vuelva a intentarlo. Cancelar deja la versión instalada como estaba."
LangString FileInUse ${LANG_ITALIAN} "Questo file è aperto in un altro programma e non può essere sostituito:$\r$\n$\r$\n$R1$\r$\n$\r$\nChiudi quel programma, poi riprova. Annullare lascia la versione installata com'era."
LangString StillRunningStatus ${LANG_ENGLISH} "${PRODUCT} did not close."
LangString StillRunningStatus ${LANG_GERMAN} "${PRODUCT} wurde nicht beendet."
LangString StillRunningStatus ${LANG_FRENCH} "${PRODUCT} ne s'est pas fermé."
LangString StillRunningStatus ${LANG_SPANISH} "${PRODUCT} no se ha cerrado."
LangString StillRunningStatus ${LANG_ITALIAN} "${PRODUCT} non si è chiuso."
LangString FileInUseStatus ${LANG_ENGLISH} "Open in another program: $R2"
LangString FileInUseStatus ${LANG_GERMAN} "In einem anderen Programm geöffnet: $R2"
LangString FileInUseStatus ${LANG_FRENCH} "Ouvert dans un autre programme : $R2"
LangString FileInUseStatus ${LANG_SPANISH} "Abierto en otro programa: $R2"
LangString FileInUseStatus ${LANG_ITALIAN} "Aperto in un altro programma: $R2"
; The progress page's details button: Italian's own text fills it to the edges.
LangString ^ShowDetailsBtn ${LANG_ITALIAN} "Mostra &dettagli"
LangString DoneText ${LANG_ENGLISH} "Completed"
LangString DoneText ${LANG_GERMAN} "Fertig"
LangString DoneText ${LANG_FRENCH} "Terminé"
LangString DoneText ${LANG_SPANISH} "Completado"
LangString DoneText ${LANG_ITALIAN} "Completato"
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
LangString BadFolder ${LANG_ENGLISH} "${PRODUCT} cannot be installed in this folder:$\r$\n$\r$\n$R1$\r$\n$\r$\nChoose a folder of its own, new or empty: not the Windows folder, a drive, Program Files itself or a folder of a user's profile. For example:$\r$\n$\r$\n$PROGRAMFILES32\${PRODUCT}"
LangString BadFolder ${LANG_GERMAN} "${PRODUCT} kann nicht in diesem Ordner installiert werden:$\r$\n$\r$\n$R1$\r$\n$\r$\nWählen Sie einen eigenen, neuen oder leeren Ordner: nicht den Windows-Ordner, ein Laufwerk, Programme selbst oder einen Ordner eines Benutzerprofils. Zum Beispiel:$\r$\n$\r$\n$PROGRAMFILES32\${PRODUCT}"
LangString BadFolder ${LANG_FRENCH} "${PRODUCT} ne peut pas être installé dans ce dossier :$\r$\n$\r$\n$R1$\r$\n$\r$\nChoisissez un dossier qui lui soit propre, nouveau ou vide : pas le dossier de Windows, un lecteur, Program Files lui-même ni un dossier d'un profil d'utilisateur. Par exemple :$\r$\n$\r$\n$PROGRAMFILES32\${PRODUCT}"
LangString BadFolder ${LANG_SPANISH} "${PRODUCT} no se puede instalar en esta carpeta:$\r$\n$\r$\n$R1$\r$\n$\r$\nElija una carpeta propia, nueva o vacía: no la carpeta de Windows, una unidad, Archivos de programa en sí ni una carpeta del perfil de un usuario. Por ejemplo:$\r$\n$\r$\n$PROGRAMFILES32\${PRODUCT}"
LangString BadFolder ${LANG_ITALIAN} "${PRODUCT} non può essere installato in questa cartella:$\r$\n$\r$\n$R1$\r$\n$\r$\nScegli una cartella propria, nuova o vuota: non la cartella di Windows, un'unità, Programmi stessa o una cartella del profilo di un utente. Ad esempio:$\r$\n$\r$\n$PROGRAMFILES32\${PRODUCT}"
LangString FolderInUse ${LANG_ENGLISH} "This folder already holds other files:$\r$\n$\r$\n$R1$\r$\n$\r$\nChoose a new or empty folder for ${PRODUCT}."
LangString FolderInUse ${LANG_GERMAN} "Dieser Ordner enthält bereits andere Dateien:$\r$\n$\r$\n$R1$\r$\n$\r$\nWählen Sie einen neuen oder leeren Ordner für ${PRODUCT}."
LangString FolderInUse ${LANG_FRENCH} "Ce dossier contient déjà d'autres fichiers :$\r$\n$\r$\n$R1$\r$\n$\r$\nChoisissez un dossier nouveau ou vide pour ${PRODUCT}."
LangString FolderInUse ${LANG_SPANISH} "Esta carpeta ya contiene otros archivos:$\r$\n$\r$\n$R1$\r$\n$\r$\nElija una carpeta nueva o vacía para ${PRODUCT}."
LangString FolderInUse ${LANG_ITALIAN} "Questa cartella contiene già altri file:$\r$\n$\r$\n$R1$\r$\n$\r$\nScegli una cartella nuova o vuota per ${PRODUCT}."
LangString InstalledElsewhere ${LANG_ENGLISH} "${PRODUCT} is installed in this folder, and an update goes into it:$\r$\n$\r$\n$R1$\r$\n$\r$\nTo install it elsewhere, uninstall it first."
LangString InstalledElsewhere ${LANG_GERMAN} "${PRODUCT} ist in diesem Ordner installiert; eine Aktualisierung wird dorthin installiert:$\r$\n$\r$\n$R1$\r$\n$\r$\nUm es an anderer Stelle zu installieren, deinstallieren Sie es zuerst."
LangString InstalledElsewhere ${LANG_FRENCH} "${PRODUCT} est installé dans ce dossier ; une mise à jour s'y installe :$\r$\n$\r$\n$R1$\r$\n$\r$\nPour l'installer ailleurs, désinstallez-le d'abord."
LangString InstalledElsewhere ${LANG_SPANISH} "${PRODUCT} está instalado en esta carpeta; una actualización se instala en ella:$\r$\n$\r$\n$R1$\r$\n$\r$\nPara instalarlo en otro lugar, desinstálelo primero."
LangString InstalledElsewhere ${LANG_ITALIAN} "${PRODUCT} è installato in questa cartella; un aggiornamento si installa lì:$\r$\n$\r$\n$R1$\r$\n$\r$\nPer installarlo altrove, disinstallalo prima."
LangString NotInstalledHere ${LANG_ENGLISH} "This folder does not hold the installation of ${PRODUCT}:$\r$\n$\r$\n$R1$\r$\n$\r$\nNothing was removed."
LangString NotInstalledHere ${LANG_GERMAN} "Dieser Ordner enthält nicht die Installation von ${PRODUCT}:$\r$\n$\r$\n$R1$\r$\n$\r$\nEs wurde nichts entfernt."
LangString NotInstalledHere ${LANG_FRENCH} "Ce dossier ne contient pas l'installation de ${PRODUCT} :$\r$\n$\r$\n$R1$\r$\n$\r$\nRien n'a été supprimé."
LangString NotInstalledHere ${LANG_SPANISH} "Esta carpeta no contiene la instalación de ${PRODUCT}:$\r$\n$\r$\n$R1$\r$\n$\r$\nNo se ha quitado nada."
LangString NotInstalledHere ${LANG_ITALIAN} "Questa cartella non contiene l'installazione di ${PRODUCT}:$\r$\n$\r$\n$R1$\r$\n$\r$\nNon è stato rimosso nulla."
LangString RightsNotSet ${LANG_ENGLISH} "$R1: rights not set (error $0)"
LangString RightsNotSet ${LANG_GERMAN} "$R1: Rechte nicht gesetzt (Fehler $0)"
LangString RightsNotSet ${LANG_FRENCH} "$R1 : droits non définis (erreur $0)"
LangString RightsNotSet ${LANG_SPANISH} "$R1: permisos no establecidos (error $0)"
LangString RightsNotSet ${LANG_ITALIAN} "$R1: autorizzazioni non impostate (errore $0)"
LangString StartNow ${LANG_ENGLISH} "Start ${PRODUCT} now"
LangString StartNow ${LANG_GERMAN} "${PRODUCT} jetzt starten"
LangString StartNow ${LANG_FRENCH} "Démarrer ${PRODUCT} maintenant"
LangString StartNow ${LANG_SPANISH} "Iniciar ${PRODUCT} ahora"
LangString StartNow ${LANG_ITALIAN} "Avvia ${PRODUCT} ora"
LangString StartsAtSignIn ${LANG_ENGLISH} "${PRODUCT} starts at your next sign-in"
LangString StartsAtSignIn ${LANG_GERMAN} "${PRODUCT} startet bei der nächsten Anmeldung"
LangString StartsAtSignIn ${LANG_FRENCH} "${PRODUCT} démarrera à la prochaine connexion"
LangString StartsAtSignIn ${LANG_SPANISH} "${PRODUCT} se iniciará en el próximo inicio de sesión"
LangString StartsAtSignIn ${LANG_ITALIAN} "${PRODUCT} si avvierà al prossimo accesso"
LangString StartFromMenu ${LANG_ENGLISH} "Start ${PRODUCT} from the Start menu"
LangString StartFromMenu ${LANG_GERMAN} "Starten Sie ${PRODUCT} über das Startmenü"
LangString StartFromMenu ${LANG_FRENCH} "Démarrez ${PRODUCT} depuis le menu Démarrer"
LangString StartFromMenu ${LANG_SPANISH} "Inicie ${PRODUCT} desde el menú Inicio"
LangString StartFromMenu ${LANG_ITALIAN} "Avvia ${PRODUCT} dal menu Start"
LangString WelcomeTitle ${LANG_ENGLISH} "${PRODUCT} ${VERSION} Setup"
LangString WelcomeTitle ${LANG_GERMAN} "Installation von ${PRODUCT} ${VERSION}"
LangString WelcomeTitle ${LANG_FRENCH} "Installation de ${PRODUCT} ${VERSION}"
LangString WelcomeTitle ${LANG_SPANISH} "Instalación de ${PRODUCT} ${VERSION}"
LangString WelcomeTitle ${LANG_ITALIAN} "Installazione di ${PRODUCT} ${VERSION}"
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
    DetailPrint "$(StillRunningStatus)"
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$(StillRunning)" /SD IDCANCEL IDRETRY +2
      Goto quit
  ${Loop}
  quit:
  ; The copy keeps running: its close request is withdrawn (and the show
  ; request that came with it), so that it does not end once it catches up.
  ${ForEach} $1 0 2 + 1
    ${If} $1 = 0
      StrCpy $2 "${RUNNING_EVENT}"
    ${ElseIf} $1 = 1
      StrCpy $2 "${SESSION_CLOSE_EVENT}"
    ${Else}
      StrCpy $2 "${SESSION_SHOW_EVENT}"
    ${EndIf}
    System::Call 'kernel32::OpenEventW(i 0x0002, i 0, w r2) p .r0'
    ${If} $0 P<> 0
      System::Call 'kernel32::ResetEvent(p r0)'
      System::Call 'kernel32::CloseHandle(p r0)'
    ${EndIf}
  ${Next}
  SetErrorLevel ${EXIT_STILL_RUNNING}
  Abort
FunctionEnd
!macroend
!insertmacro END_RUNNING_COPY ""
!insertmacro END_RUNNING_COPY "un."

; $0 as the system names the folder: a full path, long names for the part
; that exists, no backslash at the end but for a drive's root ("C:\"). Two
; names of one folder (a short name, "..", a case or a backslash apart) then
; compare equal with ==.
!macro CANONICAL_FOLDER un
Function ${un}CanonicalFolder
  Push $1
  Push $2
  Push $3
  Push $4
  System::Call 'kernel32::GetFullPathNameW(w r0, i ${NSIS_MAX_STRLEN}, w .r1, p 0) i .r2'
  ${If} $2 > 0
  ${AndIf} $2 < ${NSIS_MAX_STRLEN}
    StrCpy $0 $1
  ${EndIf}
  ${Do}
    StrLen $2 $0
    StrCpy $1 $0 1 -1
    ${If} $1 != "\"
    ${OrIf} $2 <= 3
      ${Break}
    ${EndIf}
    IntOp $2 $2 - 1
    StrCpy $0 $0 $2
  ${Loop}
  ; The deepest folder that exists, in long names, then the rest as given.
  StrCpy $1 $0
  StrCpy $3 ""
  ${Do}
    StrLen $2 $1
    ${If} $2 = 2
      StrCpy $1 "$1\"
    ${EndIf}
    System::Call 'kernel32::GetFileAttributesW(w r1) i .r2'
    ${If} $2 <> -1
      System::Call 'kernel32::GetLongPathNameW(w r1, w .r2, i ${NSIS_MAX_STRLEN}) i .r4'
      ${If} $4 > 0
      ${AndIf} $4 < ${NSIS_MAX_STRLEN}
        StrCpy $4 $2 1 -1
        ${If} $4 == "\"
          StrCpy $3 $3 "" 1
        ${EndIf}
        StrCpy $0 "$2$3"
      ${EndIf}
      ${Break}
    ${EndIf}
    ${GetFileName} $1 $2
    ${GetParent} $1 $1
    ${If} $1 == ""
      ${Break}
    ${EndIf}
    StrCpy $3 "\$2$3"
  ${Loop}
  Pop $4
  Pop $3
  Pop $2
  Pop $1
FunctionEnd
!macroend
!insertmacro CANONICAL_FOLDER ""
!insertmacro CANONICAL_FOLDER "un."

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

; Gives the folder on the stack rights of its own, whatever it would inherit
; from the folder above (C:\ lets every user change what is made in it), and
; Administrators as its owner, who could otherwise change those rights again:
; the machine-wide Run value starts the program in it at every user's sign-in.
; $0 is 0 on success, else a Windows error code.
Function ProtectFolder
  Pop $R0
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
      ; OWNER_ | DACL_ | PROTECTED_DACL_SECURITY_INFORMATION
      System::Call 'advapi32::SetNamedSecurityInfoW(w R0, i 1, i 0x80000005, p R2, p 0, p R6, p 0) i .r0'
    ${EndIf}
  ${EndIf}
  System::Call 'kernel32::LocalFree(p R6)'
  System::Call 'kernel32::LocalFree(p R4)'
  System::Call 'kernel32::LocalFree(p R3)'
  System::Call 'kernel32::LocalFree(p R2)'
FunctionEnd

; $1 is 1 when the folder $0 (canonical) is $2 (canonical) or inside it.
Function IsInside
  Push $3
  Push $4
  StrCpy $1 0
  StrLen $3 $2
  StrCpy $4 $0 $3
  ${If} $4 == $2
    StrCpy $4 $0 1 $3
    ${If} $4 == ""
    ${OrIf} $4 == "\"
      StrCpy $1 1
    ${EndIf}
  ${EndIf}
  Pop $4
  Pop $3
FunctionEnd

; Whether the folder $0 (canonical) may take the installation: $1 is 0, or
; the exit code of the refusal, with its message in $R1. Never a drive's
; root, the Windows folder or anything in it, a Program Files folder itself,
; or a folder in the users' profiles (a user may change those); and only a
; folder that is new, empty or this very installation.
Function CheckFolder
  Push $2
  Push $3
  StrCpy $R1 "$0"
  StrCpy $1 ${EXIT_BAD_OPTION}
  StrCpy $2 $0 2 1
  StrLen $3 $0
  ${If} $2 != ":\"
  ${OrIf} $3 <= 3
    Goto refused
  ${EndIf}
  Push $0
  StrCpy $0 $WINDIR
  Call CanonicalFolder
  StrCpy $2 $0
  Pop $0
  Call IsInside
  ${If} $1 = 1
    Goto refused
  ${EndIf}
  ${ForEach} $3 0 2 + 1
    Push $0
    ${If} $3 = 0
      StrCpy $0 $PROGRAMFILES32
    ${ElseIf} $3 = 1
      StrCpy $0 $PROGRAMFILES64
    ${Else}
      ; Every user's profile, the Public one too; $PROFILE's parent without it.
      StrCpy $2 ${NSIS_MAX_STRLEN}
      System::Call 'userenv::GetProfilesDirectoryW(w .r0, *i r2) i .r2'
      ${If} $2 = 0
        ${GetParent} $PROFILE $0
      ${EndIf}
    ${EndIf}
    Call CanonicalFolder
    StrCpy $2 $0
    Pop $0
    ${If} $3 < 2
      ${If} $0 == $2
        Goto refused
      ${EndIf}
    ${Else}
      Call IsInside
      ${If} $1 = 1
        Goto refused
      ${EndIf}
    ${EndIf}
  ${Next}
  StrCpy $1 0
  ${If} $0 == $installedFolder
    Goto done
  ${EndIf}
  ; Not ours: the folder must not exist yet, or be empty.
  System::Call 'kernel32::GetFileAttributesW(w r0) i .r2'
  ${If} $2 <> -1
    StrCpy $1 ${EXIT_FOLDER_IN_USE}
    IntOp $2 $2 & 0x10 ; FILE_ATTRIBUTE_DIRECTORY
    ${If} $2 = 0
      Goto inUse
    ${EndIf}
    FindFirst $2 $3 "$0\*"
    ${DoWhile} $3 != ""
      ${If} $3 != "."
      ${AndIf} $3 != ".."
        FindClose $2
        Goto inUse
      ${EndIf}
      FindNext $2 $3
    ${Loop}
    FindClose $2
    StrCpy $1 0
  ${EndIf}
  Goto done
  refused:
    StrCpy $1 ${EXIT_BAD_OPTION}
    StrCpy $R1 "$(BadFolder)"
    Goto done
  inUse:
    StrCpy $R1 "$(FolderInUse)"
  done:
  Pop $3
  Pop $2
FunctionEnd

; The folder page is skipped for an update, which goes where the
; installation is.
Function DirectoryPre
  ${If} $installedFolder != ""
    Abort
  ${EndIf}
FunctionEnd

Function DirectoryLeave
  StrCpy $0 $INSTDIR
  Call CanonicalFolder
  Call CheckFolder
  ${If} $1 <> 0
    MessageBox MB_ICONEXCLAMATION "$R1"
    Abort
  ${EndIf}
  StrCpy $INSTDIR $0
FunctionEnd

; Starts the installed program with the parameters $R0 as the signed-in user,
; never with the setup's administrator rights, which a program started by it
; would otherwise inherit: with the token of the shell, the signed-in user's
; own. Without a shell (a setup run where nobody is signed in to a desktop)
; it is not started: the Run value starts it at the next sign-in. $R1: not 0
; when it was started.
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

; Notes a folder or file whose rights could not be set ($0, its error).
!macro REPORT_RIGHTS path
  ${If} $0 <> 0
    StrCpy $R1 "${path}"
    DetailPrint "$(RightsNotSet)"
    SetErrorLevel ${EXIT_FAILED}
  ${EndIf}
!macroend

; Ends a run that replaced nothing: the copy that was running before is
; started again, as the signed-in user.
Function QuitUnchanged
  ${If} $wasRunning = 1
    StrCpy $R0 "/hide"
    Call StartAsUser
  ${EndIf}
  SetErrorLevel ${EXIT_STILL_RUNNING}
  Abort
FunctionEnd

; An update replaces every file of the installation or none: each one there
; is checked before any is replaced. A file that another program holds
; open, or that cannot be written, is named, with Retry; Cancel, or a silent
; run, leaves the installation as it was.
Function FilesFreeOrQuit
  ${Do}
    StrCpy $R1 ""
    ${ForEach} $1 0 2 + 1
      ${If} $1 = 0
        StrCpy $2 "$INSTDIR\${EXE}"
      ${ElseIf} $1 = 1
        StrCpy $2 "$INSTDIR\lang.ini"
      ${Else}
        StrCpy $2 "$INSTDIR\uninstall.exe"
      ${EndIf}
      ${If} ${FileExists} $2
        ; GENERIC_WRITE, shared with nobody, OPEN_EXISTING: refused while any
        ; other program has the file open.
        System::Call 'kernel32::CreateFileW(w r2, i 0x40000000, i 0, p 0, i 3, i 0, p 0) i .r3'
        ${If} $3 = -1
          StrCpy $R1 $2
          ${Break}
        ${EndIf}
        System::Call 'kernel32::CloseHandle(i r3)'
      ${EndIf}
    ${Next}
    ${If} $R1 == ""
      Return
    ${EndIf}
    ${GetFileName} $R1 $R2
    DetailPrint "$(FileInUseStatus)"
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$(FileInUse)" /SD IDCANCEL IDRETRY +2
      Goto quit
  ${Loop}
  quit:
  Call QuitUnchanged
FunctionEnd

; Writes one file of the stage. Checked free just before, it is not held;
; should another program have taken it since, the same question.
!macro INSTALL_FILE name
  ${Do}
    ClearErrors
    File "${STAGE}\${name}"
    ${IfNot} ${Errors}
      ${Break}
    ${EndIf}
    StrCpy $R1 "$INSTDIR\${name}"
    ${GetFileName} $R1 $R2
    DetailPrint "$(FileInUseStatus)"
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$(FileInUse)" /SD IDCANCEL IDRETRY +2
      Call QuitUnchanged
  ${Loop}
!macroend

Section "$(NameProgram)" SecProgram
  SectionIn RO
  SetRegView 32
  SetShellVarContext all
  Call EndRunningCopyOrQuit

  ${If} $installedFolder != ""
    Call FilesFreeOrQuit
  ${EndIf}

  ; Every folder made on the way gets the install folder's rights: one users
  ; could change would let them rename the install folder away and put a
  ; program of their own in its place.
  StrCpy $3 0
  StrCpy $1 $INSTDIR
  ${Do}
    System::Call 'kernel32::GetFileAttributesW(w r1) i .r2'
    ${If} $2 <> -1
      ${Break}
    ${EndIf}
    Push $1
    IntOp $3 $3 + 1
    ${GetParent} $1 $1
  ${LoopUntil} $1 == ""
  SetOutPath "$INSTDIR"
  ; From the top down; the install folder itself, made or not, last.
  ${DoWhile} $3 > 0
    Pop $1
    IntOp $3 $3 - 1
    ${If} $1 != $INSTDIR
      Push $3
      Push $1
      Call ProtectFolder
      Pop $3
      !insertmacro REPORT_RIGHTS "$R0"
    ${EndIf}
  ${Loop}
  Push $INSTDIR
  Call ProtectFolder
  !insertmacro REPORT_RIGHTS "$INSTDIR"
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
      !insertmacro REPORT_RIGHTS "$2"
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
  SetDetailsPrint none
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  SetDetailsPrint lastused
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
  StrCpy $refusal 0
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
    ${Else}
      StrCpy $R1 "/LANG=$R1"
      !insertmacro REFUSE_OPTION
    ${EndIf}
  ${Else}
    Call ChooseLanguage
  ${EndIf}

  ; The folder: the installation's, for an update; else the one given or the
  ; default, if it may take the installation.
  StrCpy $installedFolder ""
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 != ""
  ${AndIf} ${FileExists} "$0\*"
    Call CanonicalFolder
    StrCpy $installedFolder $0
    StrCpy $INSTDIR $0
  ${EndIf}
  Call GivenFolder
  ${If} $R9 != ""
    StrCpy $0 $R9
    ; Relative, or a drive's root: refused as it is.
    StrCpy $1 $R9 2 1
    StrLen $2 $R9
    ${If} $1 == ":\"
    ${AndIf} $2 > 3
      Call CanonicalFolder
      ${If} $installedFolder != ""
      ${AndIf} $0 != $installedFolder
        StrCpy $1 ${EXIT_INSTALLED_ELSEWHERE}
        Call RefuseOnceShown
        Return
      ${EndIf}
    ${EndIf}
  ${Else}
    StrCpy $0 $INSTDIR
    Call CanonicalFolder
  ${EndIf}
  ; The installed folder as its entry names it, whatever the case given.
  ${If} $0 == $installedFolder
    StrCpy $0 $installedFolder
  ${EndIf}
  Call CheckFolder
  ${If} $1 <> 0
    Call RefuseOnceShown
    Return
  ${EndIf}
  StrCpy $INSTDIR $0
FunctionEnd

; A folder refused while starting ($1 the exit code, $0 the folder): a silent
; run ends at once; a shown one says why once its window opens, where the
; texts are in the language chosen (here they are still the system's).
Function RefuseOnceShown
  ${If} ${Silent}
    SetErrorLevel $1
    Quit
  ${EndIf}
  StrCpy $refusal $1
  StrCpy $refusedFolder $0
FunctionEnd

Function GuiInit
  ${If} $refusal = 0
    Return
  ${EndIf}
  ${If} $refusal = ${EXIT_INSTALLED_ELSEWHERE}
    StrCpy $R1 $installedFolder
    MessageBox MB_ICONSTOP "$(InstalledElsewhere)"
  ${Else}
    StrCpy $0 $refusedFolder
    Call CheckFolder
    MessageBox MB_ICONSTOP "$R1"
  ${EndIf}
  SetErrorLevel $refusal
  Quit
FunctionEnd

; The folder given with /D= in $R9, as given; "" when none is. The setup
; would quietly put the default in place of a folder it does not take (a
; relative one, a drive's root), so it is read from the command line itself,
; where it comes last.
Function GivenFolder
  StrCpy $R9 ""
  System::Call 'kernel32::GetCommandLineW() w .r0'
  StrLen $1 $0
  StrCpy $2 0
  ${DoWhile} $2 < $1
    StrCpy $3 $0 4 $2
    ${If} $3 S== " /D="
      IntOp $2 $2 + 4
      StrCpy $R9 $0 "" $2
      ${Break}
    ${EndIf}
    IntOp $2 $2 + 1
  ${Loop}
  ${Do}
    StrCpy $1 $R9 1 -1
    ${If} $1 != " "
      ${Break}
    ${EndIf}
    StrCpy $R9 $R9 -1
  ${Loop}
  ${If} $R9 == ""
  ${AndIf} $3 S== " /D="
    StrCpy $R9 " "
  ${EndIf}
FunctionEnd

; The language page, shown unless silent.
Function ChooseLanguage

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
  ${IfNot} ${Silent}
    LangDLL::LangDialog "${MUI_LANGDLL_WINDOWTITLE}" "$langInfo" A ${MUI_LANGDLL_LANGUAGES} ""
    Pop $0
    ${If} $0 == "cancel"
      SetErrorLevel 1 ; cancelled, as on every other page
      Quit
    ${EndIf}
    StrCpy $LANGUAGE $0
  ${EndIf}
FunctionEnd

; ---- uninstaller ----------------------------------------------------------

Var leftBehind
; The folder the uninstaller was pointed at when it is not the installation's.
Var notInstalledHere

Function un.onInit
  SetRegView 32
  SetShellVarContext all
  !insertmacro REQUIRE_ADMIN
  !insertmacro MUI_UNGETLANGUAGE
  ; Nothing is removed but from the folder the uninstall entry names: one
  ; started from elsewhere, or pointed elsewhere with _?=, stops here.
  StrCpy $0 $INSTDIR
  Call un.CanonicalFolder
  StrCpy $R1 $0
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 != ""
    Call un.CanonicalFolder
  ${EndIf}
  ${If} $0 == ""
  ${OrIf} $0 != $R1
    ${If} ${Silent}
      SetErrorLevel ${EXIT_NOT_INSTALLED}
      Quit
    ${EndIf}
    StrCpy $notInstalledHere $R1
  ${EndIf}
FunctionEnd

; Said once the window opens, in the installation's language.
Function un.GuiInit
  ${If} $notInstalledHere != ""
    StrCpy $R1 $notInstalledHere
    MessageBox MB_ICONSTOP "$(NotInstalledHere)"
    SetErrorLevel ${EXIT_NOT_INSTALLED}
    Quit
  ${EndIf}
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
  ; The tray menu's choice of the user who uninstalls; other users' own
  ; choices stay in their profiles, out of reach.
  DeleteRegValue HKCU "Software\${PRODUCT}" "ShowDpiOnScreen"
  DeleteRegKey /ifempty HKCU "Software\${PRODUCT}"
  ; Where a user's save of profiles.ini keeps its copy and its unfinished
  ; save when the install folder takes no new file: the uninstalling user's.
  SetShellVarContext current
  Delete "$LOCALAPPDATA\${PRODUCT}\profiles.ini.bak"
  Delete "$LOCALAPPDATA\${PRODUCT}\profiles.ini.new"
  RMDir "$LOCALAPPDATA\${PRODUCT}"
  SetShellVarContext all
  ${If} $leftBehind = 1
    SetErrorLevel ${EXIT_FAILED}
  ${EndIf}
SectionEnd

; The finish page: without a shell to start the program as the user, "Start
; now" is not offered, and the page's text says how it starts instead.
Function FinishShow
  ; Room for two lines: the longer languages wrap the check box's text, which
  ; the page's one line would cut at the top and the bottom.
  System::Call '*(i 0, i 0, i 0, i 0) p .r1'
  System::Call 'user32::GetWindowRect(p $mui.FinishPage.Run, p r1)'
  System::Call '*$1(i .r2, i .r3, i .r4, i .r5)'
  System::Free $1
  IntOp $4 $4 - $2
  IntOp $5 $5 - $3
  IntOp $5 $5 * 2
  ; SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE
  System::Call 'user32::SetWindowPos(p $mui.FinishPage.Run, p 0, i 0, i 0, i r4, i r5, i 0x16)'
  System::Call 'user32::GetShellWindow() p .r0'
  ${If} $0 P= 0
    ; Unticked and hidden, the box starts nothing at Finish; the page's text
    ; says when the utility starts instead.
    SendMessage $mui.FinishPage.Run ${BM_SETCHECK} ${BST_UNCHECKED} 0
    ShowWindow $mui.FinishPage.Run ${SW_HIDE}
    ${If} ${SectionIsSelected} ${SecAutostart}
      SendMessage $mui.FinishPage.Text ${WM_SETTEXT} 0 "STR:$(FinishText)$\r$\n$\r$\n$(StartsAtSignIn)."
    ${Else}
      SendMessage $mui.FinishPage.Text ${WM_SETTEXT} 0 "STR:$(FinishText)$\r$\n$\r$\n$(StartFromMenu)."
    ${EndIf}
  ${EndIf}
FunctionEnd
