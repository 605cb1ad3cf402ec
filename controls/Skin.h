// The skin: every bitmap, icon and font the window and its skinned controls
// are drawn with. The main window loads it once during its initialisation,
// owns it for the rest of the run and hands each control what it draws with.
#pragma once
#include <windows.h>

#include <array>
#include <cstddef>

#include "framework/CFont.h"
#include "framework/GdiObjects.h"

// The skin's accent colour (its lines and glows), which also outlines the
// control that has the keyboard focus.
constexpr COLORREF kSkinAccent = RGB(24, 204, 244);

struct Skin {
  // Section headings come in one pair per language of the texts.
  static constexpr int kHeadingLanguages = 5;
  // Font entry of the "Default" caption and of the combo boxes' texts.
  static constexpr int kCaptionFont = 2;

  Skin() = default;
  ~Skin();
  Skin(const Skin&) = delete;
  Skin& operator=(const Skin&) = delete;

  // Fonts, the skin and the bitmap sets of the buttons and combo boxes.
  void load();
  // All five heading pairs, whatever the language: a language file may name
  // any of them. ids[language][0] the buttons heading, [1] the DPI heading.
  void loadHeadings(const int (&ids)[kHeadingLanguages][2]);
  // The program's icon (128) and the notification area's icons 134, 133,
  // 132 at 24 x 24.
  void loadIcons();

  // "Tahoma" -14 in entries 0, 1 and 2 (three separate handles); 3 and 4
  // stay empty. Button captions pick an entry by index.
  CFont controlFonts[5];
  CFont fontTahoma16;  // row labels, DPI number
  CFont fontTahoma12;  // version text

  // The skin owns every bitmap it loads or makes; whoever draws with one
  // borrows its raw handle.
  SIZE size = {0, 0};                      // of the skin: the window's size
  GdiObject<HBITMAP> skinBackdrop;         // back buffer the window paints into
  GdiObject<HBITMAP> backgroundBitmap;     // the clean skin, also the slider's ground
  GdiObject<HBITMAP> headingBitmaps[kHeadingLanguages][2];
  // Bitmap sets of the skinned controls, in the order the controls take them.
  GdiObject<HBITMAP> defaultButtonBitmaps[5];
  GdiObject<HBITMAP> comboBitmaps[4];
  // The profile box's frame: the combo frame made narrower, so that the box
  // fits the bottom bar beside its texts. It takes the combo boxes' arrows.
  static constexpr int kProfileFrameWidth = 176;
  GdiObject<HBITMAP> profileFrameBitmap;
  GdiObject<HBITMAP> closeButtonBitmaps[5];
  GdiObject<HBITMAP> minimizeButtonBitmaps[5];
  HICON windowIcon = nullptr;  // shared by the system: never destroyed
  HICON trayIcons[3] = {};  // icons, not GDI objects: destroyed by the skin itself

  // The raw handles of a bitmap set, for a control that borrows them.
  template <size_t N>
  static std::array<HBITMAP, N> borrowed(const GdiObject<HBITMAP> (&set)[N]) {
    std::array<HBITMAP, N> handles = {};
    for (size_t i = 0; i < N; ++i) handles[i] = set[i];
    return handles;
  }
};
