#include "app/MainDialog.h"

#include <dbt.h>
#include <windowsx.h>
#include <wtsapi32.h>

#include <cstring>
#include <memory>
#include <mutex>

#include "app/AboutDialog.h"
#include "app/ProcessObjects.h"
#include "app/Seams.h"
#include "app/WatchThreads.h"
#include "controls/KeyTable.h"
#include "controls/MouseTracking.h"
#include "device/DeviceRescan.h"
#include "device/MouseConfig.h"
#include "device/SettingsFile.h"
#include "framework/GdiObjects.h"
#include "framework/WideText.h"
#include "mainwnd/DpiBoxes.h"
#include "mainwnd/DpiLayout.h"
#include "mainwnd/RawInputApi.h"
#include "resource.h"

namespace {
static_assert(Skin::kHeadingLanguages == Language::Count, "one pair of headings per language");
// Room for the executable's path, a long one included.
constexpr DWORD kModulePathChars = 1024;
// The console display's state (GUID_CONSOLE_DISPLAY_STATE), here so that no
// GUID needs defining by the headers: 0 off, 1 on, 2 dimmed.
const GUID kConsoleDisplayState = {0x6fe69556, 0x704a, 0x47a0, {0x8f, 0x24, 0xc2, 0x8d, 0x93, 0x6f, 0xda, 0x47}};
constexpr DWORD kDisplayOff = 0;

void moveControl(CWnd& control, POINT at) {
  control.SetWindowPos(nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

// The re-scan worker's view of the window. It holds window handles, not the
// dialog object: a worker that outlives the dialog then only makes calls
// that fail on a destroyed window, instead of reaching a destroyed object.
class WindowRescanTarget : public RescanTarget {
public:
  explicit WindowRescanTarget(MainDialog& dialog)
      : m_window(dialog.m_hWnd),
        m_slider(dialog.m_dpiSlider.m_hWnd),
        m_levels(dialog.skinnedControls().seeThrough),
        m_boxes{dialog.m_comboRight.m_hWnd, dialog.m_comboWheel.m_hWnd, dialog.m_combo4th.m_hWnd,
                dialog.m_combo5th.m_hWnd, dialog.m_comboProfile.m_hWnd} {}

  // EnableWindow waits for the window's thread to take WM_ENABLE; the worker
  // holds no lock here, so that thread can always get on.
  void enableDpiSlider(bool enable) override { ::EnableWindow(m_slider, enable); }
  // The DPI levels go with the rows: disabled without the mouse (which is also
  // what a screen reader reads as unavailable), and not for the moment of
  // every re-scan, as the slider is, so that a click on a level is never lost.
  void enableAssignmentBoxes(bool enable) override {
    for (HWND box : m_boxes) ::EnableWindow(box, enable);
    if (m_levels) ::EnableWindow(m_levels, enable);
    // The bottom bar says whether the mouse is there.
    MainWindowPainter::invalidateStateLine(m_window);
  }
  void startPostScanTimer() override { ::PostMessageA(m_window, WM_APP_START_POSTSCAN, 0, 0); }
  HWND window() const { return m_window; }

private:
  HWND m_window;
  HWND m_slider;
  HWND m_levels;
  HWND m_boxes[5];  // the four rows and the profile box
};

DWORD WINAPI RescanWorker(LPVOID parameter) {
  std::unique_ptr<WindowRescanTarget> target(static_cast<WindowRescanTarget*>(parameter));
  const MouseSet before = mouseSetOf(hidLink);
  rescanDevice(hidLink, mouseConfig, *target);
  noteMouseSet(target->window(), before, mouseSetOf(hidLink));
  return 0;
}
}  // namespace

MainDialog::MainDialog(CWnd* parent)
    : CDialog(IDD_MAIN, parent),
      m_dpiCommands(hidLink, m_deviceTimers, kCommitDpiTimer),
      m_inputOutput(hidLink, [this](int step) { showDpiState(step); }),
      m_inputEngine(mouseConfig, &usageForScanCode, m_inputOutput),
      m_rawInputMice([](const std::string& path) { return hidLink.deviceOf(path); }) {
  m_windowIcon = ::LoadIconA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(IDR_MAINFRAME));
  m_inputOutput.setDpiChoiceDisplay([this](int level, int step) { m_dpiNotice.show(level, step); });
}

MainDialog::~MainDialog() {
  if (m_localWaitEvent) ::CloseHandle(m_localWaitEvent);
}

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
  ON_CONTROL_RANGE(CBN_SELCHANGE, IDC_COMBO_4TH, IDC_COMBO_RIGHT, OnAssignmentChange)
  ON_CONTROL_RANGE(CBN_SELENDOK, IDC_COMBO_4TH, IDC_COMBO_RIGHT, OnAssignmentListClosed)
  ON_CONTROL_RANGE(CBN_SELENDCANCEL, IDC_COMBO_4TH, IDC_COMBO_RIGHT, OnAssignmentListClosed)
  ON_CONTROL_RANGE(CBN_KILLFOCUS, IDC_COMBO_4TH, IDC_COMBO_RIGHT, OnAssignmentLeft)
  ON_MESSAGE(WM_APP_CONFIRM_SHORTCUT, OnConfirmShortcut)
  ON_COMMAND(IDC_DEFAULT, OnDefaultCommand)
  ON_CONTROL(CBN_SELCHANGE, IDC_COMBO_PROFILE, OnProfileChange)
  ON_CONTROL(CBN_SELENDOK, IDC_COMBO_PROFILE, OnProfileChange)
  ON_CONTROL(CBN_SELENDCANCEL, IDC_COMBO_PROFILE, OnProfileListCancelled)
  ON_CONTROL(CBN_KILLFOCUS, IDC_COMBO_PROFILE, OnProfileLeft)
  ON_MESSAGE(WM_ACTIVATEAPP, OnActivateApp)
  ON_MESSAGE(WM_APP_ADD_PROFILE, OnAddProfile)
  ON_MESSAGE(WM_APP_FOLDER_CHANGED, OnFolderChanged)
  ON_MESSAGE(WM_APP_REMOVE_PROFILE, OnRemoveProfile)
END_MESSAGE_MAP()

void MainDialog::DoDataExchange(CDataExchange* dx) {
  DDX_Control(dx, IDC_MINIMIZE_BUTTON, m_minimizeButton);
  DDX_Control(dx, IDC_DPI_SLIDER, m_dpiSlider);
  DDX_Control(dx, IDC_DEFAULT, m_defaultButton);
  DDX_Control(dx, IDOK, m_okButton);
  DDX_Control(dx, IDC_CLOSE_BUTTON, m_closeButton);
  DDX_Control(dx, IDC_COMBO_RIGHT, m_comboRight);
  DDX_Control(dx, IDC_COMBO_WHEEL, m_comboWheel);
  DDX_Control(dx, IDC_COMBO_5TH, m_combo5th);
  DDX_Control(dx, IDC_COMBO_4TH, m_combo4th);
  DDX_Control(dx, IDC_COMBO_PROFILE, m_comboProfile);
}

// The window's start, step by step, in this order; each step says what it
// needs done before it.
BOOL MainDialog::OnInitDialog() {
  CDialog::OnInitDialog();
  addSystemMenuAndIcon();
  findProgramFolderAndMice();
  startReadingInput();
  loadSkinAndSize();
  forgetAssignmentsUntilLoaded();
  // From here on the timers and the threads may reach the window.
  hidLink.setNotifyWindow(m_hWnd);
  mainDialog = this;
  setUpTrayMenuAndTimers();
  watchPowerAndSessions();
  setUpControls();
  startWatchThreads(this);
  // The magnifier exists, hidden, for as long as the window. It is made
  // before the window is shown: made after, under Wine, the keys typed into
  // the window once it was activated again did not reach it.
  m_zoomWindow = std::make_unique<ZoomWindow>(this);
  m_zoomWindow->Create(IDD_ZOOM, nullptr);
  if (hideAtStart) SetTimer(kHideAtStartTimer, kHideAtStartPeriodMs);
  // The profile box comes first in the tab order, but the window starts, as
  // it always has, with the focus on the first row.
  ::SetFocus(m_comboRight.m_hWnd);
  return FALSE;
}

// Needs nothing before it.
void MainDialog::addSystemMenuAndIcon() {
  if (HMENU systemMenu = ::GetSystemMenu(m_hWnd, FALSE)) {
    // Wide: the entry's text is not in every ANSI code page.
    wchar_t about[256] = {};
    if (::LoadStringW(AfxGetInstanceHandle(), IDS_ABOUTBOX, about, sizeof about / sizeof about[0]) > 0) {
      ::AppendMenuW(systemMenu, MF_SEPARATOR, 0, nullptr);
      ::AppendMenuW(systemMenu, MF_STRING, IDM_ABOUTBOX, about);
    }
  }
  SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_windowIcon));
  SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_windowIcon));
}

// Needs nothing before it; every file read later needs the folder, and the
// input needs every mouse free of what an earlier copy left held.
void MainDialog::findProgramFolderAndMice() {
  // Wide, and kept in UTF-8: the folder's name need not be in the ANSI code
  // page.
  wchar_t modulePath[kModulePathChars] = {};
  ::GetModuleFileNameW(nullptr, modulePath, kModulePathChars - 1);
  programDirectory = programDirectoryFromModulePath(utf8FromWide(modulePath));

  // The mouse is the console's: a copy in another user's session sends it
  // nothing, from the first frame on, until its session comes there.
  m_mouseAccess = MouseAccess(systemSessions().onConsole());
  hidLink.setQuiet(!m_mouseAccess.mayTalk());
  hidLink.scan();
  // A copy that ended without handing back (killed, crashed, the power gone)
  // may have left a mouse holding keys or buttons: every mouse lets go before
  // it is told which buttons to report.
  m_inputEngine.releaseEveryMouse();
}

// Needs the folder (lang.ini) and the scan (the slider follows it).
void MainDialog::startReadingInput() {
  // Every text that the controls and menus get from here on is the loaded one.
  loadUiTexts(uiTexts, programDirectory);
  m_skin.loadHeadings(kHeadingBitmapIds);
  // The combo boxes stay enabled until the first re-scan settles them.
  m_dpiSlider.EnableWindow(hidLink.presentCount() != 0);
  if (m_mouseAccess.onConsole()) registerRawInput();
  // Before the first raw input: the input engine reads the table unloaded.
  loadKeyTable();

  m_localWaitEvent = ::CreateEventA(nullptr, TRUE, TRUE, "Local\\OxarWaitEvent");
  if (m_localWaitEvent) ::ResetEvent(m_localWaitEvent);
}

// Needs nothing of the steps before; the controls' skins need it.
void MainDialog::loadSkinAndSize() {
  m_skin.load();

  m_dpiSlider.SetRange(0, 7, FALSE);
  m_dpiSlider.SetWindowPos(nullptr, kSliderPos.x, kSliderPos.y, kSliderSize.cx, kSliderSize.cy, SWP_NOZORDER);
  m_dpiSlider.setSkin(m_skin.backgroundBitmap);
  SetWindowPos(nullptr, 0, 0, m_skin.size.cx, m_skin.size.cy, SWP_NOMOVE | SWP_NOZORDER);

  m_skin.loadTrayIcons();
}

// Before the timers can start a re-scan, which sends the report mask: until
// the settings are loaded every button is its own.
void MainDialog::forgetAssignmentsUntilLoaded() {
  std::lock_guard<std::recursive_mutex> hold(hidLink.lock());  // the model's writes take the link's lock
  for (ButtonAssignment& assignment : mouseConfig.assignments) {
    assignment.function = ButtonFunction::Native;
    assignment.scanCode = 0;
    assignment.modifiers = 0;
  }
}

// Needs the texts (the menu's) and a window the timers may reach.
void MainDialog::setUpTrayMenuAndTimers() {
  trayMenu.LoadMenu(IDR_TRAYMENU);
  TrayIcon::setMenuTexts(trayMenu.GetSubMenu(0), uiTexts[UiText::Property], uiTexts[UiText::Exit]);
  m_dpiNotice.addMenuItem(trayMenu.GetSubMenu(0), uiTexts[UiText::ShowDpiOnScreen]);
  TrayIcon::allowTaskbarCreated(m_hWnd);

  SetTimer(kRescanTimer, kFirstRescanDelayMs);
  SetTimer(kShowNormalTimer, kShowNormalPeriodMs);
}

// Needs the texts and the skin; the settings are loaded once the rows are
// filled, so that the rows show them.
void MainDialog::setUpControls() {
  m_defaultButton.SetWindowText(uiTexts[UiText::Default]);
  fillAssignmentCombos();

  moveControl(m_closeButton, kCloseButtonPos);
  m_closeButton.setSkin(Skin::borrowed(m_skin.closeButtonBitmaps).data(), m_skin.skinBackdrop, 0, nullptr);
  moveControl(m_minimizeButton, kMinimizeButtonPos);
  m_minimizeButton.setSkin(Skin::borrowed(m_skin.minimizeButtonBitmaps).data(), m_skin.skinBackdrop, 0, nullptr);
  moveControl(m_defaultButton, kDefaultButtonPos);
  m_defaultButton.setSkin(Skin::borrowed(m_skin.defaultButtonBitmaps).data(), m_skin.skinBackdrop, 1,
                          m_skin.controlFonts[Skin::kCaptionFont]);

  SetWindowText("Gaming Mouse");

  loadSettings();

  SkinComboBox* rows[] = {&m_comboRight, &m_comboWheel, &m_combo4th, &m_combo5th};
  for (int row = 0; row < 4; ++row) {
    rows[row]->setSkin(Skin::borrowed(m_skin.comboBitmaps).data(), m_skin.skinBackdrop,
                       m_skin.controlFonts[Skin::kCaptionFont]);
    moveControl(*rows[row], {kComboOriginX + kComboColumnOffset, kComboOriginY + kComboRowPitch * row});
  }

  // The profile box: the combo boxes' look, narrower, in the bar's font. Its
  // hidden label names it where the system reads labels; the keyboard layer
  // answers its name itself.
  ::SetDlgItemTextA(m_hWnd, IDC_PROFILE_LABEL, uiTexts[UiText::ProfileLabel]);
  HBITMAP profileBitmaps[4] = {m_skin.profileFrameBitmap, m_skin.comboBitmaps[1], m_skin.comboBitmaps[2],
                               m_skin.comboBitmaps[3]};
  m_comboProfile.setSkin(profileBitmaps, m_skin.skinBackdrop, m_skin.fontTahoma12);
  moveControl(m_comboProfile, kProfileBoxPos);
  loadProfiles();

  KeyboardAccess::Window keyboardView;
  keyboardView.painted = this;
  keyboardView.rowValue = [rows](int row) { return rows[row]->selectionText(); };
  keyboardView.chooseDpiLevel = [this](int level) { chooseDpiLevel(level); };
  m_keyboard.attach(keyboardView);
}

LRESULT MainDialog::OnFinishStart(UINT, WPARAM, LPARAM, BOOL&) {
  // Nothing here shows in the window, so the window does not wait for it:
  // posted when the window is first shown.
  m_trayIcon.add(m_hWnd, m_skin.trayIcons[0]);
  return 0;
}

HBITMAP MainDialog::buttonsHeading() const { return m_skin.headingBitmaps[uiTexts.m_languageIndex][0]; }

HBITMAP MainDialog::dpiHeading() const { return m_skin.headingBitmaps[uiTexts.m_languageIndex][1]; }

const char* MainDialog::rowLabel(int row) const {
  static const UiText labels[] = {UiText::RightButton, UiText::WheelButton, UiText::Button4th, UiText::Button5th};
  return uiTexts[labels[row]];
}

void MainDialog::loadSettings() {
  {
    // The re-scan worker reads the assignments under the link's lock.
    std::lock_guard<std::recursive_mutex> hold(hidLink.lock());
    if (!loadSettingsIntoModel()) return;
  }
  showLoadedAssignments();
  pushReportMask();
}

LRESULT MainDialog::OnSysCommand(UINT, WPARAM wParam, LPARAM, BOOL& handled) {
  if ((wParam & 0xFFF0) != IDM_ABOUTBOX) {
    handled = FALSE;
    return 0;
  }
  AboutDialog about;
  about.DoModal();
  return 0;
}

LRESULT MainDialog::OnPaint(UINT, WPARAM, LPARAM, BOOL& handled) {
  m_painter.paint(*this);
  handled = FALSE;  // default processing follows, as after every paint
  return 0;
}

LRESULT MainDialog::OnQueryDragIcon(UINT, WPARAM, LPARAM, BOOL&) {
  return reinterpret_cast<LRESULT>(m_windowIcon);
}

LRESULT MainDialog::OnCtlColor(UINT, WPARAM, LPARAM, BOOL&) {
  // Controls draw over the skin.
  return reinterpret_cast<LRESULT>(::GetStockObject(NULL_BRUSH));
}

void MainDialog::registerRawInput() {
  // The mouse's vendor collection, also while the window is hidden or in the
  // background.
  RAWINPUTDEVICE device = {};
  device.usUsagePage = MouseIdentity::InputUsagePage;
  device.usUsage = MouseIdentity::InputUsage;
  // Told when a device comes or goes (WM_INPUT_DEVICE_CHANGE), so that what
  // a mouse held goes with it at once. A system without that notice still
  // gets the reports.
  device.dwFlags = RIDEV_INPUTSINK | RIDEV_DEVNOTIFY;
  device.hwndTarget = m_hWnd;
  bool registered = systemRawInput().registerDevices(&device, 1, sizeof(device));
  if (!registered) {
    device.dwFlags = RIDEV_INPUTSINK;
    registered = systemRawInput().registerDevices(&device, 1, sizeof(device));
  }
  m_rawInputRegistered = registered;
  if (!registered) {
    // The window still works; only the remapped buttons will do nothing.
    CWinApp* app = AfxGetApp();
    ::MessageBoxA(m_hWnd, "error", app ? app->m_appName.c_str() : nullptr, MB_OK);
  }
}

void MainDialog::unregisterRawInput() {
  if (!m_rawInputRegistered) return;
  RAWINPUTDEVICE device = {};
  device.usUsagePage = MouseIdentity::InputUsagePage;
  device.usUsage = MouseIdentity::InputUsage;
  device.dwFlags = RIDEV_REMOVE;
  systemRawInput().registerDevices(&device, 1, sizeof(device));
  m_rawInputRegistered = false;
}

void MainDialog::pushReportMask() { sendReportMask(hidLink, mouseConfig); }

void MainDialog::rescanNow() {
  // A re-scan already due stays due: the system may tell of a mouse's
  // interfaces one by one, and this call may come before the last of them.
  // After sleep the mouse may be back at other handles without the system
  // having said.
  hidLink.markDeviceSetChanged();
  startRescanWorker();
}

void MainDialog::watchPowerAndSessions() {
  // Both may be missing (an old system, a service-less one); the window then
  // hears only of sleep, which every system tells every window.
  m_sessionNotices = ::WTSRegisterSessionNotification(m_hWnd, NOTIFY_FOR_THIS_SESSION) != FALSE;
  m_displayNotice = ::RegisterPowerSettingNotification(m_hWnd, &kConsoleDisplayState, DEVICE_NOTIFY_WINDOW_HANDLE);
}

void MainDialog::stopWatchingPowerAndSessions() {
  if (m_sessionNotices) ::WTSUnRegisterSessionNotification(m_hWnd);
  if (m_displayNotice) ::UnregisterPowerSettingNotification(m_displayNotice);
  m_sessionNotices = false;
  m_displayNotice = nullptr;
}

LRESULT MainDialog::OnPowerBroadcast(UINT, WPARAM event, LPARAM setting, BOOL&) {
  switch (event) {
    case PBT_APMSUSPEND:
      onSessionEvent(SessionEvent::Suspend);
      break;
    case PBT_APMRESUMEAUTOMATIC:
    case PBT_APMRESUMESUSPEND:
      onSessionEvent(SessionEvent::Resume);
      break;
    case PBT_POWERSETTINGCHANGE: {
      const auto* changed = reinterpret_cast<const POWERBROADCAST_SETTING*>(setting);
      if (!changed || !::IsEqualGUID(changed->PowerSetting, kConsoleDisplayState) ||
          changed->DataLength < sizeof(DWORD))
        break;
      DWORD state = 0;
      std::memcpy(&state, changed->Data, sizeof(state));
      onSessionEvent(state == kDisplayOff ? SessionEvent::DisplayOff : SessionEvent::DisplayOn);
      break;
    }
    default:
      break;
  }
  return TRUE;
}

LRESULT MainDialog::OnSessionChange(UINT, WPARAM event, LPARAM, BOOL&) {
  // Registered for this session's events only: each is about this copy.
  switch (event) {
    case WTS_SESSION_LOCK:
      onSessionEvent(SessionEvent::Lock);
      break;
    case WTS_SESSION_UNLOCK:
      onSessionEvent(SessionEvent::Unlock);
      break;
    case WTS_CONSOLE_CONNECT:
      onSessionEvent(SessionEvent::ConsoleConnect);
      break;
    case WTS_CONSOLE_DISCONNECT:
      onSessionEvent(SessionEvent::ConsoleDisconnect);
      break;
    case WTS_REMOTE_DISCONNECT:
      onSessionEvent(SessionEvent::RemoteDisconnect);
      break;
    default:
      break;
  }
  return 0;
}

void MainDialog::onSessionEvent(SessionEvent event) {
  // Once the exit has handed the buttons back, nothing more goes out.
  if (mouseConfig.exitRequested) return;
  const MouseAction action = m_mouseAccess.onEvent(event);
  if (action == MouseAction::LetGo) letGoOfMouse();
  // The mouse's input belongs to the copy at the console.
  if (!m_mouseAccess.onConsole()) unregisterRawInput();
  if (action != MouseAction::GiveBack) return;
  hidLink.setQuiet(false);
  if (!m_rawInputRegistered) registerRawInput();
  // A mouse that lost power meanwhile reports its power-on steps until the
  // re-scan gives it the file's: no such report is the user's choice.
  m_inputEngine.devicesChanged();
  rescanNow();
}

void MainDialog::letGoOfMouse() {
  releaseHeldInput();
  {
    std::lock_guard<std::recursive_mutex> hold(hidLink.lock());
    if (hidLink.inputCount() > 0) hidLink.sendFeature(FeatureFrame::ReportMask(0));
  }
  hidLink.setQuiet(true);
}

void MainDialog::startRescanWorker() {
  // The worker runs on its own; nobody waits for it.
  auto* target = new WindowRescanTarget(*this);
  HANDLE thread = ::CreateThread(nullptr, 0, &RescanWorker, target, 0, nullptr);
  if (thread) {
    ::CloseHandle(thread);
  } else {
    delete target;
  }
}

LRESULT MainDialog::OnTimer(UINT, WPARAM wParam, LPARAM, BOOL& handled) {
  switch (wParam) {
    // The device timers act once per start.
    case kRescanTimer:
      KillTimer(kRescanTimer);
      startRescanWorker();
      break;
    case kPostScanTimer:
      KillTimer(kPostScanTimer);
      hidLink.sendFeature(FeatureFrame::PostScan());
      break;
    case kCommitDpiTimer:
      m_dpiCommands.onCommitTimer();
      break;
    case TrayIcon::kMenuTimer:
      m_trayIcon.onMenuTimer(m_hWnd, trayMenu.GetSubMenu(0));
      break;
    case kShowNormalTimer:
      if (IsWindowVisible()) {
        ShowWindow(SW_SHOWNORMAL);
        KillTimer(kShowNormalTimer);
      }
      break;
    case kProgramGoneTimer:
      m_foregroundWatch.check();
      break;
    case kSaveRetryTimer:
      if (m_settingsUnsaved) saveSettings();
      if (m_profilesUnsaved) saveProfiles();
      updateSaveRetry();
      break;
    case kDpiAnswersTimer:
      KillTimer(kDpiAnswersTimer);
      m_inputEngine.stopAwaitingDpiAnswer();
      break;
    case kHideAtStartTimer:
      // Hides the window each time it finds it visible; ends once it does not,
      // but not before the window was first shown: the modal loop shows it
      // only when its queue first runs dry, which on a busy machine can come
      // after the first tick.
      if (IsWindowVisible()) {
        SetWindowPos(nullptr, 0, 0, m_skin.size.cx, m_skin.size.cy, SWP_NOMOVE | SWP_NOZORDER);
        ShowWindow(SW_HIDE);
      } else if (m_wasShown) {
        KillTimer(kHideAtStartTimer);
      }
      break;
    default:
      handled = FALSE;
      break;
  }
  return 0;
}

LRESULT MainDialog::OnStartPostScan(UINT, WPARAM, LPARAM, BOOL&) {
  // The scan found the mouse, which may have come back at its power-on DPI
  // steps. The settings' steps change only when the user changes them: the
  // mouse gets them back before PostScan asks for its state.
  m_dpiCommands.restoreSteps(mouseConfig.dpiStep);
  m_inputEngine.dpiStepsRestored();
  SetTimer(kPostScanTimer, kPostScanDelayMs);
  return 0;
}

LRESULT MainDialog::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DEVICECHANGE && wParam == DBT_DEVNODES_CHANGED) {
    // A burst of changes yields one re-scan, a while after the last of them.
    // Until then transfers look for the mouse afresh, as it may have moved.
    hidLink.markDeviceSetChanged();
    m_inputEngine.devicesChanged();
    KillTimer(kRescanTimer);
    SetTimer(kRescanTimer, kRescanAfterChangeMs);
  }
  // A registered message, so it has no entry in the static message map.
  if (message == TrayIcon::taskbarCreatedMessage()) m_trayIcon.addAgain();
  return CDialog::DefWindowProc(message, wParam, lParam);
}

void MainDialog::requestExit() {
  // The flag first: the window's thread must see it when WM_CLOSE arrives.
  mouseConfig.exitRequested = true;
  PostMessage(WM_APP_CLOSE_REQUEST);
}

BOOL MainDialog::PreTranslateMessage(MSG* msg) {
  if (m_keyboard.preTranslate(*msg)) return TRUE;
  if (msg->hwnd == m_dpiSlider.m_hWnd) applySliderRule();
  switch (msg->message) {
    case WM_INPUT:
      // Never consumed: the default processing frees the packet.
      onRawInput(reinterpret_cast<HRAWINPUT>(msg->lParam));
      if (msg->hwnd == m_hWnd) m_rawInputTaken.take(msg->lParam);
      break;
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
      if (applyDpiBoxRules(msg)) return TRUE;
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

bool MainDialog::saveSettings() {
  const bool saved = ::saveSettings();
  // A save that an exit turned off loses nothing the user still sees.
  const bool unsaved = !saved && !mouseConfig.exitRequested;
  if (unsaved != m_settingsUnsaved) {
    m_settingsUnsaved = unsaved;
    MainWindowPainter::invalidateStateLine(m_hWnd);
  }
  updateSaveRetry();
  return saved;
}

void MainDialog::updateSaveRetry() {
  const bool pending = (m_settingsUnsaved || m_profilesUnsaved) && !mouseConfig.exitRequested;
  if (pending == m_saveRetrying) return;
  m_saveRetrying = pending;
  if (pending)
    SetTimer(kSaveRetryTimer, kSaveRetryPeriodMs);
  else
    KillTimer(kSaveRetryTimer);
}

void MainDialog::savePendingAtExit() {
  // Saving is off once the exit began (the rows are about to be handed
  // back); what the user set before it is still in the model.
  if (m_settingsUnsaved) m_settingsUnsaved = !saveSettingsAtExit();
  if (m_profilesUnsaved) m_profilesUnsaved = !m_profilesFile.save(profilesFilePath().c_str(), m_profiles);
  updateSaveRetry();
}

LRESULT MainDialog::OnSetCursor(UINT, WPARAM wParam, LPARAM lParam, BOOL& handled) {
  // The hand over the DPI boxes of the window itself; a control under the
  // mouse asks here first and chooses its own cursor.
  if (reinterpret_cast<HWND>(wParam) == m_hWnd) {
    POINT at;
    ::GetCursorPos(&at);
    ::ScreenToClient(m_hWnd, &at);
    if (dpiBoxHitTest(at.x, at.y, hidLink.presentCount() != 0) != -1 && showHandCursor(lParam)) return TRUE;
  }
  handled = FALSE;
  return 0;
}

void MainDialog::OnCancel() {
  // Escape never closes the window; only the exit path ends the dialog.
  if (mouseConfig.exitRequested) CDialog::OnCancel();
}

LRESULT MainDialog::OnClose(UINT, WPARAM, LPARAM, BOOL& handled) {
  ShowWindow(SW_HIDE);
  if (!mouseConfig.exitRequested) return 0;  // closing only hides the window
  // An open tray menu or "Key" dialog runs a loop of its own, which would
  // keep the program alive until the user closed it.
  ::EndMenu();
  if (m_keyDialog) m_keyDialog->EndDialog(IDCANCEL);
  savePendingAtExit();
  handButtonsBack();
  // Default processing issues IDCANCEL, which ends the dialog.
  handled = FALSE;
  return 0;
}

LRESULT MainDialog::OnEndSession(UINT, WPARAM ending, LPARAM, BOOL&) {
  // The session ends (log off, shut down) and the process with it, without
  // a close: the mouse, which outlives the session, gets its buttons back now.
  if (ending && !mouseConfig.exitRequested) {
    mouseConfig.exitRequested = true;  // saving is off from here on
    savePendingAtExit();
    handButtonsBack();
  }
  return 0;
}

void MainDialog::handButtonsBack() {
  // Nothing the engine holds may stay down once the program is gone.
  releaseHeldInput();
  // No profile applies any more, and the rows hand back setting.dat's.
  m_foregroundWatch.stop();
  KillTimer(kProgramGoneTimer);
  {
    std::lock_guard<std::recursive_mutex> hold(hidLink.lock());
    mouseConfig.programRowsInForce = false;
  }
  m_profileInForce.clear();
  m_editedProfile.clear();
  // The mouse goes back to handling every button itself; saving is off now,
  // so the file keeps the user's assignments.
  restoreNativeAssignments();
}

LRESULT MainDialog::OnDestroy(UINT message, WPARAM wParam, LPARAM lParam, BOOL&) {
  m_folderWatch.stop();
  stopWatchingPowerAndSessions();
  hidLink.cancelPending();
  for (int32_t slot = 0; slot < hidLink.presentCount(); ++slot) hidLink.setSlotState(slot, 0, 0xFF);
  m_trayIcon.remove();
  return DefWindowProc(message, wParam, lParam);
}

LRESULT MainDialog::OnShowWindow(UINT message, WPARAM wParam, LPARAM lParam, BOOL&) {
  LRESULT result = DefWindowProc(message, wParam, lParam);
  if (wParam && !m_wasShown) {
    m_wasShown = true;
    PostMessage(WM_APP_FINISH_START);
  }
  invalidateDpiAreas(*this);
  return result;
}

LRESULT MainDialog::OnTrayCallback(UINT, WPARAM wParam, LPARAM lParam, BOOL&) {
  return m_trayIcon.onCallback(m_hWnd, wParam, lParam);
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
  m_dpiNotice.toggle(trayMenu.GetSubMenu(0));
  return 0;
}

void MainDialog::onRawInput(HRAWINPUT handle) {
  // Asleep, locked or away from the console, the mouse does nothing here;
  // the packet is freed by the default processing all the same.
  if (!m_mouseAccess.mayTalk()) return;
  noteHeldKeys();
  ::onRawInput(m_inputEngine, systemRawInput(), m_rawInputMice, handle);
  noteHeldKeys();
}

void MainDialog::noteHeldKeys() {
  if (!m_inputEngine.holdsKeys()) return;
  m_keysWereHeld = true;
  m_keysHeldAt = ::GetTickCount64();
}

bool MainDialog::mouseMayBeTyping() const {
  return m_inputEngine.holdsKeys() || (m_keysWereHeld && ::GetTickCount64() - m_keysHeldAt < kMouseKeysEchoMs);
}

LRESULT MainDialog::OnInputDeviceChange(UINT, WPARAM change, LPARAM lParam, BOOL&) {
  // What a mouse held went with it, and what it reports once back is
  // compared with a clean button byte; the re-scan comes later.
  const HANDLE device = reinterpret_cast<HANDLE>(lParam);
  const RawInputMice::Mouse gone = m_rawInputMice.forget(device);
  // Transfers look for the mouse's interfaces afresh.
  hidLink.markDeviceSetChanged();
  if (change == GIDC_ARRIVAL) {
    const RawInputMice::Mouse mouse = m_rawInputMice.identify(systemRawInput(), device);
    if (mouse.ofModel) {
      m_inputEngine.mouseArrived(mouse.device);
      // It came with its power-on report mask and DPI steps: it gets the
      // settings' as soon as it can take them, not after the burst's wait.
      rescanNow();
    }
  } else if (gone.ofModel) {
    m_inputEngine.dropMouse(gone.device);
  }
  return 0;
}

void noteMouseSet(HWND mainWindow, const MouseSet& before, const MouseSet& after) {
  if (before != after) ::PostMessageA(mainWindow, WM_APP_MICE_CHANGED, someMouseWent(before, after) ? 1 : 0, 0);
}

void MainDialog::releaseHeldInput() {
  noteHeldKeys();
  m_inputEngine.releaseAll();
}

LRESULT MainDialog::OnMiceChanged(UINT, WPARAM someWent, LPARAM, BOOL&) {
  // Only what the mice that went away held goes: a mouse that is still there
  // keeps holding while its button is down, whatever else came or went.
  noteHeldKeys();
  m_inputEngine.keepOnlyMice(miceOf(hidLink, mouseSetOf(hidLink)), someWent != 0);
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
