// The utility's main window: a borderless dialog exactly the size of its skin.
// Its members are defined in:
//   app/MainDialog_win.cpp                 initialisation, timers, messages,
//                                          raw input, the close and exit
//   mainwnd/MainDialogAssignments_win.cpp  the assignment rows and the resets
//   mainwnd/MainDialogDpi_win.cpp          every DPI rule: slider, DPI boxes,
//                                          the mouse's DPI state, DPI resets
//   mainwnd/MainDialogProfiles_win.cpp     program profiles: the profile box,
//                                          profiles.ini, the rows in force
#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "app/MouseAccess.h"
#include "controls/KeyNames.h"
#include "controls/Skin.h"
#include "controls/SkinButton.h"
#include "controls/SkinComboBox.h"
#include "controls/SkinSlider.h"
#include "controls/ZoomWindow.h"
#include "device/DpiCommands.h"
#include "device/ProfilesFile.h"
#include "device/ProgramProfiles.h"
#include "framework/CDialog.h"
#include "framework/LoopTaken.h"
#include "mainwnd/DpiNotice.h"
#include "mainwnd/FolderWatch.h"
#include "mainwnd/ForegroundWatch.h"
#include "mainwnd/InputEngine.h"
#include "mainwnd/InputEngine_win.h"
#include "mainwnd/KeyboardAccess.h"
#include "mainwnd/MainWindowLayout.h"
#include "mainwnd/MainWindowPainter.h"
#include "mainwnd/MouseSet.h"
#include "mainwnd/PaintedWindow.h"
#include "mainwnd/RawInputMice_win.h"
#include "mainwnd/TrayIcon.h"


// The window's timers.
constexpr UINT_PTR kRescanTimer = 103;  // look for the mouse again
constexpr UINT kFirstRescanDelayMs = 1000;
// A burst of device changes yields one re-scan this long after the last one.
constexpr UINT kRescanAfterChangeMs = 5000;
constexpr UINT_PTR kShowNormalTimer = 104;  // show the window normally once it is visible
constexpr UINT kShowNormalPeriodMs = 2;
constexpr UINT_PTR kPostScanTimer = 122;  // PostScan once the mouse has settled after a scan
constexpr UINT kPostScanDelayMs = 700;
constexpr UINT_PTR kCommitDpiTimer = 124;  // CommitDpi at the end of a run of DPI steps
// Ends the wait for the mouse's answer to the program's own DPI reset.
constexpr UINT_PTR kDpiAnswersTimer = 125;
constexpr UINT kDpiAnswersWaitMs = 1000;
// Keys that reach the window this long after a remapped button let go of
// the keys it typed may still be the mouse's.
constexpr ULONGLONG kMouseKeysEchoMs = 1000;
// While a program's own rows are in force: is its window still in front?
// The program may quit with no event to say so (under Wine no window takes
// the front after it, and no window's end is told).
constexpr UINT_PTR kProgramGoneTimer = 126;
constexpr UINT kProgramGonePeriodMs = 1000;
// While the last save of setting.dat or profiles.ini failed (the file locked
// by another program, or read-only): try again this often, until it works.
constexpr UINT_PTR kSaveRetryTimer = 127;
constexpr UINT kSaveRetryPeriodMs = 3000;
constexpr UINT_PTR kHideAtStartTimer = 202;  // under "/hide": hide it once it was shown
constexpr UINT kHideAtStartPeriodMs = 100;

// Posted by the device re-scan worker: start the post-scan timer. Window
// timers belong to the window's thread, so the worker cannot start it itself.
constexpr UINT WM_APP_START_POSTSCAN = WM_APP + 122;
// Posted to itself when the window is first shown: the tray icon, which the
// window does not show, is added once the window is on the screen. The modal
// loop shows the window only when its queue first runs dry, so a message
// posted from the initialisation would still come before it.
constexpr UINT WM_APP_FINISH_START = WM_APP + 123;
// Posted by requestExit: the window closes itself for good.
constexpr UINT WM_APP_CLOSE_REQUEST = 12202;
// The combo boxes (WM_APP_COMBO_FOCUS), the slider
// (WM_APP_SLIDER_MOVED) and the magnifier (WM_APP_ZOOM_HIDDEN) post messages
// of their own to the window, which gives them no effect.
// Posted by the re-scan when it found another set of mice than the scan before
// (wParam 1 when a mouse of the scan before is missing).
constexpr UINT WM_APP_MICE_CHANGED = WM_APP + 0x2FB;
// Posted by the show watch thread: a later copy asked for the window. The
// window's own thread restores it, so the watch thread never waits for it.
constexpr UINT WM_APP_SHOW_REQUEST = WM_APP + 0x2FC;
// Posted to itself when a row's "Shortcuts", reached with the arrow keys, is
// confirmed: the "Key" dialog opens once the combo box is done (wParam: its id).
constexpr UINT WM_APP_CONFIRM_SHORTCUT = WM_APP + 0x31A;

// Posted by the watch of the program's folder: something in it changed, maybe
// profiles.ini.
constexpr UINT WM_APP_FOLDER_CHANGED = WM_APP + 0x301;

// Posted to itself when "Add a program..." is chosen in the profile box: the
// menu of open windows opens once the box is done with the choice.
constexpr UINT WM_APP_ADD_PROFILE = WM_APP + 0x300;
// Posted to itself when "Remove this profile" is chosen: the question opens
// once the box is done with the choice.
constexpr UINT WM_APP_REMOVE_PROFILE = WM_APP + 0x302;

// Called by the re-scan worker with what the scans before and after it found:
// another set of mice makes the window's thread forget what the mice that are
// gone held. The engine is the window thread's alone.
void noteMouseSet(HWND mainWindow, const MouseSet& before, const MouseSet& after);

class MainDialog : public CDialog, public PaintedWindow {
  // Loaded by the initialisation before any control is skinned. The controls
  // draw with it, so it is declared before them and goes after them.
  Skin m_skin;

public:
  explicit MainDialog(CWnd* parent);
  ~MainDialog() override;

  // Device commands, on the window's thread.
  // ReportMask from the model, when the last scan found the input collection.
  void pushReportMask();
  // Reads setting.dat; a valid file reaches the model, the combo boxes and
  // the mouse, anything else leaves the defaults in place.
  void loadSettings();
  // The DPI commands with their gate; the commit timer is this window's.
  bool setDpiStep(int32_t level, int32_t step, uint8_t byte4, uint8_t byte5, uint8_t byte6, uint8_t byte7);
  bool selectDpiLevel(int32_t level);
  void commitDpi();

  // Sets exitRequested and asks the window to close for good. Any thread.
  void requestExit();

  // A raw-input packet: the mouse reports a remapped button or its DPI state.
  void onRawInput(HRAWINPUT handle);
  // The mouse's DPI state arrived: the slider shows its step.
  void showDpiState(int step);

  // Saves the model (the file's saveSettings) and keeps the outcome: while the
  // last save failed, the bottom bar says the settings are not saved. Every
  // save of the window goes through here.
  bool saveSettings();
  bool settingsUnsaved() const override { return m_settingsUnsaved || m_profilesUnsaved; }
  std::string profileNotice() const override;

  // What the painter draws with and over the skin.
  HWND paintedHandle() const override { return m_hWnd; }
  HICON paintedIcon() const override { return m_windowIcon; }
  const Skin& skin() const override { return m_skin; }
  HBITMAP buttonsHeading() const override;
  HBITMAP dpiHeading() const override;
  POINT dpiNumberOrigin() const override;  // mainwnd/MainDialogDpi_win.cpp
  int dpiSliderPos() const override { return m_dpiSlider.GetPos(); }
  const char* rowLabel(int row) const override;
  SkinnedControls skinnedControls() override {
    return {{&m_closeButton, &m_minimizeButton, &m_defaultButton},
            {&m_comboRight, &m_comboWheel, &m_combo4th, &m_combo5th},
            &m_dpiSlider,
            &m_comboProfile,
            m_keyboard.levelsWindow()};
  }
  RECT focusRing() const override { return m_keyboard.focusRing(); }

  // The assignment rows (mainwnd/MainDialogAssignments_win.cpp).
  // Gives button `buttonIndex` the function chosen in `combo`, saves the
  // settings and tells the mouse which buttons to report.
  void applyAssignment(int buttonIndex, SkinComboBox& combo);
  // Selects in each combo box the item of its button's function, without a
  // selection notification, and gives each its button's shortcut.
  void showLoadedAssignments();
  // What an assignment combo box's field shows for item `item`: the item's
  // text, or for the "Shortcuts" item the name of the row's shortcut.
  static CString assignmentFieldText(const SkinComboBox& combo, int item);

  // Program profiles (mainwnd/MainDialogProfiles_win.cpp).
  // Reads profiles.ini, fills the profile box and starts following the
  // window in front.
  void loadProfiles();
  // Puts in force the rows of the program in front. When they belong to
  // another profile than before, held input is let go first and the report
  // mask follows; nothing else is sent.
  void applyRowsInForce();
  // Shows and edits the rows of `program` ("" for every other program).
  void editProfile(const std::string& program);
  // Adds a profile for `program` (a file name) and edits it.
  void addProfile(const std::string& program);
  void removeEditedProfile();
  // Writes profiles.ini after a change by the user; false when it was not.
  // What the file held besides (edits by hand) comes into the window too.
  bool saveProfiles();
  // profiles.ini may have changed on disk: what it holds now is put in force
  // and shown, with the window's unsaved changes over it.
  void reloadProfiles();
  // The retry timer runs while a save is pending, and only then.
  void updateSaveRetry();
  // At the exit: a save still pending is tried once more.
  void savePendingAtExit();

  SkinButton m_minimizeButton;
  SkinSlider m_dpiSlider;
  SkinButton m_defaultButton;
  SkinButton m_okButton;  // hidden; bound but never skinned or shown
  SkinButton m_closeButton;
  SkinComboBox m_comboRight;
  SkinComboBox m_comboWheel;
  SkinComboBox m_combo5th;
  SkinComboBox m_combo4th;
  SkinComboBox m_comboProfile;
  HICON m_windowIcon = nullptr;

protected:
  void DoDataExchange(CDataExchange* dx) override;
  LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  BOOL PreTranslateMessage(MSG* msg) override;
  BOOL OnInitDialog() override;
  void OnOK() override;
  void OnCancel() override;

  DECLARE_MESSAGE_MAP()
  LRESULT OnSysCommand(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnPaint(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnQueryDragIcon(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnCtlColor(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnTimer(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnStartPostScan(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnFinishStart(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnClose(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnEndSession(UINT, WPARAM ending, LPARAM, BOOL&);
  LRESULT OnPowerBroadcast(UINT, WPARAM event, LPARAM setting, BOOL&);
  LRESULT OnSessionChange(UINT, WPARAM event, LPARAM, BOOL&);
  LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnShowWindow(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnTrayCallback(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnHideCommand(WORD, WORD, HWND, BOOL&);
  LRESULT OnMinimizeCommand(WORD, WORD, HWND, BOOL&);
  LRESULT OnPropertyCommand(WORD, WORD, HWND, BOOL&);
  LRESULT OnExitCommand(WORD, WORD, HWND, BOOL&);
  LRESULT OnShowDpiOnScreenCommand(WORD, WORD, HWND, BOOL&);
  LRESULT OnMiceChanged(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnRawInputMessage(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnInputDeviceChange(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnShowRequest(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnCloseRequest(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnDrawItem(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnAssignmentChange(WORD code, WORD id, HWND control, BOOL& handled);
  LRESULT OnAssignmentListClosed(WORD code, WORD id, HWND control, BOOL& handled);
  LRESULT OnAssignmentLeft(WORD code, WORD id, HWND control, BOOL& handled);
  LRESULT OnConfirmShortcut(UINT, WPARAM id, LPARAM, BOOL&);
  LRESULT OnDefaultCommand(WORD, WORD, HWND, BOOL&);
  LRESULT OnProfileChange(WORD, WORD, HWND, BOOL&);
  LRESULT OnProfileListCancelled(WORD, WORD, HWND, BOOL&);
  LRESULT OnProfileLeft(WORD, WORD, HWND, BOOL&);
  LRESULT OnActivateApp(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnAddProfile(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnFolderChanged(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnRemoveProfile(UINT, WPARAM, LPARAM, BOOL&);

  // Selects the row's item of `function`, or its own button's when the row
  // does not offer it; no selection notification.
  static void selectFunction(SkinComboBox& combo, int32_t function);
  // Every row back to its own button, each saved and sent to the mouse; the
  // left button, which has no row but which a settings file may remap, too.
  void restoreNativeAssignments();
  // The "Default" button: native rows, default DPI steps written to the
  // mouse level by level, level 2 current; the whole reset is saved.
  void resetToDefaults();
  // The DPI half of the resets (mainwnd/MainDialogDpi_win.cpp): the default
  // steps into the model and to the mouse, then finishDpiReset. "Default"
  // selects and commits each level in turn; Enter writes the steps alone.
  void resetDpiLevelByLevel();
  void resetDpiSteps();

  // The slider rule: a slider change becomes the current level's step.
  void applySliderRule();
  // The DPI level boxes and the window drag; true when the message was
  // taken for a drag.
  bool applyDpiBoxRules(const MSG* msg);
  // A click on DPI box `level` (or its key): that level becomes current.
  void chooseDpiLevel(int level);
  LRESULT OnSetCursor(UINT, WPARAM, LPARAM, BOOL&);

  TrayIcon m_trayIcon;
  int m_hoverDpiBox = -1;

private:
  bool m_settingsUnsaved = false;  // the last save failed
  class DialogTimers : public WindowTimers {
  public:
    explicit DialogTimers(CWnd& window) : m_window(window) {}
    void start(unsigned id, unsigned milliseconds) override { m_window.SetTimer(id, milliseconds); }
    void kill(unsigned id) override { m_window.KillTimer(id); }

  private:
    CWnd& m_window;
  };

  // The steps of OnInitDialog, in their order.
  void addSystemMenuAndIcon();
  void findProgramFolderAndMice();
  void startReadingInput();
  void loadSkinAndSize();
  void forgetAssignmentsUntilLoaded();
  void setUpTrayMenuAndTimers();
  void setUpControls();
  void registerRawInput();
  // The DPI reset's end, for "Default" and Enter alike: the mouse is made to
  // answer with the default level's new state, and its reports until that
  // answer are dropped (for a short while only, in case it stays silent);
  // the window shows the defaults and the whole reset is saved.
  void finishDpiReset();
  // Whether keys that reach the window now may be the mouse's: a remapped
  // button holds keys, or let go of them a moment ago (the key-down the
  // mouse typed can come after the release was sent).
  bool mouseMayBeTyping() const;
  // The mouse lets go of whatever the engine holds on it.
  void releaseHeldInput();
  // The moment the engine was last seen holding keys.
  void noteHeldKeys();
  // What the exit and the end of the session do for the mouse: held input let
  // go, every button back to its own function (not saved).
  void handButtonsBack();
  void startRescanWorker();
  // Looks for the mice again now, not after the wait for the end of a burst
  // of device changes: the re-scan gives every mouse found the report mask
  // and the DPI steps. A mouse's arrival and the events that give the mouse
  // back to this copy (resume, unlock, the console's return) call it.
  void rescanNow();
  // Power and session events (app/MouseAccess.h): the window hears of them
  // from the start to its end, and carries out what each asks.
  void watchPowerAndSessions();
  void stopWatchingPowerAndSessions();
  void onSessionEvent(SessionEvent event);
  // What sleep, a lock or another session's turn at the console ask: every
  // mouse lets go of what it holds and handles every button itself, as at
  // the exit (the settings in force stay as they are); then nothing more is
  // sent to it.
  void letGoOfMouse();
  // The raw input of the mouse is taken only by the console's copy.
  void unregisterRawInput();
  void fillAssignmentCombos();
  // What the row of button `buttonIndex` holds in the profile being edited.
  ButtonAssignment editedAssignment(int buttonIndex) const;
  // A row of the profile being edited changed: saved, and in force at once
  // when its program is in front.
  void setEditedProfileRow(int buttonIndex, const ButtonAssignment& assigned);
  // The profile box lists every other program, the profiles, and the
  // commands to add one and to remove the one being edited.
  void fillProfileBox();
  // "Add a program..." or "Remove this profile" (by item data) taken: the
  // menu of open windows, or the question whether to remove, opens once the
  // box is done with the choice.
  void takeProfileCommand(DWORD_PTR item);
  // Enter on the profile box: a command reached with the keys is taken.
  void confirmProfileCommand();
  // Asks whether to remove the edited profile; Yes removes it.
  bool askToRemoveEditedProfile();
  // A program's name as the window shows it.
  static std::wstring shownProgramName(const std::string& program);
  // The menu of the programs with a window open now and the Open dialog;
  // "" when none was chosen.
  std::string chooseProgram();
  std::string programFromOpenDialog();

  MainWindowPainter m_painter;
  // A level chosen with the mouse's own DPI button, shown on screen.
  DpiNotice m_dpiNotice{m_skin};
  DialogTimers m_deviceTimers{*this};
  DpiCommands m_dpiCommands;
  MainWindowInput m_inputOutput;
  InputEngine m_inputEngine;
  // Which raw-input devices are mice, and which mouse each is.
  RawInputMice m_rawInputMice;
  // WM_INPUT, which the modal loop hands the engine, and the exit request,
  // which it turns into WM_CLOSE: each is acted on once, by the loop or, when
  // another loop dispatched it, by the window procedure.
  LoopTaken m_rawInputTaken;
  LoopTaken m_closeRequestTaken;
  // Keys, focus outlines and what a screen reader is told.
  KeyboardAccess m_keyboard;
  // A row on which "Shortcuts" was reached with the arrow keys: it keeps its
  // function until the choice is confirmed (Enter, or the list closed on it).
  SkinComboBox* m_pendingShortcut = nullptr;
  // Asks for the pending row's shortcut; false when there is none.
  bool confirmPendingShortcut();
  // The "Key" dialog while it asks for a shortcut; the exit closes it.
  CDialog* m_keyDialog = nullptr;
  // The magnifier, created hidden with the window; no command shows it.
  std::unique_ptr<ZoomWindow> m_zoomWindow;
  // Whether the window has been shown: WM_APP_FINISH_START is posted the
  // first time, and the "/hide" timer ends only after it.
  bool m_wasShown = false;
  // When the engine last held keys (GetTickCount64); none at first.
  ULONGLONG m_keysHeldAt = 0;
  bool m_keysWereHeld = false;
  // Program profiles, the window thread's alone. The rows of the program in
  // front are put into mouseConfig for the engine and the mouse.
  ProgramProfiles m_profiles;
  ProfilesFile m_profilesFile{KeyNaming{&keyNameForScanCode, &scanCodeForKeyName}};
  ForegroundWatch m_foregroundWatch;
  std::string m_editedProfile;  // "" for setting.dat's rows
  std::string m_profileInForce;  // "" for setting.dat's rows
  bool m_profilesUnsaved = false;  // the last save of profiles.ini failed
  bool m_saveRetrying = false;     // kSaveRetryTimer runs
  FolderWatch m_folderWatch;       // hand edits of profiles.ini
  // Whether this copy may talk to the mouse: its session is the console's,
  // not locked, and the machine awake. Set up in OnInitDialog.
  MouseAccess m_mouseAccess{true};
  bool m_rawInputRegistered = false;
  HPOWERNOTIFY m_displayNotice = nullptr;  // the console display's state
  bool m_sessionNotices = false;           // WTSRegisterSessionNotification took
  // The closed profile box was moved with the keys onto "Add a program..." or
  // "Remove this profile": it acts only on Enter, and shows the edited
  // profile again when left.
  bool m_profileCommandPending = false;
  // "Local\OxarWaitEvent": exists while the window runs; nothing waits on it.
  HANDLE m_localWaitEvent = nullptr;
};
