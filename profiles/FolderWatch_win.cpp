#include "profiles/FolderWatch.h"

#include "framework/WideText.h"

bool FolderWatch::start(const std::string& folder, HWND window, UINT message) {
  stop();
  const std::wstring wideFolder = wideFromUtf8(folder.c_str());
  if (wideFolder.empty()) return false;
  m_change = ::FindFirstChangeNotificationW(
      wideFolder.c_str(), FALSE, FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_LAST_WRITE | FILE_NOTIFY_CHANGE_SIZE);
  if (m_change == INVALID_HANDLE_VALUE) return false;
  m_stop.Attach(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
  m_window = window;
  m_message = message;
  m_posted = false;
  if (m_stop) m_thread.Attach(::CreateThread(nullptr, 0, &FolderWatch::run, this, 0, nullptr));
  if (!m_thread) {
    stop();
    return false;
  }
  return true;
}

void FolderWatch::stop() {
  if (m_thread) {
    ::SetEvent(m_stop);
    ::WaitForSingleObject(m_thread, INFINITE);
    m_thread.Close();
  }
  m_stop.Close();
  if (m_change != INVALID_HANDLE_VALUE) ::FindCloseChangeNotification(m_change);
  m_change = INVALID_HANDLE_VALUE;
}

DWORD WINAPI FolderWatch::run(void* parameter) {
  auto* self = static_cast<FolderWatch*>(parameter);
  const HANDLE waits[] = {self->m_stop, self->m_change};
  while (::WaitForMultipleObjects(2, waits, FALSE, INFINITE) == WAIT_OBJECT_0 + 1) {
    // Watching again before the window is told: a change made after the
    // window has read the folder then always brings another message (Wine
    // forgets the changes made while no watch is armed).
    const bool armed = ::FindNextChangeNotification(self->m_change) != FALSE;
    if (!self->m_posted.exchange(true) && !::PostMessageW(self->m_window, self->m_message, 0, 0))
      self->m_posted = false;
    if (!armed) break;
  }
  return 0;
}
