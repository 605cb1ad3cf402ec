#include "controls/Skin.h"

#include "framework/CWinApp.h"
#include "framework/GdiObjects.h"
#include "resource.h"

namespace {
HBITMAP loadBitmap(UINT id, UINT flags = 0) {
  return static_cast<HBITMAP>(
      ::LoadImageA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, flags));
}

template <size_t N>
void loadBitmaps(GdiObject<HBITMAP> (&set)[N], const UINT (&ids)[N]) {
  for (size_t i = 0; i < N; ++i) set[i].reset(loadBitmap(ids[i]));
}

// A copy in the screen's format.
HBITMAP copyBitmap(HBITMAP source) {
  BITMAP info = {};
  if (!source || !::GetObjectA(source, sizeof(info), &info)) return nullptr;
  WindowDC screen(nullptr);
  HBITMAP copy = ::CreateCompatibleBitmap(screen, info.bmWidth, info.bmHeight);
  if (copy) {
    MemoryDC from(screen, source);
    MemoryDC to(screen, copy);
    ::BitBlt(to, 0, 0, info.bmWidth, info.bmHeight, from, 0, 0, SRCCOPY);
  }
  return copy;
}

// The frame `source` at `width`: its left part and its right end, the arrow's
// part, joined where the frame is plain.
HBITMAP narrowedFrame(HBITMAP source, int width) {
  constexpr int kRightEnd = 40;
  BITMAP info = {};
  if (!source || !::GetObjectA(source, sizeof(info), &info) || info.bmWidth <= width || width <= kRightEnd)
    return copyBitmap(source);
  WindowDC screen(nullptr);
  HBITMAP narrow = ::CreateCompatibleBitmap(screen, width, info.bmHeight);
  if (narrow) {
    MemoryDC from(screen, source);
    MemoryDC to(screen, narrow);
    ::BitBlt(to, 0, 0, width - kRightEnd, info.bmHeight, from, 0, 0, SRCCOPY);
    ::BitBlt(to, width - kRightEnd, 0, kRightEnd, info.bmHeight, from, info.bmWidth - kRightEnd, 0, SRCCOPY);
  }
  return narrow;
}
}  // namespace

// The bitmaps go with their owning members.
Skin::~Skin() {
  for (HICON icon : trayIcons)
    if (icon) ::DestroyIcon(icon);
}

void Skin::load() {
  fontTahoma16.CreateFont(-16, "Tahoma");
  fontTahoma12.CreateFont(-12, "Tahoma");
  for (int i = 0; i < 3; ++i) controlFonts[i].CreateFont(-14, "Tahoma");

  loadBitmaps(defaultButtonBitmaps, {IDB_DEFAULT_NORMAL, IDB_DEFAULT_HOVER, IDB_DEFAULT_PRESSED, IDB_DEFAULT_NORMAL,
                                     IDB_DEFAULT_NORMAL});
  loadBitmaps(comboBitmaps, {IDB_COMBO_FRAME, IDB_COMBO_ARROW, IDB_COMBO_ARROW_HOVER, IDB_COMBO_ARROW_DISABLED});
  profileFrameBitmap.reset(narrowedFrame(comboBitmaps[0], kProfileFrameWidth));
  // The clean skin stays in the resource's own 24-bit form, a quarter smaller
  // than a copy in the screen's format; the window's picture is composed in
  // the screen's format.
  backgroundBitmap.reset(loadBitmap(IDB_SKIN, LR_CREATEDIBSECTION));
  skinBackdrop.reset(copyBitmap(backgroundBitmap));
  BITMAP skin = {};
  if (skinBackdrop && ::GetObjectA(skinBackdrop, sizeof(skin), &skin)) size = {skin.bmWidth, skin.bmHeight};
  loadBitmaps(closeButtonBitmaps, {IDB_CLOSE_NORMAL, IDB_CLOSE_HOVER, IDB_CLOSE_PRESSED, IDB_CLOSE_NORMAL,
                                   IDB_CLOSE_NORMAL});
  loadBitmaps(minimizeButtonBitmaps, {IDB_MINIMIZE_NORMAL, IDB_MINIMIZE_HOVER, IDB_MINIMIZE_PRESSED,
                                      IDB_MINIMIZE_PRESSED, IDB_MINIMIZE_PRESSED});
}

void Skin::loadHeadings(const int (&ids)[kHeadingLanguages][2]) {
  for (int language = 0; language < kHeadingLanguages; ++language) {
    for (int heading = 0; heading < 2; ++heading) {
      if (!headingBitmaps[language][heading])
        headingBitmaps[language][heading].reset(loadBitmap(static_cast<UINT>(ids[language][heading])));
    }
  }
}

void Skin::loadIcons() {
  windowIcon = ::LoadIconA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(IDR_MAINFRAME));
  const UINT ids[] = {IDI_TRAY_0, IDI_TRAY_1, IDI_TRAY_2};
  for (int i = 0; i < 3; ++i) {
    trayIcons[i] =
        static_cast<HICON>(::LoadImageA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(ids[i]), IMAGE_ICON, 24, 24, 0));
  }
}
