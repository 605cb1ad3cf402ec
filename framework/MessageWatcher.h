// Something besides a window's own object that must see the window's
// messages: it is offered each one before the object and told of it after,
// through the object's one window procedure, so that nothing else is put in
// front of that procedure. A window has at most one watcher.
#pragma once
#include <windows.h>

class MessageWatcher {
public:
  // Before the object: true when the watcher answered the message itself,
  // with `result`; the object then never sees it.
  virtual bool beforeMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) = 0;
  // After the object handled it, while the window is still bound to it.
  virtual void afterMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) = 0;
  // The window and its object parted (the window is being destroyed, or the
  // object let it go): no more of its messages come here.
  virtual void detached(HWND hwnd) = 0;

protected:
  ~MessageWatcher() = default;
};
