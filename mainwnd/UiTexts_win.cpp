#include <windows.h>

#include <vector>

#include "app/ProcessObjects.h"
#include "mainwnd/UiTexts.h"

namespace {
const char kProductKey[] = "SOFTWARE\\Skivol Gaming Mouse";
const char kLanguageValue[] = "Language";
constexpr DWORD kLanguageValueBytes = 400;
constexpr DWORD kProfileTextBytes = 2000;  // values up to 1999 bytes are read whole
}  // namespace

CString readLanguageCode() {
  HKEY key = nullptr;
  // Query access only: the key lies under HKEY_LOCAL_MACHINE, where a user
  // without administrator rights is refused any wider access.
  if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, kProductKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return CString();
  char value[kLanguageValueBytes];
  DWORD size = sizeof(value);
  CString code;
  // The value's type is not looked at; a value stored without a terminating
  // zero (REG_BINARY, or a string written carelessly) ends where its data
  // ends.
  if (::RegQueryValueExA(key, kLanguageValue, nullptr, nullptr, reinterpret_cast<BYTE*>(value), &size) ==
      ERROR_SUCCESS) {
    code = languageCodeFromValue(value, size <= sizeof(value) ? size : sizeof(value));
  }
  ::RegCloseKey(key);
  return code;
}

void loadUiTexts(UiTexts& texts, const CString& directory) {
  const CString path = directory + "lang.ini";
  applyLanguage(texts, readLanguageCode(), [&path](const CString& section, const char* key, const char* fallback) {
    std::vector<char> text(kProfileTextBytes, '\0');
    ::GetPrivateProfileStringA(section, key, fallback, text.data(), kProfileTextBytes, path);
    return CString(text.data());
  });
}

void loadUiTexts() { loadUiTexts(uiTexts, programDirectory); }
