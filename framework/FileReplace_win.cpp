#include "framework/FileReplace.h"

#include <windows.h>

#include <vector>

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

bool createFolder(const char* path) {
  const std::wstring widePath = wideFromUtf8(path);
  return !widePath.empty() && (::CreateDirectoryW(widePath.c_str(), nullptr) || ::GetLastError() == ERROR_ALREADY_EXISTS);
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

namespace {

// Gives `to` the attributes and the access list of `from`. ReplaceFileW does
// the same on Windows; Wine keeps the attributes and the Unix mode bits of
// the file that takes the place instead, and sets the bits from the access
// list given here.
void copyIdentity(const std::wstring& from, const std::wstring& to) {
  constexpr DWORD kKept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                          FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
  const DWORD attributes = ::GetFileAttributesW(from.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & kKept))
    ::SetFileAttributesW(to.c_str(), attributes & kKept);
  const SECURITY_INFORMATION what = DACL_SECURITY_INFORMATION;
  DWORD size = 0;
  ::GetFileSecurityW(from.c_str(), what, nullptr, 0, &size);
  if (size == 0) return;
  std::vector<BYTE> descriptor(size);
  if (!::GetFileSecurityW(from.c_str(), what, descriptor.data(), size, &size)) return;
  // Wine describes every readable file as executable too, and would make
  // the new file's mode bits executable from that: files saved this way are
  // data, so their access list grants no execution.
  BOOL present = FALSE, defaulted = FALSE;
  PACL dacl = nullptr;
  if (::GetSecurityDescriptorDacl(descriptor.data(), &present, &dacl, &defaulted) && present && dacl) {
    for (DWORD i = 0; i < dacl->AceCount; ++i) {
      void* ace = nullptr;
      if (::GetAce(dacl, i, &ace) && static_cast<ACE_HEADER*>(ace)->AceType == ACCESS_ALLOWED_ACE_TYPE)
        static_cast<ACCESS_ALLOWED_ACE*>(ace)->Mask &= ~static_cast<DWORD>(FILE_EXECUTE | GENERIC_EXECUTE);
    }
  }
  ::SetFileSecurityW(to.c_str(), what, descriptor.data());
}

}  // namespace

bool swapInFile(const char* from, const char* to) {
  const std::wstring wideFrom = wideFromUtf8(from);
  const std::wstring wideTo = wideFromUtf8(to);
  if (wideFrom.empty() || wideTo.empty()) return false;
  if (::GetFileAttributesW(wideTo.c_str()) == INVALID_FILE_ATTRIBUTES) return replaceFile(from, to);
  copyIdentity(wideTo, wideFrom);
  for (int attempt = 1;; ++attempt) {
    // The replaced file's security, attributes and owner stay; no backup
    // copy is made, so the old file is never anywhere but in its place.
    if (::ReplaceFileW(wideTo.c_str(), wideFrom.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr,
                       nullptr))
      return true;
    const DWORD error = ::GetLastError();
    const bool heldByOthers = error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION ||
                              error == ERROR_UNABLE_TO_REMOVE_REPLACED;
    if (!heldByOthers || attempt == kAttempts) return false;
    ::Sleep(kRetryDelayMs);
  }
}

bool isReadOnlyFile(const char* path) {
  const DWORD attributes = ::GetFileAttributesW(wideFromUtf8(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
         (attributes & FILE_ATTRIBUTE_READONLY) != 0;
}
