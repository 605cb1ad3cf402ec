// MainDialog: the assignment rows of the main window, the four combo boxes
// through which the user gives each remappable button a function, and the
// resets ("Default", Enter), whose DPI half is in MainDialogDpi_win.cpp.
#include <mutex>

#include "app/MainDialog.h"
#include "app/ProcessObjects.h"
#include "controls/KeyCaptureDialog.h"
#include "controls/Shortcut.h"
#include "device/MouseConfig.h"
#include "device/SettingsFile.h"
#include "resource.h"

namespace {

// The items of every assignment combo box, in list order, with the function
// each one assigns. The item that names the box's own button assigns Native
// instead.
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

// One row per remappable button, top to bottom. "Button 4th" is bit 4 of the
// mouse's button byte and "Button 5th" bit 3, hence the crossed indexes.
struct AssignmentRow {
  int controlId;
  int buttonIndex;
  int ownItem;  // the item that names the row's own button
  SkinComboBox MainDialog::*combo;
};
const AssignmentRow kRows[] = {
    {IDC_COMBO_RIGHT, ButtonIndex::Right, 1, &MainDialog::m_comboRight},
    {IDC_COMBO_WHEEL, ButtonIndex::Wheel, 2, &MainDialog::m_comboWheel},
    {IDC_COMBO_4TH, ButtonIndex::Button4th, 3, &MainDialog::m_combo4th},
    {IDC_COMBO_5TH, ButtonIndex::Button5th, 4, &MainDialog::m_combo5th},
};

const AssignmentRow* rowOfControl(int controlId) {
  for (const AssignmentRow& row : kRows) {
    if (row.controlId == controlId) return &row;
  }
  return nullptr;
}

}  // namespace

void MainDialog::fillAssignmentCombos() {
  // The boxes are filled in this order; only the texts differ between runs.
  for (int controlId : {IDC_COMBO_4TH, IDC_COMBO_5TH, IDC_COMBO_RIGHT, IDC_COMBO_WHEEL}) {
    const AssignmentRow& row = *rowOfControl(controlId);
    SkinComboBox& combo = this->*row.combo;
    // A row on which "Shortcuts" waits to be confirmed shows the item's text,
    // not a shortcut it does not have.
    combo.setFieldText([this](const SkinComboBox& box, int item) {
      return &box == m_pendingShortcut ? box.GetLBText(item) : assignmentFieldText(box, item);
    });
    for (int item = 0; item < static_cast<int>(std::size(kAssignmentItems)); ++item) {
      const int index = combo.AddString(uiTexts[kAssignmentItems[item].text]);
      if (item == row.ownItem) {
        combo.SetCurSel(index);
        combo.SetItemData(index, static_cast<DWORD_PTR>(ButtonFunction::Native));
      } else {
        combo.SetItemData(index, static_cast<DWORD_PTR>(kAssignmentItems[item].function));
      }
    }
  }
}

CString MainDialog::assignmentFieldText(const SkinComboBox& combo, int item) {
  // A row assigned "Shortcuts" shows the shortcut's name.
  if (static_cast<int32_t>(combo.GetItemData(item)) == ButtonFunction::KeyShortcut)
    return shortcutName(combo.m_scanCode, combo.m_modifiers);
  return combo.GetLBText(item);
}

LRESULT MainDialog::OnAssignmentChange(WORD, WORD id, HWND, BOOL&) {
  const AssignmentRow* row = rowOfControl(id);
  if (!row) return 0;
  SkinComboBox& combo = this->*row->combo;
  const int selection = combo.GetCurSel();
  // Arrowing through a row passes "Shortcuts" on the way to the other
  // functions: the "Key" dialog waits until the choice is confirmed.
  if (selection >= 0 && m_keyboard.choosingByKeys() &&
      static_cast<int32_t>(combo.GetItemData(selection)) == ButtonFunction::KeyShortcut) {
    m_pendingShortcut = &combo;
    return 0;
  }
  if (m_pendingShortcut == &combo) m_pendingShortcut = nullptr;
  applyAssignment(row->buttonIndex, combo);
  return 0;
}

LRESULT MainDialog::OnAssignmentListClosed(WORD, WORD id, HWND, BOOL&) {
  // The list closed with Enter or a click (which Wine reports as a cancel):
  // "Shortcuts" reached in it with the arrows is confirmed. The arrows of a
  // closed list report these too, and confirm nothing.
  // The "Key" dialog opens once the box is done closing its list: opened
  // from within, its modal loop would run before the box settled its
  // selection.
  const AssignmentRow* row = rowOfControl(id);
  if (row && m_pendingShortcut == &(this->*row->combo) && m_keyboard.confirming())
    PostMessage(WM_APP_CONFIRM_SHORTCUT, id);
  return 0;
}

LRESULT MainDialog::OnConfirmShortcut(UINT, WPARAM id, LPARAM, BOOL&) {
  const AssignmentRow* row = rowOfControl(static_cast<int>(id));
  if (row && m_pendingShortcut == &(this->*row->combo)) confirmPendingShortcut();
  return 0;
}

LRESULT MainDialog::OnAssignmentLeft(WORD, WORD id, HWND, BOOL&) {
  // Left without confirming, the row shows its function again: the edited
  // profile's.
  const AssignmentRow* row = rowOfControl(id);
  if (!row || m_pendingShortcut != &(this->*row->combo)) return 0;
  m_pendingShortcut = nullptr;
  selectFunction(this->*row->combo, editedAssignment(row->buttonIndex).function);
  m_keyboard.announceValue((this->*row->combo).m_hWnd);
  return 0;
}

bool MainDialog::confirmPendingShortcut() {
  if (!m_pendingShortcut) return false;
  SkinComboBox& combo = *m_pendingShortcut;
  m_pendingShortcut = nullptr;
  for (const AssignmentRow& row : kRows) {
    if (&(this->*row.combo) == &combo) applyAssignment(row.buttonIndex, combo);
  }
  m_keyboard.announceValue(combo.m_hWnd);
  return true;
}

void MainDialog::applyAssignment(int buttonIndex, SkinComboBox& combo) {
  const int selection = combo.GetCurSel();
  if (selection < 0) return;
  const int32_t function = static_cast<int32_t>(combo.GetItemData(selection));
  const ButtonAssignment slot = editedAssignment(buttonIndex);
  // What a button held now was told to hold would outlive its function: the
  // release would act on the new one.
  releaseHeldInput();
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
    releaseHeldInput();  // keys held while the dialog was open
    // The program was told to exit meanwhile and has handed every button
    // back to the mouse: nothing may be remapped after that.
    if (mouseConfig.exitRequested) return;
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
  // A program profile's row goes to profiles.ini, never to setting.dat.
  if (!m_editedProfile.empty()) {
    setEditedProfileRow(buttonIndex, assigned);
    return;
  }
  {
    // The re-scan worker builds the report mask from the assignments under
    // the link's lock; they change only under it.
    std::lock_guard<std::recursive_mutex> hold(hidLink.lock());
    mouseConfig.assignments[buttonIndex] = assigned;
  }
  // A program profile in force takes its other buttons from these rows.
  applyRowsInForce();
  saveSettings();
  pushReportMask();
}

void MainDialog::selectFunction(SkinComboBox& combo, int32_t function) {
  // A function the row does not offer is its own button's (the mouse-button
  // code of that very button).
  for (int32_t wanted : {function, static_cast<int32_t>(ButtonFunction::Native)}) {
    const int count = combo.GetCount();
    for (int item = 0; item < count; ++item) {
      if (static_cast<int32_t>(combo.GetItemData(item)) == wanted) {
        combo.SetCurSel(item);
        return;
      }
    }
  }
}

void MainDialog::showLoadedAssignments() {
  for (const AssignmentRow& row : kRows) {
    SkinComboBox& combo = this->*row.combo;
    const ButtonAssignment slot = editedAssignment(row.buttonIndex);
    const int count = combo.GetCount();
    for (int item = 0; item < count; ++item) {
      if (static_cast<int32_t>(combo.GetItemData(item)) == slot.function) {
        combo.SetCurSel(item);
        break;
      }
    }
  }
  for (const AssignmentRow& row : kRows) {
    const ButtonAssignment slot = editedAssignment(row.buttonIndex);
    (this->*row.combo).setShortcut(slot.scanCode, slot.modifiers);
  }
}

void MainDialog::restoreNativeAssignments() {
  // Left remapped and reported, the button would be dead without the program.
  // A program profile has no left row: only its own four rows go back.
  if (m_editedProfile.empty()) {
    std::lock_guard<std::recursive_mutex> hold(hidLink.lock());  // the model's writes take the link's lock
    ButtonAssignment& left = mouseConfig.assignments[ButtonIndex::Left];
    left.function = ButtonFunction::Native;
    left.buttonMask = 0;
  }
  m_pendingShortcut = nullptr;
  for (const AssignmentRow& row : kRows) (this->*row.combo).SetCurSel(row.ownItem);
  for (int controlId : {IDC_COMBO_4TH, IDC_COMBO_5TH, IDC_COMBO_WHEEL, IDC_COMBO_RIGHT}) {
    const AssignmentRow& row = *rowOfControl(controlId);
    applyAssignment(row.buttonIndex, this->*row.combo);
  }
}

LRESULT MainDialog::OnDefaultCommand(WORD, WORD, HWND, BOOL&) {
  resetToDefaults();
  return 0;
}

void MainDialog::resetToDefaults() {
  restoreNativeAssignments();
  resetDpiLevelByLevel();
}

void MainDialog::OnOK() {
  // A button remapped to Enter types it into this window too when it has
  // the focus: only a person's Enter resets.
  if (mouseMayBeTyping()) return;
  // Enter on a combo box confirms the choice it shows and resets nothing:
  // "Shortcuts" or a profile command reached with the keys is taken; any
  // other item acted when it was reached.
  const HWND focus = ::GetFocus();
  if (m_pendingShortcut && focus == m_pendingShortcut->m_hWnd) {
    confirmPendingShortcut();
    return;
  }
  if (focus == m_comboProfile.m_hWnd) {
    confirmProfileCommand();
    return;
  }
  for (const AssignmentRow& row : kRows) {
    if (focus == (this->*row.combo).m_hWnd) return;
  }
  // Elsewhere Enter resets like "Default" but never ends the dialog and
  // leaves the commit to the timer.
  restoreNativeAssignments();
  resetDpiSteps();
}
