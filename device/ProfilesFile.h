// profiles.ini: the program profiles, beside setting.dat, as a text file that
// people read, edit and share.
//
//   ; a comment
//   [game.exe]
//   right=button4
//   wheel=shortcut ctrl+c
//   button4=double-click
//   button5=close-window
//
// UTF-8 with or without a byte-order mark, CRLF or LF line ends. A section is
// a program; its keys are the rows right, wheel, button4 and button5 (a
// missing key is native). Keys and values are case-insensitive. A value is
// native, left, right, wheel, button4, button5, double-click, close-window, or
// "shortcut " and '+'-joined modifier words (ctrl, shift, alt, win for the
// left-hand keys; rctrl, rshift, ralt, rwin for the right-hand ones) ending in
// one key name ("c", "f5", "escape", "num 7"). A key without a name is
// written "scancode 0x..". A section named twice continues the first; of a
// key given twice the last counts.
//
// Reading is tolerant: a line it does not understand inside a section leaves
// its row native and is recorded with the profile. A file that is not text
// (not UTF-8, control characters, too large) or cannot be read loads no
// profiles and is marked damaged: it is never overwritten until the user
// changes a profile, and then it is kept as profiles.ini.bak first.
//
// Saving keeps every line the program does not own (comments, blank lines,
// unknown keys, lines it could not read) and rewrites only rows whose value
// changed, sections of removed profiles being left out.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "device/ProgramProfiles.h"

// Key names both ways; the file layer does not know the key tables itself.
struct KeyNaming {
  std::string (*nameOf)(int32_t scanCode);      // "" when the key has no name
  int32_t (*scanCodeOf)(const std::string& name);  // 0 when the name is unknown
};

// Files larger than this are not profiles people wrote.
constexpr size_t kMaxProfilesFileSize = 1 << 20;

// The text of one row's value, and back. parseProfileValue returns false for
// a value it does not know, leaving `assignment` native.
std::string formatProfileValue(int row, const ButtonAssignment& assignment, const KeyNaming& naming);
bool parseProfileValue(int row, const std::string& value, const KeyNaming& naming, ButtonAssignment& assignment);

class ProfilesFile {
public:
  explicit ProfilesFile(KeyNaming naming) : m_naming(naming) {}

  // Reads the bytes of a file into `profiles` (which it empties first) and
  // remembers its lines for the next format. False, with no profiles, when
  // the bytes are damaged.
  bool parse(const std::string& bytes, ProgramProfiles& profiles);
  // The file's text for `profiles`, built on the lines last parsed.
  std::string format(const ProgramProfiles& profiles) const;

  // Reads the file at `path`. A missing file is an empty, healthy one; a file
  // that does not open or read, or whose bytes are damaged, is damaged.
  bool load(const char* path, ProgramProfiles& profiles);
  // Writes `profiles` to `path` after a change by the user. A damaged file is
  // first copied to `path`.bak. An existing file keeps its identity (rights,
  // attributes, owner) and is rewritten in place; a new one is written under a
  // temporary name and moved into place; a read-only one is never touched.
  // False when `path` was not written; it then holds its old content.
  bool save(const char* path, const ProgramProfiles& profiles);

  bool damaged() const { return m_damaged; }

private:
  struct Line {
    std::string text;  // without its line end
    std::string end;   // "\r\n", "\n", or "" for a last line without one
    int section = -1;  // index into m_sections of the section the line is in
    int row = -1;      // the row the line sets, if any
    bool header = false;
    ButtonAssignment read;  // what the row line was read as
  };
  struct Section {
    std::string program;
    bool valid = false;  // it names a profile
    int profile = -1;    // that profile's index while parsing
  };

  KeyNaming m_naming;
  std::vector<Line> m_lines;
  std::vector<Section> m_sections;
  bool m_byteOrderMark = false;
  bool m_damaged = false;
};
