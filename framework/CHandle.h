// A kernel object's handle (a process, thread, event, change notification)
// owned by the object and closed with it. The functions that make them fail
// with null or with INVALID_HANDLE_VALUE: both mean "none" here.
#pragma once
#include <windows.h>

class CHandle {
public:
  CHandle() = default;
  explicit CHandle(HANDLE handle) : m_handle(handle == INVALID_HANDLE_VALUE ? nullptr : handle) {}
  ~CHandle() { Close(); }
  CHandle(const CHandle&) = delete;
  CHandle& operator=(const CHandle&) = delete;

  operator HANDLE() const { return m_handle; }
  explicit operator bool() const { return m_handle != nullptr; }
  // Closes the handle held and holds `handle` instead.
  void Attach(HANDLE handle) {
    Close();
    m_handle = handle == INVALID_HANDLE_VALUE ? nullptr : handle;
  }
  void Close() {
    if (m_handle) ::CloseHandle(m_handle);
    m_handle = nullptr;
  }

private:
  HANDLE m_handle = nullptr;
};
