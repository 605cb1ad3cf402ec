// A temporary folder for one test, removed with its files afterwards.
#pragma once
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <dirent.h>
#include <unistd.h>

class TempDir {
public:
  TempDir() {
    char pattern[] = "/tmp/skivol-test-XXXXXX";
    const char* made = mkdtemp(pattern);
    root_ = made ? made : "/tmp";
  }
  ~TempDir() {
    if (DIR* dir = opendir(root_.c_str())) {
      while (dirent* e = readdir(dir)) {
        std::string name = e->d_name;
        if (name != "." && name != "..") std::remove((root_ + "/" + name).c_str());
      }
      closedir(dir);
    }
    rmdir(root_.c_str());
  }
  std::string path(const std::string& name) const { return root_ + "/" + name; }
  const std::string& root() const { return root_; }

private:
  std::string root_;
};

inline std::vector<uint8_t> readAll(const std::string& path) {
  std::vector<uint8_t> bytes;
  if (FILE* f = std::fopen(path.c_str(), "rb")) {
    int ch;
    while ((ch = std::fgetc(f)) != EOF) bytes.push_back(static_cast<uint8_t>(ch));
    std::fclose(f);
  }
  return bytes;
}

inline void writeAll(const std::string& path, const std::vector<uint8_t>& bytes) {
  if (FILE* f = std::fopen(path.c_str(), "wb")) {
    if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
  }
}
