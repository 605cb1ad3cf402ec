// setting.dat: its exact bytes, what a load takes and what it refuses, and a
// save that cannot complete.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include "device/SettingsFile.h"
#include "tests/host/TempDir.h"

namespace {

using Bytes = std::vector<uint8_t>;

const Bytes kMarkerBytes = {'_', '@', '_', 'S', 'F', '3', '_'};

void putInt(Bytes& bytes, int32_t value) {
  uint32_t v = static_cast<uint32_t>(value);
  for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<uint8_t>(v >> shift));
}

// A record in the file's layout: the marker with the given length prefix,
// then the 37 integers.
Bytes record(const std::vector<int32_t>& values, const Bytes& prefix = {0x07}) {
  Bytes bytes = prefix;
  bytes.insert(bytes.end(), kMarkerBytes.begin(), kMarkerBytes.end());
  for (int32_t v : values) putInt(bytes, v);
  return bytes;
}

// The 37 integers of a configuration in which no field holds its default or
// zero, so that any value taken from a refused file shows.
std::vector<int32_t> remappedValues() {
  std::vector<int32_t> values;
  for (int i = 0; i < 8; ++i) {
    values.push_back(0x10 + i);      // modifiers
    values.push_back(0xE01D + i);    // scanCode
    values.push_back(i == 1 ? ButtonFunction::DoubleClick : ButtonFunction::KeyShortcut);
    values.push_back(0x40 + i);      // buttonMask, taken as stored
  }
  for (int32_t step : {7, 6, 4, 2}) values.push_back(step);
  values.push_back(3);
  return values;
}

void expectDefaults(const MouseConfig& config) {
  MouseConfig fresh;
  for (int i = 0; i < ButtonIndex::Count; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(config.assignments[i].modifiers, 0);
    EXPECT_EQ(config.assignments[i].scanCode, 0);
    EXPECT_EQ(config.assignments[i].function, ButtonFunction::Native);
    EXPECT_EQ(config.assignments[i].buttonMask, 0);
  }
  for (int level = 0; level < kDpiLevels; ++level) EXPECT_EQ(config.dpiStep[level], fresh.dpiStep[level]);
  EXPECT_EQ(config.dpiLevel, fresh.dpiLevel);
}

bool load(const TempDir& dir, const Bytes& bytes, MouseConfig& config) {
  std::string path = dir.path("setting.dat");
  writeAll(path, bytes);
  return readSettingsFile(path.c_str(), config);
}

bool exists(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0;
}

TEST(SettingsFile, DefaultsAreWrittenAsExactly156Bytes) {
  TempDir dir;
  MouseConfig config;
  std::string path = dir.path("setting.dat");
  ASSERT_TRUE(saveSettingsTo(path.c_str(), config));

  Bytes expected = {0x07, 0x5F, 0x40, 0x5F, 0x53, 0x46, 0x33, 0x5F};
  expected.resize(expected.size() + 128, 0);
  for (int32_t v : {0, 1, 3, 5, 0}) putInt(expected, v);
  ASSERT_EQ(expected.size(), size_t(kSettingsFileSize));
  EXPECT_EQ(readAll(path), expected);
  EXPECT_FALSE(exists(path + ".tmp"));
}

TEST(SettingsFile, FieldsSitAtTheirOffsetsAndComeBack) {
  TempDir dir;
  MouseConfig written;
  std::vector<int32_t> values = remappedValues();
  for (int i = 0; i < 8; ++i) {
    written.assignments[i] = {values[4 * i], values[4 * i + 1], values[4 * i + 2], values[4 * i + 3]};
  }
  for (int level = 0; level < 4; ++level) written.dpiStep[level] = values[32 + level];
  written.dpiLevel = values[36];
  std::string path = dir.path("setting.dat");
  ASSERT_TRUE(saveSettingsTo(path.c_str(), written));
  EXPECT_EQ(readAll(path), record(values));

  MouseConfig read;
  ASSERT_TRUE(readSettingsFile(path.c_str(), read));
  for (int i = 0; i < 8; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(read.assignments[i].modifiers, written.assignments[i].modifiers);
    EXPECT_EQ(read.assignments[i].scanCode, written.assignments[i].scanCode);
    EXPECT_EQ(read.assignments[i].function, written.assignments[i].function);
    EXPECT_EQ(read.assignments[i].buttonMask, written.assignments[i].buttonMask);
  }
  EXPECT_EQ(std::vector<int32_t>(read.dpiStep, read.dpiStep + 4), (std::vector<int32_t>{7, 6, 4, 2}));
  EXPECT_EQ(read.dpiLevel, 3);
}

TEST(SettingsFile, DoubleClickOnTheRightButtonIsLoadedAndReported) {
  TempDir dir;
  std::vector<int32_t> values(37, 0);
  values[4 * 1 + 2] = 11;  // function of the right button
  values[32] = 0, values[33] = 1, values[34] = 3, values[35] = 5, values[36] = 1;
  Bytes bytes = record(values);
  bytes.insert(bytes.end(), {0xDE, 0xAD, 0xBE, 0xEF, 0x07});  // ignored tail

  MouseConfig config;
  ASSERT_TRUE(load(dir, bytes, config));
  EXPECT_EQ(config.assignments[ButtonIndex::Right].function, ButtonFunction::DoubleClick);
  EXPECT_EQ(config.reportMask(), 0x02);
  EXPECT_EQ(config.dpiLevel, 1);
}

TEST(SettingsFile, UnknownFunctionsLoadAsTheButtonsOwn) {
  TempDir dir;
  std::vector<int32_t> values = remappedValues();
  const int32_t unknown[] = {99, 3, 2, 9, -1, 12};  // buttons 0..5
  for (int i = 0; i < 6; ++i) values[4 * i + 2] = unknown[i];
  values[4 * 6 + 2] = ButtonFunction::Button4th;  // known ones are kept
  MouseConfig config;
  ASSERT_TRUE(load(dir, record(values), config));
  for (int i = 0; i < 6; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(config.assignments[i].function, ButtonFunction::Native);
    EXPECT_EQ(config.assignments[i].buttonMask, 0);
    EXPECT_EQ(config.assignments[i].scanCode, values[4 * i + 1]);
  }
  EXPECT_EQ(config.assignments[6].function, ButtonFunction::Button4th);
  EXPECT_EQ(config.reportMask(), 0xC0);
}

TEST(SettingsFile, DpiValuesOutOfRangeFallBackToTheirDefaults) {
  TempDir dir;
  struct Case {
    std::vector<int32_t> steps;
    int32_t level;
    std::vector<int32_t> expectedSteps;
    int32_t expectedLevel;
  };
  const Case cases[] = {
      {{7, 0, 6, 1}, 3, {7, 0, 6, 1}, 3},
      {{8, -1, 3, 7}, 4, {0, 1, 3, 7}, 2},
      {{0x7FFFFFFF, 2, int32_t(0x80000000), 100}, -1, {0, 2, 3, 5}, 2},
      {{1, 1, 1, 1}, int32_t(0x80000000), {1, 1, 1, 1}, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.level);
    std::vector<int32_t> values(32, 0);
    values.insert(values.end(), c.steps.begin(), c.steps.end());
    values.push_back(c.level);
    MouseConfig config;
    ASSERT_TRUE(load(dir, record(values), config));
    EXPECT_EQ(std::vector<int32_t>(config.dpiStep, config.dpiStep + 4), c.expectedSteps);
    EXPECT_EQ(config.dpiLevel, c.expectedLevel);
    EXPECT_GE(currentDpiStep(config), 0);
  }
}

TEST(SettingsFile, EveryLengthFormOfTheMarkerIsRead) {
  TempDir dir;
  const Bytes prefixes[] = {
      {0x07},
      {0xFF, 0x07, 0x00},
      {0xFF, 0xFF, 0xFF, 0x07, 0x00, 0x00, 0x00},
  };
  for (const Bytes& prefix : prefixes) {
    SCOPED_TRACE(prefix.size());
    MouseConfig config;
    ASSERT_TRUE(load(dir, record(remappedValues(), prefix), config));
    EXPECT_EQ(config.assignments[ButtonIndex::Right].function, ButtonFunction::DoubleClick);
    EXPECT_EQ(config.dpiLevel, 3);
  }
}

TEST(SettingsFile, ForeignOrIncompleteFilesLeaveEveryDefault) {
  TempDir dir;
  const Bytes good = record(remappedValues());
  std::vector<std::pair<std::string, Bytes>> refused;
  for (uint8_t first : {0x00, 0x06, 0x08, 0xFE}) {
    Bytes bytes = good;
    bytes[0] = first;
    refused.push_back({"first byte " + std::to_string(first), bytes});
  }
  for (size_t at = 1; at <= 7; ++at) {
    Bytes bytes = good;
    bytes[at] ^= 0x20;
    refused.push_back({"marker character " + std::to_string(at), bytes});
  }
  // Lengths that are not 7, in the long forms, one of them far beyond the
  // file: refused before any character is read or any room is made for them.
  refused.push_back({"16-bit length 8", record(remappedValues(), {0xFF, 0x08, 0x00})});
  refused.push_back({"32-bit length 0x7FFFFFFF", record(remappedValues(), {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F})});
  refused.push_back({"32-bit length 0xFFFFFFFF", record(remappedValues(), {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF})});
  for (size_t length = 0; length < good.size(); ++length)
    refused.push_back({"cut at " + std::to_string(length), Bytes(good.begin(), good.begin() + static_cast<long>(length))});

  for (const auto& [what, bytes] : refused) {
    SCOPED_TRACE(what);
    MouseConfig config;
    EXPECT_FALSE(load(dir, bytes, config));
    expectDefaults(config);
  }
}

TEST(SettingsFile, MissingFileIsNotRead) {
  TempDir dir;
  MouseConfig config;
  EXPECT_FALSE(readSettingsFile(dir.path("setting.dat").c_str(), config));
  expectDefaults(config);
}

class SavingFails : public ::testing::Test {
protected:
  void SetUp() override {
    path = dir.path("setting.dat");
    oldBytes = record(remappedValues());
    writeAll(path, oldBytes);
    changed.assignments[ButtonIndex::Wheel].function = ButtonFunction::KeyShortcut;
  }
  TempDir dir;
  std::string path;
  Bytes oldBytes;
  MouseConfig changed;
};

TEST_F(SavingFails, WhileAnExitIsRequestedNothingIsWritten) {
  changed.exitRequested = true;
  EXPECT_FALSE(saveSettingsTo(path.c_str(), changed));
  EXPECT_EQ(readAll(path), oldBytes);
  EXPECT_FALSE(exists(path + ".tmp"));

  std::string absent = dir.path("absent.dat");
  EXPECT_FALSE(saveSettingsTo(absent.c_str(), changed));
  EXPECT_FALSE(exists(absent));
}

TEST_F(SavingFails, TemporaryFileThatCannotBeCreatedRewritesTheRecordInPlace) {
  std::string blocker = path + ".tmp";
  ASSERT_EQ(mkdir(blocker.c_str(), 0700), 0);
  Bytes tail = {'t', 'a', 'i', 'l'};
  Bytes withTail = oldBytes;
  withTail.insert(withTail.end(), tail.begin(), tail.end());
  writeAll(path, withTail);

  EXPECT_TRUE(saveSettingsTo(path.c_str(), changed));
  std::string reference = dir.path("reference.dat");
  ASSERT_TRUE(saveSettingsTo(reference.c_str(), changed));
  Bytes expected = readAll(reference);
  expected.insert(expected.end(), tail.begin(), tail.end());
  EXPECT_EQ(readAll(path), expected);  // the record replaced, what follows it kept
  struct stat st;
  ASSERT_EQ(stat(blocker.c_str(), &st), 0);  // not ours, so not removed
  EXPECT_TRUE(S_ISDIR(st.st_mode));

  // With no file to rewrite, nothing is created.
  std::string absent = dir.path("absent.dat");
  ASSERT_EQ(mkdir((absent + ".tmp").c_str(), 0700), 0);
  EXPECT_FALSE(saveSettingsTo(absent.c_str(), changed));
  EXPECT_FALSE(exists(absent));
}

TEST_F(SavingFails, ReadOnlyFileIsLeftExactlyAsItIs) {
  ASSERT_EQ(chmod(path.c_str(), 0444), 0);
  EXPECT_FALSE(saveSettingsTo(path.c_str(), changed));
  EXPECT_EQ(readAll(path), oldBytes);
  EXPECT_FALSE(exists(path + ".tmp"));
  struct stat st;
  ASSERT_EQ(stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0444u);
}

TEST_F(SavingFails, FullDiskMakesNoFileAndLeavesNoTemporaryFile) {
  // Writes into /dev/full fail with "no space left on device" once flushed.
  std::string absent = dir.path("absent.dat");
  std::string temporary = absent + ".tmp";
  ASSERT_EQ(symlink("/dev/full", temporary.c_str()), 0);
  EXPECT_FALSE(saveSettingsTo(absent.c_str(), changed));
  EXPECT_FALSE(exists(absent));
  EXPECT_FALSE(exists(temporary));
}

}  // namespace
