// The steps a save of a file is made of, one call each, so that the rules of
// a save can be run over files that fail at any step (tests inject their
// own layer). Paths are UTF-8.
#pragma once
#include <string>

class FileLayer {
public:
  virtual ~FileLayer() = default;

  virtual bool exists(const std::string& path) = 0;
  // The user froze the file (see isReadOnlyFile).
  virtual bool readOnly(const std::string& path) = 0;
  // Writes `bytes` over the start of an existing file in one write and pushes
  // them to the disk; the file keeps its identity and any bytes beyond.
  virtual bool overwrite(const std::string& path, const std::string& bytes) = 0;
  // Makes the existing file hold exactly `bytes`, where it stands: it is
  // grown first, so that a full disk fails before any old byte changed (the
  // file is then cut back), then written over and cut to length.
  virtual bool rewrite(const std::string& path, const std::string& bytes) = 0;
  virtual bool read(const std::string& path, std::string& bytes) = 0;
  // Makes the file (emptying one that exists), writes `bytes` and pushes them
  // to the disk. False when not every byte reached it.
  virtual bool create(const std::string& path, const std::string& bytes) = 0;
  // Puts the complete file `from` in the place of `to` in one step. An
  // existing `to` hands its rights, attributes and owner on to it.
  virtual bool swapIn(const std::string& from, const std::string& to) = 0;
  virtual bool remove(const std::string& path) = 0;
};
