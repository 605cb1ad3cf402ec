// The texts and their language: which section of the language file replaces
// which text, and which headings a language code picks.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "texts/UiTexts.h"

namespace {

// A language file as sections of key = value, read like the platform's
// profile reader: the fallback for a missing section or key.
class FakeLanguageFile {
public:
  std::map<std::string, std::map<std::string, std::string>> sections;
  std::vector<std::string> sectionsAsked;

  ProfileReader reader() {
    return [this](const CString& section, const char* key, const char* fallback) {
      sectionsAsked.push_back(section.str());
      auto s = sections.find(section.str());
      if (s == sections.end()) return CString(fallback);
      auto k = s->second.find(key);
      return k == s->second.end() ? CString(fallback) : CString(k->second);
    };
  }
};

void expectBuiltIn(const UiTexts& texts, std::initializer_list<UiText> except = {}) {
  for (int i = 0; i < kUiTextCount; ++i) {
    const UiText id = static_cast<UiText>(i);
    if (std::find(except.begin(), except.end(), id) != except.end()) continue;
    EXPECT_EQ(texts[id], UiTexts::builtIn(id)) << UiTexts::key(id);
  }
}

TEST(UiTexts, LanguageIndexFromTheCodesLeadingNumber) {
  EXPECT_EQ(languageIndexFor("1031"), Language::German);
  EXPECT_EQ(languageIndexFor("1036"), Language::French);
  EXPECT_EQ(languageIndexFor("1034"), Language::Spanish);
  EXPECT_EQ(languageIndexFor("1040"), Language::Italian);
  EXPECT_EQ(languageIndexFor("1040abc"), Language::Italian);
  EXPECT_EQ(languageIndexFor(" 1031"), Language::German);
  EXPECT_EQ(languageIndexFor(""), Language::English);
  EXPECT_EQ(languageIndexFor("1033"), Language::English);
  EXPECT_EQ(languageIndexFor("abc1036"), Language::English);
  EXPECT_EQ(languageIndexFor("99999999999999999999999"), Language::English);
  EXPECT_EQ(languageIndexFor(nullptr), Language::English);
}

TEST(UiTexts, OnlyEntriesPresentInTheCodesSectionReplaceTexts) {
  FakeLanguageFile file;
  file.sections["1036"] = {{"str4", "Par défaut"}, {"b_str1", ""}, {"str9", "@_NOSTR_"}};
  file.sections["1033"] = {{"str4", "Default (en)"}};
  UiTexts texts;
  applyLanguage(texts, "1036", file.reader());

  EXPECT_EQ(texts[UiText::Default], "Par défaut");
  EXPECT_EQ(texts[UiText::RightButton], "");      // present but empty: empties the text
  EXPECT_EQ(texts[UiText::Cancel], "Cancel");     // the marker itself keeps the built-in text
  expectBuiltIn(texts, {UiText::Default, UiText::RightButton});
  EXPECT_EQ(texts.m_languageCode, "1036");
  EXPECT_EQ(texts.m_languageIndex, Language::French);
  EXPECT_EQ(file.sectionsAsked.size(), static_cast<size_t>(kUiTextCount));
}

TEST(UiTexts, ACodeWithoutSectionOrWithoutCodeKeepsEnglish) {
  FakeLanguageFile file;
  file.sections["1031"] = {{"str4", "Standard"}};
  UiTexts unknown;
  applyLanguage(unknown, "1033", file.reader());
  expectBuiltIn(unknown);

  UiTexts none;
  applyLanguage(none, "", file.reader());
  expectBuiltIn(none);
  EXPECT_EQ(none.m_languageIndex, Language::English);
}

TEST(UiTexts, LanguageCodeEndsWithTheRegistryValue) {
  // Bytes past the value's size must not be taken, terminator or not.
  const char unterminated[] = {'1', '0', '3', '6', '9', '9'};
  EXPECT_EQ(languageCodeFromValue(unterminated, 4), "1036");
  const char terminated[] = {'1', '0', '3', '1', '\0', '7'};
  EXPECT_EQ(languageCodeFromValue(terminated, sizeof(terminated)), "1031");
  EXPECT_EQ(languageCodeFromValue(terminated, 0), "");
  EXPECT_EQ(languageCodeFromValue(nullptr, 8), "");
}

}  // namespace
