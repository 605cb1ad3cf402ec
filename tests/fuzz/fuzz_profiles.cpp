// The profiles.ini reader on arbitrary bytes: what it loads must be a known
// function with in-range values on one of the four rows, it must never touch
// another button, and what the program writes for the loaded profiles (kept
// lines and all, or from scratch) must read back the same.
#include <cstdint>
#include <string>

#include "profiles/KeyNames.h"
#include "profiles/ProfilesFile.h"
#include "tests/fuzz/FuzzCheck.h"

namespace {


bool isCapturableScanCode(int32_t code) { return (code >= 0 && code <= 0xFF) || (code >= 0xE000 && code <= 0xE0FF); }

bool sameRows(const ProgramProfiles& a, const ProgramProfiles& b) {
  if (a.profiles().size() != b.profiles().size()) return false;
  for (size_t p = 0; p < a.profiles().size(); ++p) {
    const ProgramProfile& x = a.profiles()[p];
    const ProgramProfile& y = b.profiles()[p];
    if (x.program != y.program) return false;
    for (int r = 0; r < RowIndex::Count; ++r) {
      const ButtonAssignment& u = x.rows[r];
      const ButtonAssignment& v = y.rows[r];
      if (u.function != v.function || u.buttonMask != v.buttonMask || u.modifiers != v.modifiers ||
          u.scanCode != v.scanCode)
        return false;
    }
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  ProfilesFile file;
  ProgramProfiles profiles;
  const bool loaded = file.parse(bytes, profiles);
  require(loaded != file.damaged(), "load result and damage flag disagree");
  if (!loaded) {
    require(profiles.empty(), "a damaged file loaded profiles");
    return 0;
  }

  MouseConfig sentinel;
  for (int i = 0; i < ButtonIndex::Count; ++i) sentinel.assignments[i] = {0x5A, 0x77, 99, 0x40};
  for (const ProgramProfile& profile : profiles.profiles()) {
    require(isValidProgramName(profile.program), "profile with an invalid name");
    for (int r = 0; r < RowIndex::Count; ++r) {
      const ButtonAssignment& a = profile.rows[r];
      require(isKnownFunction(a.function), "unknown function loaded");
      require(a.buttonMask == buttonMaskFor(a.function), "mask does not follow the function");
      require(profileAssignment(r, a.function, a.modifiers, a.scanCode).function == a.function,
              "a row holds its own button instead of native");
      if (a.function == ButtonFunction::KeyShortcut) {
        require(a.modifiers >= 0 && a.modifiers <= 0xFF, "modifiers out of range");
        require(isCapturableScanCode(a.scanCode), "scan code out of range");
      } else {
        require(a.modifiers == 0 && a.scanCode == 0, "shortcut on a row that is no shortcut");
      }
    }
    for (const ProfileProblem& problem : profile.problems) require(problem.line >= 1, "problem without a line");
    MouseConfig applied;
    for (int i = 0; i < ButtonIndex::Count; ++i) applied.assignments[i] = sentinel.assignments[i];
    applyProfileRows(profile.rows, applied);
    for (int i : {0, 5, 6, 7})
      require(applied.assignments[i].function == 99 && applied.assignments[i].scanCode == 0x77,
              "a profile reached a button outside its four rows");
  }

  // The program's own save keeps the lines it read; a fresh file has none.
  const std::string kept = file.format(profiles);
  ProfilesFile again;
  ProgramProfiles reread;
  require(again.parse(kept, reread), "the program's own file reads as damaged");
  require(sameRows(profiles, reread), "round trip through the kept lines changed a profile");
  require(again.format(reread) == kept, "a second save changed the file");

  // A change by the user: rows rewritten or added to kept sections, and a
  // new section after whatever the file ended with.
  ProgramProfiles changed = profiles;
  const int32_t function = size > 0 && data[0] % 2 ? ButtonFunction::KeyShortcut : ButtonFunction::DoubleClick;
  for (const ProgramProfile& profile : profiles.profiles())
    changed.setRow(profile.program, static_cast<int>(size % RowIndex::Count), function, 0x11, 0x2E);
  changed.add("fuzz.exe");
  changed.setRow("fuzz.exe", RowIndex::Wheel, ButtonFunction::LeftButton);
  require(again.parse(file.format(changed), reread), "a changed file reads as damaged");
  require(sameRows(changed, reread), "round trip of a change lost it");

  ProfilesFile fresh;
  const std::string written = fresh.format(profiles);
  require(again.parse(written, reread), "a fresh file reads as damaged");
  require(sameRows(profiles, reread), "round trip through a fresh file changed a profile");
  return 0;
}
