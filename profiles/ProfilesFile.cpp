#include "profiles/ProfilesFile.h"

#include <cctype>
#include <cstdio>
#include <map>

#include "device/ProgramDirectory.h"
#include "profiles/KeyNames.h"
#include "framework/FileReplace.h"
#include "framework/FileSaver.h"
#include "framework/SystemFileLayer.h"

namespace {

constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";
constexpr size_t kByteOrderMarkLength = 3;
constexpr char kNewFileLineEnd[] = "\r\n";  // what Notepad and the platform expect
constexpr char kBackupSuffix[] = ".bak";
constexpr char kFileName[] = "profiles.ini";
constexpr char kBackupName[] = "profiles.ini.bak";
constexpr char kJournalName[] = "profiles.ini.new";
constexpr char kShortcutWord[] = "shortcut";
constexpr char kScanCodeWord[] = "scancode";
constexpr int32_t kExtendedScanCode = 0xE000;
constexpr int32_t kScanCodeByte = 0xFF;

struct FunctionWord {
  int32_t function;
  const char* word;
};
constexpr FunctionWord kFunctionWords[] = {
    {ButtonFunction::Native, "native"},
    {ButtonFunction::LeftButton, "left"},
    {ButtonFunction::RightButton, "right"},
    {ButtonFunction::WheelButton, "wheel"},
    {ButtonFunction::Button4th, "button4"},
    {ButtonFunction::Button5th, "button5"},
    {ButtonFunction::DoubleClick, "double-click"},
    {ButtonFunction::CloseCurrentWindow, "close-window"},
};

struct ModifierWord {
  int32_t bit;
  const char* word;
};
// In bit order, which is also the order they are written in.
constexpr ModifierWord kModifierWords[] = {
    {ModifierBit::LeftCtrl, "ctrl"},    {ModifierBit::LeftShift, "shift"},
    {ModifierBit::LeftAlt, "alt"},      {ModifierBit::LeftWindows, "win"},
    {ModifierBit::RightCtrl, "rctrl"},  {ModifierBit::RightShift, "rshift"},
    {ModifierBit::RightAlt, "ralt"},    {ModifierBit::RightWindows, "rwin"},
};

// A CR that ends no line is blank too, so that a file cut after one reads
// the same once more lines follow it.
bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

std::string trimmed(const std::string& text) {
  size_t begin = 0, end = text.size();
  while (begin < end && isBlank(text[begin])) ++begin;
  while (end > begin && isBlank(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

std::string lowered(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

int32_t modifierBit(const std::string& word) {
  for (const ModifierWord& m : kModifierWords) {
    if (word == m.word) return m.bit;
  }
  return 0;
}

// "scancode 0x2e": a key without a name. False unless the number is a scan
// code the capture can produce (one byte, or 0xE0 and one byte).
bool parseScanCodeForm(const std::string& key, int32_t& scanCode) {
  if (key.compare(0, sizeof kScanCodeWord - 1, kScanCodeWord) != 0) return false;
  const std::string number = trimmed(key.substr(sizeof kScanCodeWord - 1));
  if (number.size() < 3 || number.size() > 6 || number[0] != '0' || number[1] != 'x') return false;
  int32_t value = 0;
  for (size_t i = 2; i < number.size(); ++i) {
    if (!std::isxdigit(static_cast<unsigned char>(number[i]))) return false;
    value = value * 16 + (std::isdigit(static_cast<unsigned char>(number[i])) ? number[i] - '0' : number[i] - 'a' + 10);
  }
  if (value > kScanCodeByte && (value & ~kScanCodeByte) != kExtendedScanCode) return false;
  scanCode = value;
  return true;
}

bool sameAssignment(const ButtonAssignment& a, const ButtonAssignment& b) {
  return a.function == b.function && a.buttonMask == b.buttonMask && a.modifiers == b.modifiers &&
         a.scanCode == b.scanCode;
}

// Text that is not UTF-8 or holds control characters other than tab and the
// line ends is not a profiles file someone wrote: it is left alone.
bool isText(const std::string& text) {
  for (char c : text) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (u < 0x20 && c != '\t' && c != '\r' && c != '\n') return false;
  }
  return isValidUtf8(text);
}

bool readWholeFile(const char* path, std::string& bytes) {
  FILE* f = openFile(path, "rb");
  if (!f) return false;
  bytes.clear();
  char buffer[4096];
  size_t got;
  // One byte beyond the limit is enough to know the file is too large.
  while (bytes.size() <= kMaxProfilesFileSize && (got = std::fread(buffer, 1, sizeof buffer, f)) > 0)
    bytes.append(buffer, got);
  const bool ok = !std::ferror(f);
  std::fclose(f);
  return ok;
}

}  // namespace

std::string profilesFilePath() { return std::string(programDirectory.c_str()) + kFileName; }

std::string formatProfileValue(int /*row*/, const ButtonAssignment& assignment) {
  if (assignment.function == ButtonFunction::KeyShortcut) {
    std::string value = std::string(kShortcutWord) + ' ';
    for (const ModifierWord& m : kModifierWords) {
      if (assignment.modifiers & m.bit) value += std::string(m.word) + '+';
    }
    std::string key = keyNameForScanCode(assignment.scanCode);
    if (key.empty()) {
      char number[16];
      std::snprintf(number, sizeof number, "0x%x", static_cast<unsigned>(assignment.scanCode));
      key = std::string(kScanCodeWord) + ' ' + number;
    }
    return value + key;
  }
  for (const FunctionWord& f : kFunctionWords) {
    if (f.function == assignment.function) return f.word;
  }
  return "native";
}

bool parseProfileValue(int row, const std::string& value, ButtonAssignment& assignment) {
  assignment = ButtonAssignment();
  const std::string text = lowered(trimmed(value));
  for (const FunctionWord& f : kFunctionWords) {
    if (text == f.word) {
      assignment = profileAssignment(row, f.function);
      return true;
    }
  }
  const size_t wordLength = sizeof kShortcutWord - 1;
  if (text.compare(0, wordLength, kShortcutWord) != 0 || text.size() == wordLength || !isBlank(text[wordLength]))
    return false;
  std::string rest = trimmed(text.substr(wordLength));
  // Leading "word+" parts are modifiers; what remains is the key, whose own
  // name may hold a '+' ("num +").
  int32_t modifiers = 0;
  for (size_t plus; (plus = rest.find('+')) != std::string::npos;) {
    const int32_t bit = modifierBit(trimmed(rest.substr(0, plus)));
    const std::string after = trimmed(rest.substr(plus + 1));
    if (!bit || after.empty()) break;
    modifiers |= bit;
    rest = after;
  }
  int32_t scanCode = 0;
  if (!parseScanCodeForm(rest, scanCode)) {
    scanCode = scanCodeForKeyName(rest);
    if (scanCode == 0) return false;
  }
  assignment = profileAssignment(row, ButtonFunction::KeyShortcut, modifiers, scanCode);
  return true;
}

bool ProfilesFile::parse(const std::string& bytes, ProgramProfiles& profiles) {
  profiles.clear();
  m_lines.clear();
  m_sections.clear();
  m_byteOrderMark = bytes.compare(0, kByteOrderMarkLength, kByteOrderMark) == 0;
  const std::string text = m_byteOrderMark ? bytes.substr(kByteOrderMarkLength) : bytes;
  m_damaged = bytes.size() > kMaxProfilesFileSize || !isText(text);
  if (m_damaged) {
    m_byteOrderMark = false;
    return false;
  }

  int section = -1;
  for (size_t pos = 0; pos < text.size();) {
    Line line;
    const size_t lineEnd = text.find('\n', pos);
    line.text = text.substr(pos, lineEnd == std::string::npos ? std::string::npos : lineEnd - pos);
    pos = lineEnd == std::string::npos ? text.size() : lineEnd + 1;
    if (lineEnd != std::string::npos) {
      line.end = "\n";
      if (!line.text.empty() && line.text.back() == '\r') {
        line.text.pop_back();
        line.end = "\r\n";
      }
    }
    const int number = static_cast<int>(m_lines.size()) + 1;
    const std::string content = trimmed(line.text);

    if (!content.empty() && content[0] == '[') {
      // Whatever follows a header belongs to it, so that the keys under a
      // malformed one never land in the profile before it.
      Section s;
      if (content.back() == ']') s.program = trimmed(content.substr(1, content.size() - 2));
      s.valid = profiles.add(s.program) != nullptr;
      s.profile = s.valid ? profiles.indexOf(s.program) : -1;
      m_sections.push_back(s);
      section = static_cast<int>(m_sections.size()) - 1;
      line.header = true;
    } else if (!content.empty() && content[0] != ';' && section >= 0 && m_sections[section].valid) {
      ProgramProfile* profile = &profiles.at(m_sections[section].profile);
      const size_t equals = content.find('=');
      int row = -1;
      if (equals != std::string::npos) {
        const std::string key = lowered(trimmed(content.substr(0, equals)));
        for (int r = 0; r < RowIndex::Count; ++r) {
          if (key == kRows[r].profileKey) row = r;
        }
      }
      if (row >= 0) {
        const bool known = parseProfileValue(row, content.substr(equals + 1), line.read);
        profile->rows[row] = line.read;
        line.row = row;
        if (!known) profile->problems.push_back(ProfileProblem{number, line.text});
      } else {
        profile->problems.push_back(ProfileProblem{number, line.text});
      }
    }
    line.section = section;
    m_lines.push_back(line);
  }
  return true;
}

std::string ProfilesFile::format(const ProgramProfiles& profiles) const {
  std::string newLine = kNewFileLineEnd;
  if (!m_lines.empty() && !m_lines.front().end.empty()) newLine = m_lines.front().end;

  const std::vector<ProgramProfile>& list = profiles.profiles();
  // Which profile each section is now, or -1 when it was removed or the
  // section never named one.
  std::vector<int> profileOf(m_sections.size(), -1);
  std::vector<int> lastSection(list.size(), -1);
  for (size_t s = 0; s < m_sections.size(); ++s) {
    if (!m_sections[s].valid) continue;
    const int p = profiles.indexOf(m_sections[s].program);
    if (p < 0) continue;
    profileOf[s] = p;
    lastSection[p] = static_cast<int>(s);
  }
  // The line that owns each row: the last one that sets it.
  std::map<std::pair<int, int>, size_t> owner;
  for (size_t i = 0; i < m_lines.size(); ++i) {
    const Line& line = m_lines[i];
    if (line.row >= 0 && line.section >= 0 && profileOf[line.section] >= 0)
      owner[{profileOf[line.section], line.row}] = i;
  }

  std::vector<std::pair<std::string, std::string>> out;  // text and line end
  const auto addMissingRows = [&](int p, size_t at) {
    std::vector<std::pair<std::string, std::string>> rows;
    for (int r = 0; r < RowIndex::Count; ++r) {
      if (!owner.count({p, r}) && list[p].rows[r].function != ButtonFunction::Native)
        rows.push_back({std::string(kRows[r].profileKey) + '=' + formatProfileValue(r, list[p].rows[r]), newLine});
    }
    out.insert(out.begin() + static_cast<std::ptrdiff_t>(at), rows.begin(), rows.end());
  };

  for (size_t i = 0; i < m_lines.size();) {
    const int section = m_lines[i].section;
    size_t end = i + 1;
    while (end < m_lines.size() && !m_lines[end].header) ++end;
    const int p = section >= 0 ? profileOf[section] : -1;
    if (section >= 0 && m_sections[section].valid && p < 0) {
      i = end;  // the profile was removed: its section goes
      continue;
    }
    size_t lastContent = out.size();
    for (; i < end; ++i) {
      const Line& line = m_lines[i];
      std::string text = line.text;
      if (p >= 0 && line.row >= 0 && owner[{p, line.row}] == i && !sameAssignment(list[p].rows[line.row], line.read))
        text = std::string(kRows[line.row].profileKey) + '=' + formatProfileValue(line.row, list[p].rows[line.row]);
      out.push_back({text, line.end});
      if (!trimmed(text).empty()) lastContent = out.size();
    }
    if (p >= 0 && lastSection[p] == section) addMissingRows(p, lastContent);
  }
  for (size_t p = 0; p < list.size(); ++p) {
    if (lastSection[p] >= 0) continue;
    if (!out.empty() && !trimmed(out.back().first).empty()) out.push_back({"", newLine});
    out.push_back({'[' + list[p].program + ']', newLine});
    addMissingRows(static_cast<int>(p), out.size());
  }

  std::string text = m_byteOrderMark ? kByteOrderMark : "";
  for (size_t i = 0; i < out.size(); ++i) {
    text += out[i].first;
    // A last line without an end gets one when lines now follow it.
    text += out[i].second.empty() && i + 1 < out.size() ? newLine : out[i].second;
  }
  return text;
}

ProfilesFile::ProfilesFile() : m_files(SystemFileLayer::instance()) {}

bool ProfilesFile::readDisk(const char* path, ProgramProfiles& profiles) {
  m_diskBytes.clear();
  m_diskExists = fileExists(path);
  if (m_diskExists && !readWholeFile(path, m_diskBytes)) {
    parse(std::string(), profiles);
    m_damaged = true;
    m_diskReadable = false;
    return false;
  }
  m_diskReadable = true;
  return parse(m_diskBytes, profiles);
}

FileSaver ProfilesFile::saver() const {
  FileSaver saver(m_files);
  if (!m_backupFolder.empty()) saver.setJournal(m_backupFolder + kJournalName);
  return saver;
}

bool ProfilesFile::load(const char* path, ProgramProfiles& profiles) {
  // A save that the program did not live to end is ended first.
  saver().recover(path);
  const bool loaded = readDisk(path, profiles);
  m_base = profiles;
  return loaded;
}

bool ProfilesFile::reload(const char* path, ProgramProfiles& profiles) {
  const std::string before = m_diskBytes;
  const bool existed = m_diskExists, wasReadable = m_diskReadable;
  ProgramProfiles disk;
  readDisk(path, disk);
  // The notice of the program's own save, or of a touch that changed
  // nothing, changes nothing.
  if (m_diskExists == existed && m_diskReadable == wasReadable && m_diskBytes == before) return false;
  if (m_damaged) {
    // As at the start: no profiles, and the file is left alone until the
    // user changes one.
    profiles.clear();
    m_base.clear();
    return true;
  }
  ProgramProfiles merged = disk;
  applyProfileChanges(m_base, profiles, merged);
  profiles = merged;
  m_base = disk;
  return true;
}

bool ProfilesFile::saveBackup(const char* path) {
  // The folder of profiles.ini may take no new file from a standard user;
  // the copy then goes where the user may always write.
  FileSaver saver(m_files);
  const std::string beside = std::string(path) + kBackupSuffix;
  if (saver.save(beside, m_diskBytes, FileSaver::Existing::SwapIn)) {
    m_backupPath = beside;
    return true;
  }
  if (m_backupFolder.empty()) return false;
  createFolder(m_backupFolder.c_str());
  const std::string elsewhere = m_backupFolder + kBackupName;
  if (!saver.save(elsewhere, m_diskBytes, FileSaver::Existing::SwapIn)) return false;
  m_backupPath = elsewhere;
  return true;
}

bool ProfilesFile::save(const char* path, ProgramProfiles& profiles) {
  // A file the user made read-only stays exactly as it is, damaged or not.
  if (m_files.readOnly(path)) return false;
  // The save starts from the file as it is now, so that whatever was written
  // into it by hand since it was read stays.
  const std::string lastBytes = m_diskBytes;
  const bool lastExists = m_diskExists, lastReadable = m_diskReadable;
  const auto failed = [&] {
    // A reload must still see what changed on disk since the last read.
    m_diskBytes = lastBytes;
    m_diskExists = lastExists;
    m_diskReadable = lastReadable;
    return false;
  };
  ProgramProfiles merged;
  readDisk(path, merged);
  applyProfileChanges(m_base, profiles, merged);
  if (m_damaged) {
    // The user's old file is kept before anything replaces it; one that
    // cannot even be read cannot be kept, and is not replaced.
    if (m_diskExists && (!m_diskReadable || !saveBackup(path))) return failed();
    m_lines.clear();
    m_sections.clear();
    m_byteOrderMark = false;
  }
  const std::string text = format(merged);
  // Written complete beside it, then put in its place with its rights, so
  // that the file is never half written, whatever happens.
  if (!m_backupFolder.empty()) createFolder(m_backupFolder.c_str());  // for the journal
  if (!saver().save(path, text, FileSaver::Existing::SwapIn)) return failed();
  // What was written is what the window shows and the next save starts from,
  // down to the lines that are still not understood.
  parse(text, profiles);
  m_base = profiles;
  m_diskBytes = text;
  m_diskExists = m_diskReadable = true;
  return true;
}
