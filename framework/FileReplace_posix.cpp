#include "framework/FileReplace.h"

#include <sys/stat.h>

FILE* openFile(const char* path, const char* mode) { return std::fopen(path, mode); }

bool fileExists(const char* path) {
  struct stat st;
  return ::lstat(path, &st) == 0;
}

bool removeFile(const char* path) { return std::remove(path) == 0; }

bool replaceFile(const char* from, const char* to) { return std::rename(from, to) == 0; }

bool isReadOnlyFile(const char* path) {
  struct stat st;
  return ::stat(path, &st) == 0 && S_ISREG(st.st_mode) && (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}
