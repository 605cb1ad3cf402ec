// The key table: the program's own key list, and lists that are not quite
// right.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "controls/KeyTable.h"

namespace {

std::string programKeyList() {
  std::ifstream file(std::string(SKIVOL_SOURCE_DIR) + "/res/keylist.txt", std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

TEST(KeyTable, ProgramKeyListMapsCapturedScanCodesToUsages) {
  const std::string list = programKeyList();
  ASSERT_FALSE(list.empty());
  KeyTable table;
  table.parse(list);

  EXPECT_EQ(table.usageFor(30), 4);        // A
  EXPECT_EQ(table.usageFor(0x2E), 6);      // C
  EXPECT_EQ(table.usageFor(43), 49);       // usages 49 and 50 share it: the first wins
  EXPECT_EQ(table.usageFor(0xE05B), 231);  // the left Windows key reports as right GUI
  EXPECT_EQ(table.usageFor(197), 72);      // Pause
  EXPECT_EQ(table.usageFor(0x45), 83);     // Num Lock
  EXPECT_EQ(table.usageFor(0xE01D), 228);  // right Ctrl
  EXPECT_EQ(table.usageFor(0xE05C), 0);    // no usage has it
  EXPECT_EQ(table.usageFor(0), 0);         // the "0 0" line is no key
  // The end mark "255 255" is not an entry.
  EXPECT_EQ(table.usageFor(255), 0);
  EXPECT_EQ(table.scanCodeFor(255), 0);
  EXPECT_EQ(table.scanCodeFor(101), 0xE05D);
  EXPECT_EQ(table.scanCodeFor(102), 0);
}

TEST(KeyTable, LoadsOnceEvenWhenTheFirstLoadFoundNothing) {
  KeyTable table;
  int reads = 0;
  table.load([&] {
    ++reads;
    return std::string();
  });
  EXPECT_TRUE(table.loaded());
  table.load([&] {
    ++reads;
    return programKeyList();
  });
  EXPECT_EQ(reads, 1);
  EXPECT_EQ(table.usageFor(30), 0);
}

TEST(KeyTable, SkipsMalformedLinesAndKeepsTheRest) {
  KeyTable table;
  table.parse(
      "4 30\r\n"
      "5\r\n"          // no space
      " 6 46\r\n"      // space first
      "7 \t 32\r\n"    // blanks and tabs before the code
      "8 1\r8\n"       // a lone CR is dropped
      "254 99\n"       // the last usage there is
      "255 77\n"       // 255 is not stored
      "9 abc\n"        // no digits: code 0
      "x 40\n"         // no digits: usage 0
      "10 48");        // no line end: not stored
  EXPECT_EQ(table.scanCodeFor(4), 30);
  EXPECT_EQ(table.scanCodeFor(5), 0);
  EXPECT_EQ(table.scanCodeFor(6), 0);
  EXPECT_EQ(table.scanCodeFor(7), 32);
  EXPECT_EQ(table.scanCodeFor(8), 18);
  EXPECT_EQ(table.scanCodeFor(254), 99);
  EXPECT_EQ(table.usageFor(77), 0);
  EXPECT_EQ(table.scanCodeFor(9), 0);
  EXPECT_EQ(table.scanCodeFor(0), 40);
  EXPECT_EQ(table.usageFor(40), 0);  // an entry at usage 0 still names no usage
  EXPECT_EQ(table.scanCodeFor(10), 0);

  // Usages out of range land on usage zero; parsing again replaces every entry.
  table.parse("300 57\n-4 58\n99999999999999999999 59\n11 12\n");
  EXPECT_EQ(table.scanCodeFor(0), 59);
  EXPECT_EQ(table.usageFor(57), 0);
  EXPECT_EQ(table.usageFor(12), 11);
  EXPECT_EQ(table.scanCodeFor(4), 0);

  // The text ends at its first zero byte.
  const char text[] = "4 30\n\0" "5 48\n";
  table.parse(text, sizeof(text) - 1);
  EXPECT_EQ(table.scanCodeFor(4), 30);
  EXPECT_EQ(table.scanCodeFor(5), 0);
}

}  // namespace
