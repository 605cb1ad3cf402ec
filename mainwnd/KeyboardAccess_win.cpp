#include "mainwnd/KeyboardAccess.h"

#include <commctrl.h>
#include <oleacc.h>

#include <string>

#include "controls/AccessibleProxy.h"
#include "controls/SkinButton.h"
#include "controls/SkinComboBox.h"
#include "controls/SkinSlider.h"
#include "device/MouseModel.h"
#include "mainwnd/DpiLayout.h"
#include "mainwnd/PaintedWindow.h"
#include "texts/UiTexts.h"

namespace {
// The painted DPI level boxes, the strip's place.
constexpr RECT kLevelBoxes = {kDpiBoxHitLeft, kDpiBoxHitTop, kDpiBoxHitRight + kDpiBoxPitch * (kDpiLevels - 1),
                              kDpiBoxHitBottom};
// The outline keeps this far from a control; around the DPI levels further,
// clear of the current level's own white outline.
constexpr int kRingGap = 3;
constexpr int kLevelsRingGap = 5;
constexpr int kSliderRingSideGap = 2;
// The outline's pen, wider than the ring's gap would need repainting.
constexpr int kRingRepaintMargin = 3;

CString number(int value) { return CString(std::to_string(value)); }

// Messages that only draw or ask, which a repaint sends by the dozen: after
// them no control's value can have changed, and looking would cost each of
// them a question to the slider.
bool mayChangeValue(UINT message) {
  switch (message) {
    case WM_PAINT:
    case WM_NCPAINT:
    case WM_ERASEBKGND:
    case WM_PRINT:
    case WM_PRINTCLIENT:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_NOTIFY:  // the slider's custom drawing
    case WM_NCHITTEST:
    case WM_SETCURSOR:
    case WM_MOUSEMOVE:
    case WM_NCMOUSEMOVE:
    case WM_GETOBJECT:
    case WM_GETTEXT:
    case WM_GETTEXTLENGTH:
    case WM_GETDLGCODE:
    case WM_GETFONT:
    case TBM_GETPOS:
      return false;
    default:
      return true;
  }
}

RECT rectInParent(HWND control, HWND parent) {
  RECT rect;
  ::GetWindowRect(control, &rect);
  ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}
}  // namespace

KeyboardAccess::~KeyboardAccess() { detach(); }

void KeyboardAccess::attach(const Window& window) {
  m_window = window;
  PaintedWindow::SkinnedControls controls = window.painted->skinnedControls();
  m_dialog = window.painted->paintedHandle();
  for (int row = RowFirst; row <= RowLast; ++row) m_parts[row] = controls.combos[row]->m_hWnd;
  m_parts[Slider] = controls.slider->m_hWnd;
  m_parts[ProfileBox] = controls.profileBox->m_hWnd;
  m_parts[CloseButton] = controls.buttons[0]->m_hWnd;
  m_parts[MinimizeButton] = controls.buttons[1]->m_hWnd;
  m_parts[DefaultButton] = controls.buttons[2]->m_hWnd;
  m_parts[Dialog] = m_dialog;

  m_levels.create(m_dialog, kDpiLevelsControlId, kLevelBoxes, kDpiLevels, [] { return mouseModel.config().dpiLevel; },
                  [this](int level) { m_window.chooseDpiLevel(level); });
  m_parts[Levels] = m_levels.m_hWnd;
  // Usable when the slider is: both need the mouse.
  ::EnableWindow(m_levels.m_hWnd, ::IsWindowEnabled(m_parts[Slider]));

  // The tab order follows the order of the controls: the DPI levels come
  // after the last row, and "-" and "X" after "Default".
  const UINT keepPlace = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
  ::SetWindowPos(m_parts[Levels], m_parts[RowLast], 0, 0, 0, 0, keepPlace);
  ::SetWindowPos(m_parts[MinimizeButton], m_parts[DefaultButton], 0, 0, 0, 0, keepPlace);
  ::SetWindowPos(m_parts[CloseButton], m_parts[MinimizeButton], 0, 0, 0, 0, keepPlace);
  for (int part : {MinimizeButton, CloseButton}) {
    const LONG style = ::GetWindowLongA(m_parts[part], GWL_STYLE);
    ::SetWindowLongA(m_parts[part], GWL_STYLE, style | WS_TABSTOP);
  }

  for (int part = 0; part < PartCount; ++part) {
    CWnd* object = CWnd::FromHandlePermanent(m_parts[part]);
    if (!object) {
      m_parts[part] = nullptr;
      continue;
    }
    m_watches[part].m_access = this;
    m_watches[part].m_part = part;
    object->SetWatcher(&m_watches[part]);
  }
  // The mouse user's window shows no focus until the keyboard is used here,
  // whatever the system's setting for keyboard cues (which Wine has on): the
  // window is drawn for the mouse first.
  m_cuesShown = false;
  ::SendMessageA(m_dialog, WM_CHANGEUISTATE, MAKEWPARAM(UIS_SET, UISF_HIDEFOCUS), 0);
  m_seen = Seen();
  announceChanges();
}

void KeyboardAccess::detach() {
  for (int part = 0; part < PartCount; ++part) {
    // A window gone, or bound to another object since, is left alone.
    CWnd* object = CWnd::FromHandlePermanent(m_parts[part]);
    if (object && object->GetWatcher() == &m_watches[part]) object->SetWatcher(nullptr);
    m_parts[part] = nullptr;
  }
  m_dialog = nullptr;
}

bool KeyboardAccess::preTranslate(const MSG& msg) {
  const bool ours = m_dialog && (msg.hwnd == m_dialog || ::IsChild(m_dialog, msg.hwnd));
  switch (msg.message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      if (!ours) break;
      m_lastInput = msg.wParam == VK_RETURN ? Input::Enter : Input::OtherKey;
      // The user works by keyboard: the focus shows from now on.
      // The system is told, and the window does not wait for its answer,
      // which not every system sends.
      if (!m_cuesShown) {
        ::SendMessageA(m_dialog, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
        m_cuesShown = true;
        updateRing();
      }
      // A combo box takes F4 as "open the list", also with Alt held: the
      // window closes (hides) instead, whichever control has the focus.
      if (msg.message == WM_SYSKEYDOWN && msg.wParam == VK_F4 && (msg.lParam & (1 << 29))) {
        ::PostMessageA(m_dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
        return true;
      }
      break;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_NCLBUTTONDOWN:
      m_lastInput = Input::Mouse;
      break;
    default:
      break;
  }
  return false;
}

RECT KeyboardAccess::focusRing() const {
  RECT ring = {0, 0, 0, 0};
  if (!m_cuesShown || !m_dialog) return ring;
  const HWND focus = ::GetFocus();
  for (int part : {Slider, Levels, DefaultButton, MinimizeButton, CloseButton}) {
    if (!focus || focus != m_parts[part]) continue;
    ring = rectInParent(focus, m_dialog);
    const int gap = part == Levels ? kLevelsRingGap : kRingGap;
    // The DPI number's box follows the slider closely on its right.
    ::InflateRect(&ring, part == Slider ? kSliderRingSideGap : gap, gap);
  }
  return ring;
}

void KeyboardAccess::updateRing() {
  const RECT ring = focusRing();
  if (::EqualRect(&ring, &m_ringShown)) return;
  for (RECT area : {m_ringShown, ring}) {
    if (::IsRectEmpty(&area)) continue;
    ::InflateRect(&area, kRingRepaintMargin, kRingRepaintMargin);
    ::InvalidateRect(m_dialog, &area, FALSE);
  }
  m_ringShown = ring;
}

LRESULT KeyboardAccess::answerAccessible(int part, WPARAM wParam, LPARAM lParam) const {
  AccessibleTexts texts;
  PaintedWindow* painted = m_window.painted;
  if (part >= RowFirst && part <= RowLast) {
    texts.name = [painted, part] {
      const char* label = painted->rowLabel(part);
      return CString(label ? label : "");
    };
    texts.value = [this, part] { return m_window.rowValue(part); };
  } else if (part == ProfileBox) {
    texts.name = [] { return uiTexts[UiText::ProfileLabel]; };
    texts.wideValue = [painted] { return painted->skinnedControls().profileBox->wideSelectionText(); };
  } else if (part == Slider) {
    texts.name = [] { return uiTexts[UiText::AccessDpi]; };
    texts.value = [painted] { return number(400 * (painted->dpiSliderPos() + 1)) + " " + uiTexts[UiText::AccessDpi]; };
  } else if (part == Levels) {
    texts.name = [] { return uiTexts[UiText::AccessDpiLevel]; };
    texts.value = [] {
      return number(mouseModel.config().dpiLevel + 1) + " " + uiTexts[UiText::AccessOf] + " " + number(kDpiLevels);
    };
    texts.role = ROLE_SYSTEM_SLIDER;
  } else if (part == MinimizeButton) {
    texts.name = [] { return uiTexts[UiText::AccessMinimise]; };
  } else if (part == CloseButton) {
    texts.name = [] { return uiTexts[UiText::AccessHide]; };
  } else {
    return 0;  // "Default" and the window are named by their own texts
  }
  return answerAccessibleObject(m_parts[part], wParam, lParam, texts);
}

void KeyboardAccess::announceValue(HWND control) const {
  if (control) ::NotifyWinEvent(EVENT_OBJECT_VALUECHANGE, control, OBJID_CLIENT, CHILDID_SELF);
}

void KeyboardAccess::announceChanges() {
  if (m_announcing || !m_dialog) return;
  m_announcing = true;
  const PaintedWindow::SkinnedControls controls = m_window.painted->skinnedControls();
  for (int row = RowFirst; row <= RowLast; ++row) {
    const SkinComboBox& combo = *controls.combos[row];
    const int now[3] = {combo.m_selectedIndex, combo.m_scanCode, combo.m_modifiers};
    int* seen = m_seen.rows[row];
    if (now[0] != seen[0] || now[1] != seen[1] || now[2] != seen[2]) {
      seen[0] = now[0], seen[1] = now[1], seen[2] = now[2];
      announceValue(m_parts[row]);
    }
  }
  if (controls.profileBox->m_selectedIndex != m_seen.profile) {
    m_seen.profile = controls.profileBox->m_selectedIndex;
    announceValue(m_parts[ProfileBox]);
  }
  const int slider = m_window.painted->dpiSliderPos();
  if (slider != m_seen.slider) {
    m_seen.slider = slider;
    announceValue(m_parts[Slider]);
  }
  if (mouseModel.config().dpiLevel != m_seen.level) {
    m_seen.level = mouseModel.config().dpiLevel;
    announceValue(m_parts[Levels]);
  }
  m_announcing = false;
}

bool KeyboardAccess::PartWatch::beforeMessage(HWND, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  if (message != WM_GETOBJECT || !m_access->m_parts[m_part]) return false;
  result = m_access->answerAccessible(m_part, wParam, lParam);
  return result != 0;
}

void KeyboardAccess::PartWatch::afterMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM) {
  KeyboardAccess& access = *m_access;
  switch (message) {
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      access.updateRing();
      break;
    case WM_UPDATEUISTATE:
      // Only an explicit change of the focus cues counts: the state the
      // system initialises from its last input is not the window's, whose
      // mouse user sees no focus until the keyboard is used here.
      if (hwnd == access.m_dialog && (HIWORD(wParam) & UISF_HIDEFOCUS)) {
        if (LOWORD(wParam) == UIS_SET) access.m_cuesShown = false;
        if (LOWORD(wParam) == UIS_CLEAR) access.m_cuesShown = true;
      }
      access.updateRing();
      break;
    default:
      break;
  }
  if (mayChangeValue(message)) access.announceChanges();
}

void KeyboardAccess::PartWatch::detached(HWND) {
  m_access->m_parts[m_part] = nullptr;
  if (m_part == Dialog) m_access->m_dialog = nullptr;
}
