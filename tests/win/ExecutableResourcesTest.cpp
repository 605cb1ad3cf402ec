// The shipped program carries its version information and its manifest, as
// the system and its installer read them.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const char kProgram[] = SKIVOL_SOURCE_DIR "/build/bin/SkivolMouse.exe";

std::string versionText(const std::vector<char>& info, const char* key) {
  const std::string path = std::string("\\StringFileInfo\\040904B0\\") + key;
  char* value = nullptr;
  UINT length = 0;
  if (!VerQueryValueA(info.data(), path.c_str(), reinterpret_cast<void**>(&value), &length) || !value) return {};
  return value;
}

TEST(ExecutableResources, VersionInformation) {
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeA(kProgram, &ignored);
  ASSERT_GT(size, 0u);
  std::vector<char> info(size);
  ASSERT_TRUE(GetFileVersionInfoA(kProgram, 0, size, info.data()));
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
  EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(0, 1));  // 1.0
  EXPECT_EQ(fixed->dwFileVersionLS, MAKELONG(0, 1));  // .1.0
  EXPECT_EQ(versionText(info, "ProductVersion"), "1.01");
  EXPECT_EQ(versionText(info, "CompanyName"), "Skivol");
  EXPECT_EQ(versionText(info, "FileDescription"), "Skivol Gaming Mouse");
  EXPECT_EQ(versionText(info, "OriginalFilename"), "SkivolMouse.exe");
  EXPECT_NE(versionText(info, "LegalCopyright").find("Skivol"), std::string::npos);
}

TEST(ExecutableResources, ManifestRunsAsInvokerOnWindows7To11) {
  HMODULE module = LoadLibraryExA(kProgram, nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(module, nullptr);
  std::string manifest;
  if (HRSRC resource = FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24))) {
    manifest.assign(static_cast<const char*>(LockResource(LoadResource(module, resource))),
                    SizeofResource(module, resource));
  }
  FreeLibrary(module);
  EXPECT_NE(manifest.find("level=\"asInvoker\""), std::string::npos);
  EXPECT_NE(manifest.find("{35138b9a-5d96-4fbd-8e2d-a2440225f93a}"), std::string::npos);  // Windows 7
  EXPECT_NE(manifest.find("{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"), std::string::npos);  // Windows 10, 11
  // The skin is a fixed bitmap: the system scales the window as a whole.
  EXPECT_EQ(manifest.find("dpiAware"), std::string::npos);
}

}  // namespace
