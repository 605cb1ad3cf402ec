#include "texts/UiTexts.h"

#include <cstdlib>
#include <cstring>

#include "resource.h"

const int kHeadingBitmapIds[Language::Count][2] = {
    {IDB_HEADING_BUTTONS_EN, IDB_HEADING_DPI_EN},
    {IDB_HEADING_BUTTONS_DE, IDB_HEADING_DPI_DE},
    {IDB_HEADING_BUTTONS_FR, IDB_HEADING_DPI_FR},
    {IDB_HEADING_BUTTONS_ES, IDB_HEADING_DPI_ES},
    {IDB_HEADING_BUTTONS_IT, IDB_HEADING_DPI_IT},
};

namespace {

struct TextEntry {
  const char* key;
  const char* builtIn;
};

const TextEntry kTexts[kUiTextCount] = {
    {"b_str0", "Left Button"},
    {"b_str1", "Right Button"},
    {"b_str2", "Wheel Button"},
    {"b_str3", "Button 4th"},
    {"b_str4", "Button 5th"},
    {"str0", "Shortcuts"},
    {"str1", "Close Current Window"},
    {"str2", "Button Settings"},
    {"str3", "DPI Settings"},
    {"str4", "Default"},
    {"str5", "Properties"},
    {"str6", "Exit"},
    {"str7", "Key"},
    {"str8", "OK"},
    {"str9", "Cancel"},
    {"str10", "Double-click"},
    {"str11", "Mouse not connected"},
    {"str12", "This key cannot be assigned"},
    {"str13", "Settings not saved"},
    {"str14", "Show DPI changes on screen"},
    {"a_str0", "DPI"},
    {"a_str1", "DPI level"},
    {"a_str2", "of"},
    {"a_str3", "Hide to notification area"},
    {"a_str4", "Minimise"},
    {"p_str0", "Every other program"},
    {"p_str1", "Add a program..."},
    {"p_str2", "Remove this profile"},
    {"p_str3", "Browse..."},
    {"p_str4", "Programs"},
    {"p_str5", "Not understood: line"},
    {"p_str6", "profiles.ini cannot be read"},
    {"p_str7", "Profile"},
    {"p_str8", "Remove the profile of %s?"},
    {"p_str9", "Yes"},
    {"p_str10", "No"},
};

}  // namespace

UiTexts::UiTexts() {
  for (int i = 0; i < kUiTextCount; ++i) m_texts[i] = kTexts[i].builtIn;
}

const char* UiTexts::key(UiText id) { return kTexts[static_cast<int>(id)].key; }

const char* UiTexts::builtIn(UiText id) { return kTexts[static_cast<int>(id)].builtIn; }

int languageIndexFor(const char* code) {
  // The leading number of the code, as atoi reads it (but without atoi's
  // undefined overflow).
  const long value = code ? std::strtol(code, nullptr, 10) : 0;
  switch (value) {
    case 1031: return Language::German;
    case 1036: return Language::French;
    case 1034: return Language::Spanish;
    case 1040: return Language::Italian;
    default: return Language::English;
  }
}

void applyLanguage(UiTexts& texts, const CString& code, const ProfileReader& read) {
  texts.m_languageCode = code;
  texts.m_languageIndex = languageIndexFor(code);
  for (int i = 0; i < kUiTextCount; ++i) {
    const UiText id = static_cast<UiText>(i);
    const CString text = read(code, UiTexts::key(id), kNoText);
    // Only a missing entry keeps the built-in text; an empty one empties it.
    if (text != kNoText) texts.set(id, text);
  }
}

CString languageCodeFromValue(const char* data, size_t size) {
  if (!data) return CString();
  const void* end = std::memchr(data, '\0', size);
  const size_t length = end ? static_cast<size_t>(static_cast<const char*>(end) - data) : size;
  return CString(data, length);
}
