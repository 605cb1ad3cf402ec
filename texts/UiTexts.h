// The replaceable texts of the window, the tray menu and the key dialog, with
// their English built-in texts, and the language they are shown in. A
// language file (lang.ini) may replace any of them, section by language
// code; the language code also picks the language of the two heading bitmaps.
#pragma once
#include <cstddef>
#include <functional>

#include "framework/CString.h"

// The texts, in the order of their keys in lang.ini.
enum class UiText : int {
  LeftButton,          // b_str0 "Left Button"
  RightButton,         // b_str1 "Right Button"
  WheelButton,         // b_str2 "Wheel Button"
  Button4th,           // b_str3 "Button 4th"
  Button5th,           // b_str4 "Button 5th"
  Shortcuts,           // str0 "Shortcuts"
  CloseCurrentWindow,  // str1 "Close Current Window"
  ButtonSettings,      // str2 "Button Settings" (the heading is a bitmap)
  DpiSettings,         // str3 "DPI Settings" (the heading is a bitmap)
  Default,             // str4 "Default"
  Property,            // str5 "Properties" (tray menu)
  Exit,                // str6 "Exit" (tray menu)
  KeyTitle,            // str7 "Key" (key dialog title)
  Ok,                  // str8 "OK" (key dialog)
  Cancel,              // str9 "Cancel" (key dialog)
  DoubleClick,         // str10 "Double-click"
  MouseNotConnected,   // str11 "Mouse not connected" (bottom bar, without the mouse)
  KeyNotAssignable,    // str12 "This key cannot be assigned" (key dialog, a key the mouse cannot type)
  SettingsNotSaved,    // str13 "Settings not saved" (bottom bar, while the last save failed)
  ShowDpiOnScreen,     // str14 "Show DPI changes on screen" (tray menu)
  // What a screen reader is told of the controls whose labels are painted.
  AccessDpi,           // a_str0 "DPI" (the slider's name; its value "<n> DPI")
  AccessDpiLevel,      // a_str1 "DPI level" (the DPI levels' name)
  AccessOf,            // a_str2 "of" (the DPI levels' value: "<k> of 4")
  AccessHide,          // a_str3 "Hide to notification area" ("X")
  AccessMinimise,      // a_str4 "Minimise" ("-")
  // The profile box on the bottom bar and what it opens.
  EveryOtherProgram,   // p_str0 "Every other program" (the rows of setting.dat)
  AddProgram,          // p_str1 "Add a program..."
  RemoveProfile,       // p_str2 "Remove this profile"
  BrowseProgram,       // p_str3 "Browse..." (the Open dialog, from the add menu)
  ProgramFiles,        // p_str4 "Programs" (the Open dialog's file type)
  ProfileLineUnknown,  // p_str5 "Not understood: line" (bottom bar, followed by the line's number)
  ProfilesUnreadable,  // p_str6 "profiles.ini cannot be read" (bottom bar)
  ProfileLabel,        // p_str7 "Profile" (the box's name for screen readers)
  RemoveQuestion,      // p_str8 "Remove the profile of %s?" (%s: the program's name)
  Yes,                 // p_str9 "Yes" (the removal question)
  No,                  // p_str10 "No" (the removal question)
};
constexpr int kUiTextCount = 36;

// Heading languages, by languageIndex.
namespace Language {
enum : int { English = 0, German = 1, French = 2, Spanish = 3, Italian = 4 };
constexpr int Count = 5;
}  // namespace Language

// Heading bitmaps of each language: {buttons heading, DPI heading}.
extern const int kHeadingBitmapIds[Language::Count][2];

class UiTexts {
public:
  UiTexts();  // the built-in texts, English headings, no language code

  const CString& operator[](UiText id) const { return m_texts[static_cast<int>(id)]; }
  void set(UiText id, const CString& text) { m_texts[static_cast<int>(id)] = text; }

  static const char* key(UiText id);
  static const char* builtIn(UiText id);

  // The registry's language code as stored: the section name in lang.ini.
  CString m_languageCode;
  // Language of the heading bitmaps (Language::English ...).
  int m_languageIndex = Language::English;

private:
  CString m_texts[kUiTextCount];
};

// What a profile reader returns for a key that is not there.
constexpr char kNoText[] = "@_NOSTR_";
// The field a text of lang.ini is read into, its terminating zero included:
// values up to 1999 characters are read whole, longer ones cut there.
constexpr unsigned kProfileTextChars = 2000;

// Reads `key` of `section`; returns `fallback` when the file, the section or
// the key is missing. An entry with an empty value reads as "".
using ProfileReader =
    std::function<CString(const CString& section, const char* key, const char* fallback)>;

// Sets the language from `code` and replaces each text for which `read` finds
// an entry in the section named by the code.
void applyLanguage(UiTexts& texts, const CString& code, const ProfileReader& read);

// The heading language of a language code: its decimal value (leading digits;
// text that is not a number counts as 0) 1031 German, 1036 French, 1034
// Spanish, 1040 Italian, anything else English.
int languageIndexFor(const char* code);

// The language code in a registry value of `size` bytes: the text up to its
// first zero byte, and never past the value's end, whatever its type.
CString languageCodeFromValue(const char* data, size_t size);

// The process's texts.
extern UiTexts uiTexts;

// Windows build. The registry value "Language" of the key
// "SOFTWARE\Skivol Gaming Mouse" under HKEY_LOCAL_MACHINE, or "" when it
// cannot be read.
CString readLanguageCode();
// Sets `texts` from the registry's language code and `directory`'s lang.ini.
void loadUiTexts(UiTexts& texts, const CString& directory);
