#include "framework/CWnd.h"

#include "framework/MessageWatcher.h"

namespace {
HINSTANCE programInstance() { return ::GetModuleHandleA(nullptr); }
}  // namespace

CWnd::~CWnd() {
  // A window that outlives its object must not call into it any more; one
  // the object made goes with it.
  if (!m_hWnd || !::IsWindow(m_hWnd)) return;
  const bool owned = m_ownsWindow;
  HWND hwnd = UnsubclassWindow();
  if (owned) ::DestroyWindow(hwnd);
}

CWnd* CWnd::FromHandlePermanent(HWND hwnd) {
  if (!hwnd) return nullptr;
  // The window's user data, not a window property: under Wine a property is
  // a round trip to the window server, and this runs for every message.
  return reinterpret_cast<CWnd*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
}

void CWnd::Attach(HWND hwnd) {
  m_hWnd = hwnd;
  ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

void CWnd::Detach() {
  if (!m_hWnd) return;
  ::SetWindowLongPtrA(m_hWnd, GWLP_USERDATA, 0);
  HWND hwnd = m_hWnd;
  m_hWnd = nullptr;
  m_ownsWindow = false;
  if (MessageWatcher* watcher = m_watcher) {
    m_watcher = nullptr;
    watcher->detached(hwnd);
  }
}

bool CWnd::RegisterWindowClass(const char* className, HCURSOR cursor, HBRUSH background) {
  WNDCLASSA windowClass = {};
  if (::GetClassInfoA(programInstance(), className, &windowClass)) return true;
  windowClass.lpfnWndProc = &CWnd::StaticWindowProc;
  windowClass.hInstance = programInstance();
  windowClass.lpszClassName = className;
  windowClass.hCursor = cursor;
  windowClass.hbrBackground = background;
  return ::RegisterClassA(&windowClass) != 0;
}

BOOL CWnd::CreateEx(DWORD exStyle, const char* className, const char* title, DWORD style, const RECT& rect,
                    HWND parent, UINT id) {
  if (m_hWnd) return FALSE;
  // The window binds itself to this object at WM_NCCREATE (StaticWindowProc);
  // messages before that one go to the default procedure.
  HWND hwnd = ::CreateWindowExA(exStyle, className, title, style, rect.left, rect.top, rect.right - rect.left,
                                rect.bottom - rect.top, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                programInstance(), this);
  if (!hwnd) return FALSE;
  if (m_hWnd != hwnd) {
    // Not a class of RegisterWindowClass: nothing bound it.
    ::DestroyWindow(hwnd);
    return FALSE;
  }
  m_ownsWindow = true;
  return TRUE;
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
  if (!wnd && message == WM_NCCREATE) {
    // A window of a class of RegisterWindowClass, made by CreateEx, which
    // passes its object.
    wnd = static_cast<CWnd*>(reinterpret_cast<const CREATESTRUCTA*>(lParam)->lpCreateParams);
    if (wnd && !wnd->m_hWnd) {
      wnd->Attach(hwnd);
      wnd->m_unicode = ::IsWindowUnicode(hwnd) != FALSE;
      wnd->m_superProc = nullptr;
    } else {
      wnd = nullptr;
    }
  }
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
  MessageWatcher* watcher = wnd->m_watcher;
  if (!watcher) return wnd->WindowProc(message, wParam, lParam);
  LRESULT result = 0;
  if (watcher->beforeMessage(hwnd, message, wParam, lParam, result)) return result;
  result = wnd->WindowProc(message, wParam, lParam);
  // The message may have destroyed the window, or the object: the watcher
  // hears only of a window still bound to it.
  if (FromHandlePermanent(hwnd) == wnd && wnd->m_watcher == watcher) watcher->afterMessage(hwnd, message, wParam, lParam);
  return result;
}

BOOL CWnd::WalkPreTranslateTree(HWND stop, MSG* msg) {
  for (HWND hwnd = msg->hwnd; hwnd; hwnd = ::GetParent(hwnd)) {
    CWnd* wnd = FromHandlePermanent(hwnd);
    if (wnd && wnd->PreTranslateMessage(msg)) return TRUE;
    if (hwnd == stop) break;
  }
  return FALSE;
}
