// Tells a window when something in a folder changed (a file written, made,
// renamed or removed), through the system's change notification: no timer
// looks. A thread of its own waits for the notification and posts one
// message to the window; until the window has taken it (done()), further
// changes post nothing more, so a burst of changes costs one message.
#pragma once
#include <windows.h>

#include <atomic>
#include <string>

#include "framework/CHandle.h"

class FolderWatch {
public:
  FolderWatch() = default;
  ~FolderWatch() { stop(); }
  FolderWatch(const FolderWatch&) = delete;
  FolderWatch& operator=(const FolderWatch&) = delete;

  // Watches `folder` (UTF-8); `message` goes to `window`. False when the
  // folder cannot be watched: changes are then seen at the next save only.
  bool start(const std::string& folder, HWND window, UINT message);
  // The window took the message: the next change posts another.
  void done() { m_posted = false; }
  // Ends the watch and waits for its thread.
  void stop();

private:
  static DWORD WINAPI run(void* self);

  // Closed by its own function, not CloseHandle.
  HANDLE m_change = INVALID_HANDLE_VALUE;
  CHandle m_stop;
  CHandle m_thread;
  HWND m_window = nullptr;
  UINT m_message = 0;
  std::atomic<bool> m_posted{false};
};
