#include "controls/ChoiceStrip.h"

namespace {
const char kClassName[] = "SkivolChoiceStrip";

bool registerClass() {
  static const bool registered = [] {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcA;  // replaced per window
    windowClass.hInstance = ::GetModuleHandleA(nullptr);
    windowClass.lpszClassName = kClassName;
    windowClass.hCursor = nullptr;        // the window below chooses the cursor
    windowClass.hbrBackground = nullptr;  // nothing of its own is drawn
    return ::RegisterClassA(&windowClass) != 0;
  }();
  return registered;
}
}  // namespace

ChoiceStrip::~ChoiceStrip() {
  if (m_hWnd && ::IsWindow(m_hWnd)) ::SetWindowLongPtrA(m_hWnd, GWLP_USERDATA, 0);
}

bool ChoiceStrip::create(HWND parent, int id, const RECT& area, int choices, std::function<int()> current,
                         std::function<void(int)> choose) {
  if (!registerClass()) return false;
  m_choices = choices;
  m_current = std::move(current);
  m_choose = std::move(choose);
  m_hWnd = ::CreateWindowExA(0, kClassName, "", WS_CHILD | WS_VISIBLE | WS_TABSTOP, area.left, area.top,
                             area.right - area.left, area.bottom - area.top, parent,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ::GetModuleHandleA(nullptr), nullptr);
  if (!m_hWnd) return false;
  ::SetWindowLongPtrA(m_hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  ::SetWindowLongPtrA(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ChoiceStrip::windowProc));
  return true;
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

LRESULT CALLBACK ChoiceStrip::windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* strip = reinterpret_cast<ChoiceStrip*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  switch (message) {
    case WM_NCHITTEST:
      // The mouse reaches the window below, whose painted row it clicks.
      return HTTRANSPARENT;
    case WM_ERASEBKGND:
      return TRUE;
    case WM_PAINT: {
      // The window below shows through: nothing is drawn here.
      PAINTSTRUCT paint;
      ::BeginPaint(hwnd, &paint);
      ::EndPaint(hwnd, &paint);
      return 0;
    }
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_KEYDOWN:
      if (strip && (wParam == VK_LEFT || wParam == VK_RIGHT)) {
        strip->onKey(wParam);
        return 0;
      }
      break;
    case WM_CHAR:
      if (strip) strip->onCharacter(wParam);
      return 0;
    default:
      break;
  }
  return ::DefWindowProcA(hwnd, message, wParam, lParam);
}
