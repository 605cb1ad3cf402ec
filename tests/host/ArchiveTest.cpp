// The archive encoding that stored files rely on.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "framework/CArchive.h"
#include "tests/host/TempDir.h"

namespace {

TEST(Archive, StringLengthFormsRoundTrip) {
  TempDir dir;
  for (size_t length : {size_t(0), size_t(7), size_t(254), size_t(255), size_t(0xFFFE), size_t(0xFFFF), size_t(70000)}) {
    SCOPED_TRACE(length);
    std::string text(length, 'x');
    std::string path = dir.path("s");
    {
      CFile file;
      ASSERT_TRUE(file.Open(path.c_str(), CFile::modeCreate | CFile::modeWrite));
      CArchive ar(&file, CArchive::store);
      ar << CString(text) << int32_t(42);
      ASSERT_TRUE(ar.Close());
    }
    auto bytes = readAll(path);
    size_t prefix = length < 0xFF ? 1 : length < 0xFFFF ? 3 : 7;
    ASSERT_EQ(bytes.size(), prefix + length + 4);
    if (prefix == 3) { EXPECT_EQ(bytes[0], 0xFF); }
    if (prefix == 7) { EXPECT_EQ((std::vector<uint8_t>(bytes.begin(), bytes.begin() + 3)), (std::vector<uint8_t>{0xFF, 0xFF, 0xFF})); }

    CFile file;
    ASSERT_TRUE(file.Open(path.c_str(), CFile::modeRead));
    CArchive ar(&file, CArchive::load);
    CString back;
    int32_t tail = 0;
    ar >> back >> tail;
    EXPECT_FALSE(ar.failed());
    EXPECT_EQ(back.str(), text);
    EXPECT_EQ(tail, 42);
  }
}

TEST(Archive, LengthLargerThanTheDataFailsCleanly) {
  TempDir dir;
  // Claims a 32-bit length of 0x7FFFFFF0 and holds three characters.
  std::string path = dir.path("big");
  writeAll(path, {0xFF, 0xFF, 0xFF, 0xF0, 0xFF, 0xFF, 0x7F, 'a', 'b', 'c'});
  CFile file;
  ASSERT_TRUE(file.Open(path.c_str(), CFile::modeRead));
  CArchive ar(&file, CArchive::load);
  CString text("unchanged");
  ar >> text;
  EXPECT_TRUE(ar.failed());
  EXPECT_TRUE(text.IsEmpty());
}

TEST(Archive, ReadingPastTheEndFailsAndYieldsZero) {
  TempDir dir;
  std::string path = dir.path("short");
  writeAll(path, {1, 0, 0, 0, 2, 0});
  CFile file;
  ASSERT_TRUE(file.Open(path.c_str(), CFile::modeRead));
  CArchive ar(&file, CArchive::load);
  int32_t a = -1, b = -1;
  ar >> a;
  EXPECT_FALSE(ar.failed());
  ar >> b;
  EXPECT_TRUE(ar.failed());
  EXPECT_EQ(a, 1);
  EXPECT_EQ(b, 0);
}

TEST(Archive, ReadsAcrossBufferBoundaries) {
  TempDir dir;
  std::string path = dir.path("many");
  {
    CFile file;
    ASSERT_TRUE(file.Open(path.c_str(), CFile::modeCreate | CFile::modeWrite));
    CArchive ar(&file, CArchive::store, 16);
    for (int32_t i = 0; i < 1000; ++i) ar << i;
    ASSERT_TRUE(ar.Close());
  }
  CFile file;
  ASSERT_TRUE(file.Open(path.c_str(), CFile::modeRead));
  CArchive ar(&file, CArchive::load, 16);
  for (int32_t i = 0; i < 1000; ++i) {
    int32_t v = -1;
    ar >> v;
    ASSERT_EQ(v, i);
  }
  EXPECT_FALSE(ar.failed());
}

}  // namespace
