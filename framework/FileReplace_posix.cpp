#include "framework/FileReplace.h"

#include <sys/stat.h>
#include <unistd.h>

FILE* openFile(const char* path, const char* mode) { return std::fopen(path, mode); }

bool fileExists(const char* path) {
  struct stat st;
  return ::lstat(path, &st) == 0;
}

bool createFolder(const char* path) { return ::mkdir(path, 0777) == 0 || fileExists(path); }

bool removeFile(const char* path) { return std::remove(path) == 0; }

bool replaceFile(const char* from, const char* to) { return std::rename(from, to) == 0; }

bool swapInFile(const char* from, const char* to) {
  struct stat st;
  if (::stat(to, &st) == 0) {
    if (::chmod(from, st.st_mode & 07777) != 0) return false;
    // Only a privileged process may give a file away; the owner stays the
    // caller's otherwise, as on the system the program runs on.
    if (::chown(from, st.st_uid, st.st_gid) != 0 && ::geteuid() == 0) return false;
  }
  return std::rename(from, to) == 0;
}

bool isReadOnlyFile(const char* path) {
  struct stat st;
  return ::stat(path, &st) == 0 && S_ISREG(st.st_mode) && (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}
