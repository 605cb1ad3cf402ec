// Where the main window's controls sit, in client pixels: the window places
// them there and its painter draws their labels beside them.
#pragma once
#include <windows.h>

// The column of assignment rows: row labels at the origin, one row per pitch,
// the combo boxes this far right of their labels.
constexpr int kComboOriginX = 30;
constexpr int kComboOriginY = 143;
constexpr int kComboRowPitch = 40;
constexpr int kComboColumnOffset = 150;
constexpr POINT kSliderPos = {180, 360};
constexpr SIZE kSliderSize = {156, 40};
constexpr POINT kCloseButtonPos = {585, 10};
constexpr POINT kMinimizeButtonPos = {557, 10};
constexpr POINT kDefaultButtonPos = {240, 410};
// The profile box, on the bottom bar before its closing marks.
constexpr POINT kProfileBoxPos = {360, 461};
