// MainDialog: every DPI rule of the main window. The slider sets the current
// level's step, a DPI box makes its level current, the mouse's own DPI state
// is shown, and the resets write the default steps and then drop the mouse's
// stale DPI reports until it answers.
#include "app/MainDialog.h"

#include <windowsx.h>

#include <iterator>

#include "device/HidLink.h"
#include "device/MouseConfig.h"
#include "mainwnd/DpiBoxes.h"
#include "mainwnd/DpiLayout.h"

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
}  // namespace

bool MainDialog::setDpiStep(int32_t level, int32_t step, uint8_t byte4, uint8_t byte5, uint8_t byte6, uint8_t byte7) {
  return m_dpiCommands.setDpiStep(level, step, byte4, byte5, byte6, byte7);
}

bool MainDialog::selectDpiLevel(int32_t level) { return m_dpiCommands.selectDpiLevel(level); }

void MainDialog::commitDpi() { m_dpiCommands.commitDpi(); }

void MainDialog::applySliderRule() {
  invalidateDpiAreas(*this);
  const int32_t level = mouseConfig.dpiLevel;
  // Until the mouse has told its DPI state after a scan, the slider shows
  // what it is moved to but neither the model nor the mouse follows.
  if (level < 0 || level >= kDpiLevels || mouseConfig.dpiSyncPending) return;
  const int position = m_dpiSlider.GetPos();
  if (position == mouseConfig.dpiStep[level]) return;
  mouseConfig.dpiStep[level] = position;
  setDpiStep(level, position, 1, 1, 1, 1);
  saveSettings();
}

bool MainDialog::applyDpiBoxRules(const MSG* msg) {
  if (msg->message == WM_MOUSEMOVE) {
    m_hoverDpiBox = dpiBoxHitTest(GET_X_LPARAM(msg->lParam), GET_Y_LPARAM(msg->lParam), hidLink.presentCount() != 0);
    return false;
  }
  if (m_hoverDpiBox != -1 && !isMouseDpiLevel(mouseConfig, m_hoverDpiBox)) {
    chooseDpiLevel(m_hoverDpiBox);
    return false;
  }
  if (msg->hwnd == m_hWnd) {
    // A press on the bare skin drags the window.
    PostMessage(WM_NCLBUTTONDOWN, HTCAPTION, msg->lParam);
    return true;
  }
  return false;
}

void MainDialog::chooseDpiLevel(int level) {
  // No save and no commit: the level is the mouse's to keep. Without a mouse
  // the boxes do nothing, for a key as for a click.
  if (!isValidDpiLevel(level) || isMouseDpiLevel(mouseConfig, level) || hidLink.presentCount() == 0) return;
  mouseConfig.dpiLevel = level;
  m_dpiSlider.SetPos(mouseConfig.dpiStep[level]);
  selectDpiLevel(level);
  invalidateDpiAreas(*this);
}

void MainDialog::showDpiState(int step) {
  m_dpiSlider.SetPos(step);
  invalidateDpiAreas(*this);
}

void MainDialog::resetDpiLevelByLevel() {
  mouseConfig.setDefaultDpi();
  // The mouse takes a level's step while that level is current; each write
  // is committed at once. The pauses give its firmware time between levels.
  const size_t writes = std::size(kDefaultDpiWrites);
  for (size_t i = 0; i < writes; ++i) {
    const DefaultDpiWrite& write = kDefaultDpiWrites[i];
    selectDpiLevel(write.level);
    setDpiStep(write.level, write.step, 1, 1, 1, 1);
    commitDpi();
    ::Sleep(i + 1 < writes ? kPauseBetweenLevelsMs : kPauseAfterLastLevelMs);
  }
  finishDpiReset();
}

void MainDialog::resetDpiSteps() {
  mouseConfig.setDefaultDpi();
  setDpiStep(0, mouseConfig.dpiStep[0], 1, 1, 1, 1);
  for (int level = 1; level < kDpiLevels; ++level) {
    ::Sleep(kPauseBetweenStepsMs);
    setDpiStep(level, mouseConfig.dpiStep[level], 1, 1, 1, 1);
  }
  finishDpiReset();
}

void MainDialog::finishDpiReset() {
  // The mouse answers each selection with its DPI state from before the
  // write, and its own DPI button, pressed meanwhile, with whatever step the
  // level had then: taking either would put old steps back. Which reports
  // those are cannot be counted, as the button adds its own; the answer to
  // one more selection, made once every step is written, tells the new state
  // and ends them.
  if (selectDpiLevel(kDefaultDpiLevel)) {
    m_inputEngine.awaitDpiAnswer(static_cast<uint8_t>(kDefaultDpiLevel),
                                 static_cast<uint8_t>(mouseConfig.dpiStep[kDefaultDpiLevel]));
    SetTimer(kDpiAnswersTimer, kDpiAnswersWaitMs);
  }
  // Left where it was, the slider rule would take the slider's old position
  // back as the current level's step.
  m_dpiSlider.SetPos(mouseConfig.dpiStep[mouseConfig.dpiLevel]);
  Invalidate(FALSE);
  // The whole reset is kept, the DPI values with the assignments.
  saveSettings();
}

DpiNumberPlace dpiNumberPlace(const MainDialog& window) {
  RECT client;
  window.m_dpiSlider.GetClientRect(&client);
  RECT thumb;
  window.m_dpiSlider.GetThumbRect(&thumb);
  POINT right = {client.right, 0};
  POINT centre = {0, (thumb.top + thumb.bottom) / 2};
  ::MapWindowPoints(window.m_dpiSlider.m_hWnd, window.m_hWnd, &right, 1);
  ::MapWindowPoints(window.m_dpiSlider.m_hWnd, window.m_hWnd, &centre, 1);
  DpiNumberPlace place;
  place.textOrigin = {right.x + kDpiNumberOffset.x, centre.y + kDpiNumberOffset.y};
  place.area = {right.x, kDpiNumberAreaTop, right.x + kDpiNumberAreaWidth, kDpiNumberAreaBottom};
  return place;
}

POINT MainDialog::dpiNumberOrigin() const { return dpiNumberPlace(*this).textOrigin; }

void invalidateDpiAreas(MainDialog& window) {
  DpiNumberPlace place = dpiNumberPlace(window);
  window.InvalidateRect(&place.area, FALSE);
  window.InvalidateRect(&kDpiBoxStrip, FALSE);
}
