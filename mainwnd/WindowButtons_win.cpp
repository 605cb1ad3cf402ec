#include "mainwnd/WindowButtons.h"

#include "controls/Skin.h"
#include "mainwnd/MainWindowLayout.h"
#include "texts/UiTexts.h"
#include "resource.h"

namespace {
void skinAt(SkinButton& button, POINT at, const HBITMAP* bitmaps, const Skin& skin, int captionMode, HFONT font) {
  button.SetWindowPos(nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  button.setSkin(bitmaps, skin.skinBackdrop, captionMode, font);
}
}  // namespace

void WindowButtons::bind(CDataExchange* dx) {
  DDX_Control(dx, IDC_MINIMIZE_BUTTON, m_minimize);
  DDX_Control(dx, IDC_DEFAULT, m_default);
  DDX_Control(dx, IDOK, m_ok);
  DDX_Control(dx, IDC_CLOSE_BUTTON, m_close);
}

void WindowButtons::skinAndPlace(const Skin& skin) {
  m_default.SetWindowText(uiTexts[UiText::Default]);
  skinAt(m_close, kCloseButtonPos, Skin::borrowed(skin.closeButtonBitmaps).data(), skin, 0, nullptr);
  skinAt(m_minimize, kMinimizeButtonPos, Skin::borrowed(skin.minimizeButtonBitmaps).data(), skin, 0, nullptr);
  skinAt(m_default, kDefaultButtonPos, Skin::borrowed(skin.defaultButtonBitmaps).data(), skin, 1,
         skin.controlFonts[Skin::kCaptionFont]);
}
