#include "profiles/ProgramProfiles.h"

#include <cstring>

namespace {

constexpr int32_t kModifierByte = 0xFF;
// Characters Windows refuses in a file name. Brackets are allowed: a section
// header is read from its first to its last bracket.
constexpr char kRefusedCharacters[] = "/\\:*?\"<>|";

// Decodes one UTF-8 sequence at `pos`; -1 for an invalid one (overlong,
// surrogate, beyond U+10FFFF, cut short).
int32_t decodeUtf8(const std::string& text, size_t& pos) {
  const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(pos);
  int length;
  int32_t cp;
  int32_t minimum;
  if (lead < 0x80) return ++pos, lead;
  if ((lead & 0xE0) == 0xC0) length = 2, cp = lead & 0x1F, minimum = 0x80;
  else if ((lead & 0xF0) == 0xE0) length = 3, cp = lead & 0x0F, minimum = 0x800;
  else if ((lead & 0xF8) == 0xF0) length = 4, cp = lead & 0x07, minimum = 0x10000;
  else return -1;
  if (text.size() - pos < static_cast<size_t>(length)) return -1;
  for (int i = 1; i < length; ++i) {
    if ((byte(pos + i) & 0xC0) != 0x80) return -1;
    cp = (cp << 6) | (byte(pos + i) & 0x3F);
  }
  if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return -1;
  pos += length;
  return cp;
}

int32_t foldCase(int32_t cp) {
  if (cp >= 'A' && cp <= 'Z') return cp + 0x20;
  if (cp >= 0xC0 && cp <= 0xDE && cp != 0xD7) return cp + 0x20;
  if (cp == 0x178) return 0xFF;
  // Latin Extended-A pairs capital and small letter as even/odd code points,
  // except between U+0139 and U+0148 and from U+0179 on, where they are odd/even.
  if ((cp >= 0x100 && cp <= 0x137) || (cp >= 0x14A && cp <= 0x177)) return cp | 1;
  if ((cp >= 0x139 && cp <= 0x148) || (cp >= 0x179 && cp <= 0x17E)) return (cp & 1) ? cp + 1 : cp;
  if (cp >= 0x391 && cp <= 0x3AB && cp != 0x3A2) return cp + 0x20;
  if (cp >= 0x410 && cp <= 0x42F) return cp + 0x20;
  if (cp >= 0x400 && cp <= 0x40F) return cp + 0x50;
  return cp;
}

// The code points of a name with case folded; false for invalid UTF-8.
bool foldedName(const std::string& name, std::u32string& folded) {
  folded.clear();
  for (size_t pos = 0; pos < name.size();) {
    const int32_t cp = decodeUtf8(name, pos);
    if (cp < 0) return false;
    folded += static_cast<char32_t>(foldCase(cp));
  }
  return true;
}

}  // namespace

bool isValidUtf8(const std::string& text) {
  for (size_t pos = 0; pos < text.size();) {
    if (decodeUtf8(text, pos) < 0) return false;
  }
  return true;
}

void applyProfileRows(const ButtonAssignment rows[RowIndex::Count], MouseConfig& config) {
  for (int row = 0; row < RowIndex::Count; ++row) config.assignments[kRows[row].buttonIndex] = rows[row];
}

ButtonAssignment profileAssignment(int row, int32_t function, int32_t modifiers, int32_t scanCode) {
  ButtonAssignment a;
  if (row < 0 || row >= RowIndex::Count || !isKnownFunction(function) || function == kRows[row].ownFunction)
    return a;
  a.function = function;
  a.buttonMask = buttonMaskFor(function);
  if (function == ButtonFunction::KeyShortcut) {
    a.modifiers = modifiers & kModifierByte;
    a.scanCode = scanCode;
  }
  return a;
}

bool isValidProgramName(const std::string& program) {
  if (program.empty() || program.front() == ' ' || program.back() == ' ') return false;
  for (char c : program) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (u < 0x20 || u == 0x7F || std::strchr(kRefusedCharacters, c)) return false;
  }
  std::u32string folded;
  return foldedName(program, folded);
}

bool sameProgramName(const std::string& a, const std::string& b) {
  std::u32string x, y;
  if (!foldedName(a, x) || !foldedName(b, y)) return a == b;
  return x == y;
}

int ProgramProfiles::indexOf(const std::string& program) const {
  std::u32string folded;
  if (!foldedName(program, folded)) return -1;  // no profile has such a name
  for (size_t i = 0; i < m_folded.size(); ++i) {
    if (m_folded[i] == folded) return static_cast<int>(i);
  }
  return -1;
}

const ProgramProfile* ProgramProfiles::find(const std::string& program) const {
  const int index = indexOf(program);
  return index < 0 ? nullptr : &m_profiles[index];
}

ProgramProfile* ProgramProfiles::find(const std::string& program) {
  const int index = indexOf(program);
  return index < 0 ? nullptr : &m_profiles[index];
}

ProgramProfile* ProgramProfiles::add(const std::string& program) {
  if (!isValidProgramName(program)) return nullptr;
  if (ProgramProfile* existing = find(program)) return existing;
  if (m_profiles.size() >= static_cast<size_t>(kMaxProgramProfiles)) return nullptr;
  std::u32string folded;
  foldedName(program, folded);
  m_profiles.push_back(ProgramProfile{program, {}, {}});
  m_folded.push_back(folded);
  return &m_profiles.back();
}

bool ProgramProfiles::remove(const std::string& program) {
  const int index = indexOf(program);
  if (index < 0) return false;
  m_profiles.erase(m_profiles.begin() + index);
  m_folded.erase(m_folded.begin() + index);
  return true;
}

bool ProgramProfiles::setRow(const std::string& program, int row, int32_t function, int32_t modifiers,
                             int32_t scanCode) {
  ProgramProfile* profile = find(program);
  if (!profile || row < 0 || row >= RowIndex::Count) return false;
  profile->rows[row] = profileAssignment(row, function, modifiers, scanCode);
  return true;
}


namespace {
bool sameAssignment(const ButtonAssignment& a, const ButtonAssignment& b) {
  return a.function == b.function && a.buttonMask == b.buttonMask && a.scanCode == b.scanCode &&
         a.modifiers == b.modifiers;
}
}  // namespace

bool RowsInForce::sameAs(const MouseConfig& config) const {
  if (profile != config.programInForce) return false;
  for (int i = 0; i < ButtonIndex::Count; ++i) {
    if (!sameAssignment(assignments[i], config.assignmentInForce(i))) return false;
  }
  return true;
}

void RowsInForce::putInto(MouseConfig& config) const {
  for (int i = 0; i < ButtonIndex::Count; ++i) config.programAssignments[i] = assignments[i];
  config.programInForce = profile;
}

RowsInForce rowsInForceFor(const ProgramProfiles& profiles, const std::string& program, const MouseConfig& config) {
  RowsInForce rows;
  for (int i = 0; i < ButtonIndex::Count; ++i) rows.assignments[i] = config.assignments[i];
  const ProgramProfile* profile = program.empty() ? nullptr : profiles.find(program);
  if (!profile) return rows;
  rows.profile = profile->program;
  for (int row = 0; row < RowIndex::Count; ++row) rows.assignments[kRows[row].buttonIndex] = profile->rows[row];
  return rows;
}

namespace {

bool sameRow(const ButtonAssignment& a, const ButtonAssignment& b) {
  return a.function == b.function && a.buttonMask == b.buttonMask && a.modifiers == b.modifiers &&
         a.scanCode == b.scanCode;
}

}  // namespace

void applyProfileChanges(const ProgramProfiles& before, const ProgramProfiles& after, ProgramProfiles& target) {
  for (const ProgramProfile& old : before.profiles()) {
    if (!after.find(old.program)) target.remove(old.program);
  }
  for (const ProgramProfile& now : after.profiles()) {
    const ProgramProfile* old = before.find(now.program);
    const ButtonAssignment native;
    ProgramProfile* into = old ? target.find(now.program) : target.add(now.program);
    for (int row = 0; row < RowIndex::Count; ++row) {
      if (sameRow(now.rows[row], old ? old->rows[row] : native)) continue;
      if (!into) into = target.add(now.program);
      if (into) into->rows[row] = now.rows[row];
    }
  }
}
