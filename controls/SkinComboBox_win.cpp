#include "controls/SkinComboBox.h"

#include <utility>

#include "controls/BitmapRegion.h"
#include "controls/MouseTracking.h"
#include "framework/GdiObjects.h"
#include "framework/WideText.h"

namespace {
constexpr POINT kFieldTextOrigin = {8, 2};
// Height of the drop-down list below the field.
constexpr int kListHeight = 311;

constexpr COLORREF kItemText = 0x808080;
constexpr COLORREF kHighlightedItemText = 0x202020;
constexpr COLORREF kCurrentItemText = 0x0000FF;  // red
constexpr COLORREF kFieldText = 0x808080;
constexpr COLORREF kFocusedFieldText = 0xDE1616;  // blue
// A disabled box is washed out: a flat pale field with lighter text, which
// still stands out from it by more than 3 : 1.
constexpr COLORREF kDisabledFieldText = 0x8C8C8C;
constexpr COLORREF kDisabledField = 0xF9F8F7;
// Room kept free between the field's text and the arrow.
constexpr int kArrowGap = 3;
// Texts that do not fit end with "..."; "&" is shown as it stands.
constexpr UINT kFieldTextFormat = DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS;

// Whether `message` may change the selection or the items, and so the text
// the field shows.
bool mayChangeFieldText(UINT message) {
  switch (message) {
    case CB_SETCURSEL:
    case CB_SELECTSTRING:
    case CB_SETITEMDATA:
    case CB_ADDSTRING:
    case CB_INSERTSTRING:
    case CB_DELETESTRING:
    case CB_RESETCONTENT:
    case CB_DIR:
    case WM_COMMAND:  // a choice in the drop-down list
      return true;
    default:
      return false;
  }
}
}  // namespace

SkinComboBox::SkinComboBox() = default;

SkinComboBox::~SkinComboBox() = default;

BEGIN_MESSAGE_MAP(SkinComboBox, CComboBox)
  ON_MESSAGE(WM_DRAWITEM, OnDrawItem)
  ON_MESSAGE(WM_APP_REFLECTED_DRAWITEM, OnReflectedDrawItem)
  ON_MESSAGE(WM_PAINT, OnPaint)
  ON_MESSAGE(WM_ERASEBKGND, OnEraseBackground)
  ON_MESSAGE(WM_SETCURSOR, OnSetCursor)
  ON_MESSAGE(WM_CTLCOLORLISTBOX, OnCtlColor)
  ON_MESSAGE(WM_CTLCOLOREDIT, OnCtlColor)
  ON_MESSAGE(WM_SETFOCUS, OnSetFocus)
  ON_MESSAGE(WM_KILLFOCUS, OnKillFocus)
END_MESSAGE_MAP()

void SkinComboBox::selectTextFont(HDC hdc) const {
  if (m_textFont) ::SelectObject(hdc, m_textFont);
}

void SkinComboBox::setSkin(const HBITMAP bitmaps[4], HBITMAP backdropBitmap, HFONT textFont) {
  m_picture.release();
  m_backdrop = backdropBitmap;
  m_textFont = textFont;
  m_frameBitmap = bitmaps[0];
  m_arrowBitmap = bitmaps[1];
  m_arrowHoverBitmap = bitmaps[2];
  m_arrowDisabledBitmap = bitmaps[3];

  BitmapShape frame = buildRegionFromBitmap(m_frameBitmap);
  m_frameMask = std::move(frame.mask);
  m_frameWidth = frame.width;
  m_frameHeight = frame.height;
  BitmapShape arrow = buildRegionFromBitmap(m_arrowBitmap);
  m_arrowMask = std::move(arrow.mask);
  m_arrowWidth = arrow.width;
  m_arrowHeight = arrow.height;

  SetItemHeight(-1, static_cast<UINT>(m_frameHeight - 5));
  SetWindowPos(nullptr, 0, 0, m_frameWidth + 2, m_frameHeight + kListHeight, SWP_NOMOVE | SWP_NOZORDER);
  // A copy of the shape stays with the box, for drawing it into its
  // parent's paint.
  m_shape.reset(::CreateRectRgn(0, 0, 0, 0));
  if (frame.region) ::CombineRgn(m_shape, frame.region, nullptr, RGN_COPY);
  // The window's region is the system's from here on.
  if (::SetWindowRgn(m_hWnd, frame.region, TRUE)) frame.region.release();
  Invalidate(FALSE);
}

COLORREF SkinComboBox::fieldTextColor() const {
  if (!IsWindowEnabled()) return kDisabledFieldText;
  if (::GetFocus() == m_hWnd) return kFocusedFieldText;
  return kFieldText;
}

LRESULT SkinComboBox::OnPaint(UINT message, WPARAM wParam, LPARAM lParam, BOOL&) {
  if (!m_frameBitmap) {
    // Not skinned: the platform draws the box, and the field comes through
    // WM_DRAWITEM.
    return CComboBox::DefWindowProc(message, wParam, lParam);
  }
  PaintDC dc(m_hWnd);
  // The box is cut to the frame's shape: the frame is all of it that shows.
  if (picture()) m_picture.copyTo(dc);
  return 0;
}

bool SkinComboBox::Look::operator==(const Look& other) const {
  return enabled == other.enabled && focused == other.focused && hovering == other.hovering && text == other.text &&
         font == other.font && origin.x == other.origin.x && origin.y == other.origin.y;
}

SkinComboBox::Look SkinComboBox::currentLook() const {
  Look look;
  look.enabled = IsWindowEnabled() != FALSE;
  look.focused = ::GetFocus() == m_hWnd;
  look.hovering = m_hovering;
  look.text = knownSelectionText();
  look.font = m_textFont;
  if (!look.font) look.font = static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
  ::MapWindowPoints(m_hWnd, GetParent(), &look.origin, 1);
  return look;
}

HDC SkinComboBox::picture() {
  if (!m_frameBitmap) return nullptr;
  const Look look = currentLook();
  if (m_picture.dc() && look == m_shown) return m_picture.dc();

  // What the window shows under the box; only the frame shows of it, as the
  // box is cut to the frame's shape.
  HDC image = m_picture.prepareOver(m_frameWidth, m_frameHeight, m_backdrop, look.origin);
  if (!image) return nullptr;
  composeMasked(image, 0, 0, m_frameWidth, m_frameHeight, m_frameBitmap, m_frameMask);

  if (!look.enabled) {
    GdiObject<HBRUSH> wash(::CreateSolidBrush(kDisabledField));
    RECT inner = {2, 2, m_frameWidth - 2, m_frameHeight - 2};
    ::FillRect(image, &inner, wash);
  }
  {
    ScopedSelect font(image, look.font);
    ::SetBkMode(image, TRANSPARENT);
    ::SetTextColor(image, fieldTextColor());
    RECT field = textArea();
    ::DrawTextW(image, look.text.c_str(), static_cast<int>(look.text.size()), &field, kFieldTextFormat);
  }

  HBITMAP arrow = !look.enabled ? m_arrowDisabledBitmap : look.hovering ? m_arrowHoverBitmap : m_arrowBitmap;
  composeMasked(image, m_frameWidth - m_arrowWidth - 1, m_frameHeight - m_arrowHeight - 1, m_arrowWidth, m_arrowHeight,
                arrow, m_arrowMask);
  m_shown = look;
  return image;
}

LRESULT SkinComboBox::OnEraseBackground(UINT, WPARAM, LPARAM, BOOL&) { return TRUE; }

LRESULT SkinComboBox::OnSetCursor(UINT, WPARAM, LPARAM lParam, BOOL& handled) {
  if (showHandCursor(lParam)) return TRUE;
  handled = FALSE;
  return 0;
}

LRESULT SkinComboBox::OnCtlColor(UINT, WPARAM, LPARAM, BOOL&) {
  return reinterpret_cast<LRESULT>(::GetStockObject(NULL_BRUSH));
}

LRESULT SkinComboBox::OnSetFocus(UINT message, WPARAM wParam, LPARAM lParam, BOOL&) {
  LRESULT result = DefWindowProc(message, wParam, lParam);
  ::PostMessageA(GetParent(), WM_APP_COMBO_FOCUS, 0, 0);
  Invalidate(FALSE);
  return result;
}

LRESULT SkinComboBox::OnKillFocus(UINT message, WPARAM wParam, LPARAM lParam, BOOL&) {
  // The platform's own focus-loss handling runs too: it closes an open list.
  LRESULT result = DefWindowProc(message, wParam, lParam);
  ::PostMessageA(GetParent(), WM_APP_COMBO_FOCUS, 0, 0);
  Invalidate(FALSE);
  return result;
}

BOOL SkinComboBox::PreTranslateMessage(MSG* msg) {
  // While the button is held over the box, every move repaints it.
  if (msg->message == WM_MOUSEMOVE && m_pressed) Invalidate(FALSE);
  followMouse(m_hWnd, *msg, m_hovering, m_pressed);
  return CComboBox::PreTranslateMessage(msg);
}

bool SkinComboBox::reflectDrawItem(WPARAM wParam, LPARAM lParam, LRESULT& result) {
  const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
  if (!item || item->CtlType != ODT_COMBOBOX) return false;
  if (!dynamic_cast<SkinComboBox*>(CWnd::FromHandlePermanent(item->hwndItem))) return false;
  result = ::SendMessageA(item->hwndItem, WM_APP_REFLECTED_DRAWITEM, wParam, lParam);
  return true;
}

void SkinComboBox::setShortcut(int32_t newScanCode, int32_t newModifiers) {
  m_scanCode = newScanCode;
  m_modifiers = newModifiers;
  m_fieldTextKnown = false;
  Invalidate(FALSE);
}

LRESULT SkinComboBox::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  // The copy of the selection follows every way the selection changes: a
  // request from the program, and a choice in the drop-down list.
  if (message == CB_SETCURSEL) {
    m_selectedIndex = static_cast<int>(wParam);
  } else if (message == WM_COMMAND && (HIWORD(wParam) == CBN_SELCHANGE || HIWORD(wParam) == CBN_CLOSEUP)) {
    m_selectedIndex = static_cast<int>(CComboBox::DefWindowProc(CB_GETCURSEL, 0, 0));
  }
  // The field's text is asked again after anything that may change the
  // selection or the items; also after the message, in case the box painted
  // while handling it.
  const bool mayChangeText = mayChangeFieldText(message);
  if (mayChangeText) m_fieldTextKnown = false;
  const LRESULT result = CComboBox::DefWindowProc(message, wParam, lParam);
  if (mayChangeText) m_fieldTextKnown = false;
  return result;
}

LRESULT SkinComboBox::OnDrawItem(UINT message, WPARAM wParam, LPARAM lParam, BOOL&) {
  drawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
  m_forwardingDrawItem = true;
  LRESULT result = DefWindowProc(message, wParam, lParam);
  m_forwardingDrawItem = false;
  return result;
}

LRESULT SkinComboBox::OnReflectedDrawItem(UINT, WPARAM, LPARAM lParam, BOOL&) {
  // No default processing here: the combo box's own would hand the message to
  // the parent again.
  if (!m_forwardingDrawItem) drawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
  return TRUE;
}

void SkinComboBox::drawItem(const DRAWITEMSTRUCT& item) {
  if (item.itemState & ODS_COMBOBOXEDIT) {
    drawSelectionField(item);
  } else {
    drawListItem(item);
  }
}

void SkinComboBox::drawListItem(const DRAWITEMSTRUCT& item) {
  SavedDC saved(item.hDC);
  ::SetBkMode(item.hDC, TRANSPARENT);
  selectTextFont(item.hDC);
  const bool highlighted = (item.itemState & ODS_SELECTED) != 0;
  COLORREF color = highlighted ? kHighlightedItemText : kItemText;
  ::FillRect(item.hDC, &item.rcItem, static_cast<HBRUSH>(::GetStockObject(highlighted ? GRAY_BRUSH : WHITE_BRUSH)));
  // An empty list still asks for its focus rectangle with no item.
  if (item.itemID == static_cast<UINT>(-1)) return;
  const int index = static_cast<int>(item.itemID);
  // The current selection stays marked while the user moves over the others.
  if (index == m_selectedIndex) color = kCurrentItemText;
  ::SetTextColor(item.hDC, color);
  const std::wstring text = wideItemText(index);
  RECT rect = item.rcItem;
  rect.left += kTextIndent;
  ::DrawTextW(item.hDC, text.c_str(), -1, &rect, kFieldTextFormat);
}

void SkinComboBox::drawSelectionField(const DRAWITEMSTRUCT& item) {
  // The platform asks for the field outside of the box's own paint too (a
  // new selection, a change of focus). The skinned paint draws the whole box,
  // field included, so the field is only marked for it; drawing here into
  // the platform's rectangle would cover the frame and the arrow.
  if (m_frameBitmap) {
    Invalidate(FALSE);
    return;
  }
  // Not skinned yet: the platform's box with the field's text.
  SavedDC saved(item.hDC);
  ::SetBkMode(item.hDC, TRANSPARENT);
  selectTextFont(item.hDC);
  ::SetTextColor(item.hDC, fieldTextColor());
  const std::wstring text = wideSelectionText();
  RECT rect = item.rcItem;
  rect.left += kTextIndent;
  ::DrawTextW(item.hDC, text.c_str(), -1, &rect, kFieldTextFormat | DT_VCENTER);
}

RECT SkinComboBox::textAreaIn(SIZE frame, int arrowWidth) {
  return {kFieldTextOrigin.x, kFieldTextOrigin.y, frame.cx - arrowWidth - 1 - kArrowGap, frame.cy - 2};
}

RECT SkinComboBox::textArea() const { return textAreaIn({m_frameWidth, m_frameHeight}, m_arrowWidth); }

CString SkinComboBox::selectionText() const {
  if (m_selectedIndex < 0) return CString();
  if (m_fieldText) return m_fieldText(*this, m_selectedIndex);
  return GetLBText(m_selectedIndex);
}

std::wstring SkinComboBox::wideItemText(int index) const {
  const LRESULT length = ::SendMessageW(m_hWnd, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
  if (length <= 0) return std::wstring();
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  const LRESULT copied =
      ::SendMessageW(m_hWnd, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
  text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
  return text;
}

std::wstring SkinComboBox::wideSelectionText() const {
  if (m_selectedIndex < 0) return std::wstring();
  if (m_fieldText) return wideFromAnsi(m_fieldText(*this, m_selectedIndex));
  return wideItemText(m_selectedIndex);
}

const std::wstring& SkinComboBox::knownSelectionText() const {
  if (!m_fieldTextKnown) {
    m_knownFieldText = wideSelectionText();
    m_fieldTextKnown = true;
  }
  return m_knownFieldText;
}

bool SkinComboBox::drawInto(HDC target, POINT at) {
  HDC image = picture();
  if (image) copyShaped(target, at.x, at.y, m_frameWidth, m_frameHeight, image, m_shape.get());
  return image != nullptr;
}
