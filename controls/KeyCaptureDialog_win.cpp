#include "controls/KeyCaptureDialog.h"

#include "controls/KeyTable.h"
#include "controls/Shortcut.h"
#include "resource.h"

namespace {
// What a shortcut that was never set proposes: the A key.
constexpr int32_t kProposedScanCode = 0x1E;
constexpr char kUnassignableText[] = "This key cannot be assigned";

// lParam bit of a key message: Alt is held.
constexpr LPARAM kAltHeld = 1 << 29;

bool down(SHORT state) { return (state & 0x8000) != 0; }

// The key both sides of a modifier make (Ctrl, Shift, Alt); the Windows keys
// have none.
int bothSides(int sideKey) {
  switch (sideKey) {
    case VK_LCONTROL: case VK_RCONTROL: return VK_CONTROL;
    case VK_LSHIFT: case VK_RSHIFT: return VK_SHIFT;
    case VK_LMENU: case VK_RMENU: return VK_MENU;
    default: return sideKey;
  }
}

// Whether a modifier key is held for the key message being handled: down
// now, or down as the message was typed. The thread's key state follows the
// messages as they are taken from the queue; on a busy machine the state of
// this moment may be past them (a Ctrl+Enter handled after Ctrl went up).
bool modifierHeld() {
  for (const ModifierKey& key : kModifierKeys) {
    if (down(::GetAsyncKeyState(key.virtualKey)) || down(::GetKeyState(bothSides(key.virtualKey)))) return true;
  }
  return false;
}

bool isKeyDown(UINT message) { return message == WM_KEYDOWN || message == WM_SYSKEYDOWN; }

bool isKeyMessage(UINT message) {
  return isKeyDown(message) || message == WM_KEYUP || message == WM_SYSKEYUP;
}
}  // namespace

KeyCaptureDialog::KeyCaptureDialog() : CDialog(IDD_KEYCAPTURE) {}

KeyCaptureDialog::~KeyCaptureDialog() = default;

void KeyCaptureDialog::DoDataExchange(CDataExchange*) {}

BOOL KeyCaptureDialog::OnInitDialog() {
  CDialog::OnInitDialog();
  loadKeyTable();  // what the mouse can type; loaded once per process
  if (m_scanCode == 0 && m_modifiers == 0) m_scanCode = kProposedScanCode;
  showShortcut();
  if (m_titleText) SetWindowText(m_titleText);
  if (m_cancelText) ::SetDlgItemTextA(m_hWnd, IDCANCEL, m_cancelText);
  if (m_okText) ::SetDlgItemTextA(m_hWnd, IDOK, m_okText);
  return TRUE;
}

BOOL KeyCaptureDialog::PreTranslateMessage(MSG* msg) {
  // A press on the dialog's body drags it, like one on its caption.
  if (msg->message == WM_LBUTTONDOWN && msg->hwnd == m_hWnd) {
    PostMessage(WM_NCLBUTTONDOWN, HTCAPTION, msg->lParam);
    return TRUE;
  }
  if (isKeyDown(msg->message)) {
    // Alt+F4 leaves the dialog as its close box does.
    if (msg->message == WM_SYSKEYDOWN && msg->wParam == VK_F4 && (msg->lParam & kAltHeld)) {
      PostMessage(WM_SYSCOMMAND, SC_CLOSE, 0);
      return TRUE;
    }
    // Enter alone after another key takes that key, as OK does; as the
    // first key it is captured like any other (and then closes the dialog).
    if (msg->wParam == VK_RETURN && m_otherKeyPressed && !modifierHeld()) return CDialog::PreTranslateMessage(msg);
    if (msg->wParam != VK_RETURN) m_otherKeyPressed = true;
    capture(msg->lParam);
  }
  // Escape is a key like any other here: it must not close the dialog.
  if (isKeyMessage(msg->message) && msg->wParam == VK_ESCAPE) return TRUE;
  // Everything else, captured key-downs included, gets the dialog keyboard
  // handling: Enter is captured and then closes the dialog as OK, Tab is
  // captured and then moves the focus.
  return CDialog::PreTranslateMessage(msg);
}

void KeyCaptureDialog::capture(LPARAM keyData) {
  // The physical state of each side's modifier key at this moment tells left
  // from right, which the key message itself does not.
  int32_t held = 0;
  for (const ModifierKey& key : kModifierKeys) {
    if (down(::GetAsyncKeyState(key.virtualKey))) held |= key.bit;
  }
  // None down any more: on a busy machine a quick Ctrl+C is handled after
  // Ctrl went up again. The thread's key state, which follows the messages as
  // they are taken from the queue, still has it down: its side, or the left.
  if (held == 0) {
    constexpr int kSides = kModifierKeyCount / 2;  // the left keys, then the right ones
    for (int kind = 0; kind < kSides; ++kind) {
      const ModifierKey& left = kModifierKeys[kind];
      const ModifierKey& right = kModifierKeys[kind + kSides];
      if (down(::GetKeyState(right.virtualKey))) {
        held |= right.bit;
      } else if (down(::GetKeyState(bothSides(left.virtualKey)))) {
        held |= left.bit;
      }
    }
  }
  const int32_t scanCode = scanCodeFromKeyData(static_cast<uint32_t>(keyData));
  // A key without a HID usage (right Windows, media keys) the mouse cannot
  // type: the button would do nothing. The previous key stays.
  if (usageForScanCode(scanCode) == 0) {
    ::SetDlgItemTextA(m_hWnd, IDC_KEY_EDIT, m_unassignableText ? m_unassignableText : kUnassignableText);
    return;
  }
  m_scanCode = scanCode;
  m_modifiers = modifiersWithoutKey(held, scanCode);
  showShortcut();
}

void KeyCaptureDialog::showShortcut() {
  ::SetDlgItemTextA(m_hWnd, IDC_KEY_EDIT, shortcutName(m_scanCode, m_modifiers));
}
