#include "framework/FileReplace.h"

#include <cstdio>

bool replaceFile(const char* from, const char* to) { return std::rename(from, to) == 0; }
