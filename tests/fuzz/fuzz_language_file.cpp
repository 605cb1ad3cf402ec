// The language selection driven by what the program receives: the registry
// value's raw bytes (the first byte gives their count), then, for each text
// asked of lang.ini in turn, one answer as the profile reader gives it: a
// length byte (0xFF: the key is missing) and that many bytes, cut to the
// reader's field and at the first zero byte, as the field holds them.
// Properties: every key is asked once, of the value's section, in order;
// each text is what its answer said or, for a missing key, its built-in
// text, and nothing else changes; no text is longer than the field.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "texts/UiTexts.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const size_t valueSize = data[0] % 48 < size - 1 ? data[0] % 48 : size - 1;
  const char* value = reinterpret_cast<const char*>(data + 1);
  size_t at = 1 + valueSize;

  const CString code = languageCodeFromValue(value, valueSize);
  require(static_cast<size_t>(code.GetLength()) <= valueSize, "the code reaches past the value");
  require(std::strncmp(code.c_str(), value, static_cast<size_t>(code.GetLength())) == 0 &&
              std::memchr(code.c_str(), '\0', static_cast<size_t>(code.GetLength())) == nullptr,
          "the code is not the value's text");

  std::vector<CString> answers;  // what each read returned, in order
  UiTexts texts;
  applyLanguage(texts, code, [&](const CString& section, const char* key, const char* fallback) {
    const size_t index = answers.size();
    require(index < static_cast<size_t>(kUiTextCount), "more texts asked than there are");
    require(section == code, "a section other than the value's asked");
    require(std::strcmp(key, UiTexts::key(static_cast<UiText>(index))) == 0, "a key asked out of order");
    require(std::strcmp(fallback, kNoText) == 0, "a missing key not told apart");
    CString answer(fallback);
    if (at < size && data[at] != 0xFF) {
      const size_t length = data[at] < size - at - 1 ? data[at] : size - at - 1;
      std::string field(reinterpret_cast<const char*>(data + at + 1), length);
      // Longer answers than the length byte allows reach the field's end.
      if (length > 0 && data[at + 1] == 0xFE) field.assign(kProfileTextChars + 100, 'x');
      field = field.substr(0, kProfileTextChars - 1);
      answer = CString(field.substr(0, field.find('\0')));
      at += 1 + length;
    } else if (at < size) {
      ++at;
    }
    answers.push_back(answer);
    return answer;
  });

  require(answers.size() == static_cast<size_t>(kUiTextCount), "not every key asked");
  require(texts.m_languageCode == code, "the language code not kept");
  require(texts.m_languageIndex == languageIndexFor(code), "the heading language differs from the code's");
  for (int i = 0; i < kUiTextCount; ++i) {
    const UiText id = static_cast<UiText>(i);
    const CString& expected = answers[static_cast<size_t>(i)] == kNoText ? CString(UiTexts::builtIn(id)) : answers[i];
    require(texts[id] == expected, answers[i] == kNoText ? "a missing key's built-in text changed"
                                                         : "a text is not what the file said");
    require(static_cast<size_t>(texts[id].GetLength()) < kProfileTextChars, "a text longer than the field");
  }
  return 0;
}
