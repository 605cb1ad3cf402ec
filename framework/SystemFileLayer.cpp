#include "framework/SystemFileLayer.h"

#include "framework/CFile.h"
#include "framework/FileReplace.h"

namespace {

bool writeThrough(const std::string& path, unsigned flags, const std::string& bytes) {
  CFile file;
  if (!file.Open(path.c_str(), flags)) return false;
  bool written = file.Write(bytes.data(), bytes.size());
  written = written && file.Flush();
  return file.Close() && written;
}

}  // namespace

bool SystemFileLayer::exists(const std::string& path) { return fileExists(path.c_str()); }

bool SystemFileLayer::readOnly(const std::string& path) { return isReadOnlyFile(path.c_str()); }

bool SystemFileLayer::overwrite(const std::string& path, const std::string& bytes) {
  return writeThrough(path, CFile::modeWrite, bytes);  // opens only an existing file
}

bool SystemFileLayer::rewrite(const std::string& path, const std::string& bytes) {
  CFile file;
  if (!file.Open(path.c_str(), CFile::modeWrite)) return false;
  const uint64_t oldLength = file.GetLength();
  if (bytes.size() > oldLength) {
    const size_t growth = bytes.size() - static_cast<size_t>(oldLength);
    if (!file.Seek(oldLength) || !file.Write(bytes.data() + oldLength, growth) || !file.Flush()) {
      file.SetLength(oldLength);
      file.Flush();
      return false;
    }
  }
  bool written = file.Seek(0) && file.Write(bytes.data(), bytes.size()) && file.Flush();
  written = written && file.SetLength(bytes.size()) && file.Flush();
  return file.Close() && written;
}

bool SystemFileLayer::read(const std::string& path, std::string& bytes) {
  CFile file;
  if (!file.Open(path.c_str(), CFile::modeRead)) return false;
  bytes.clear();
  char buffer[4096];
  for (size_t got; (got = file.Read(buffer, sizeof buffer)) > 0;) bytes.append(buffer, got);
  return !file.Failed();
}

bool SystemFileLayer::create(const std::string& path, const std::string& bytes) {
  return writeThrough(path, CFile::modeCreate | CFile::modeWrite, bytes);
}

bool SystemFileLayer::swapIn(const std::string& from, const std::string& to) {
  return swapInFile(from.c_str(), to.c_str());
}

bool SystemFileLayer::remove(const std::string& path) { return removeFile(path.c_str()); }

SystemFileLayer& SystemFileLayer::instance() {
  static SystemFileLayer layer;
  return layer;
}
