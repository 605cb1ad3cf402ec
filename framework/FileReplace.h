// The file operations whose Windows form differs from the C library's. Paths
// are UTF-8; on Windows they go through the wide (W) functions, so that a
// folder whose name is outside the ANSI code page works like any other.
#pragma once
#include <cstdio>

// std::fopen with a UTF-8 path.
FILE* openFile(const char* path, const char* mode);

// True when something (a file, a folder) is at `path`.
bool fileExists(const char* path);

// Makes the folder at `path` (its parent must exist); true when it is there.
bool createFolder(const char* path);

// Removes a file; false when it was not removed.
bool removeFile(const char* path);

// Moves `from` over `to`, replacing `to` if it exists; both in the same
// folder. A reader finds either the old file or the new one, never a
// half-written one. False when the move did not happen; `from` is then left
// where it is and `to` untouched.
bool replaceFile(const char* from, const char* to);

// Puts the complete file `from` in the place of `to`, both in the same folder,
// in one step. An existing `to` hands on its identity as far as the system
// allows: its rights (security descriptor; under Wine the mode bits that
// stand for it), its attributes and its owner. False when the swap did not
// happen; `to` is then untouched and `from` left where it is.
bool swapInFile(const char* from, const char* to);

// True when the file exists and is marked read-only (on Windows its read-only
// attribute, elsewhere no write permission for anyone): the user froze it,
// and nothing may replace or change it.
bool isReadOnlyFile(const char* path);
