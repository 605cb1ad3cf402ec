#include "controls/ChoiceStrip.h"

#include "framework/GdiObjects.h"

namespace {
const char kClassName[] = "SkivolChoiceStrip";
}  // namespace

BEGIN_MESSAGE_MAP(ChoiceStrip, CWnd)
  ON_MESSAGE(WM_NCHITTEST, OnNcHitTest)
  ON_MESSAGE(WM_ERASEBKGND, OnEraseBackground)
  ON_MESSAGE(WM_PAINT, OnPaint)
  ON_MESSAGE(WM_GETDLGCODE, OnGetDlgCode)
  ON_MESSAGE(WM_KEYDOWN, OnKeyDown)
  ON_MESSAGE(WM_CHAR, OnChar)
END_MESSAGE_MAP()

bool ChoiceStrip::create(HWND parent, int id, const RECT& area, int choices, std::function<int()> current,
                         std::function<void(int)> choose) {
  // No cursor (the window below chooses it) and no background: nothing of
  // its own is drawn.
  if (!RegisterWindowClass(kClassName)) return false;
  m_choices = choices;
  m_current = std::move(current);
  m_choose = std::move(choose);
  return CreateEx(0, kClassName, "", WS_CHILD | WS_VISIBLE | WS_TABSTOP, area, parent, static_cast<UINT>(id)) != FALSE;
}

void ChoiceStrip::onKey(WPARAM key) {
  const int now = m_current();
  int wanted = now;
  if (key == VK_LEFT) wanted = now <= 0 ? 0 : now - 1;
  if (key == VK_RIGHT) wanted = now < 0 ? 0 : (now + 1 < m_choices ? now + 1 : m_choices - 1);
  if (wanted != now) m_choose(wanted);
}

void ChoiceStrip::onCharacter(WPARAM character) {
  // Characters, not key codes: on a keyboard whose digits need Shift the
  // digit still picks its choice.
  const int wanted = static_cast<int>(character) - '1';
  if (wanted >= 0 && wanted < m_choices && wanted < 9) m_choose(wanted);
}

LRESULT ChoiceStrip::OnNcHitTest(UINT, WPARAM, LPARAM, BOOL&) {
  // The mouse reaches the window below, whose painted row it clicks.
  return HTTRANSPARENT;
}

LRESULT ChoiceStrip::OnEraseBackground(UINT, WPARAM, LPARAM, BOOL&) { return TRUE; }

LRESULT ChoiceStrip::OnPaint(UINT, WPARAM, LPARAM, BOOL&) {
  // The window below shows through: nothing is drawn here.
  PaintDC paint(m_hWnd);
  return 0;
}

LRESULT ChoiceStrip::OnGetDlgCode(UINT, WPARAM, LPARAM, BOOL&) { return DLGC_WANTARROWS | DLGC_WANTCHARS; }

LRESULT ChoiceStrip::OnKeyDown(UINT, WPARAM wParam, LPARAM, BOOL& handled) {
  if (wParam != VK_LEFT && wParam != VK_RIGHT) {
    handled = FALSE;
    return 0;
  }
  onKey(wParam);
  return 0;
}

LRESULT ChoiceStrip::OnChar(UINT, WPARAM wParam, LPARAM, BOOL&) {
  onCharacter(wParam);
  return 0;
}
