#include <windows.h>

#include <string>
#include <vector>

#include "framework/CString.h"
#include "framework/WideText.h"
#include "texts/UiTexts.h"

namespace {
const wchar_t kProductKey[] = L"SOFTWARE\\Skivol Gaming Mouse";
const wchar_t kLanguageValue[] = L"Language";
constexpr DWORD kLanguageValueBytes = 400;
}  // namespace

CString readLanguageCode() {
  HKEY key = nullptr;
  // Query access only: the key lies under HKEY_LOCAL_MACHINE, where a user
  // without administrator rights is refused any wider access.
  if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kProductKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return CString();
  CString code;
  DWORD type = REG_NONE;
  DWORD size = 0;
  if (::RegQueryValueExW(key, kLanguageValue, nullptr, &type, nullptr, &size) == ERROR_SUCCESS) {
    // A text comes in UTF-16, two bytes a character; any other type is taken
    // as the bytes it holds. A value stored without a terminating zero
    // (REG_BINARY, or a string written carelessly) ends where its data ends.
    const bool text = type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
    std::vector<wchar_t> value(kLanguageValueBytes + 1, L'\0');
    DWORD room = text ? kLanguageValueBytes * sizeof(wchar_t) : kLanguageValueBytes;
    if (size <= room &&
        ::RegQueryValueExW(key, kLanguageValue, nullptr, &type, reinterpret_cast<BYTE*>(value.data()), &room) ==
            ERROR_SUCCESS) {
      code = text ? utf8FromWide(value.data())
                  : languageCodeFromValue(reinterpret_cast<const char*>(value.data()), room);
    }
  }
  ::RegCloseKey(key);
  return code;
}

void loadUiTexts(UiTexts& texts, const CString& directory) {
  // Wide, for a folder outside the ANSI code page; the file's bytes are still
  // read in the ANSI code page, and the texts go back to it for the window.
  const std::wstring path = wideFromUtf8(directory + "lang.ini");
  applyLanguage(texts, readLanguageCode(), [&path](const CString& section, const char* key, const char* fallback) {
    if (path.empty()) return CString(fallback);
    std::vector<wchar_t> text(kProfileTextChars, L'\0');
    ::GetPrivateProfileStringW(wideFromUtf8(section).c_str(), wideFromUtf8(key).c_str(),
                               wideFromUtf8(fallback).c_str(), text.data(), kProfileTextChars, path.c_str());
    return ansiFromWide(text.data());
  });
}
