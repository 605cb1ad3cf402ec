#include "mainwnd/AssignmentRows.h"

#include <iterator>

#include "controls/KeyCaptureDialog.h"
#include "controls/Shortcut.h"
#include "controls/Skin.h"
#include "device/MouseModel.h"
#include "mainwnd/KeyboardAccess.h"
#include "mainwnd/MainWindowLayout.h"
#include "texts/UiTexts.h"
#include "resource.h"

namespace {

// The items of every row's list, in list order, with the function each one
// assigns. The item that names the row's own button assigns Native instead.
struct AssignmentItem {
  UiText text;
  int32_t function;
};
const AssignmentItem kAssignmentItems[] = {
    {UiText::LeftButton, ButtonFunction::LeftButton},
    {UiText::RightButton, ButtonFunction::RightButton},
    {UiText::WheelButton, ButtonFunction::WheelButton},
    {UiText::Button4th, ButtonFunction::Button4th},
    {UiText::Button5th, ButtonFunction::Button5th},
    {UiText::DoubleClick, ButtonFunction::DoubleClick},
    {UiText::Shortcuts, ButtonFunction::KeyShortcut},
    {UiText::CloseCurrentWindow, ButtonFunction::CloseCurrentWindow},
};

// Each row's combo box in the window's template.
constexpr int kRowControls[RowIndex::Count] = {IDC_COMBO_RIGHT, IDC_COMBO_WHEEL, IDC_COMBO_4TH, IDC_COMBO_5TH};

int32_t itemFunction(const SkinComboBox& combo, int item) { return static_cast<int32_t>(combo.GetItemData(item)); }

}  // namespace

int AssignmentRows::rowOfControl(int controlId) {
  for (int row = 0; row < RowIndex::Count; ++row) {
    if (kRowControls[row] == controlId) return row;
  }
  return -1;
}

int AssignmentRows::rowOfWindow(HWND window) const {
  for (int row = 0; row < RowIndex::Count; ++row) {
    if (window && m_boxes[row].m_hWnd == window) return row;
  }
  return -1;
}

void AssignmentRows::bind(CDataExchange* dx) {
  for (int row = 0; row < RowIndex::Count; ++row) DDX_Control(dx, kRowControls[row], m_boxes[row]);
}

void AssignmentRows::fill() {
  for (int row = 0; row < RowIndex::Count; ++row) {
    SkinComboBox& combo = m_boxes[row];
    // A row on which "Shortcuts" waits to be confirmed shows the item's text,
    // not a shortcut it does not have.
    combo.setFieldText([this](const SkinComboBox& box, int item) {
      return m_pendingShortcut >= 0 && &box == &m_boxes[m_pendingShortcut] ? box.GetLBText(item)
                                                                          : fieldText(box, item);
    });
    for (const AssignmentItem& item : kAssignmentItems) {
      const int index = combo.AddString(uiTexts[item.text]);
      if (item.function == kRows[row].ownFunction) {
        combo.SetCurSel(index);
        combo.SetItemData(index, static_cast<DWORD_PTR>(ButtonFunction::Native));
      } else {
        combo.SetItemData(index, static_cast<DWORD_PTR>(item.function));
      }
    }
  }
}

void AssignmentRows::skinAndPlace(const Skin& skin) {
  for (int row = 0; row < RowIndex::Count; ++row) {
    m_boxes[row].setSkin(Skin::borrowed(skin.comboBitmaps).data(), skin.skinBackdrop,
                         skin.controlFonts[Skin::kCaptionFont]);
    m_boxes[row].SetWindowPos(nullptr, kComboOriginX + kComboColumnOffset, kComboOriginY + kComboRowPitch * row, 0, 0,
                              SWP_NOSIZE | SWP_NOZORDER);
  }
}

CString AssignmentRows::fieldText(const SkinComboBox& combo, int item) {
  // A row assigned "Shortcuts" shows the shortcut's name.
  if (itemFunction(combo, item) == ButtonFunction::KeyShortcut)
    return shortcutName(combo.m_scanCode, combo.m_modifiers);
  return combo.GetLBText(item);
}

void AssignmentRows::onNotification(WORD code, int row) {
  switch (code) {
    case CBN_SELCHANGE:
      onSelectionChange(row);
      break;
    case CBN_SELENDOK:
    case CBN_SELENDCANCEL:
      onListClosed(row);
      break;
    case CBN_KILLFOCUS:
      onLeft(row);
      break;
    default:
      break;
  }
}

void AssignmentRows::onSelectionChange(int row) {
  SkinComboBox& combo = m_boxes[row];
  const int selection = combo.GetCurSel();
  // Arrowing through a row passes "Shortcuts" on the way to the other
  // functions: the "Key" dialog waits until the choice is confirmed.
  if (selection >= 0 && m_window.keyboard().choosingByKeys() &&
      itemFunction(combo, selection) == ButtonFunction::KeyShortcut) {
    m_pendingShortcut = row;
    return;
  }
  if (m_pendingShortcut == row) m_pendingShortcut = -1;
  apply(row);
}

void AssignmentRows::onListClosed(int row) {
  // The list closed with Enter or a click (which Wine reports as a cancel):
  // "Shortcuts" reached in it with the arrows is confirmed. The arrows of a
  // closed list report these too, and confirm nothing.
  // The "Key" dialog opens once the box is done closing its list: opened
  // from within, its modal loop would run before the box settled its
  // selection.
  if (m_pendingShortcut == row && m_window.keyboard().confirming())
    ::PostMessageA(m_window.rowsParent(), WM_APP_CONFIRM_SHORTCUT, kRowControls[row], 0);
}

void AssignmentRows::onConfirmShortcut(int row) {
  if (m_pendingShortcut == row) confirmPendingShortcut();
}

void AssignmentRows::onLeft(int row) {
  // Left without confirming, the row shows its function again: the edited
  // profile's.
  if (m_pendingShortcut != row) return;
  m_pendingShortcut = -1;
  selectFunction(m_boxes[row], m_window.editedAssignment(kRows[row].buttonIndex).function);
  m_window.keyboard().announceValue(m_boxes[row].m_hWnd);
}

bool AssignmentRows::onEnter(HWND focus) {
  const int row = rowOfWindow(focus);
  if (row < 0) return false;
  if (m_pendingShortcut == row) confirmPendingShortcut();
  return true;
}

bool AssignmentRows::confirmPendingShortcut() {
  if (m_pendingShortcut < 0) return false;
  const int row = m_pendingShortcut;
  m_pendingShortcut = -1;
  apply(row);
  m_window.keyboard().announceValue(m_boxes[row].m_hWnd);
  return true;
}

void AssignmentRows::apply(int row) {
  SkinComboBox& combo = m_boxes[row];
  const int selection = combo.GetCurSel();
  if (selection < 0) return;
  const int32_t function = itemFunction(combo, selection);
  const int buttonIndex = kRows[row].buttonIndex;
  const ButtonAssignment slot = m_window.editedAssignment(buttonIndex);
  // What a button held now was told to hold would outlive its function: the
  // release would act on the new one.
  m_window.releaseHeldInput();
  ButtonAssignment assigned = slot;
  if (function == ButtonFunction::KeyShortcut) {
    // Every choice of "Shortcuts" asks for the shortcut again, proposing the
    // one the button has.
    KeyCaptureDialog dialog;
    dialog.m_scanCode = slot.scanCode;
    dialog.m_modifiers = slot.modifiers;
    dialog.m_titleText = uiTexts[UiText::KeyTitle];
    dialog.m_okText = uiTexts[UiText::Ok];
    dialog.m_cancelText = uiTexts[UiText::Cancel];
    dialog.m_unassignableText = uiTexts[UiText::KeyNotAssignable];
    m_keyDialog = &dialog;
    const INT_PTR result = dialog.DoModal();
    m_keyDialog = nullptr;
    m_window.releaseHeldInput();  // keys held while the dialog was open
    // The program was told to exit meanwhile and has handed every button
    // back to the mouse: nothing may be remapped after that.
    if (mouseModel.exitRequested()) return;
    // Cancel and the close box change nothing: the row shows its function
    // again, and the model, the file and the mouse keep theirs.
    if (result != IDOK) {
      selectFunction(combo, slot.function);
      return;
    }
    assigned.scanCode = dialog.m_scanCode;
    assigned.modifiers = dialog.m_modifiers;
    combo.setShortcut(assigned.scanCode, assigned.modifiers);
  }
  assigned.buttonMask = buttonMaskFor(function);
  assigned.function = function;
  m_window.assign(buttonIndex, assigned);
}

void AssignmentRows::selectFunction(SkinComboBox& combo, int32_t function) {
  // A function the row does not offer is its own button's (the mouse-button
  // code of that very button).
  for (int32_t wanted : {function, static_cast<int32_t>(ButtonFunction::Native)}) {
    const int count = combo.GetCount();
    for (int item = 0; item < count; ++item) {
      if (itemFunction(combo, item) == wanted) {
        combo.SetCurSel(item);
        return;
      }
    }
  }
}

void AssignmentRows::showEditedAssignments() {
  for (int row = 0; row < RowIndex::Count; ++row) {
    SkinComboBox& combo = m_boxes[row];
    const int32_t function = m_window.editedAssignment(kRows[row].buttonIndex).function;
    const int count = combo.GetCount();
    for (int item = 0; item < count; ++item) {
      if (itemFunction(combo, item) == function) {
        combo.SetCurSel(item);
        break;
      }
    }
  }
  for (int row = 0; row < RowIndex::Count; ++row) {
    const ButtonAssignment slot = m_window.editedAssignment(kRows[row].buttonIndex);
    m_boxes[row].setShortcut(slot.scanCode, slot.modifiers);
  }
}

void AssignmentRows::restoreNative() {
  m_pendingShortcut = -1;
  for (SkinComboBox& combo : m_boxes) selectFunction(combo, ButtonFunction::Native);
  // Button by button from the highest index down, each saved and sent.
  for (int buttonIndex = ButtonIndex::Button4th; buttonIndex > ButtonIndex::Left; --buttonIndex) {
    const int row = rowOfButton(buttonIndex);
    if (row >= 0) apply(row);
  }
}

void AssignmentRows::closeKeyDialog() {
  if (m_keyDialog) m_keyDialog->EndDialog(IDCANCEL);
}
