// Text between the program's 8-bit strings and the system's wide (UTF-16)
// functions. Paths are kept in UTF-8, which holds any folder name; texts shown
// through the ANSI window functions are kept in the ANSI code page.
#pragma once
#include <string>

#include "framework/CString.h"

// UTF-8 to UTF-16; empty for text that is not UTF-8.
std::wstring wideFromUtf8(const char* text);
// The ANSI code page, as the system's ANSI functions read it, to UTF-16.
std::wstring wideFromAnsi(const char* text);
// UTF-16 to UTF-8.
CString utf8FromWide(const wchar_t* text);
// UTF-16 to the ANSI code page, as the system's ANSI functions convert it.
CString ansiFromWide(const wchar_t* text);
