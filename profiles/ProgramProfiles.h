// Program profiles: a program, named by its executable's file name
// ("game.exe"), may have four button rows of its own. While a window of that
// program is in front its rows apply; for every other program the rows of
// setting.dat do. A profile row that was never set is the button's own
// function (Native), so an empty profile hands all four buttons back to the
// mouse.
//
// Rows hold ButtonAssignments as the main window makes them: the choice that
// names the row's own button is Native, buttonMask follows the function, and
// only a KeyShortcut row carries a shortcut.
#pragma once
#include <string>
#include <vector>

#include "device/MouseConfig.h"
#include "device/Row.h"

// Puts four rows into the assignments of their buttons; the left button and
// the unused indexes are left as they are.
void applyProfileRows(const ButtonAssignment rows[RowIndex::Count], MouseConfig& config);

// An assignment for `row` as the main window would make it from the same
// choice: an unknown function or the row's own button becomes Native, the
// mask is derived, and a shortcut is kept only for KeyShortcut (its modifiers
// held to their 8 bits).
ButtonAssignment profileAssignment(int row, int32_t function, int32_t modifiers = 0, int32_t scanCode = 0);

// A line of profiles.ini that the reader did not understand; the row it
// meant, if any, stays Native.
struct ProfileProblem {
  int line = 0;  // 1-based
  std::string text;
};

struct ProgramProfile {
  std::string program;  // as first written
  ButtonAssignment rows[RowIndex::Count];
  std::vector<ProfileProblem> problems;
};

// True when `text` is well-formed UTF-8 (no overlong forms, no surrogates).
bool isValidUtf8(const std::string& text);

// True for a name a profile can have: a file name in valid UTF-8, without
// folder, control characters, characters Windows refuses in file
// names, or surrounding blanks.
bool isValidProgramName(const std::string& program);

// Program names compare as Windows compares file names for the usual
// alphabets: ASCII, Latin-1, Latin Extended-A, Greek and Cyrillic letters
// without regard to case; any other character exactly.
bool sameProgramName(const std::string& a, const std::string& b);

// More profiles than anyone keeps; a file cannot make lookups slow.
constexpr int kMaxProgramProfiles = 500;

class ProgramProfiles {
public:
  const std::vector<ProgramProfile>& profiles() const { return m_profiles; }
  bool empty() const { return m_profiles.empty(); }

  // The profile of `program`, or nullptr.
  const ProgramProfile* find(const std::string& program) const;
  ProgramProfile* find(const std::string& program);
  // The position of its profile in profiles(), or -1.
  int indexOf(const std::string& program) const;
  ProgramProfile& at(int index) { return m_profiles.at(static_cast<size_t>(index)); }

  // The profile of `program`, made with four Native rows when there is none;
  // nullptr for a name no profile can have, or when there are
  // kMaxProgramProfiles already.
  ProgramProfile* add(const std::string& program);
  // False when there was no such profile.
  bool remove(const std::string& program);
  // Sets one row through profileAssignment; false without such a profile.
  bool setRow(const std::string& program, int row, int32_t function, int32_t modifiers = 0,
              int32_t scanCode = 0);

  void clear() {
    m_profiles.clear();
    m_folded.clear();
  }

private:
  std::vector<ProgramProfile> m_profiles;
  std::vector<std::u32string> m_folded;  // each profile's name, case folded once

};

// Puts into `target` the changes that made `after` of `before`: profiles
// removed and added, and rows set. A row changed in `after` overrides
// `target`'s; a profile `target` lacks is added for a changed row. Anything
// else of `target` (its other profiles and rows) stays.
void applyProfileChanges(const ProgramProfiles& before, const ProgramProfiles& after, ProgramProfiles& target);

// What the buttons do while a program is in front: its profile's four rows
// over the other assignments of setting.dat, or setting.dat's alone.
struct RowsInForce {
  std::string profile;  // the profile's name as written; "" for setting.dat's rows
  ButtonAssignment assignments[ButtonIndex::Count];

  // True when `config` acts on exactly these rows already.
  bool sameAs(const MouseConfig& config) const;
  // Into the model's rows in force (config.assignments are not touched).
  void putInto(MouseConfig& config) const;
};

// The rows in force while `program` ("" for none, or this program) is in
// front, over the stored assignments of `config`.
RowsInForce rowsInForceFor(const ProgramProfiles& profiles, const std::string& program, const MouseConfig& config);
