#include "framework/WideText.h"

#include <windows.h>

namespace {
CString narrowed(UINT codePage, const wchar_t* text) {
  const int size = ::WideCharToMultiByte(codePage, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (size <= 1) return CString();
  std::string bytes(static_cast<size_t>(size), '\0');
  ::WideCharToMultiByte(codePage, 0, text, -1, bytes.data(), size, nullptr, nullptr);
  bytes.resize(static_cast<size_t>(size - 1));
  return CString(std::move(bytes));
}
}  // namespace

std::wstring wideFromUtf8(const char* text) {
  const int size = ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text, -1, nullptr, 0);
  if (size <= 1) return std::wstring();
  std::wstring wide(static_cast<size_t>(size), L'\0');
  ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text, -1, wide.data(), size);
  wide.resize(static_cast<size_t>(size - 1));
  return wide;
}

CString utf8FromWide(const wchar_t* text) { return narrowed(CP_UTF8, text); }

CString ansiFromWide(const wchar_t* text) { return narrowed(CP_ACP, text); }
