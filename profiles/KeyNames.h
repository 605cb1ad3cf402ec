// Fixed, language-independent names of keyboard keys, for text that people
// read, write and share (profiles.ini): the keys of the key list, the eight
// modifier keys and a few spellings people expect. The names the window shows
// come from the platform and change with the system's language, so they
// cannot serve here.
#pragma once
#include <cstdint>
#include <string>

// The canonical name of a scan code (0xE000 added for an extended key), in
// lower case; "" when the key has no name here.
std::string keyNameForScanCode(int32_t scanCode);

// The scan code a name stands for, case-insensitive, with runs of blanks taken
// as one space; 0 when the name is not known.
int32_t scanCodeForKeyName(const std::string& name);
