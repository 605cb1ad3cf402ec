// The texts read through the platform: the registry value "Language" and the
// profile reader on lang.ini.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "controls/Skin.h"
#include "controls/SkinComboBox.h"
#include "mainwnd/MainWindowLayout.h"
#include "mainwnd/MainWindowPainter.h"
#include "texts/UiTexts.h"

namespace {

const char kProductKey[] = "SOFTWARE\\Skivol Gaming Mouse";

// Sets the "Language" value for one test and puts back what was there.
class LanguageValue {
public:
  LanguageValue() {
    HKEY key;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, kProductKey, 0, KEY_QUERY_VALUE, &key) == ERROR_SUCCESS) {
      keyExisted_ = true;
      DWORD size = sizeof(saved_);
      hadValue_ = ::RegQueryValueExA(key, "Language", nullptr, &savedType_, saved_, &size) == ERROR_SUCCESS;
      savedSize_ = size;
      ::RegCloseKey(key);
    }
  }
  ~LanguageValue() {
    if (!keyExisted_) {
      ::RegDeleteKeyA(HKEY_LOCAL_MACHINE, kProductKey);
      return;
    }
    HKEY key;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, kProductKey, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return;
    if (hadValue_) {
      ::RegSetValueExA(key, "Language", 0, savedType_, saved_, savedSize_);
    } else {
      ::RegDeleteValueA(key, "Language");
    }
    ::RegCloseKey(key);
  }
  bool set(DWORD type, const void* data, DWORD size) {
    HKEY key;
    if (::RegCreateKeyExA(HKEY_LOCAL_MACHINE, kProductKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
      return false;
    bool ok = ::RegSetValueExA(key, "Language", 0, type, static_cast<const BYTE*>(data), size) == ERROR_SUCCESS;
    ::RegCloseKey(key);
    return ok;
  }
  bool setText(const char* code) { return set(REG_SZ, code, static_cast<DWORD>(std::strlen(code) + 1)); }

private:
  bool keyExisted_ = false;
  bool hadValue_ = false;
  DWORD savedType_ = 0;
  BYTE saved_[1024] = {};
  DWORD savedSize_ = 0;
};

// A folder with a lang.ini, removed afterwards.
class LanguageFolder {
public:
  LanguageFolder() {
    char temp[MAX_PATH];
    ::GetTempPathA(sizeof(temp), temp);
    char name[MAX_PATH];
    ::GetTempFileNameA(temp, "skl", 0, name);
    ::DeleteFileA(name);
    ::CreateDirectoryA(name, nullptr);
    directory_ = std::string(name) + "\\";
  }
  ~LanguageFolder() {
    ::DeleteFileA(iniPath().c_str());
    ::RemoveDirectoryA(directory_.c_str());
  }
  void write(const std::string& text) {
    if (FILE* f = std::fopen(iniPath().c_str(), "wb")) {
      std::fwrite(text.data(), 1, text.size(), f);
      std::fclose(f);
    }
  }
  CString directory() const { return CString(directory_); }

private:
  std::string iniPath() const { return directory_ + "lang.ini"; }
  std::string directory_;
};

TEST(LanguageFile, FrenchSectionWithOneEntryReplacesOnlyThatText) {
  LanguageValue value;
  ASSERT_TRUE(value.setText("1036"));
  LanguageFolder folder;
  folder.write(
      "[1033]\r\nstr4=Reset\r\n"
      "[1036]\r\nstr4=Par defaut\r\n"
      "[1031]\r\nstr9=Abbrechen\r\n");

  UiTexts texts;
  loadUiTexts(texts, folder.directory());
  EXPECT_EQ(texts.m_languageCode, "1036");
  EXPECT_EQ(texts.m_languageIndex, Language::French);
  EXPECT_EQ(texts[UiText::Default], "Par defaut");
  for (int i = 0; i < kUiTextCount; ++i) {
    const UiText id = static_cast<UiText>(i);
    if (id == UiText::Default) continue;
    EXPECT_EQ(texts[id], UiTexts::builtIn(id)) << UiTexts::key(id);
  }
}

TEST(LanguageFile, ValueWithoutTerminatorIsNotReadPastItsEnd) {
  LanguageValue value;
  ASSERT_TRUE(value.set(REG_BINARY, "1040", 4));
  EXPECT_EQ(readLanguageCode(), "1040");
  ASSERT_TRUE(value.set(REG_SZ, "1034", 4));
  EXPECT_EQ(readLanguageCode(), "1034");

  // As long as the buffer: all of it and nothing beyond.
  const std::string full(400, '7');
  ASSERT_TRUE(value.set(REG_BINARY, full.data(), 400));
  EXPECT_EQ(readLanguageCode().str(), full);

  // Longer than the buffer: not read at all.
  const std::string tooLong(401, '7');
  ASSERT_TRUE(value.set(REG_BINARY, tooLong.data(), 401));
  EXPECT_EQ(readLanguageCode(), "");
}

// The profile box's texts, in each shipped language, in the bar's font: its
// field, its list, and the bottom bar's line before it, where the box and the
// painter draw them.
TEST(LanguageFile, ShippedProfileTextsFitWhereTheyAreShown) {
  std::string shipped;
  if (FILE* f = std::fopen(SKIVOL_SOURCE_DIR "/res/lang.ini", "rb")) {
    char chunk[4096];
    for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, f)) > 0;) shipped.append(chunk, n);
    std::fclose(f);
  }
  ASSERT_FALSE(shipped.empty());
  LanguageFolder folder;
  folder.write(shipped);
  Skin skin;
  skin.load();
  HDC dc = ::CreateCompatibleDC(nullptr);
  HGDIOBJ old = ::SelectObject(dc, static_cast<HFONT>(skin.fontTahoma12));
  auto width = [dc](const std::string& text) {
    SIZE size = {};
    ::GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
    return static_cast<int>(size.cx);
  };
  // The field: from its text origin to the arrow; the list: its items'
  // indent on either side; the bar: from behind the version text to the box.
  BITMAP frame = {}, arrow = {};
  ASSERT_TRUE(::GetObjectA(skin.profileFrameBitmap, sizeof frame, &frame));
  ASSERT_TRUE(::GetObjectA(skin.comboBitmaps[1], sizeof arrow, &arrow));
  const RECT field = SkinComboBox::textAreaIn({frame.bmWidth, frame.bmHeight}, arrow.bmWidth);
  const int fieldRoom = field.right - field.left;
  const int listRoom = frame.bmWidth - 2 * SkinComboBox::kTextIndent;
  const RECT bar = MainWindowPainter::stateLineArea(dc);
  const int barRoom = bar.right - bar.left;
  for (const char* code : {"1033", "1031", "1036", "1034", "1040"}) {
    LanguageValue value;
    ASSERT_TRUE(value.setText(code));
    UiTexts texts;
    loadUiTexts(texts, folder.directory());
    EXPECT_NE(texts[UiText::EveryOtherProgram], "") << code;
    EXPECT_LE(width(texts[UiText::EveryOtherProgram].str()), fieldRoom) << code;
    for (UiText item : {UiText::AddProgram, UiText::RemoveProfile})
      EXPECT_LE(width(texts[item].str()), listRoom) << code << " " << UiTexts::key(item);
    EXPECT_LE(width(texts[UiText::ProfileLineUnknown].str() + " 999"), barRoom) << code;
    EXPECT_LE(width(texts[UiText::ProfilesUnreadable].str()), barRoom) << code;
  }
  ::SelectObject(dc, old);
  ::DeleteDC(dc);
}

}  // namespace
