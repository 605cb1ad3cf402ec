#include "profiles/ForegroundWatch.h"

#include "framework/CHandle.h"
#include "framework/WideText.h"

namespace {
// Out-of-context events carry no pointer of ours.
ForegroundWatch* runningWatch = nullptr;
// More processes than anyone has windows of; the list is dropped beyond it.
constexpr size_t kMaxKnownProcesses = 512;
constexpr DWORD kImagePathChars = 1024;

ULONGLONG fileTimeValue(const FILETIME& time) {
  return (static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}
}  // namespace

bool ForegroundWatch::start(Changed changed) {
  stop();
  m_changed = std::move(changed);
  runningWatch = this;
  m_foregroundHook = ::SetWinEventHook(EVENT_SYSTEM_FOREGROUND, EVENT_SYSTEM_FOREGROUND, nullptr, &onEvent, 0, 0,
                                       WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNPROCESS);
  m_focusHook = ::SetWinEventHook(EVENT_OBJECT_FOCUS, EVENT_OBJECT_FOCUS, nullptr, &onEvent, 0, 0,
                                  WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNPROCESS);
  return m_foregroundHook || m_focusHook;
}

void ForegroundWatch::stop() {
  if (m_foregroundHook) ::UnhookWinEvent(m_foregroundHook);
  if (m_focusHook) ::UnhookWinEvent(m_focusHook);
  m_foregroundHook = m_focusHook = nullptr;
  if (runningWatch == this) runningWatch = nullptr;
  m_changed = nullptr;
}

void CALLBACK ForegroundWatch::onEvent(HWINEVENTHOOK, DWORD, HWND, LONG, LONG, DWORD, DWORD) {
  if (runningWatch) runningWatch->check();
}

void ForegroundWatch::check() {
  HWND window = ::GetForegroundWindow();
  // Told after the fact: a window in front that has ended since is none.
  if (window && !::IsWindow(window)) window = nullptr;
  if (window == m_window) return;
  m_window = window;
  std::string program = programOf(window);
  if (program == m_program) return;
  m_program = std::move(program);
  if (m_changed) m_changed(m_program);
}

std::string ForegroundWatch::programNameOf(const wchar_t* path) {
  const wchar_t* name = path;
  for (const wchar_t* at = path; *at; ++at) {
    if (*at == L'\\' || *at == L'/') name = at + 1;
  }
  return static_cast<const char*>(utf8FromWide(name));
}

std::string ForegroundWatch::programOf(HWND window) {
  DWORD processId = 0;
  if (!window || !::GetWindowThreadProcessId(window, &processId) || processId == ::GetCurrentProcessId())
    return std::string();
  const CHandle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
  if (!process) return std::string();
  FILETIME created = {}, exited = {}, kernel = {}, user = {};
  const ULONGLONG started =
      ::GetProcessTimes(process, &created, &exited, &kernel, &user) ? fileTimeValue(created) : 0;
  auto known = m_known.find(processId);
  if (known != m_known.end() && known->second.started == started) return known->second.program;
  wchar_t path[kImagePathChars] = {};
  DWORD length = kImagePathChars;
  std::string program;
  if (::QueryFullProcessImageNameW(process, 0, path, &length)) program = programNameOf(path);
  if (m_known.size() >= kMaxKnownProcesses) m_known.clear();
  m_known[processId] = {started, program};
  return program;
}
