// The four remappable buttons, each a row of the main window: top to bottom as
// the window shows them and in the order profiles.ini lists them. Everything
// that means "a row" takes it from here.
#pragma once
#include <cstdint>

#include "device/MouseConfig.h"
#include "texts/UiTexts.h"

// A row's place in kRows.
namespace RowIndex {
enum : int {
  Right = 0,
  Wheel = 1,
  Button4 = 2,  // the button labelled "Button 4th"
  Button5 = 3,  // the button labelled "Button 5th"
};
constexpr int Count = 4;
}  // namespace RowIndex

struct Row {
  int buttonIndex;       // the button it stands for (ButtonIndex)
  int32_t ownFunction;   // the function that names that button: its item assigns Native
  const char* profileKey;  // its key in profiles.ini
  UiText label;          // its label on the window
};

// "Button 4th" is bit 4 of the mouse's button byte and "Button 5th" bit 3.
constexpr Row kRows[RowIndex::Count] = {
    {ButtonIndex::Right, ButtonFunction::RightButton, "right", UiText::RightButton},
    {ButtonIndex::Wheel, ButtonFunction::WheelButton, "wheel", UiText::WheelButton},
    {ButtonIndex::Button4th, ButtonFunction::Button4th, "button4", UiText::Button4th},
    {ButtonIndex::Button5th, ButtonFunction::Button5th, "button5", UiText::Button5th},
};

// The row of button `buttonIndex`; -1 for a button that has none (the left).
constexpr int rowOfButton(int buttonIndex) {
  for (int row = 0; row < RowIndex::Count; ++row) {
    if (kRows[row].buttonIndex == buttonIndex) return row;
  }
  return -1;
}
