// Saves a file the user may also have touched (setting.dat, profiles.ini and
// its backup), so that at every instant the file holds its old content or its
// new one, complete, whatever fails and even if the program dies:
//   - a file the user made read-only is never touched;
//   - an existing file keeps its identity: its rights (a standard user may
//     change it but not its folder), its attributes and its owner;
//   - a new file, and a new content of any length, is written complete under
//     a temporary name beside it first and only then put in its place;
//   - a save that fails leaves no temporary file behind.
// A file whose folder takes no new file from the user (a setup's folder that
// users may only read, with the settings files alone writable) cannot be
// swapped: it is rewritten in place, its new content first kept complete in
// a journal where the user may write. If the program dies while rewriting,
// recover() finishes the save from the journal at the next start.
#pragma once
#include <string>

#include "framework/FileLayer.h"

class FileSaver {
public:
  enum class Existing {
    // A record of a fixed size, small enough for one sector: rewritten in
    // its place in one write, which the disk does not tear.
    RewriteInPlace,
    // Anything else: the complete new file takes the old one's place, with
    // the old one's rights, attributes and owner.
    SwapIn,
  };

  explicit FileSaver(FileLayer& layer);
  FileSaver();  // over the system's files

  // Where a file whose folder takes no new file keeps its new content while
  // it is rewritten in place; "" for nowhere (such a save then fails).
  void setJournal(const std::string& journal) { m_journal = journal; }

  // False when `path` was not saved; it then holds what it held before.
  bool save(const std::string& path, const std::string& bytes, Existing way);
  // A journal left by a save that did not end puts its content into `path`.
  // False when there was none, or it could not be put in.
  bool recover(const std::string& path);

  // Where a new content waits beside `path` until it takes its place.
  static std::string temporaryPath(const std::string& path);

private:
  FileLayer& m_layer;
  std::string m_journal;
};
