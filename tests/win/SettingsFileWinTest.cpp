// setting.dat on Windows: saving through the real file replace, and a save
// that the system refuses keeping the old file.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "device/ProgramDirectory.h"
#include "device/MouseModel.h"
#include "device/SettingsFile.h"
#include "framework/FileSaver.h"

namespace {

using Bytes = std::vector<char>;

Bytes readAll(const std::string& path) {
  Bytes bytes;
  HANDLE file = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return bytes;
  char buffer[512];
  DWORD got = 0;
  while (::ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.insert(bytes.end(), buffer, buffer + got);
  ::CloseHandle(file);
  return bytes;
}

DWORD WINAPI closeAfterAMoment(void* handle) {
  ::Sleep(30);
  ::CloseHandle(static_cast<HANDLE>(handle));
  return 0;
}

bool exists(const std::string& path) { return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// A folder of its own under the system's temporary folder, removed afterwards.
class SettingsFileWin : public ::testing::Test {
protected:
  void SetUp() override {
    char temp[MAX_PATH] = {};
    ASSERT_GT(::GetTempPathA(sizeof temp, temp), 0u);
    folder = std::string(temp) + "skivol-settings-" + std::to_string(::GetCurrentProcessId()) + "-" +
             std::to_string(::GetTickCount()) + "\\";
    ASSERT_TRUE(::CreateDirectoryA(folder.c_str(), nullptr));
    path = folder + "setting.dat";
    old.assignments[ButtonIndex::Right].function = ButtonFunction::DoubleClick;
    old.dpiLevel = 3;
    ASSERT_TRUE(saveSettingsTo(path.c_str(), old));
    oldBytes = readAll(path);
    ASSERT_EQ(oldBytes.size(), size_t(kSettingsFileSize));
    changed.assignments[ButtonIndex::Wheel].function = ButtonFunction::KeyShortcut;
  }
  void TearDown() override {
    for (const char* name : {"setting.dat", "setting.dat.tmp", "profiles.ini", "profiles.ini.tmp"}) {
      std::string file = folder + name;
      ::DeleteFileA(file.c_str());
      ::RemoveDirectoryA(file.c_str());
    }
    ::RemoveDirectoryA(folder.c_str());
  }

  std::string folder, path;
  MouseConfig old, changed;
  Bytes oldBytes;
};

TEST_F(SettingsFileWin, SaveReplacesTheFileAndLoadReadsItBack) {
  ASSERT_TRUE(saveSettingsTo(path.c_str(), changed));
  EXPECT_FALSE(exists(path + ".tmp"));
  MouseConfig read;
  ASSERT_TRUE(readSettingsFile(path.c_str(), read));
  EXPECT_EQ(read.reportMask(), 0x04);
  EXPECT_EQ(read.dpiLevel, 0);
}

TEST_F(SettingsFileWin, TheProcessSettingsLiveBesideTheExecutable) {
  char module[510] = {};
  ASSERT_GT(::GetModuleFileNameA(nullptr, module, sizeof module), 0u);
  CString directory = programDirectoryFromModulePath(module);
  ASSERT_EQ(directory.str().back(), '\\');
  EXPECT_EQ(std::string(module).rfind('\\') + 1, directory.str().size());

  CString savedDirectory = programDirectory;
  programDirectory = folder.c_str();
  EXPECT_EQ(settingsFilePath().str(), path);
  mouseModel.change()->resetStoredValues();
  ASSERT_TRUE(loadSettingsIntoModel());
  EXPECT_EQ(mouseModel.config().reportMask(), 0x02);
  mouseModel.change()->assignments[ButtonIndex::Wheel].function = ButtonFunction::KeyShortcut;
  EXPECT_TRUE(saveSettings());
  MouseConfig read;
  ASSERT_TRUE(readSettingsFile(path.c_str(), read));
  EXPECT_EQ(read.reportMask(), 0x06);
  mouseModel.change()->resetStoredValues();
  programDirectory = savedDirectory;
}

TEST_F(SettingsFileWin, RefusedReplaceKeepsTheOldFileAndRemovesTheTemporaryOne) {
  // Another program holds the file open without letting it be replaced.
  HANDLE holder = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(saveSettingsTo(path.c_str(), changed));
  ::CloseHandle(holder);
  EXPECT_EQ(readAll(path), oldBytes);
  EXPECT_FALSE(exists(path + ".tmp"));
}

TEST_F(SettingsFileWin, AMomentsHoldByAnotherProgramOnlyDelaysTheSave) {
  // A scanner opens the file without sharing it for writing and lets go
  // a moment later.
  HANDLE holder = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  HANDLE letGo = ::CreateThread(nullptr, 0, closeAfterAMoment, holder, 0, nullptr);
  ASSERT_NE(letGo, nullptr);
  EXPECT_TRUE(saveSettingsTo(path.c_str(), changed));
  ::WaitForSingleObject(letGo, INFINITE);
  ::CloseHandle(letGo);
  MouseConfig read;
  ASSERT_TRUE(readSettingsFile(path.c_str(), read));
  EXPECT_EQ(read.reportMask(), 0x04);
}

TEST_F(SettingsFileWin, ReadOnlyFileIsNeitherReplacedNorRewritten) {
  ASSERT_TRUE(::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_FALSE(saveSettingsTo(path.c_str(), changed));
  EXPECT_EQ(readAll(path), oldBytes);
  EXPECT_FALSE(exists(path + ".tmp"));
  EXPECT_NE(::GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
  ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(SettingsFileWin, ASwappedInFileKeepsItsAttributesAndAHeldOneStaysWhole) {
  const std::string profiles = folder + "profiles.ini";
  ASSERT_TRUE(FileSaver().save(profiles, "[old.exe]\r\n", FileSaver::Existing::SwapIn));
  ASSERT_TRUE(::SetFileAttributesA(profiles.c_str(), FILE_ATTRIBUTE_HIDDEN));
  ASSERT_TRUE(FileSaver().save(profiles, "[new.exe]\r\n", FileSaver::Existing::SwapIn));
  EXPECT_NE(::GetFileAttributesA(profiles.c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u);
  EXPECT_EQ(readAll(profiles), Bytes({'[', 'n', 'e', 'w', '.', 'e', 'x', 'e', ']', '\r', '\n'}));

  // An editor holds it open without letting it go: the save fails whole.
  HANDLE holder = ::CreateFileA(profiles.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(FileSaver().save(profiles, "[other.exe]\r\n", FileSaver::Existing::SwapIn));
  ::CloseHandle(holder);
  EXPECT_EQ(readAll(profiles).size(), 11u);
  EXPECT_FALSE(exists(profiles + ".tmp"));
  ::SetFileAttributesA(profiles.c_str(), FILE_ATTRIBUTE_NORMAL);
}

}  // namespace
