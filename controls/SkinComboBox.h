// An assignment combo box: a drop-down list with owner-drawn items. It keeps
// its own copy of its current selection and of its row's keyboard shortcut;
// what its field shows for the selected item its owner decides, so that a
// row assigned "Shortcuts" shows the shortcut's name instead of the item text.
//
// Owner-drawn items are drawn by the control itself: its parent hands every
// WM_DRAWITEM of the control back to it as WM_APP_REFLECTED_DRAWITEM.
#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "controls/ControlPicture.h"
#include "framework/CComboBox.h"
#include "framework/GdiObjects.h"

// WM_DRAWITEM of a SkinComboBox, sent back to it by its parent.
constexpr UINT WM_APP_REFLECTED_DRAWITEM = 0x2000 + WM_DRAWITEM;
// Posted to the parent whenever the box gains or loses the focus; the parent
// gives it no effect.
constexpr UINT WM_APP_COMBO_FOCUS = 11881;

class SkinComboBox : public CComboBox {
public:
  // The text the field shows for item `item` of `box`.
  using FieldText = std::function<CString(const SkinComboBox& box, int item)>;

  SkinComboBox();
  ~SkinComboBox() override;

  // Sends a parent's WM_DRAWITEM to the combo box it is about, when that box
  // is a SkinComboBox. Returns false for any other control.
  static bool reflectDrawItem(WPARAM wParam, LPARAM lParam, LRESULT& result);

  // Gives the box its skin: the frame (its shape and size), the arrow in its
  // three states, the window's backdrop and the font of the texts (the
  // system's GUI font when null). Sizes the box to the frame plus room for
  // the drop-down list.
  void setSkin(const HBITMAP bitmaps[4], HBITMAP backdropBitmap, HFONT textFont = nullptr);
  // The owner's answer to what the field shows; without one, the item's text.
  void setFieldText(FieldText fieldText) {
    m_fieldText = std::move(fieldText);
    m_fieldTextKnown = false;
  }

  BOOL PreTranslateMessage(MSG* msg) override;

  // Where the field's text may go in a frame of size `frame` with an arrow
  // `arrowWidth` wide: inside the frame, left of the arrow.
  static RECT textAreaIn(SIZE frame, int arrowWidth);
  // How far the texts of the list's items stand in from its edge.
  static constexpr int kTextIndent = 4;

  // The row's shortcut changed: keep the copy and show it.
  void setShortcut(int32_t newScanCode, int32_t newModifiers);

  // Skin, set with the bitmap set of the combo boxes (frame, arrow, arrow
  // while hovered, arrow while disabled) and the window's backdrop.
  HBITMAP m_frameBitmap = nullptr;
  HBITMAP m_arrowBitmap = nullptr;
  HBITMAP m_arrowHoverBitmap = nullptr;
  HBITMAP m_arrowDisabledBitmap = nullptr;
  GdiObject<HBITMAP> m_frameMask;
  GdiObject<HBITMAP> m_arrowMask;
  int m_frameWidth = 0;
  int m_frameHeight = 0;
  int m_arrowWidth = 0;
  int m_arrowHeight = 0;
  HBITMAP m_backdrop = nullptr;
  HFONT m_textFont = nullptr;
  bool m_hovering = false;
  bool m_pressed = false;

  // The control's copy of its current selection.
  int m_selectedIndex = 0;
  // The control's copy of its row's shortcut; low 8 bits of modifiers used.
  int32_t m_scanCode = 0;
  int32_t m_modifiers = 0;

  // The text the selection field shows: what the owner says for the selected
  // item, or the item's text; "" without selection.
  CString selectionText() const;
  // The same, wide: an item's own text (a program's name) may hold
  // characters outside the ANSI code page, which the box keeps and shows.
  std::wstring wideSelectionText() const;
  // Item `index`'s text as the box holds it.
  std::wstring wideItemText(int index) const;

  LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

  // What a paint copies to the screen: the frame with the field's text and
  // the arrow as they look now, composed again only when the state, the text,
  // the font or the box's place changed since the last paint. Null before
  // setSkin.
  HDC picture();
  // The part of the box that shows (the frame's bounds) and, drawn at
  // `at` in the parent's DC, what the box's own paint shows now: only
  // the pixels of its shape; false before setSkin. The window paints its controls along with
  // itself this way.
  SIZE shownSize() const { return {m_frameWidth, m_frameHeight}; }
  bool drawInto(HDC target, POINT at);

protected:
  DECLARE_MESSAGE_MAP()
  LRESULT OnDrawItem(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnReflectedDrawItem(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnPaint(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnEraseBackground(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnSetCursor(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnCtlColor(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnSetFocus(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnKillFocus(UINT, WPARAM, LPARAM, BOOL&);

private:
  void selectTextFont(HDC hdc) const;
  void drawItem(const DRAWITEMSTRUCT& item);
  void drawListItem(const DRAWITEMSTRUCT& item);
  void drawSelectionField(const DRAWITEMSTRUCT& item);
  // The colour of the field's text in the control's present state.
  COLORREF fieldTextColor() const;
  // Where the field's text may go: inside the frame, left of the arrow.
  RECT textArea() const;

  // selectionText(), asked again only after something it depends on changed:
  // asking the list for an item's data and text on every paint costs more
  // than the rest of the paint.
  const std::wstring& knownSelectionText() const;

  // Everything the picture depends on besides the skin set by setSkin.
  struct Look {
    bool enabled = false;
    bool focused = false;
    bool hovering = false;
    std::wstring text;
    HFONT font = nullptr;
    POINT origin = {0, 0};  // in the parent, where the backdrop is taken from
    bool operator==(const Look& other) const;
  };
  Look currentLook() const;

  ControlPicture m_picture;
  GdiObject<HRGN> m_shape;  // the window region's shape, kept by the control
  Look m_shown;

  // Set while a WM_DRAWITEM that reached the control directly goes on to
  // default processing, which hands it to the parent: the reflection that
  // comes back is then already drawn.
  bool m_forwardingDrawItem = false;
  FieldText m_fieldText;
  mutable std::wstring m_knownFieldText;
  mutable bool m_fieldTextKnown = false;
};
