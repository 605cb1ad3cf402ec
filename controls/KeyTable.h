// The table from HID keyboard usage to keyboard scan code, read once from the
// program's key list (resource "TXT" 217). Shortcuts are captured as scan
// codes; the mouse is told HID usages, so the table is read in reverse.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

class KeyTable {
public:
  static constexpr int kUsages = 255;  // usages 0..254

  // Constant-initialised: the table exists, empty, before any other object of
  // the process is constructed.
  constexpr KeyTable() = default;

  // On the first call: empties the table, marks it loaded and fills it from
  // the text that `readKeyList` returns. Later calls do nothing, also when the
  // first one found no text.
  void load(const std::function<std::string()>& readKeyList);
  bool loaded() const { return m_loaded; }

  // Replaces every entry with what the key list text says. The text ends at
  // its first zero byte, as a copy into a zero-terminated buffer would.
  void parse(const char* text, size_t size);
  void parse(const std::string& text) { parse(text.data(), text.size()); }

  // The scan code stored for `usage`, 0 for none or out of range.
  int32_t scanCodeFor(int usage) const;
  // The first usage whose entry is `scanCode`; 0 when there is none.
  int usageFor(int32_t scanCode) const;

private:
  int32_t m_entries[kUsages] = {};
  bool m_loaded = false;
};

// The process's key table.
extern KeyTable keyTable;

// The HID usage of a captured scan code, from the process's table (which it
// does not load); 0 when the key has no usage.
int usageForScanCode(int32_t scanCode);

// Windows build: fills the process's table from resource "TXT" 217 on the
// first call.
void loadKeyTable();
