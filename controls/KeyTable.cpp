#include "controls/KeyTable.h"

#include <climits>
#include <cstdlib>
#include <cstring>

KeyTable keyTable;

namespace {

// strtol, held to the 32-bit range so that the table reads the same where
// long is wider.
int32_t readDecimal(const std::string& text) {
  long value = std::strtol(text.c_str(), nullptr, 10);
  if (value > INT32_MAX) return INT32_MAX;
  if (value < INT32_MIN) return INT32_MIN;
  return static_cast<int32_t>(value);
}

// CR LF becomes LF; a CR anywhere else is dropped.
std::string normaliseLineEnds(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r') out += text[i];
  }
  return out;
}

}  // namespace

void KeyTable::load(const std::function<std::string()>& readKeyList) {
  if (m_loaded) return;
  // Marked first: a missing resource is not looked for again.
  for (int32_t& entry : m_entries) entry = 0;
  m_loaded = true;
  parse(readKeyList());
}

void KeyTable::parse(const char* text, size_t size) {
  for (int32_t& entry : m_entries) entry = 0;
  size_t length = 0;
  if (text) {
    const void* end = std::memchr(text, '\0', size);
    length = end ? static_cast<size_t>(static_cast<const char*>(end) - text) : size;
  }
  std::string rest = normaliseLineEnds(std::string(text ? text : "", length));

  size_t pos = 0;
  while (pos < rest.size()) {
    const size_t lineEnd = rest.find('\n', pos);
    // The last line has no line end: it is the list's end mark, not an entry.
    if (lineEnd == std::string::npos) break;
    const std::string line = rest.substr(pos, lineEnd - pos);
    pos = lineEnd + 1;

    const size_t space = line.find(' ');
    if (space == std::string::npos || space == 0) continue;
    int32_t usage = readDecimal(line.substr(0, space));
    if (usage < 0 || usage > 255) usage = 0;
    const size_t value = line.find_first_not_of(" \t", space + 1);
    const int32_t scanCode = value == std::string::npos ? 0 : readDecimal(line.substr(value));
    if (usage <= kUsages - 1) m_entries[usage] = scanCode;
  }
}

int32_t KeyTable::scanCodeFor(int usage) const {
  if (usage < 0 || usage >= kUsages) return 0;
  return m_entries[usage];
}

int KeyTable::usageFor(int32_t scanCode) const {
  for (int usage = 0; usage < kUsages; ++usage) {
    if (m_entries[usage] != 0 && m_entries[usage] == scanCode) return usage;
  }
  return 0;
}

int usageForScanCode(int32_t scanCode) { return keyTable.usageFor(scanCode); }
