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


std::wstring widened(UINT codePage, DWORD flags, const char* text) {
  const int size = ::MultiByteToWideChar(codePage, flags, text, -1, nullptr, 0);
  if (size <= 1) return std::wstring();
  std::wstring wide(static_cast<size_t>(size), L'\0');
  ::MultiByteToWideChar(codePage, flags, text, -1, wide.data(), size);
  wide.resize(static_cast<size_t>(size - 1));
  return wide;
}
}  // namespace

std::wstring wideFromUtf8(const char* text) { return widened(CP_UTF8, MB_ERR_INVALID_CHARS, text); }

std::wstring wideFromAnsi(const char* text) { return widened(CP_ACP, 0, text); }

CString utf8FromWide(const wchar_t* text) { return narrowed(CP_UTF8, text); }

CString ansiFromWide(const wchar_t* text) { return narrowed(CP_ACP, text); }
