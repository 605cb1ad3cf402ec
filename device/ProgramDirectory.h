// The folder of the executable, where the settings file and the language file
// are kept.
#pragma once
#include "framework/CString.h"

// The folder of the executable with a trailing backslash; set once by the main
// window's initialisation before any file is read.
extern CString programDirectory;

// The folder part of a module path, with a trailing backslash: the path is cut
// before its last backslash. A path without a backslash is kept whole, so the
// files are then looked for under a name that does not exist and the defaults
// stay, rather than in whatever the current folder happens to be.
CString programDirectoryFromModulePath(const char* path);
