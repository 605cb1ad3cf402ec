// The language selection on whatever the registry value and lang.ini hold.
// The first byte is the registry value's length, then its bytes, then the
// text of lang.ini, read as the system's profile reader reads it: the first
// section of that name, the first entry of that key, case-insensitive,
// blanks around names and values dropped. Each text ends up as the entry of
// the section the value names, or as the built-in text when there is none.
#include <cctype>
#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "FuzzCheck.h"
#include "mainwnd/UiTexts.h"

namespace {

std::string trimmed(const std::string& s) {
  size_t first = s.find_first_not_of(" \t");
  if (first == std::string::npos) return std::string();
  size_t last = s.find_last_not_of(" \t");
  return s.substr(first, last - first + 1);
}

bool sameName(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  }
  return true;
}

// The entries of the first section named `section` in `ini`, in file order.
std::vector<std::pair<std::string, std::string>> sectionEntries(const std::string& ini, const std::string& section) {
  std::vector<std::pair<std::string, std::string>> entries;
  bool inSection = false;
  size_t pos = 0;
  while (pos < ini.size()) {
    size_t end = ini.find('\n', pos);
    if (end == std::string::npos) end = ini.size();
    std::string line = ini.substr(pos, end - pos);
    pos = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    line = trimmed(line);
    if (!line.empty() && line[0] == '[') {
      if (inSection) break;
      const size_t close = line.find(']');
      inSection = sameName(trimmed(line.substr(1, close == std::string::npos ? std::string::npos : close - 1)),
                           section);
      continue;
    }
    const size_t eq = line.find('=');
    if (inSection && eq != std::string::npos) entries.emplace_back(trimmed(line.substr(0, eq)), trimmed(line.substr(eq + 1)));
  }
  return entries;
}

bool lookUp(const std::vector<std::pair<std::string, std::string>>& entries, const std::string& key,
            std::string& value) {
  for (const auto& entry : entries) {
    if (sameName(entry.first, key)) {
      value = entry.second;
      return true;
    }
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const size_t valueSize = data[0] % 48 < size - 1 ? data[0] % 48 : size - 1;
  const char* value = reinterpret_cast<const char*>(data + 1);
  const std::string ini(value + valueSize, size - 1 - valueSize);
  if (ini.find('\0') != std::string::npos) return 0;  // a text file

  const CString code = languageCodeFromValue(value, valueSize);
  require(static_cast<size_t>(code.GetLength()) <= valueSize, "the code reaches past the value");
  require(std::memchr(code.c_str(), '\0', static_cast<size_t>(code.GetLength())) == nullptr,
          "the code holds a zero byte");
  require(std::strncmp(code.c_str(), value, static_cast<size_t>(code.GetLength())) == 0,
          "the code is not the value's text");

  const auto entries = sectionEntries(ini, code.str());
  UiTexts texts;
  int asked = 0;
  applyLanguage(texts, code, [&](const CString& section, const char* key, const char* fallback) {
    require(section == code, "a section other than the code's read");
    ++asked;
    std::string found;
    return lookUp(entries, key, found) ? CString(found) : CString(fallback);
  });
  require(asked == kUiTextCount, "not every text looked up");
  require(texts.m_languageCode == code, "the language code not kept");
  require(texts.m_languageIndex >= 0 && texts.m_languageIndex < Language::Count, "a heading language out of range");
  require(texts.m_languageIndex == languageIndexFor(code), "the heading language differs from the code's");

  for (int i = 0; i < kUiTextCount; ++i) {
    const UiText id = static_cast<UiText>(i);
    std::string found;
    if (lookUp(entries, UiTexts::key(id), found) && found != kNoText)
      require(texts[id] == CString(found), "an entry of the file not taken");
    else
      require(texts[id] == UiTexts::builtIn(id), "a text without an entry lost its built-in text");
  }
  return 0;
}
