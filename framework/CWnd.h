// A C++ object attached to a window. Every window of the program reaches its
// object the same way: the one static window procedure, StaticWindowProc,
// finds the object in the window's GWLP_USERDATA (which nothing else in the
// program uses) and hands each message to WindowProc, then the class's
// message map, then DefWindowProc. A window the program makes itself
// (CreateEx, of a class from RegisterWindowClass) is bound at WM_NCCREATE and
// belongs to its object, whose end destroys it; a window the system makes (a
// dialog from its template, the dialog's controls) is bound by subclassing
// it, and its end gives the window back its own procedure. From the
// window's last message (WM_NCDESTROY) or the object's end on, no message
// reaches the object.
#pragma once
#include <windows.h>

#include "framework/CString.h"
#include "framework/MessageMap.h"

class MessageWatcher;

class CWnd {
public:
  CWnd() = default;
  virtual ~CWnd();
  CWnd(const CWnd&) = delete;
  CWnd& operator=(const CWnd&) = delete;

  HWND m_hWnd = nullptr;
  operator HWND() const { return m_hWnd; }
  HWND GetSafeHwnd() const { return m_hWnd; }

  // The object attached to a window, or null.
  static CWnd* FromHandlePermanent(HWND hwnd);

  // Registers a window class whose windows go to their objects; false when
  // the system refused it. Registering a class again does nothing.
  static bool RegisterWindowClass(const char* className, HCURSOR cursor = nullptr, HBRUSH background = nullptr);
  // Makes a window of such a class, bound to this object from WM_NCCREATE
  // on; the window is the object's, destroyed at the latest with it.
  BOOL CreateEx(DWORD exStyle, const char* className, const char* title, DWORD style, const RECT& rect, HWND parent,
                UINT id = 0);

  // The one watcher of the window's messages, or none (null).
  void SetWatcher(MessageWatcher* watcher) { m_watcher = watcher; }
  MessageWatcher* GetWatcher() const { return m_watcher; }

  // Attaches this object to an existing window and routes its messages here.
  BOOL SubclassWindow(HWND hwnd);
  BOOL SubclassDlgItem(UINT id, CWnd* parent);
  // Hands the window back to its original procedure and detaches.
  HWND UnsubclassWindow();

  // Offered every queued message for this window or one of its children
  // before it is dispatched; TRUE means the message is handled.
  virtual BOOL PreTranslateMessage(MSG* msg);
  virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
  virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);

  // Offers `msg` to the PreTranslateMessage of the target window's object and
  // then of each parent's, up to and including `stop`; TRUE once one takes it.
  static BOOL WalkPreTranslateTree(HWND stop, MSG* msg);

  // Thin wrappers.
  BOOL ShowWindow(int command) { return ::ShowWindow(m_hWnd, command); }
  BOOL IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
  BOOL IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd); }
  BOOL EnableWindow(BOOL enable = TRUE) { return ::EnableWindow(m_hWnd, enable); }
  BOOL IsIconic() const { return ::IsIconic(m_hWnd); }
  void Invalidate(BOOL erase = TRUE) { ::InvalidateRect(m_hWnd, nullptr, erase); }
  void InvalidateRect(const RECT* rect, BOOL erase = TRUE) { ::InvalidateRect(m_hWnd, rect, erase); }
  void UpdateWindow() { ::UpdateWindow(m_hWnd); }
  void SetWindowText(const char* text) { ::SetWindowTextA(m_hWnd, text); }
  CString GetWindowText() const;
  BOOL SetWindowPos(HWND after, int x, int y, int cx, int cy, UINT flags) {
    return ::SetWindowPos(m_hWnd, after, x, y, cx, cy, flags);
  }
  void GetClientRect(RECT* rect) const { ::GetClientRect(m_hWnd, rect); }
  void GetWindowRect(RECT* rect) const { ::GetWindowRect(m_hWnd, rect); }
  HWND GetDlgItem(int id) const { return ::GetDlgItem(m_hWnd, id); }
  HWND GetParent() const { return ::GetParent(m_hWnd); }
  LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
    return ::SendMessageA(m_hWnd, message, wParam, lParam);
  }
  BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
    return ::PostMessageA(m_hWnd, message, wParam, lParam);
  }
  UINT_PTR SetTimer(UINT_PTR id, UINT elapse) { return ::SetTimer(m_hWnd, id, elapse, nullptr); }
  BOOL KillTimer(UINT_PTR id) { return ::KillTimer(m_hWnd, id); }
  DWORD GetStyle() const { return static_cast<DWORD>(::GetWindowLongA(m_hWnd, GWL_STYLE)); }
  BOOL DestroyWindow();

protected:
  static const MessageMap* GetThisMessageMap();
  virtual const MessageMap* GetMessageMap() const;
  // Runs the first matching handler of the map chain that handles the message.
  bool DispatchToMessageMap(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
  // Called after the window is gone and the object detached.
  virtual void PostNcDestroy() {}

  void Attach(HWND hwnd);
  void Detach();

  static LRESULT CALLBACK StaticWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  WNDPROC m_superProc = nullptr;
  // The window was made with the wide functions; its messages come and go
  // in their wide form.
  bool m_unicode = false;
  // The window was made by CreateEx: the object destroys it.
  bool m_ownsWindow = false;
  MessageWatcher* m_watcher = nullptr;

private:
  static LRESULT callSuper(WNDPROC super, bool unicode, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
};
