#include "mainwnd/MainDialog.h"

#include <dbt.h>

#include <memory>

#include "controls/KeyTable.h"
#include "controls/MouseTracking.h"
#include "device/DeviceRescan.h"
#include "device/HidLink.h"
#include "device/MouseModel.h"
#include "device/ProgramDirectory.h"
#include "device/SettingsFile.h"
#include "framework/WideText.h"
#include "mainwnd/AboutDialog.h"
#include "mainwnd/MainWindowLayout.h"
#include "texts/UiTexts.h"
#include "resource.h"

namespace {
static_assert(Skin::kHeadingLanguages == Language::Count, "one pair of headings per language");
// Room for the executable's path, a long one included.
constexpr DWORD kModulePathChars = 1024;
}  // namespace

MainDialog::MainDialog(CWnd* parent)
    : CDialog(IDD_MAIN, parent),
      m_input([this](int step) { m_dpi.showState(step); },
              [this](int level, int step) { m_tray.showDpiChoice(level, step); }) {}

BEGIN_MESSAGE_MAP(MainDialog, CDialog)
  ON_MESSAGE(WM_SYSCOMMAND, OnSysCommand)
  ON_MESSAGE(WM_PAINT, OnPaint)
  ON_MESSAGE(WM_QUERYDRAGICON, OnQueryDragIcon)
  ON_MESSAGE(WM_CTLCOLORBTN, OnCtlColor)
  ON_MESSAGE(WM_CTLCOLORSTATIC, OnCtlColor)
  ON_MESSAGE(WM_CTLCOLOREDIT, OnCtlColor)
  ON_MESSAGE(WM_CTLCOLORLISTBOX, OnCtlColor)
  ON_MESSAGE(WM_CTLCOLORDLG, OnCtlColor)
  ON_MESSAGE(WM_TIMER, OnTimer)
  ON_MESSAGE(WM_APP_START_POSTSCAN, OnStartPostScan)
  ON_MESSAGE(WM_APP_FINISH_START, OnFinishStart)
  ON_MESSAGE(WM_CLOSE, OnClose)
  ON_MESSAGE(WM_ENDSESSION, OnEndSession)
  ON_MESSAGE(WM_POWERBROADCAST, OnPowerBroadcast)
  ON_MESSAGE(WM_WTSSESSION_CHANGE, OnSessionChange)
  ON_MESSAGE(WM_DESTROY, OnDestroy)
  ON_MESSAGE(WM_SHOWWINDOW, OnShowWindow)
  ON_MESSAGE(WM_APP_TRAY_CALLBACK, OnTrayCallback)
  ON_COMMAND(IDC_CLOSE_BUTTON, OnHideCommand)
  ON_COMMAND(IDC_MINIMIZE_BUTTON, OnMinimizeCommand)
  ON_COMMAND(ID_TRAY_PROPERTY, OnPropertyCommand)
  ON_COMMAND(ID_TRAY_EXIT, OnExitCommand)
  ON_COMMAND(kShowDpiOnScreenCommand, OnShowDpiOnScreenCommand)
  ON_MESSAGE(WM_APP_MICE_CHANGED, OnMiceChanged)
  ON_MESSAGE(WM_INPUT, OnRawInputMessage)
  ON_MESSAGE(WM_INPUT_DEVICE_CHANGE, OnInputDeviceChange)
  ON_MESSAGE(WM_APP_SHOW_REQUEST, OnShowRequest)
  ON_MESSAGE(WM_APP_CLOSE_REQUEST, OnCloseRequest)
  ON_MESSAGE(WM_DRAWITEM, OnDrawItem)
  ON_MESSAGE(WM_SETCURSOR, OnSetCursor)
  ON_CONTROL_RANGE(CBN_SELCHANGE, IDC_COMBO_4TH, IDC_COMBO_RIGHT, OnRowNotification)
  ON_CONTROL_RANGE(CBN_SELENDOK, IDC_COMBO_4TH, IDC_COMBO_RIGHT, OnRowNotification)
  ON_CONTROL_RANGE(CBN_SELENDCANCEL, IDC_COMBO_4TH, IDC_COMBO_RIGHT, OnRowNotification)
  ON_CONTROL_RANGE(CBN_KILLFOCUS, IDC_COMBO_4TH, IDC_COMBO_RIGHT, OnRowNotification)
  ON_MESSAGE(WM_APP_CONFIRM_SHORTCUT, OnConfirmShortcut)
  ON_COMMAND(IDC_DEFAULT, OnDefaultCommand)
  ON_CONTROL(CBN_SELCHANGE, IDC_COMBO_PROFILE, OnProfileNotification)
  ON_CONTROL(CBN_SELENDOK, IDC_COMBO_PROFILE, OnProfileNotification)
  ON_CONTROL(CBN_SELENDCANCEL, IDC_COMBO_PROFILE, OnProfileNotification)
  ON_CONTROL(CBN_KILLFOCUS, IDC_COMBO_PROFILE, OnProfileNotification)
  ON_MESSAGE(WM_ACTIVATEAPP, OnActivateApp)
  ON_MESSAGE(WM_APP_ADD_PROFILE, OnProfileMessage)
  ON_MESSAGE(WM_APP_FOLDER_CHANGED, OnProfileMessage)
  ON_MESSAGE(WM_APP_REMOVE_PROFILE, OnProfileMessage)
END_MESSAGE_MAP()

void MainDialog::DoDataExchange(CDataExchange* dx) {
  m_buttons.bind(dx);
  m_dpi.bind(dx);
  m_rows.bind(dx);
  m_profileBox.bind(dx);
}

// The window's start, step by step, in this order; each step says what it
// needs done before it.
BOOL MainDialog::OnInitDialog() {
  CDialog::OnInitDialog();
  AboutDialog::addToSystemMenu(m_hWnd);  // needs nothing before it
  findFolderAndMiceAndFreeThem();
  loadTextsKeysAndStartReadingInput();
  loadSkinIconsAndSize();
  forgetAssignmentsUntilLoaded();
  // From here on the timers and the threads may reach the window.
  hidLink.setNotifyWindow(m_hWnd);
  setUpTrayMenuAndTimers();
  m_mouseTurn.watch();
  setUpControlsAndLoadBothFiles();
  if (m_started) m_started(*this);
  // The magnifier exists, hidden, for as long as the window. It is made
  // before the window is shown: made after, under Wine, the keys typed into
  // the window once it was activated again did not reach it.
  m_zoomWindow = std::make_unique<ZoomWindow>(this);
  m_zoomWindow->Create(IDD_ZOOM, nullptr);
  if (hideAtStart) m_firstShow.hideOnceShown();
  // The profile box comes first in the tab order, but the window starts, as
  // it always has, with the focus on the first row.
  ::SetFocus(m_rows.box(RowIndex::Right).m_hWnd);
  return FALSE;
}

// Needs nothing before it; every file read later needs the folder, and the
// input needs every mouse free of what an earlier copy left held.
void MainDialog::findFolderAndMiceAndFreeThem() {
  // Wide, and kept in UTF-8: the folder's name need not be in the ANSI code
  // page.
  wchar_t modulePath[kModulePathChars] = {};
  ::GetModuleFileNameW(nullptr, modulePath, kModulePathChars - 1);
  programDirectory = programDirectoryFromModulePath(utf8FromWide(modulePath));

  m_mouseTurn.decide();
  hidLink.scan();
  // A copy that ended without handing back (killed, crashed, the power gone)
  // may have left a mouse holding keys or buttons: every mouse lets go before
  // it is told which buttons to report.
  m_input.releaseEveryMouse();
}

// Needs the folder (lang.ini) and the scan (the slider follows it).
void MainDialog::loadTextsKeysAndStartReadingInput() {
  // Every text that the controls and menus get from here on is the loaded one.
  loadUiTexts(uiTexts, programDirectory);
  m_skin.loadHeadings(kHeadingBitmapIds);
  // The combo boxes stay enabled until the first re-scan settles them.
  m_dpi.slider().EnableWindow(hidLink.presentCount() != 0);
  m_mouseTurn.startReadingInput();
  // Before the first raw input: the input engine reads the table unloaded.
  loadKeyTable();
}

// Needs nothing of the steps before; the controls' skins need it.
void MainDialog::loadSkinIconsAndSize() {
  m_skin.load();
  m_dpi.placeAndSkin(m_skin);
  SetWindowPos(nullptr, 0, 0, m_skin.size.cx, m_skin.size.cy, SWP_NOMOVE | SWP_NOZORDER);
  m_skin.loadIcons();
  SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_skin.windowIcon));
  SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_skin.windowIcon));
}

// Before the timers can start a re-scan, which sends the report mask: until
// the settings are loaded every button is its own.
void MainDialog::forgetAssignmentsUntilLoaded() {
  const MouseModel::Change model = mouseModel.change();
  for (ButtonAssignment& assignment : model->assignments) {
    assignment.function = ButtonFunction::Native;
    assignment.scanCode = 0;
    assignment.modifiers = 0;
  }
}

// Needs the texts (the menu's) and a window the timers may reach.
void MainDialog::setUpTrayMenuAndTimers() {
  m_tray.setUpMenu();
  m_search.start();
  m_firstShow.showNormally();
}

// Needs the texts and the skin; setting.dat is loaded once the rows are
// filled, so that the rows show it, and profiles.ini once they are skinned.
void MainDialog::setUpControlsAndLoadBothFiles() {
  m_rows.fill();
  m_buttons.skinAndPlace(m_skin);

  SetWindowText("Gaming Mouse");

  loadSettings();
  m_rows.skinAndPlace(m_skin);

  // The profile box's hidden label names it where the system reads labels;
  // the keyboard layer answers its name itself.
  ::SetDlgItemTextA(m_hWnd, IDC_PROFILE_LABEL, uiTexts[UiText::ProfileLabel]);
  m_profileBox.skinAndPlace(m_skin);
  m_profileBox.load();

  KeyboardAccess::Window keyboardView;
  keyboardView.painted = this;
  keyboardView.rowValue = [this](int row) { return m_rows.box(row).selectionText(); };
  keyboardView.chooseDpiLevel = [this](int level) { m_dpi.chooseLevel(level); };
  m_keyboard.attach(keyboardView);
}

void MainDialog::loadSettings() {
  if (!loadSettingsIntoModel()) return;
  m_rows.showEditedAssignments();
  pushReportMask();
}

LRESULT MainDialog::OnFinishStart(UINT, WPARAM, LPARAM, BOOL&) {
  // Nothing here shows in the window, so the window does not wait for it:
  // posted when the window is first shown.
  m_tray.addIcon();
  return 0;
}

HBITMAP MainDialog::buttonsHeading() const { return m_skin.headingBitmaps[uiTexts.m_languageIndex][0]; }

HBITMAP MainDialog::dpiHeading() const { return m_skin.headingBitmaps[uiTexts.m_languageIndex][1]; }

const char* MainDialog::rowLabel(int row) const { return uiTexts[kRows[row].label]; }

PaintedWindow::SkinnedControls MainDialog::skinnedControls() {
  const std::array<SkinButton*, 3> buttons = m_buttons.skinned();
  return {{buttons[0], buttons[1], buttons[2]},
          {&m_rows.box(0), &m_rows.box(1), &m_rows.box(2), &m_rows.box(3)},
          &m_dpi.slider(),
          &m_profileBox.box(),
          m_keyboard.levelsWindow()};
}

LRESULT MainDialog::OnSysCommand(UINT, WPARAM wParam, LPARAM, BOOL& handled) {
  if (!AboutDialog::onSysCommand(wParam)) handled = FALSE;
  return 0;
}

LRESULT MainDialog::OnPaint(UINT, WPARAM, LPARAM, BOOL& handled) {
  m_painter.paint(*this);
  handled = FALSE;  // default processing follows, as after every paint
  return 0;
}

LRESULT MainDialog::OnQueryDragIcon(UINT, WPARAM, LPARAM, BOOL&) {
  return reinterpret_cast<LRESULT>(m_skin.windowIcon);
}

LRESULT MainDialog::OnCtlColor(UINT, WPARAM, LPARAM, BOOL&) {
  // Controls draw over the skin.
  return reinterpret_cast<LRESULT>(::GetStockObject(NULL_BRUSH));
}

// What the owners ask of the window.

ButtonAssignment MainDialog::editedAssignment(int buttonIndex) const {
  return m_profileBox.editedAssignment(buttonIndex);
}

void MainDialog::assign(int buttonIndex, const ButtonAssignment& assigned) {
  // A program profile's row goes to profiles.ini, never to setting.dat.
  if (!m_profileBox.edited().empty()) {
    m_profileBox.setEditedRow(buttonIndex, assigned);
    return;
  }
  mouseModel.change()->assignments[buttonIndex] = assigned;
  // A program profile in force takes its other buttons from these rows.
  m_profileBox.applyRowsInForce();
  saveSettings();
  pushReportMask();
}

void MainDialog::awaitDpiAnswer(int32_t level, int32_t step) { m_input.awaitDpiAnswer(level, step); }

void MainDialog::pushReportMask() { sendReportMask(hidLink, mouseModel); }

void MainDialog::showEditedRows() {
  m_rows.showEditedAssignments();
  MainWindowPainter::invalidateStateLine(m_hWnd);
}

RescanWindows MainDialog::rescanWindows() {
  RescanWindows windows;
  windows.window = m_hWnd;
  windows.slider = m_dpi.slider().m_hWnd;
  windows.levels = m_keyboard.levelsWindow();
  for (int row = 0; row < RowIndex::Count; ++row) windows.boxes[row] = m_rows.box(row).m_hWnd;
  windows.boxes[RowIndex::Count] = m_profileBox.box().m_hWnd;
  return windows;
}

LRESULT MainDialog::OnStartPostScan(UINT, WPARAM, LPARAM, BOOL&) {
  m_search.onMouseFound();
  return 0;
}

LRESULT MainDialog::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DEVICECHANGE && wParam == DBT_DEVNODES_CHANGED) m_search.onDeviceNodesChanged();
  // Registered messages have no entry in the static message map.
  m_tray.onRegisteredMessage(message);
  return CDialog::DefWindowProc(message, wParam, lParam);
}

LRESULT MainDialog::OnInputDeviceChange(UINT, WPARAM change, LPARAM lParam, BOOL&) {
  m_search.onInputDeviceChange(change, reinterpret_cast<HANDLE>(lParam));
  return 0;
}

LRESULT MainDialog::OnMiceChanged(UINT, WPARAM someWent, LPARAM, BOOL&) {
  m_search.onMiceChanged(someWent != 0);
  return 0;
}

// Timers and the message loop.

LRESULT MainDialog::OnTimer(UINT, WPARAM wParam, LPARAM, BOOL& handled) {
  if (m_search.onTimer(wParam) || m_firstShow.onTimer(wParam)) return 0;
  switch (wParam) {
    case kCommitDpiTimer:
      m_dpi.onCommitTimer();
      break;
    case TrayIcon::kMenuTimer:
      m_tray.onMenuTimer();
      break;
    case kProgramGoneTimer:
      m_profileBox.checkFront();
      break;
    case PendingSaves::kRetryTimer:
      m_saves.onRetryTimer();
      break;
    case kDpiAnswersTimer:
      KillTimer(kDpiAnswersTimer);
      m_input.stopAwaitingDpiAnswer();
      break;
    default:
      handled = FALSE;
      break;
  }
  return 0;
}

void MainDialog::requestExit() {
  // The flag first: the window's thread must see it when WM_CLOSE arrives.
  mouseModel.requestExit();
  PostMessage(WM_APP_CLOSE_REQUEST);
}

BOOL MainDialog::PreTranslateMessage(MSG* msg) {
  if (m_keyboard.preTranslate(*msg)) return TRUE;
  if (msg->hwnd == m_dpi.slider().m_hWnd) m_dpi.applySliderRule();
  switch (msg->message) {
    case WM_INPUT:
      // Never consumed: the default processing frees the packet.
      onRawInput(reinterpret_cast<HRAWINPUT>(msg->lParam));
      if (msg->hwnd == m_hWnd) m_rawInputTaken.take(msg->lParam);
      break;
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
      if (m_dpi.applyBoxRules(*msg)) return TRUE;
      break;
    case WM_APP_CLOSE_REQUEST:
      // Not consumed: it goes on to be dispatched like any message.
      if (msg->hwnd == m_hWnd) {
        PostMessage(WM_CLOSE);
        m_closeRequestTaken.take(msg->lParam);
      }
      break;
    default:
      // Among them the notes of the magnifier, the combo boxes and the
      // slider: nothing to do here.
      break;
  }
  const BOOL consumed = CDialog::PreTranslateMessage(msg);
  if (consumed && msg->message == WM_INPUT) m_rawInputTaken.drop();
  if (consumed && msg->message == WM_APP_CLOSE_REQUEST) m_closeRequestTaken.drop();
  return consumed;
}

LRESULT MainDialog::OnCloseRequest(UINT, WPARAM, LPARAM lParam, BOOL& handled) {
  // A request that a menu or a window drag dispatched is not lost either.
  if (!m_closeRequestTaken.takenByLoop(lParam)) PostMessage(WM_CLOSE);
  handled = FALSE;
  return 0;
}

LRESULT MainDialog::OnRawInputMessage(UINT, WPARAM, LPARAM lParam, BOOL& handled) {
  if (!m_rawInputTaken.takenByLoop(lParam)) onRawInput(reinterpret_cast<HRAWINPUT>(lParam));
  handled = FALSE;  // the default processing frees the packet
  return 0;
}

void MainDialog::onRawInput(HRAWINPUT handle) {
  // Asleep, locked or away from the console, the mouse does nothing here;
  // the packet is freed by the default processing all the same.
  if (m_mouseTurn.mayTalk()) m_input.onRawInput(handle);
}

LRESULT MainDialog::OnSetCursor(UINT, WPARAM wParam, LPARAM lParam, BOOL& handled) {
  // The hand over the DPI boxes of the window itself; a control under the
  // mouse asks here first and chooses its own cursor.
  if (reinterpret_cast<HWND>(wParam) == m_hWnd) {
    POINT at;
    ::GetCursorPos(&at);
    ::ScreenToClient(m_hWnd, &at);
    if (m_dpi.overBox(at) && showHandCursor(lParam)) return TRUE;
  }
  handled = FALSE;
  return 0;
}

// The resets.

LRESULT MainDialog::OnDefaultCommand(WORD, WORD, HWND, BOOL&) {
  resetToDefaults();
  return 0;
}

void MainDialog::resetToDefaults() {
  restoreNativeAssignments();
  m_dpi.resetLevelByLevel();
}

void MainDialog::restoreNativeAssignments() {
  // Left remapped and reported, the button would be dead without the program.
  // A program profile has no left row: only its own four rows go back.
  if (m_profileBox.edited().empty()) {
    const MouseModel::Change model = mouseModel.change();
    ButtonAssignment& left = model->assignments[ButtonIndex::Left];
    left.function = ButtonFunction::Native;
    left.buttonMask = 0;
  }
  m_rows.restoreNative();
}

void MainDialog::OnOK() {
  // A button remapped to Enter types it into this window too when it has
  // the focus: only a person's Enter resets.
  if (m_input.mayBeTyping()) return;
  // Enter on a combo box confirms the choice it shows and resets nothing:
  // "Shortcuts" or a profile command reached with the keys is taken; any
  // other item acted when it was reached.
  const HWND focus = ::GetFocus();
  if (focus == m_profileBox.box().m_hWnd) {
    m_profileBox.onEnter();
    return;
  }
  if (m_rows.onEnter(focus)) return;
  // Elsewhere Enter resets like "Default" but never ends the dialog and
  // leaves the commit to the timer.
  restoreNativeAssignments();
  m_dpi.resetSteps();
}

// The rows' and the profile box's notifications, routed to their owners.

LRESULT MainDialog::OnRowNotification(WORD code, WORD id, HWND, BOOL&) {
  const int row = AssignmentRows::rowOfControl(id);
  if (row >= 0) m_rows.onNotification(code, row);
  return 0;
}

LRESULT MainDialog::OnConfirmShortcut(UINT, WPARAM id, LPARAM, BOOL&) {
  const int row = AssignmentRows::rowOfControl(static_cast<int>(id));
  if (row >= 0) m_rows.onConfirmShortcut(row);
  return 0;
}

LRESULT MainDialog::OnProfileNotification(WORD code, WORD, HWND, BOOL&) {
  m_profileBox.onNotification(code);
  return 0;
}

LRESULT MainDialog::OnProfileMessage(UINT message, WPARAM, LPARAM, BOOL&) {
  m_profileBox.onMessage(message);
  return 0;
}

LRESULT MainDialog::OnActivateApp(UINT, WPARAM, LPARAM, BOOL& handled) {
  // The events of this program's own windows may not all come: its window
  // coming to the front puts setting.dat's rows in force too.
  m_profileBox.checkFront();
  handled = FALSE;
  return 0;
}

// Power and sessions.

LRESULT MainDialog::OnPowerBroadcast(UINT, WPARAM event, LPARAM setting, BOOL&) {
  return m_mouseTurn.onPowerBroadcast(event, setting);
}

LRESULT MainDialog::OnSessionChange(UINT, WPARAM event, LPARAM, BOOL&) {
  m_mouseTurn.onSessionChange(event);
  return 0;
}

// Closing, the exit and the end of the session.

void MainDialog::OnCancel() {
  // Escape never closes the window; only the exit path ends the dialog.
  if (mouseModel.exitRequested()) CDialog::OnCancel();
}

LRESULT MainDialog::OnClose(UINT, WPARAM, LPARAM, BOOL& handled) {
  ShowWindow(SW_HIDE);
  if (!mouseModel.exitRequested()) return 0;  // closing only hides the window
  // An open tray menu or "Key" dialog runs a loop of its own, which would
  // keep the program alive until the user closed it.
  ::EndMenu();
  m_rows.closeKeyDialog();
  m_saves.saveAtExit();
  handButtonsBack();
  // Default processing issues IDCANCEL, which ends the dialog.
  handled = FALSE;
  return 0;
}

LRESULT MainDialog::OnEndSession(UINT, WPARAM ending, LPARAM, BOOL&) {
  // The session ends (log off, shut down) and the process with it, without
  // a close: the mouse, which outlives the session, gets its buttons back now.
  if (ending && !mouseModel.exitRequested()) {
    mouseModel.requestExit();  // saving is off from here on
    m_saves.saveAtExit();
    handButtonsBack();
  }
  return 0;
}

void MainDialog::handButtonsBack() {
  // Nothing the engine holds may stay down once the program is gone.
  m_input.releaseHeldInput();
  // No profile applies any more, and the rows hand back setting.dat's.
  m_profileBox.stop();
  // The mouse goes back to handling every button itself; saving is off now,
  // so the file keeps the user's assignments.
  restoreNativeAssignments();
}

LRESULT MainDialog::OnDestroy(UINT message, WPARAM wParam, LPARAM lParam, BOOL&) {
  m_mouseTurn.stopWatching();
  hidLink.cancelPending();
  for (int32_t slot = 0; slot < hidLink.presentCount(); ++slot) hidLink.setSlotState(slot, 0, 0xFF);
  m_tray.removeIcon();
  return DefWindowProc(message, wParam, lParam);
}

// Showing and hiding.

LRESULT MainDialog::OnShowWindow(UINT message, WPARAM wParam, LPARAM lParam, BOOL&) {
  LRESULT result = DefWindowProc(message, wParam, lParam);
  m_firstShow.onShowWindow(wParam != 0);
  m_dpi.invalidate();
  return result;
}

LRESULT MainDialog::OnTrayCallback(UINT, WPARAM wParam, LPARAM lParam, BOOL&) {
  return m_tray.onCallback(wParam, lParam);
}

LRESULT MainDialog::OnHideCommand(WORD, WORD, HWND, BOOL&) {
  ShowWindow(SW_HIDE);  // the program lives on in the notification area
  return 0;
}

LRESULT MainDialog::OnMinimizeCommand(WORD, WORD, HWND, BOOL&) {
  ShowWindow(SW_MINIMIZE);
  return 0;
}

LRESULT MainDialog::OnPropertyCommand(WORD, WORD, HWND, BOOL&) {
  ShowWindow(SW_SHOWNA);
  ::BringWindowToTop(m_hWnd);
  ::SetForegroundWindow(m_hWnd);
  return 0;
}

LRESULT MainDialog::OnExitCommand(WORD, WORD, HWND, BOOL&) {
  requestExit();
  return 0;
}

LRESULT MainDialog::OnShowDpiOnScreenCommand(WORD, WORD, HWND, BOOL&) {
  m_tray.toggleDpiNotice();
  return 0;
}

LRESULT MainDialog::OnShowRequest(UINT, WPARAM, LPARAM, BOOL&) {
  TrayIcon::restoreWindow(m_hWnd);
  return 0;
}

LRESULT MainDialog::OnDrawItem(UINT, WPARAM wParam, LPARAM lParam, BOOL& handled) {
  // Owner-drawn controls draw themselves.
  LRESULT result = 0;
  if (!SkinComboBox::reflectDrawItem(wParam, lParam, result)) handled = FALSE;
  return result;
}
