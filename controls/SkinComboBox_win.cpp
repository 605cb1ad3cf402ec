#include "controls/SkinComboBox.h"

#include "app/ProcessObjects.h"
#include "controls/Shortcut.h"
#include "device/MouseConfig.h"

namespace {
constexpr int kTextFontIndex = 2;  // controlFonts entry of combo box texts
constexpr int kTextIndent = 4;

constexpr COLORREF kItemText = 0x808080;
constexpr COLORREF kHighlightedItemText = 0x202020;
constexpr COLORREF kCurrentItemText = 0x0000FF;  // red
constexpr COLORREF kFieldText = 0x808080;
constexpr COLORREF kFocusedFieldText = 0xDE1616;  // blue
constexpr COLORREF kDisabledFieldText = 0xDCDCDC;

// Restores everything the drawing changed in a DC it was lent.
class SavedDC {
public:
  explicit SavedDC(HDC hdc) : hdc_(hdc), saved_(::SaveDC(hdc)) {}
  ~SavedDC() { ::RestoreDC(hdc_, saved_); }
  SavedDC(const SavedDC&) = delete;
  SavedDC& operator=(const SavedDC&) = delete;

private:
  HDC hdc_;
  int saved_;
};

void selectTextFont(HDC hdc) {
  if (HFONT font = controlFonts[kTextFontIndex].GetSafeHandle()) ::SelectObject(hdc, font);
}
}  // namespace

SkinComboBox::SkinComboBox() = default;

SkinComboBox::~SkinComboBox() = default;

BEGIN_MESSAGE_MAP(SkinComboBox, CComboBox)
  ON_MESSAGE(WM_DRAWITEM, OnDrawItem)
  ON_MESSAGE(kReflectedDrawItem, OnReflectedDrawItem)
END_MESSAGE_MAP()

bool SkinComboBox::reflectDrawItem(WPARAM wParam, LPARAM lParam, LRESULT& result) {
  const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
  if (!item || item->CtlType != ODT_COMBOBOX) return false;
  if (!dynamic_cast<SkinComboBox*>(CWnd::FromHandlePermanent(item->hwndItem))) return false;
  result = ::SendMessageA(item->hwndItem, kReflectedDrawItem, wParam, lParam);
  return true;
}

void SkinComboBox::setShortcut(int32_t newScanCode, int32_t newModifiers) {
  scanCode = newScanCode;
  modifiers = newModifiers;
  Invalidate(FALSE);
}

LRESULT SkinComboBox::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  // The copy of the selection follows every way the selection changes: a
  // request from the program, and a choice in the drop-down list.
  if (message == CB_SETCURSEL) {
    selectedIndex = static_cast<int>(wParam);
  } else if (message == WM_COMMAND && (HIWORD(wParam) == 1 || HIWORD(wParam) == 8)) {
    selectedIndex = static_cast<int>(CComboBox::DefWindowProc(CB_GETCURSEL, 0, 0));
  }
  return CComboBox::DefWindowProc(message, wParam, lParam);
}

LRESULT SkinComboBox::OnDrawItem(UINT message, WPARAM wParam, LPARAM lParam, BOOL&) {
  drawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
  forwardingDrawItem_ = true;
  LRESULT result = DefWindowProc(message, wParam, lParam);
  forwardingDrawItem_ = false;
  return result;
}

LRESULT SkinComboBox::OnReflectedDrawItem(UINT, WPARAM, LPARAM lParam, BOOL&) {
  // No default processing here: the combo box's own would hand the message to
  // the parent again.
  if (!forwardingDrawItem_) drawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
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
  if (index == selectedIndex) color = kCurrentItemText;
  ::SetTextColor(item.hDC, color);
  const CString text = GetLBText(index);
  RECT rect = item.rcItem;
  rect.left += kTextIndent;
  ::DrawTextA(item.hDC, text, -1, &rect, 0);
}

void SkinComboBox::drawSelectionField(const DRAWITEMSTRUCT& item) {
  SavedDC saved(item.hDC);
  ::SetBkMode(item.hDC, TRANSPARENT);
  selectTextFont(item.hDC);
  ::FillRect(item.hDC, &item.rcItem, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
  COLORREF color = kFieldText;
  if (!IsWindowEnabled()) {
    color = kDisabledFieldText;
  } else if (::GetFocus() == m_hWnd) {
    color = kFocusedFieldText;
  }
  ::SetTextColor(item.hDC, color);
  const CString text = selectionText();
  RECT rect = item.rcItem;
  rect.left += kTextIndent;
  ::DrawTextA(item.hDC, text, -1, &rect, DT_SINGLELINE | DT_VCENTER);
}

CString SkinComboBox::selectionText() const {
  if (selectedIndex < 0) return CString();
  if (static_cast<int32_t>(GetItemData(selectedIndex)) == ButtonFunction::KeyShortcut)
    return shortcutName(scanCode, modifiers);
  return GetLBText(selectedIndex);
}
