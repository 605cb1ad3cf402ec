#include "mainwnd/DpiPanel.h"

#include <windowsx.h>

#include <iterator>

#include "controls/Skin.h"
#include "device/HidLink.h"
#include "device/MouseModel.h"
#include "mainwnd/DpiBoxes.h"
#include "mainwnd/DpiLayout.h"
#include "mainwnd/MainWindowLayout.h"
#include "resource.h"

namespace {
// The default DPI steps go to the mouse in this order, the current level last.
struct DefaultDpiWrite {
  int32_t level;
  int32_t step;
};
constexpr DefaultDpiWrite kDefaultDpiWrites[] = {{0, 0}, {1, 1}, {3, 5}, {2, 3}};
constexpr DWORD kPauseBetweenLevelsMs = 120;
constexpr DWORD kPauseAfterLastLevelMs = 80;
constexpr DWORD kPauseBetweenStepsMs = 30;
constexpr UINT kDpiAnswersWaitMs = 1000;
}  // namespace

DpiPanel::DpiPanel(CWnd& parent, Window& window)
    : m_parent(parent), m_window(window), m_timers(parent), m_commands(hidLink, m_timers, kCommitDpiTimer) {}

void DpiPanel::bind(CDataExchange* dx) { DDX_Control(dx, IDC_DPI_SLIDER, m_slider); }

void DpiPanel::placeAndSkin(const Skin& skin) {
  m_slider.SetRange(0, 7, FALSE);
  m_slider.SetWindowPos(nullptr, kSliderPos.x, kSliderPos.y, kSliderSize.cx, kSliderSize.cy, SWP_NOZORDER);
  m_slider.setSkin(skin.backgroundBitmap);
}

void DpiPanel::applySliderRule() {
  invalidate();
  const MouseConfig& config = mouseModel.config();
  const int32_t level = config.dpiLevel;
  // Until the mouse has told its DPI state after a scan, the slider shows
  // what it is moved to but neither the model nor the mouse follows.
  if (level < 0 || level >= kDpiLevels || config.dpiSyncPending) return;
  const int position = m_slider.GetPos();
  if (position == config.dpiStep[level]) return;
  mouseModel.change()->dpiStep[level] = position;
  m_commands.setDpiStep(level, position, 1, 1, 1, 1);
  m_window.saveSettings();
}

bool DpiPanel::applyBoxRules(const MSG& msg) {
  if (msg.message == WM_MOUSEMOVE) {
    m_hoverBox = dpiBoxHitTest(GET_X_LPARAM(msg.lParam), GET_Y_LPARAM(msg.lParam), hidLink.presentCount() != 0);
    return false;
  }
  if (m_hoverBox != -1 && !isMouseDpiLevel(mouseModel.config(), m_hoverBox)) {
    chooseLevel(m_hoverBox);
    return false;
  }
  if (msg.hwnd == m_parent.m_hWnd) {
    // A press on the bare skin drags the window.
    m_parent.PostMessage(WM_NCLBUTTONDOWN, HTCAPTION, msg.lParam);
    return true;
  }
  return false;
}

bool DpiPanel::overBox(POINT at) const { return dpiBoxHitTest(at.x, at.y, hidLink.presentCount() != 0) != -1; }

void DpiPanel::chooseLevel(int level) {
  // No save and no commit: the level is the mouse's to keep. Without a mouse
  // the boxes do nothing, for a key as for a click.
  if (!isValidDpiLevel(level) || isMouseDpiLevel(mouseModel.config(), level) || hidLink.presentCount() == 0) return;
  mouseModel.change()->dpiLevel = level;
  m_slider.SetPos(mouseModel.config().dpiStep[level]);
  m_commands.selectDpiLevel(level);
  invalidate();
}

void DpiPanel::showState(int step) {
  m_slider.SetPos(step);
  invalidate();
}

void DpiPanel::restoreSteps() { m_commands.restoreSteps(mouseModel.config().dpiStep); }

void DpiPanel::resetLevelByLevel() {
  mouseModel.change()->setDefaultDpi();
  // The mouse takes a level's step while that level is current; each write
  // is committed at once. The pauses give its firmware time between levels.
  const size_t writes = std::size(kDefaultDpiWrites);
  for (size_t i = 0; i < writes; ++i) {
    const DefaultDpiWrite& write = kDefaultDpiWrites[i];
    m_commands.selectDpiLevel(write.level);
    m_commands.setDpiStep(write.level, write.step, 1, 1, 1, 1);
    m_commands.commitDpi();
    ::Sleep(i + 1 < writes ? kPauseBetweenLevelsMs : kPauseAfterLastLevelMs);
  }
  finishReset();
}

void DpiPanel::resetSteps() {
  mouseModel.change()->setDefaultDpi();
  m_commands.setDpiStep(0, mouseModel.config().dpiStep[0], 1, 1, 1, 1);
  for (int level = 1; level < kDpiLevels; ++level) {
    ::Sleep(kPauseBetweenStepsMs);
    m_commands.setDpiStep(level, mouseModel.config().dpiStep[level], 1, 1, 1, 1);
  }
  finishReset();
}

void DpiPanel::finishReset() {
  // The mouse answers each selection with its DPI state from before the
  // write, and its own DPI button, pressed meanwhile, with whatever step the
  // level had then: taking either would put old steps back. Which reports
  // those are cannot be counted, as the button adds its own; the answer to
  // one more selection, made once every step is written, tells the new state
  // and ends them.
  if (m_commands.selectDpiLevel(kDefaultDpiLevel)) {
    m_window.awaitDpiAnswer(kDefaultDpiLevel, mouseModel.config().dpiStep[kDefaultDpiLevel]);
    m_parent.SetTimer(kDpiAnswersTimer, kDpiAnswersWaitMs);
  }
  // Left where it was, the slider rule would take the slider's old position
  // back as the current level's step.
  m_slider.SetPos(mouseModel.config().dpiStep[mouseModel.config().dpiLevel]);
  m_parent.Invalidate(FALSE);
  // The whole reset is kept, the DPI values with the assignments.
  m_window.saveSettings();
}

DpiNumberPlace dpiNumberPlace(HWND window, const CSliderCtrl& slider) {
  RECT client;
  slider.GetClientRect(&client);
  RECT thumb;
  slider.GetThumbRect(&thumb);
  POINT right = {client.right, 0};
  POINT centre = {0, (thumb.top + thumb.bottom) / 2};
  ::MapWindowPoints(slider.m_hWnd, window, &right, 1);
  ::MapWindowPoints(slider.m_hWnd, window, &centre, 1);
  DpiNumberPlace place;
  place.textOrigin = {right.x + kDpiNumberOffset.x, centre.y + kDpiNumberOffset.y};
  place.area = {right.x, kDpiNumberAreaTop, right.x + kDpiNumberAreaWidth, kDpiNumberAreaBottom};
  return place;
}

POINT DpiPanel::numberOrigin() const { return dpiNumberPlace(m_parent.m_hWnd, m_slider).textOrigin; }

void DpiPanel::invalidate() {
  const DpiNumberPlace place = dpiNumberPlace(m_parent.m_hWnd, m_slider);
  m_parent.InvalidateRect(&place.area, FALSE);
  m_parent.InvalidateRect(&kDpiBoxStrip, FALSE);
}
