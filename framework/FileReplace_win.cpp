#include "framework/FileReplace.h"

#include <windows.h>

#include "framework/WideText.h"

namespace {
// A virus scanner or a backup tool may hold the file open for a moment;
// a short wait usually gets past it without stalling the window noticeably.
constexpr int kAttempts = 5;
constexpr DWORD kRetryDelayMs = 20;
}  // namespace

FILE* openFile(const char* path, const char* mode) {
  const std::wstring widePath = wideFromUtf8(path);
  const std::wstring wideMode = wideFromUtf8(mode);
  if (widePath.empty() || wideMode.empty()) return nullptr;
  for (int attempt = 1;; ++attempt) {
    if (FILE* file = ::_wfopen(widePath.c_str(), wideMode.c_str())) return file;
    const DWORD error = ::GetLastError();
    if (error != ERROR_SHARING_VIOLATION && error != ERROR_LOCK_VIOLATION) return nullptr;
    if (attempt == kAttempts) return nullptr;
    ::Sleep(kRetryDelayMs);
  }
}

bool fileExists(const char* path) {
  return ::GetFileAttributesW(wideFromUtf8(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool removeFile(const char* path) { return ::DeleteFileW(wideFromUtf8(path).c_str()) != FALSE; }

bool replaceFile(const char* from, const char* to) {
  const std::wstring wideFrom = wideFromUtf8(from);
  const std::wstring wideTo = wideFromUtf8(to);
  if (wideFrom.empty() || wideTo.empty()) return false;
  for (int attempt = 1;; ++attempt) {
    if (::MoveFileExW(wideFrom.c_str(), wideTo.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
      return true;
    DWORD error = ::GetLastError();
    bool heldByOthers = error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION;
    if (!heldByOthers || attempt == kAttempts) return false;
    ::Sleep(kRetryDelayMs);
  }
}

bool isReadOnlyFile(const char* path) {
  const DWORD attributes = ::GetFileAttributesW(wideFromUtf8(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
         (attributes & FILE_ATTRIBUTE_READONLY) != 0;
}
