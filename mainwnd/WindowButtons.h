// The window's own buttons: minimise and close on the title bar, "Default" on
// the bottom bar, and the dialog's OK, which is bound but never skinned or
// shown. The window routes their commands; this places and skins them.
#pragma once
#include <array>

#include "controls/SkinButton.h"
#include "framework/CDialog.h"

class Skin;

class WindowButtons {
public:
  void bind(CDataExchange* dx);
  // Their places on the skin, their bitmaps and "Default"'s text.
  void skinAndPlace(const Skin& skin);
  // The painted ones, in the order the painter takes them: close, minimise,
  // "Default".
  std::array<SkinButton*, 3> skinned() { return {&m_close, &m_minimize, &m_default}; }

private:
  SkinButton m_minimize;
  SkinButton m_default;
  SkinButton m_ok;
  SkinButton m_close;
};
