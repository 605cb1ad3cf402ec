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
// A section's name is all that stands between the first '[' and the last ']'
// of its line, so a program whose name holds brackets is written as it is:
// "[Game [x64].exe]".
//
// Reading is tolerant: a line it does not understand inside a section leaves
// its row native and is recorded with the profile. A file that is not text
// (not UTF-8, control characters, too large) or cannot be read loads no
// profiles and is marked damaged: it is never overwritten until the user
// changes a profile, and then it is kept as profiles.ini.bak first (beside
// it, or in the backup folder when its own folder takes no new file).
//
// People may edit the file while the program runs. A save starts from the
// file as it is on disk then and puts the window's changes over it; it keeps
// every line the program does not own (comments, blank lines, unknown keys,
// lines it could not read) and rewrites only rows whose value changed,
// sections of removed profiles being left out.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "profiles/ProgramProfiles.h"
#include "framework/FileLayer.h"
#include "framework/FileSaver.h"

// programDirectory followed by "profiles.ini".
std::string profilesFilePath();

// Files larger than this are not profiles people wrote.
constexpr size_t kMaxProfilesFileSize = 1 << 20;

// The text of one row's value, and back. parseProfileValue returns false for
// a value it does not know, leaving `assignment` native.
std::string formatProfileValue(int row, const ButtonAssignment& assignment);
bool parseProfileValue(int row, const std::string& value, ButtonAssignment& assignment);

class ProfilesFile {
public:
  ProfilesFile();
  // Saves through `files` instead of the system's file layer.
  explicit ProfilesFile(FileLayer& files) : m_files(files) {}

  // Reads the bytes of a file into `profiles` (which it empties first) and
  // remembers its lines for the next format. False, with no profiles, when
  // the bytes are damaged.
  bool parse(const std::string& bytes, ProgramProfiles& profiles);
  // The file's text for `profiles`, built on the lines last parsed.
  std::string format(const ProgramProfiles& profiles) const;

  // Reads the file at `path`. A missing file is an empty, healthy one; a file
  // that does not open or read, or whose bytes are damaged, is damaged. What
  // it read is what the window's later changes are told from.
  bool load(const char* path, ProgramProfiles& profiles);
  // The file at `path` may have changed on disk: when it did, `profiles`
  // becomes what it holds now, with the window's changes not yet saved put
  // over it. A damaged file leaves no profiles, as at the start. False when
  // the file holds what was last read or written (the program's own save).
  bool reload(const char* path, ProgramProfiles& profiles);
  // Writes `profiles` to `path` after a change by the user: the file as it
  // is on disk now, with the changes made in `profiles` since the last load,
  // reload or save put over it. A damaged file is first kept as a backup. The
  // file is written complete beside `path` and then put in its place with
  // its rights, attributes and owner; a read-only one is never touched. On
  // success `profiles` holds what was written (profiles added by hand too);
  // false when `path` was not written: it then holds its old content.
  bool save(const char* path, ProgramProfiles& profiles);

  // Where the copy of a damaged file goes when the file's own folder takes
  // no new file, and where a save in place keeps the new content until it
  // is written (see FileSaver); ends with the folder separator.
  void setBackupFolder(const std::string& folder) { m_backupFolder = folder; }
  // Where the last copy of a damaged file went; "" when none was made.
  const std::string& backupPath() const { return m_backupPath; }

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

  // Reads the file at `path` as it is now into `profiles` and m_diskBytes.
  bool readDisk(const char* path, ProgramProfiles& profiles);
  // The save routine, with its journal in the backup folder.
  FileSaver saver() const;
  // Keeps m_diskBytes, the damaged file's content, as profiles.ini.bak.
  bool saveBackup(const char* path);

  FileLayer& m_files;
  ProgramProfiles m_base;    // the profiles as last read or written
  std::string m_diskBytes;   // the file's bytes as last read or written
  bool m_diskExists = false;
  bool m_diskReadable = true;
  std::string m_backupFolder;
  std::string m_backupPath;
  std::vector<Line> m_lines;
  std::vector<Section> m_sections;
  bool m_byteOrderMark = false;
  bool m_damaged = false;
};
