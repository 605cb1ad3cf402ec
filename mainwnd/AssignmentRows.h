// The four assignment rows of the main window: a combo box per remappable
// button, through which the user gives it a function, with the "Key" dialog
// for "Shortcuts". The rows show and edit the profile being edited; what a
// row's change does to the model, the files and the mouse is the window's.
#pragma once
#include <windows.h>

#include <cstdint>

#include "controls/SkinComboBox.h"
#include "device/MouseConfig.h"
#include "device/Row.h"
#include "framework/CDialog.h"

class KeyboardAccess;
class Skin;

// Posted to the window when a row's "Shortcuts", reached with the arrow
// keys, is confirmed: the "Key" dialog opens once the combo box is done
// (wParam: its id).
constexpr UINT WM_APP_CONFIRM_SHORTCUT = WM_APP + 0x31A;

class AssignmentRows {
public:
  // What the rows ask of the window that holds them.
  class Window {
  public:
    virtual HWND rowsParent() const = 0;
    // What button `buttonIndex` does in the profile being edited.
    virtual ButtonAssignment editedAssignment(int buttonIndex) const = 0;
    // The user gave button `buttonIndex` this assignment.
    virtual void assign(int buttonIndex, const ButtonAssignment& assigned) = 0;
    // The mouse lets go of whatever a remapped button holds.
    virtual void releaseHeldInput() = 0;
    virtual KeyboardAccess& keyboard() = 0;

  protected:
    ~Window() = default;
  };

  explicit AssignmentRows(Window& window) : m_window(window) {}

  void bind(CDataExchange* dx);
  // Each box gets the items of every function, its own button's selected.
  void fill();
  void skinAndPlace(const Skin& skin);

  SkinComboBox& box(int row) { return m_boxes[row]; }
  const SkinComboBox& box(int row) const { return m_boxes[row]; }
  // The row of the box with this id or window; -1 for none.
  static int rowOfControl(int controlId);
  int rowOfWindow(HWND window) const;

  // Each row shows what its button does in the edited profile.
  void showEditedAssignments();
  // Every row back to its own button, each assigned in turn.
  void restoreNative();

  // A row's combo box notifies the window (CBN_...).
  void onNotification(WORD code, int row);
  void onConfirmShortcut(int row);
  // Enter on a row: "Shortcuts" reached with the keys is taken. True when
  // the focus was on a row (Enter then does nothing more).
  bool onEnter(HWND focus);

  // The exit closes the "Key" dialog if it is open.
  void closeKeyDialog();

  // What a box's field shows for item `item`: the item's text, or for
  // "Shortcuts" the name of the row's shortcut.
  static CString fieldText(const SkinComboBox& combo, int item);

private:
  void onSelectionChange(int row);
  void onListClosed(int row);
  void onLeft(int row);
  void apply(int row);
  // Selects the row's item of `function`, or its own button's when the row
  // does not offer it; no selection notification.
  static void selectFunction(SkinComboBox& combo, int32_t function);
  bool confirmPendingShortcut();

  Window& m_window;
  SkinComboBox m_boxes[RowIndex::Count];
  // A row on which "Shortcuts" was reached with the arrow keys: it keeps its
  // function until the choice is confirmed (Enter, or the list closed on it).
  int m_pendingShortcut = -1;
  // The "Key" dialog while it asks for a shortcut.
  CDialog* m_keyDialog = nullptr;
};
