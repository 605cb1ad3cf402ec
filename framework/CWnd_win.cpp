#include "framework/CWnd.h"

namespace {
// The window property that holds a window's C++ object.
const char kObjectProperty[] = "Skivol.CWnd";
}  // namespace

CWnd::~CWnd() {
  // A window that outlives its object must not call into it any more.
  if (m_hWnd && ::IsWindow(m_hWnd)) UnsubclassWindow();
}

CWnd* CWnd::FromHandlePermanent(HWND hwnd) {
  if (!hwnd) return nullptr;
  return static_cast<CWnd*>(::GetPropA(hwnd, kObjectProperty));
}

void CWnd::Attach(HWND hwnd) {
  m_hWnd = hwnd;
  ::SetPropA(hwnd, kObjectProperty, this);
}

void CWnd::Detach() {
  if (!m_hWnd) return;
  ::RemovePropA(m_hWnd, kObjectProperty);
  m_hWnd = nullptr;
}

LRESULT CWnd::callSuper(WNDPROC super, bool unicode, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (super) {
    return unicode ? ::CallWindowProcW(super, hwnd, message, wParam, lParam)
                   : ::CallWindowProcA(super, hwnd, message, wParam, lParam);
  }
  return unicode ? ::DefWindowProcW(hwnd, message, wParam, lParam) : ::DefWindowProcA(hwnd, message, wParam, lParam);
}

BOOL CWnd::SubclassWindow(HWND hwnd) {
  if (!hwnd || m_hWnd || FromHandlePermanent(hwnd)) return FALSE;
  Attach(hwnd);
  // A window made with the wide functions stays wide: an ANSI procedure in
  // its chain would pass its texts through the system code page, which turns
  // every character outside it into "?".
  m_unicode = ::IsWindowUnicode(hwnd) != FALSE;
  const LONG_PTR proc = reinterpret_cast<LONG_PTR>(&CWnd::StaticWindowProc);
  m_superProc = reinterpret_cast<WNDPROC>(m_unicode ? ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, proc)
                                                    : ::SetWindowLongPtrA(hwnd, GWLP_WNDPROC, proc));
  return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT id, CWnd* parent) {
  return SubclassWindow(::GetDlgItem(parent->m_hWnd, static_cast<int>(id)));
}

HWND CWnd::UnsubclassWindow() {
  HWND hwnd = m_hWnd;
  if (!hwnd) return nullptr;
  // Stop dispatching to this object first, then restore the procedure while
  // the window is still valid.
  if (m_superProc) {
    const LONG_PTR proc = reinterpret_cast<LONG_PTR>(m_superProc);
    if (m_unicode) {
      ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, proc);
    } else {
      ::SetWindowLongPtrA(hwnd, GWLP_WNDPROC, proc);
    }
  }
  Detach();
  m_superProc = nullptr;
  return hwnd;
}

BOOL CWnd::DestroyWindow() {
  if (!m_hWnd) return FALSE;
  return ::DestroyWindow(m_hWnd);
}

CString CWnd::GetWindowText() const {
  int length = ::GetWindowTextLengthA(m_hWnd);
  if (length <= 0) return CString();
  std::string text(static_cast<size_t>(length) + 1, '\0');
  int got = ::GetWindowTextA(m_hWnd, text.data(), length + 1);
  text.resize(got > 0 ? static_cast<size_t>(got) : 0);
  return CString(std::move(text));
}

BOOL CWnd::PreTranslateMessage(MSG*) { return FALSE; }

const MessageMap* CWnd::GetThisMessageMap() {
  static const MessageMapEntry entries[] = {{0, 0, 0, 0, nullptr, nullptr}};
  static const MessageMap map = {nullptr, entries};
  return &map;
}

const MessageMap* CWnd::GetMessageMap() const { return GetThisMessageMap(); }

bool CWnd::DispatchToMessageMap(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  const WORD code = HIWORD(wParam);
  const WORD id = LOWORD(wParam);
  for (const MessageMap* map = GetMessageMap(); map; map = map->base ? map->base() : nullptr) {
    for (const MessageMapEntry* e = map->entries; e->onMessage || e->onCommand; ++e) {
      if (e->message != message) continue;
      BOOL handled = TRUE;
      if (e->onCommand) {
        if (e->code != kAnyCode && e->code != code) continue;
        if (id < e->idFirst || id > e->idLast) continue;
        result = (this->*e->onCommand)(code, id, reinterpret_cast<HWND>(lParam), handled);
      } else {
        result = (this->*e->onMessage)(message, wParam, lParam, handled);
      }
      if (handled) return true;
    }
  }
  return false;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  if (DispatchToMessageMap(message, wParam, lParam, result)) return result;
  return DefWindowProc(message, wParam, lParam);
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  return callSuper(m_superProc, m_unicode, m_hWnd, message, wParam, lParam);
}

LRESULT CALLBACK CWnd::StaticWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  CWnd* wnd = FromHandlePermanent(hwnd);
  if (!wnd) return callSuper(nullptr, ::IsWindowUnicode(hwnd) != FALSE, hwnd, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    // Last message: let the window finish, then detach before the HWND dies.
    WNDPROC super = wnd->m_superProc;
    const bool unicode = wnd->m_unicode;
    wnd->UnsubclassWindow();
    LRESULT result = callSuper(super, unicode, hwnd, message, wParam, lParam);
    wnd->PostNcDestroy();
    return result;
  }
  return wnd->WindowProc(message, wParam, lParam);
}

BOOL CWnd::WalkPreTranslateTree(HWND stop, MSG* msg) {
  for (HWND hwnd = msg->hwnd; hwnd; hwnd = ::GetParent(hwnd)) {
    CWnd* wnd = FromHandlePermanent(hwnd);
    if (wnd && wnd->PreTranslateMessage(msg)) return TRUE;
    if (hwnd == stop) break;
  }
  return FALSE;
}
