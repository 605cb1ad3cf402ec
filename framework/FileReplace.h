// Puts a finished file in the place of another in one step, so that a reader
// finds either the old file or the new one, never a half-written one.
#pragma once

// Moves `from` over `to`, replacing `to` if it exists; both in the same
// folder. False when the move did not happen; `from` is then left where it is
// and `to` untouched.
bool replaceFile(const char* from, const char* to);

// True when the file exists and is marked read-only (on Windows its read-only
// attribute, elsewhere no write permission for anyone): the user froze it,
// and nothing may replace or change it.
bool isReadOnlyFile(const char* path);
