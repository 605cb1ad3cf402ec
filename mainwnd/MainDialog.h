// The utility's main window: a borderless dialog exactly the size of its skin.
// It holds the message map, the order of the start and the routing; each part
// of the window is an owner of its own, with a narrow interface back to it:
//   AssignmentRows  the four rows and the "Key" dialog
//   DpiPanel        the slider, the DPI level boxes and the DPI resets
//   ProfileBox      program profiles, profiles.ini and the rows in force
//   MouseTurn       whether this copy may talk to the mouse (sleep, lock,
//                   sessions), and the mouse's raw input
//   MouseInput      the engine acting on the mice's reports
//   MouseSearch     looking for the mice, and what follows a search
//   PendingSaves    the saves that failed, tried again
//   TraySide        the notification-area icon and menu, the DPI notice
//   WindowButtons   minimise, close and "Default"
//   FirstShow       the window's first showing, "/hide" too
//   KeyboardAccess, MainWindowPainter
#pragma once
#include <functional>
#include <memory>
#include <string>

#include "controls/Skin.h"
#include "controls/ZoomWindow.h"
#include "framework/CDialog.h"
#include "framework/LoopTaken.h"
#include "mainwnd/AssignmentRows.h"
#include "mainwnd/DpiPanel.h"
#include "mainwnd/FirstShow.h"
#include "mainwnd/KeyboardAccess.h"
#include "mainwnd/MainWindowPainter.h"
#include "mainwnd/MouseInput.h"
#include "mainwnd/MouseSearch.h"
#include "mainwnd/MouseTurn.h"
#include "mainwnd/PaintedWindow.h"
#include "mainwnd/PendingSaves.h"
#include "mainwnd/ProfileBox.h"
#include "mainwnd/TraySide.h"
#include "mainwnd/WindowButtons.h"

// Posted by requestExit: the window closes itself for good.
constexpr UINT WM_APP_CLOSE_REQUEST = 12202;
// Posted by the show watch thread: a later copy asked for the window. The
// window's own thread restores it, so the watch thread never waits for it.
constexpr UINT WM_APP_SHOW_REQUEST = WM_APP + 0x2FC;
// The combo boxes (WM_APP_COMBO_FOCUS), the slider (WM_APP_SLIDER_MOVED) and
// the magnifier (WM_APP_ZOOM_HIDDEN) post messages of their own to the
// window, which gives them no effect.

class MainDialog : public CDialog,
                   public PaintedWindow,
                   private AssignmentRows::Window,
                   private DpiPanel::Window,
                   private ProfileBox::Window,
                   private MouseTurn::Window,
                   private MouseSearch::Window {
  // Loaded by the initialisation before any control is skinned. The controls
  // draw with it, so it is declared before them and goes after them.
  Skin m_skin;

public:
  explicit MainDialog(CWnd* parent);

  // Sets exitRequested and asks the window to close for good. Any thread.
  void requestExit();
  // What the process starts once the window exists and its controls are
  // set up (the watch for later copies); called from the initialisation.
  void whenStarted(std::function<void(MainDialog&)> started) { m_started = std::move(started); }

  AssignmentRows& rows() { return m_rows; }
  const AssignmentRows& rows() const { return m_rows; }
  DpiPanel& dpiPanel() { return m_dpi; }
  const DpiPanel& dpiPanel() const { return m_dpi; }

  // What the painter draws with and over the skin.
  HWND paintedHandle() const override { return m_hWnd; }
  HICON paintedIcon() const override { return m_skin.windowIcon; }
  const Skin& skin() const override { return m_skin; }
  HBITMAP buttonsHeading() const override;
  HBITMAP dpiHeading() const override;
  POINT dpiNumberOrigin() const override { return m_dpi.numberOrigin(); }
  int dpiSliderPos() const override { return m_dpi.slider().GetPos(); }
  const char* rowLabel(int row) const override;
  bool settingsUnsaved() const override { return m_saves.any(); }
  std::string profileNotice() const override { return m_profileBox.notice(); }
  SkinnedControls skinnedControls() override;
  RECT focusRing() const override { return m_keyboard.focusRing(); }

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
  LRESULT OnSetCursor(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnRowNotification(WORD code, WORD id, HWND control, BOOL& handled);
  LRESULT OnConfirmShortcut(UINT, WPARAM id, LPARAM, BOOL&);
  LRESULT OnDefaultCommand(WORD, WORD, HWND, BOOL&);
  LRESULT OnProfileNotification(WORD code, WORD, HWND, BOOL&);
  LRESULT OnProfileMessage(UINT message, WPARAM, LPARAM, BOOL&);
  LRESULT OnActivateApp(UINT, WPARAM, LPARAM, BOOL&);

private:
  // What the owners ask of the window.
  HWND rowsParent() const override { return m_hWnd; }
  ButtonAssignment editedAssignment(int buttonIndex) const override;
  void assign(int buttonIndex, const ButtonAssignment& assigned) override;
  void releaseHeldInput() override { m_input.releaseHeldInput(); }
  KeyboardAccess& keyboard() override { return m_keyboard; }
  void saveSettings() override { m_saves.saveSettings(); }
  void awaitDpiAnswer(int32_t level, int32_t step) override;
  void pushReportMask() override;
  void showEditedRows() override;
  void showProfileInForce(const wchar_t* program) override { m_tray.showProfileInForce(program); }
  void profilesSaved(bool saved) override { m_saves.profilesSaved(saved); }
  void mouseGivenBack() override { m_search.now(); }
  RescanWindows rescanWindows() override;

  // The steps of OnInitDialog, in their order; each says what it needs
  // done before it.
  void findFolderAndMiceAndFreeThem();
  void loadTextsKeysAndStartReadingInput();
  void loadSkinIconsAndSize();
  void forgetAssignmentsUntilLoaded();
  void setUpTrayMenuAndTimers();
  void setUpControlsAndLoadBothFiles();
  // Reads setting.dat; a valid file reaches the model, the rows and the
  // mouse, anything else leaves the defaults in place.
  void loadSettings();

  // The "Default" button: native rows, default DPI steps written to the
  // mouse level by level, level 2 current; the whole reset is saved.
  void resetToDefaults();
  // Every row back to its own button, each saved and sent to the mouse; the
  // left button, which has no row but which a settings file may remap, too.
  void restoreNativeAssignments();
  // A raw-input packet, when this copy may talk to the mouse.
  void onRawInput(HRAWINPUT handle);
  // What the exit and the end of the session do for the mouse: held input let
  // go, every button back to its own function (not saved).
  void handButtonsBack();

  WindowButtons m_buttons;
  AssignmentRows m_rows{*this};
  DpiPanel m_dpi{*this, *this};
  ProfileBox m_profileBox{*this, *this};
  PendingSaves m_saves{*this, m_profileBox};
  MouseTurn m_mouseTurn{*this, *this};
  MouseInput m_input;
  MouseSearch m_search{*this, *this, m_input, m_dpi};
  TraySide m_tray{*this, m_skin};
  MainWindowPainter m_painter;
  FirstShow m_firstShow{*this, m_skin.size};
  // Keys, focus outlines and what a screen reader is told.
  KeyboardAccess m_keyboard;
  // The magnifier, created hidden with the window; no command shows it.
  std::unique_ptr<ZoomWindow> m_zoomWindow;
  // WM_INPUT, which the modal loop hands the engine, and the exit request,
  // which it turns into WM_CLOSE: each is acted on once, by the loop or, when
  // another loop dispatched it, by the window procedure.
  LoopTaken m_rawInputTaken;
  LoopTaken m_closeRequestTaken;
  std::function<void(MainDialog&)> m_started;
};

// Set by the start-up from the command line: "/hide" shows the window only
// for a moment.
extern bool hideAtStart;
// The running main window, set by the start-up for its modal run and cleared
// when that has ended. Nothing in the program reads it: the watch thread is
// handed the dialog when it starts and the re-scan worker holds window
// handles; it names the running window for a debugger.
extern MainDialog* mainDialog;
