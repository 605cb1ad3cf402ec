// The "Key" dialog in which the user presses the keyboard shortcut that a
// mouse button is to send. The owner seeds it with a shortcut, runs it
// modally and reads back the last shortcut pressed that the mouse can type
// (a key without a HID usage is refused in the dialog's field). Enter pressed
// alone after another key takes that key, as OK does; Alt+F4 cancels.
#pragma once
#include <cstdint>

#include "framework/CDialog.h"

class KeyCaptureDialog : public CDialog {
public:
  KeyCaptureDialog();
  ~KeyCaptureDialog() override;

  int32_t m_modifiers = 0;  // modifier bits of the shortcut (low 8 bits used)
  int32_t m_scanCode = 0;   // 0xE000 added for an extended key; 0: none
  // The owner's texts for the title and the two buttons; each must outlive
  // the dialog. Null keeps the template's own ("Key", "OK", "Cancel").
  const char* m_titleText = nullptr;
  const char* m_okText = nullptr;
  const char* m_cancelText = nullptr;
  // Shown in the field for a key the mouse cannot type; null: English.
  const char* m_unassignableText = nullptr;

protected:
  void DoDataExchange(CDataExchange* dx) override;
  BOOL PreTranslateMessage(MSG* msg) override;
  BOOL OnInitDialog() override;

private:
  void capture(LPARAM keyData);

  // A key other than Enter was pressed in the dialog: Enter now confirms.
  bool m_otherKeyPressed = false;
  void showShortcut();
};
