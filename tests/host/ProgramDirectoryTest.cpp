// The folder that setting.dat and lang.ini are looked for in.
#include <gtest/gtest.h>

#include "device/ProgramDirectory.h"

namespace {

TEST(ProgramDirectory, CutBeforeTheLastBackslashWithOneAppended) {
  const struct {
    const char* path;
    const char* directory;
  } cases[] = {
      {"C:\\Program Files\\Skivol\\SkivolMouse.exe", "C:\\Program Files\\Skivol\\"},
      {"C:\\SkivolMouse.exe", "C:\\"},
      {"\\\\server\\share\\a.exe", "\\\\server\\share\\"},
      {"C:\\dir\\", "C:\\dir\\"},
      {"\\a.exe", "\\"},
      // Forward slashes are not separators here.
      {"C:\\x/y/a.exe", "C:\\"},
      // No backslash at all: the whole path, then the backslash.
      {"SkivolMouse.exe", "SkivolMouse.exe\\"},
      {"", "\\"},
  };
  for (const auto& c : cases) EXPECT_EQ(programDirectoryFromModulePath(c.path).str(), c.directory) << c.path;
}

}  // namespace
