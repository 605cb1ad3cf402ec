// profiles.ini and the program profiles: what a value means, what a tolerant
// read makes of a file people wrote, which profile applies, and what a save
// keeps, rewrites and refuses to overwrite.
#include <gtest/gtest.h>

#include <string>

#include <sys/stat.h>

#include "profiles/KeyNames.h"
#include "profiles/ProfilesFile.h"
#include "framework/SystemFileLayer.h"
#include "tests/host/TempDir.h"

namespace {


std::string text(const std::vector<uint8_t>& bytes) { return std::string(bytes.begin(), bytes.end()); }
std::vector<uint8_t> bytes(const std::string& s) { return std::vector<uint8_t>(s.begin(), s.end()); }

ButtonAssignment valueOf(int row, const std::string& value) {
  ButtonAssignment a;
  EXPECT_TRUE(parseProfileValue(row, value, a)) << value;
  return a;
}

TEST(ProfileValue, MeansWhatTheMainWindowMakesOfTheSameChoice) {
  // The item naming the row's own button is the row's Native item.
  EXPECT_EQ(valueOf(RowIndex::Right, "right").function, ButtonFunction::Native);
  EXPECT_EQ(valueOf(RowIndex::Button4, "button4").function, ButtonFunction::Native);
  const ButtonAssignment toFifth = valueOf(RowIndex::Button4, "BUTTON5");
  EXPECT_EQ(toFifth.function, ButtonFunction::Button5th);
  EXPECT_EQ(toFifth.buttonMask, 0x08);
  EXPECT_EQ(valueOf(RowIndex::Right, "button4").buttonMask, 0x10);
  EXPECT_EQ(valueOf(RowIndex::Wheel, "double-click").function, ButtonFunction::DoubleClick);
  const ButtonAssignment copy = valueOf(RowIndex::Wheel, "Shortcut Ctrl+RAlt+c");
  EXPECT_EQ(copy.function, ButtonFunction::KeyShortcut);
  EXPECT_EQ(copy.modifiers, ModifierBit::LeftCtrl | ModifierBit::RightAlt);
  EXPECT_EQ(copy.scanCode, 0x2E);
  // The last part is the key, even a modifier or a name holding '+'.
  EXPECT_EQ(valueOf(RowIndex::Wheel, "shortcut ctrl+shift").scanCode, 0x2A);
  EXPECT_EQ(valueOf(RowIndex::Wheel, "shortcut alt+num +").scanCode, 78);
  EXPECT_EQ(valueOf(RowIndex::Wheel, "shortcut num  7").scanCode, 71);

  ButtonAssignment a;
  for (const char* bad : {"teleport", "shortcut", "shortcut ctrl+", "shortcut hyper+c", "shortcut ctrl+nokey",
                          "shortcut scancode 0x1ff", "shortcutc"})
    EXPECT_FALSE(parseProfileValue(RowIndex::Wheel, bad, a)) << bad;
}

TEST(ProgramProfiles, LookupIgnoresCaseAndFallsBackToTheDefaultRows) {
  ProgramProfiles profiles;
  ASSERT_TRUE(profiles.add("Spiel-Ä.exe"));
  EXPECT_EQ(profiles.add("SPIEL-ä.EXE"), profiles.find("spiel-ä.exe"));
  EXPECT_EQ(profiles.profiles().size(), 1u);
  EXPECT_EQ(profiles.find("spiel-a.exe"), nullptr);
  EXPECT_EQ(profiles.add("games\\x.exe"), nullptr);
  for (int i = 1; i < kMaxProgramProfiles; ++i) profiles.add("p" + std::to_string(i));
  EXPECT_EQ(profiles.add("one-too-many.exe"), nullptr);
  ASSERT_TRUE(profiles.setRow("SPIEL-Ä.exe", RowIndex::Button5, ButtonFunction::CloseCurrentWindow));

  MouseConfig defaults;
  defaults.assignments[ButtonIndex::Button5th].function = ButtonFunction::DoubleClick;
  EXPECT_EQ(rowsInForceFor(profiles, "spiel-ä.exe", defaults).assignments[ButtonIndex::Button5th].function,
            ButtonFunction::CloseCurrentWindow);
  const RowsInForce other = rowsInForceFor(profiles, "explorer.exe", defaults);
  EXPECT_EQ(other.profile, "");
  EXPECT_EQ(other.assignments[ButtonIndex::Button5th].function, ButtonFunction::DoubleClick);

  // In force: the profile's rows over setting.dat's left button, and the
  // report mask and the engine's rows follow; setting.dat's rows stay.
  defaults.assignments[ButtonIndex::Left].function = ButtonFunction::RightButton;
  defaults.assignments[ButtonIndex::Left].buttonMask = 0x02;
  ASSERT_TRUE(profiles.setRow("spiel-ä.exe", RowIndex::Wheel, ButtonFunction::DoubleClick));
  const RowsInForce game = rowsInForceFor(profiles, "SPIEL-ä.exe", defaults);
  EXPECT_EQ(game.profile, "Spiel-Ä.exe");
  EXPECT_FALSE(game.sameAs(defaults));
  game.putInto(defaults);
  EXPECT_TRUE(game.sameAs(defaults));
  EXPECT_EQ(defaults.reportMask(), 0x01 | 0x04 | 0x08);
  EXPECT_EQ(defaults.assignmentInForce(ButtonIndex::Button5th).function, ButtonFunction::CloseCurrentWindow);
  EXPECT_EQ(defaults.assignments[ButtonIndex::Button5th].function, ButtonFunction::DoubleClick);
  // A change of setting.dat's rows while the profile is in force is seen.
  defaults.assignments[ButtonIndex::Left] = ButtonAssignment();
  EXPECT_FALSE(rowsInForceFor(profiles, "spiel-ä.exe", defaults).sameAs(defaults));
  const RowsInForce desktop = rowsInForceFor(profiles, "", defaults);
  EXPECT_EQ(desktop.profile, "");
  desktop.putInto(defaults);
  EXPECT_EQ(defaults.reportMask(), 0x08);
  EXPECT_EQ(defaults.assignmentInForce(ButtonIndex::Button5th).function, ButtonFunction::DoubleClick);
}

const std::string kUserFile =
    "\xEF\xBB\xBF; my games\r\n"
    "[Game.exe]\r\n"
    "Right = Button4\r\n"
    "wheel=shortcut ctrl+c\r\n"
    "speed=fast\r\n"
    "button4=teleport\r\n"
    "\r\n"
    "[broken\r\n"
    "button5=left\r\n"
    "[other.exe]\r\n"
    "button5=double-click";

TEST(ProfilesFileRead, IsTolerantAndRecordsWhatItDidNotUnderstand) {
  ProfilesFile file;
  ProgramProfiles profiles;
  ASSERT_TRUE(file.parse(kUserFile, profiles));
  ASSERT_EQ(profiles.profiles().size(), 2u);
  const ProgramProfile& game = *profiles.find("game.exe");
  EXPECT_EQ(game.rows[RowIndex::Right].function, ButtonFunction::Button4th);
  EXPECT_EQ(game.rows[RowIndex::Wheel].scanCode, 0x2E);
  EXPECT_EQ(game.rows[RowIndex::Button4].function, ButtonFunction::Native);
  // The row under the malformed header reaches no profile.
  EXPECT_EQ(game.rows[RowIndex::Button5].function, ButtonFunction::Native);
  ASSERT_EQ(game.problems.size(), 2u);
  EXPECT_EQ(game.problems[0].line, 5);
  EXPECT_EQ(game.problems[1].text, "button4=teleport");
  // Written back unchanged, the file is the same to the byte.
  EXPECT_EQ(file.format(profiles), kUserFile);
}

TEST(ProfilesFileRead, DamagedBytesLoadNothing) {
  ProfilesFile file;
  ProgramProfiles profiles;
  for (const std::string& damaged : {std::string("[game.exe]\nright=left\n\xC3("), std::string("[a.exe]\0", 9),
                                     std::string(kMaxProfilesFileSize + 1, ';')}) {
    EXPECT_FALSE(file.parse(damaged, profiles));
    EXPECT_TRUE(file.damaged());
    EXPECT_TRUE(profiles.empty());
  }
}

struct ProfilesFileSave : ::testing::Test {
  TempDir dir;
  std::string path = dir.path("profiles.ini");
  ProfilesFile file;
  ProgramProfiles profiles;
};

TEST_F(ProfilesFileSave, KeepsWhatItDoesNotOwnAndRewritesOnlyChangedRows) {
  writeAll(path, bytes(kUserFile));
  ASSERT_TRUE(file.load(path.c_str(), profiles));
  profiles.setRow("game.exe", RowIndex::Wheel, ButtonFunction::LeftButton);
  profiles.setRow("game.exe", RowIndex::Button5, ButtonFunction::KeyShortcut, ModifierBit::RightWindows, 0x3F);
  profiles.remove("other.exe");
  profiles.add("new.exe");
  ASSERT_TRUE(file.save(path.c_str(), profiles));
  EXPECT_EQ(text(readAll(path)),
            "\xEF\xBB\xBF; my games\r\n[Game.exe]\r\nRight = Button4\r\nwheel=left\r\nspeed=fast\r\n"
            "button4=teleport\r\nbutton5=shortcut rwin+f5\r\n\r\n[broken\r\nbutton5=left\r\n\r\n[new.exe]\r\n");
  ProgramProfiles reread;
  ASSERT_TRUE(file.load(path.c_str(), reread));
  EXPECT_EQ(reread.find("GAME.EXE")->rows[RowIndex::Button5].scanCode, 0x3F);
  EXPECT_TRUE(reread.find("new.exe") && !reread.find("other.exe"));
}

TEST_F(ProfilesFileSave, DamagedFileIsKeptAsBackupWhenTheUserChangesAProfile) {
  const std::string old = "[game.exe]\r\nright=\xFF\xFE\r\n";
  writeAll(path, bytes(old));
  EXPECT_FALSE(file.load(path.c_str(), profiles));
  EXPECT_TRUE(profiles.empty());
  EXPECT_EQ(text(readAll(path)), old);

  // Read-only, it is not even backed up.
  ASSERT_EQ(chmod(path.c_str(), 0444), 0);
  profiles.add("game.exe");
  EXPECT_FALSE(file.save(path.c_str(), profiles));
  EXPECT_TRUE(readAll(path + ".bak").empty());

  ASSERT_EQ(chmod(path.c_str(), 0644), 0);
  profiles.setRow("game.exe", RowIndex::Right, ButtonFunction::DoubleClick);
  ASSERT_TRUE(file.save(path.c_str(), profiles));
  EXPECT_EQ(text(readAll(path + ".bak")), old);
  EXPECT_FALSE(file.damaged());
  ProgramProfiles reread;
  ASSERT_TRUE(file.load(path.c_str(), reread));
  EXPECT_EQ(reread.find("game.exe")->rows[RowIndex::Right].function, ButtonFunction::DoubleClick);
}

TEST_F(ProfilesFileSave, StartsFromTheFileOnDiskAndReloadPutsUnsavedChangesOverIt) {
  writeAll(path, bytes("[game.exe]\r\nwheel=tripleclick\r\n"));
  ASSERT_TRUE(file.load(path.c_str(), profiles));
  EXPECT_EQ(profiles.find("game.exe")->problems.size(), 1u);
  // Written by hand while the program runs: a comment, a row, a section.
  const std::string byHand = "; mine\r\n[game.exe]\r\nwheel=tripleclick\r\nright=left\r\n[other.exe]\r\nbutton4=native\r\n";
  writeAll(path, bytes(byHand));
  profiles.setRow("game.exe", RowIndex::Wheel, ButtonFunction::DoubleClick);
  ASSERT_TRUE(file.save(path.c_str(), profiles));
  EXPECT_EQ(text(readAll(path)),
            "; mine\r\n[game.exe]\r\nwheel=double-click\r\nright=left\r\n[other.exe]\r\nbutton4=native\r\n");
  // The window now has what the file has: the hand's rows, no problem line.
  ASSERT_TRUE(profiles.find("other.exe"));
  EXPECT_TRUE(profiles.find("game.exe")->problems.empty());
  EXPECT_EQ(profiles.find("game.exe")->rows[RowIndex::Right].function, ButtonFunction::LeftButton);

  // The notice of its own save changes nothing.
  EXPECT_FALSE(file.reload(path.c_str(), profiles));
  // A change not saved yet stays over what the hand wrote since.
  profiles.setRow("game.exe", RowIndex::Button5, ButtonFunction::CloseCurrentWindow);
  profiles.remove("other.exe");
  writeAll(path, bytes("[game.exe]\r\nwheel=left\r\n[other.exe]\r\n[third.exe]\r\nright=wheel\r\n"));
  ASSERT_TRUE(file.reload(path.c_str(), profiles));
  const ProgramProfile& game = *profiles.find("game.exe");
  EXPECT_EQ(game.rows[RowIndex::Wheel].function, ButtonFunction::LeftButton);
  EXPECT_EQ(game.rows[RowIndex::Button5].function, ButtonFunction::CloseCurrentWindow);
  EXPECT_EQ(game.rows[RowIndex::Right].function, ButtonFunction::Native);
  EXPECT_TRUE(profiles.find("third.exe") && !profiles.find("other.exe"));

  // A file that became damaged: no profiles, as at the start.
  writeAll(path, bytes("[game.exe]\r\n\x01"));
  ASSERT_TRUE(file.reload(path.c_str(), profiles));
  EXPECT_TRUE(file.damaged() && profiles.empty());
}

TEST_F(ProfilesFileSave, ProgramNamesWithBracketsAreWrittenAsTheyAre) {
  ASSERT_TRUE(profiles.add("Game [x64].exe"));
  profiles.setRow("game [X64].exe", RowIndex::Wheel, ButtonFunction::DoubleClick);
  ASSERT_TRUE(file.save(path.c_str(), profiles));
  EXPECT_EQ(text(readAll(path)), "[Game [x64].exe]\r\nwheel=double-click\r\n");
  ProgramProfiles reread;
  ASSERT_TRUE(file.load(path.c_str(), reread));
  ASSERT_EQ(reread.profiles().size(), 1u);
  EXPECT_EQ(reread.profiles()[0].program, "Game [x64].exe");
  EXPECT_EQ(reread.profiles()[0].rows[RowIndex::Wheel].function, ButtonFunction::DoubleClick);
}

// The system's files, but the program's folder takes no new file.
struct FolderTakesNoNewFile : SystemFileLayer {
  std::string folder;
  bool create(const std::string& path, const std::string& bytes) override {
    return path.compare(0, folder.size(), folder) != 0 && SystemFileLayer::create(path, bytes);
  }
};

TEST(ProfilesFileBackup, GoesWhereTheUserMayWriteWhenTheFolderTakesNoNewFile) {
  TempDir dir, local;
  FolderTakesNoNewFile files;
  files.folder = dir.root();
  const std::string path = dir.path("profiles.ini");
  const std::string damaged = "[game.exe]\r\nright=\xFF\r\n";
  writeAll(path, bytes(damaged));
  ProfilesFile file(files);
  file.setBackupFolder(local.root() + "/");
  ProgramProfiles profiles;
  EXPECT_FALSE(file.load(path.c_str(), profiles));
  profiles.add("game.exe");
  // profiles.ini itself is rewritten in place, through a journal there.
  ASSERT_TRUE(file.save(path.c_str(), profiles));
  EXPECT_EQ(text(readAll(path)), "[game.exe]\r\n");
  EXPECT_EQ(file.backupPath(), local.path("profiles.ini.bak"));
  EXPECT_EQ(text(readAll(local.path("profiles.ini.bak"))), damaged);
  EXPECT_TRUE(readAll(local.path("profiles.ini.new")).empty());
}

}  // namespace
