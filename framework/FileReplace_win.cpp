#include "framework/FileReplace.h"

#include <windows.h>

namespace {
// A virus scanner or a backup tool may hold the old file open for a moment;
// a short wait usually gets past it without stalling the window noticeably.
constexpr int kAttempts = 5;
constexpr DWORD kRetryDelayMs = 20;
}  // namespace

bool replaceFile(const char* from, const char* to) {
  for (int attempt = 1;; ++attempt) {
    if (::MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
    DWORD error = ::GetLastError();
    bool heldByOthers = error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION;
    if (!heldByOthers || attempt == kAttempts) return false;
    ::Sleep(kRetryDelayMs);
  }
}

bool isReadOnlyFile(const char* path) {
  const DWORD attributes = ::GetFileAttributesA(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
         (attributes & FILE_ATTRIBUTE_READONLY) != 0;
}
