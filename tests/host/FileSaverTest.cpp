// The one save routine of setting.dat and profiles.ini: its rules over a file
// layer that fails, fills up or dies at each step, and the identity an
// existing file keeps on the system's own files.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include <sys/stat.h>

#include "framework/FileSaver.h"
#include "tests/host/TempDir.h"

namespace {

struct Killed {};

// Files in memory, each with the rights it was given. Step `failAt` (1-based)
// fails; step `killAt` never happens, as if the program died before it; a
// disk with `room` bytes left writes only those.
class FakeFiles : public FileLayer {
public:
  struct File {
    std::string bytes;
    std::string rights = "folder's";
    bool readOnly = false;
  };
  std::map<std::string, File> files;
  std::vector<std::string> steps;
  int failAt = 0, killAt = 0;
  size_t room = std::string::npos;
  std::string refused = "\n";  // a folder that takes no new file

  bool exists(const std::string& path) override { return files.count(path) != 0; }
  bool readOnly(const std::string& path) override { return exists(path) && files[path].readOnly; }
  bool overwrite(const std::string& path, const std::string& bytes) override {
    if (!step("overwrite") || !exists(path)) return false;
    files[path].bytes.replace(0, bytes.size(), bytes);  // one write, not torn
    return true;
  }
  bool rewrite(const std::string& path, const std::string& bytes) override {
    if (!step("rewrite") || !exists(path)) return false;
    const size_t growth = bytes.size() > files[path].bytes.size() ? bytes.size() - files[path].bytes.size() : 0;
    if (growth > room) return false;  // grown first: nothing changed
    files[path].bytes = bytes;
    return true;
  }
  bool read(const std::string& path, std::string& bytes) override {
    if (!exists(path)) return false;
    bytes = files[path].bytes;
    return true;
  }
  bool create(const std::string& path, const std::string& bytes) override {
    if (!step("create") || path.compare(0, refused.size(), refused) == 0) return false;
    files[path] = File{bytes.substr(0, room), "folder's", false};
    return bytes.size() <= room;
  }
  bool swapIn(const std::string& from, const std::string& to) override {
    if (!step("swapIn") || !exists(from)) return false;
    File moved = files[from];
    if (exists(to)) moved.rights = files[to].rights;
    files.erase(from);
    files[to] = moved;
    return true;
  }
  bool remove(const std::string& path) override { return step("remove") && files.erase(path) != 0; }

private:
  bool step(const char* name) {
    steps.push_back(name);
    if (static_cast<int>(steps.size()) == killAt) throw Killed();
    return static_cast<int>(steps.size()) != failAt;
  }
};

const std::string kPath = "install/profiles.ini";
const std::string kJournal = "local/profiles.ini.new";
const std::string kOld = "[game.exe]\r\nwheel=double-click\r\n";
const std::string kNew = "; mine\r\n[game.exe]\r\nwheel=left\r\nbutton4=button5\r\n";

FakeFiles withOldFile() {
  FakeFiles fake;
  fake.files[kPath] = FakeFiles::File{kOld, "every user's", false};
  return fake;
}

TEST(FileSaver, RecordInPlaceAnythingElseSwappedInReadOnlyUntouched) {
  FakeFiles fake = withOldFile();
  fake.files["install/setting.dat"] = FakeFiles::File{"old record", "every user's", false};
  ASSERT_TRUE(FileSaver(fake).save("install/setting.dat", "new", FileSaver::Existing::RewriteInPlace));
  EXPECT_EQ(fake.files["install/setting.dat"].bytes, "new record");
  EXPECT_EQ(fake.steps, std::vector<std::string>{"overwrite"});

  fake.steps.clear();
  ASSERT_TRUE(FileSaver(fake).save(kPath, kNew, FileSaver::Existing::SwapIn));
  EXPECT_EQ(fake.steps, (std::vector<std::string>{"create", "swapIn"}));
  EXPECT_EQ(fake.files[kPath].bytes, kNew);
  EXPECT_EQ(fake.files[kPath].rights, "every user's");
  EXPECT_EQ(fake.files.size(), 2u);

  // A new file of either kind is written whole before it has its name.
  fake.steps.clear();
  ASSERT_TRUE(FileSaver(fake).save("new.dat", "record", FileSaver::Existing::RewriteInPlace));
  EXPECT_EQ(fake.steps, (std::vector<std::string>{"create", "swapIn"}));

  fake.steps.clear();
  fake.files[kPath].readOnly = true;
  EXPECT_FALSE(FileSaver(fake).save(kPath, kOld, FileSaver::Existing::SwapIn));
  EXPECT_TRUE(fake.steps.empty());
  EXPECT_EQ(fake.files[kPath].bytes, kNew);
}

TEST(FileSaver, AFailedWriteAFullDiskOrADeathLeavesTheOldFileOrTheNewOneComplete) {
  for (int step = 1; step <= 2; ++step) {
    SCOPED_TRACE(step);
    FakeFiles failing = withOldFile();
    failing.failAt = step;
    EXPECT_FALSE(FileSaver(failing).save(kPath, kNew, FileSaver::Existing::SwapIn));
    EXPECT_EQ(failing.files[kPath].bytes, kOld);
    EXPECT_EQ(failing.files.size(), 1u) << "the temporary file is left behind";

    // Killed before the step: the file is old or new, complete, whatever
    // comes after; the next save of the program's next run goes through.
    FakeFiles dying = withOldFile();
    dying.killAt = step;
    EXPECT_THROW(FileSaver(dying).save(kPath, kNew, FileSaver::Existing::SwapIn), Killed);
    EXPECT_EQ(dying.files[kPath].bytes, kOld);
    dying.killAt = 0;
    ASSERT_TRUE(FileSaver(dying).save(kPath, kNew, FileSaver::Existing::SwapIn));
    EXPECT_EQ(dying.files[kPath].bytes, kNew);
  }
  FakeFiles full = withOldFile();
  full.room = 20;
  EXPECT_FALSE(FileSaver(full).save(kPath, kNew, FileSaver::Existing::SwapIn));
  EXPECT_EQ(full.files[kPath].bytes, kOld);
  EXPECT_EQ(full.files.size(), 1u);
}

TEST(FileSaver, AFolderThatTakesNoNewFileGetsTheFileRewrittenThroughAJournal) {
  FakeFiles fake = withOldFile();
  fake.refused = "install/";
  FileSaver saver(fake);
  EXPECT_FALSE(saver.save(kPath, kNew, FileSaver::Existing::SwapIn)) << "no journal, no save";
  EXPECT_EQ(fake.files[kPath].bytes, kOld);
  saver.setJournal(kJournal);
  // A full disk fails before the file changed, and leaves no journal to
  // put the refused content in later.
  fake.room = 5;
  EXPECT_FALSE(saver.save(kPath, kNew, FileSaver::Existing::SwapIn));
  EXPECT_EQ(fake.files[kPath].bytes, kOld);
  fake.room = std::string::npos;
  ASSERT_TRUE(saver.save(kPath, kNew, FileSaver::Existing::SwapIn));
  EXPECT_EQ(fake.files[kPath].bytes, kNew);
  EXPECT_EQ(fake.files[kPath].rights, "every user's");
  EXPECT_FALSE(fake.exists(kJournal));
  EXPECT_FALSE(saver.recover(kPath));

  // Killed while rewriting: the next start finishes the save.
  fake.steps.clear();
  fake.killAt = 5;  // make one beside, remove it, make the journal, swap it in, rewrite
  EXPECT_THROW(saver.save(kPath, kOld, FileSaver::Existing::SwapIn), Killed);
  EXPECT_EQ(fake.steps.back(), "rewrite");
  fake.killAt = 0;
  ASSERT_TRUE(saver.recover(kPath));
  EXPECT_EQ(fake.files[kPath].bytes, kOld);
  EXPECT_FALSE(fake.exists(kJournal));
}

TEST(FileSaver, ASwappedInFileKeepsTheRightsOfTheOneItReplaces) {
  TempDir dir;
  const std::string path = dir.path("profiles.ini");
  writeAll(path, std::vector<uint8_t>(kOld.begin(), kOld.end()));
  ASSERT_EQ(chmod(path.c_str(), 0606), 0);  // the setup lets every user change it
  ASSERT_TRUE(FileSaver().save(path, kNew, FileSaver::Existing::SwapIn));
  const std::vector<uint8_t> now = readAll(path);
  EXPECT_EQ(std::string(now.begin(), now.end()), kNew);
  struct stat st;
  ASSERT_EQ(stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0606u);
  EXPECT_TRUE(readAll(FileSaver::temporaryPath(path)).empty());
}

}  // namespace
