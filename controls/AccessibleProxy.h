// What a screen reader is told about a control. The control answers the
// accessibility interface's request (WM_GETOBJECT) with the system's own
// object for it, of which only the name, the value and, where given, the role
// are the program's: the labels the user sees are painted on the skin, so the
// system's object alone would name a combo box by its selected item and the
// slider by its template text.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

#include "framework/CString.h"

struct AccessibleTexts {
  std::function<CString()> name;
  std::function<CString()> value;  // empty function: the system's value
  // A value with characters outside the ANSI code page (a program's name);
  // when given, it is told instead of `value`.
  std::function<std::wstring()> wideValue;
  long role = 0;                   // 0: the system's role
};

// The answer to WM_GETOBJECT for the client object of `control`; 0 for any
// other object, or when the accessibility libraries cannot be had. The texts
// are in the ANSI code page, as the window's own.
LRESULT answerAccessibleObject(HWND control, WPARAM wParam, LPARAM lParam, const AccessibleTexts& texts);
