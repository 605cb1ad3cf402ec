#include "framework/FileReplace.h"

#include <sys/stat.h>

#include <cstdio>

bool replaceFile(const char* from, const char* to) { return std::rename(from, to) == 0; }

bool isReadOnlyFile(const char* path) {
  struct stat st;
  return ::stat(path, &st) == 0 && S_ISREG(st.st_mode) && (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}
