// The "Key" dialog run modally, with keys arriving as the platform delivers
// them: posted key messages, and real input through SendInput (which also sets
// the physical key state that tells left and right modifiers apart).
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "controls/KeyCaptureDialog.h"
#include "controls/Shortcut.h"
#include "texts/UiTexts.h"
#include "resource.h"

namespace {

constexpr UINT_PTR kStepTimer = 0x5E71;

// Runs its steps one by one on a timer, which fires only once the messages and
// input queued before it have been handled.
class ScriptedCapture : public KeyCaptureDialog {
public:
  using Step = std::function<void(ScriptedCapture&)>;
  std::vector<Step> steps;
  int cancels = 0;  // OnCancel calls: Escape, the Cancel button, IDCANCEL

  std::string editText() const {
    char text[128] = {};
    ::GetDlgItemTextA(m_hWnd, IDC_KEY_EDIT, text, sizeof(text));
    return text;
  }
  std::string itemText(int id) const {
    char text[128] = {};
    ::GetDlgItemTextA(m_hWnd, id, text, sizeof(text));
    return text;
  }
  std::string title() const { return GetWindowText().str(); }

  void postKey(UINT message, UINT virtualKey, uint32_t scanCodeWithFlags) {
    // lParam: repeat count 1, scan code in bits 16-23, extended flag in bit 24.
    LPARAM keyData = static_cast<LPARAM>(1 | ((scanCodeWithFlags & 0xFF) << 16) |
                                         ((scanCodeWithFlags & 0xE000) ? 0x01000000u : 0u));
    if (message == WM_KEYUP || message == WM_SYSKEYUP) keyData |= static_cast<LPARAM>(0xC0000000u);
    ::PostMessageA(::GetFocus() ? ::GetFocus() : m_hWnd, message, virtualKey, keyData);
  }

protected:
  void OnCancel() override {
    ++cancels;
    KeyCaptureDialog::OnCancel();
  }
  BOOL OnInitDialog() override {
    BOOL result = KeyCaptureDialog::OnInitDialog();
    SetTimer(kStepTimer, 20);
    return result;
  }
  BOOL PreTranslateMessage(MSG* msg) override {
    if (msg->message == WM_TIMER && msg->hwnd == m_hWnd && msg->wParam == kStepTimer) {
      if (next_ < steps.size()) {
        steps[next_++](*this);
      } else {
        KillTimer(kStepTimer);
      }
      return TRUE;
    }
    return KeyCaptureDialog::PreTranslateMessage(msg);
  }

private:
  size_t next_ = 0;
};

void sendKey(WORD virtualKey, bool up, bool extended = false) {
  INPUT input = {};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = virtualKey;
  input.ki.wScan = static_cast<WORD>(::MapVirtualKeyA(virtualKey, MAPVK_VK_TO_VSC));
  input.ki.dwFlags = (up ? KEYEVENTF_KEYUP : 0) | (extended ? KEYEVENTF_EXTENDEDKEY : 0);
  ::SendInput(1, &input, sizeof(input));
}

std::string platformName(int32_t scanCode, int32_t modifiers) { return shortcutName(scanCode, modifiers).str(); }

TEST(KeyCaptureDialog, UnsetShortcutProposesTheAKeyAndCancelHandsItBack) {
  ScriptedCapture dialog;
  dialog.m_cancelText = "Abbrechen";
  std::string shown, title, cancel, ok;
  dialog.steps = {[&](ScriptedCapture& d) {
    shown = d.editText();
    title = d.title();
    cancel = d.itemText(IDCANCEL);
    ok = d.itemText(IDOK);
    d.PostMessage(WM_COMMAND, IDCANCEL);
  }};
  EXPECT_EQ(dialog.DoModal(), IDCANCEL);
  EXPECT_EQ(dialog.m_scanCode, 0x1E);
  EXPECT_EQ(dialog.m_modifiers, 0);
  EXPECT_EQ(shown, platformName(0x1E, 0));
  EXPECT_FALSE(shown.empty());
  EXPECT_EQ(title, uiTexts[UiText::KeyTitle].str());
  EXPECT_EQ(cancel, "Abbrechen");
  EXPECT_EQ(ok, uiTexts[UiText::Ok].str());
}

TEST(KeyCaptureDialog, EscapeIsCapturedAndDoesNotClose) {
  ScriptedCapture dialog;
  dialog.m_scanCode = 0x2E;
  dialog.m_modifiers = 0x01;
  bool stillOpen = false;
  std::string shown;
  dialog.steps = {
      [](ScriptedCapture& d) {
        d.postKey(WM_KEYDOWN, VK_ESCAPE, 0x01);
        d.postKey(WM_KEYUP, VK_ESCAPE, 0x01);
      },
      [&](ScriptedCapture& d) {
        // The step runs in the dialog's loop, and nothing cancelled it. (Not
        // whether it shows: on a busy machine the timer can keep the queue
        // from running dry, and the loop shows the dialog only then.)
        stillOpen = d.cancels == 0;
        shown = d.editText();
        // Cancel hands back what was pressed last, not the seed.
        d.PostMessage(WM_COMMAND, IDCANCEL);
      },
  };
  EXPECT_EQ(dialog.DoModal(), IDCANCEL);
  EXPECT_TRUE(stillOpen);
  EXPECT_EQ(dialog.m_scanCode, 0x01);
  EXPECT_EQ(dialog.m_modifiers, 0);
  EXPECT_EQ(shown, platformName(0x01, 0));
}

TEST(KeyCaptureDialog, SystemAndExtendedKeysAreCapturedAndEnterAfterThemClosesAsOk) {
  ScriptedCapture dialog;
  std::vector<int32_t> captured;
  auto record = [&](ScriptedCapture& d) { captured.push_back(d.m_scanCode); };
  dialog.steps = {
      [](ScriptedCapture& d) { d.postKey(WM_SYSKEYDOWN, VK_F10, 0x44); }, record,
      [](ScriptedCapture& d) { d.postKey(WM_KEYDOWN, VK_INSERT, 0xE052); }, record,
      [](ScriptedCapture& d) { d.postKey(WM_KEYUP, 'B', 0x30); }, record,  // key-ups change nothing
      [](ScriptedCapture& d) { d.postKey(WM_KEYDOWN, VK_RETURN, 0xE01C); },
      // Not reached when Enter closed the dialog.
      [](ScriptedCapture& d) { d.EndDialog(-7); },
  };
  EXPECT_EQ(dialog.DoModal(), IDOK);
  EXPECT_EQ(captured, (std::vector<int32_t>{0x44, 0xE052, 0xE052}));
  // Enter after another key takes that key, as OK would.
  EXPECT_EQ(dialog.m_scanCode, 0xE052);
}

TEST(KeyCaptureDialog, EnterAsTheFirstKeyIsCapturedAndClosesAsOk) {
  ScriptedCapture dialog;
  dialog.steps = {
      [](ScriptedCapture& d) { d.postKey(WM_KEYDOWN, VK_RETURN, 0xE01C); },
      [](ScriptedCapture& d) { d.EndDialog(-7); },  // not reached when Enter closed the dialog
  };
  EXPECT_EQ(dialog.DoModal(), IDOK);
  EXPECT_EQ(dialog.m_scanCode, 0xE01C);  // keypad Enter
}

// Real key input: the state of each side's modifier keys comes from the
// platform's key state, as when a person presses them.
TEST(KeyCaptureDialog, ModifierSidesComeFromThePhysicalKeyState) {
  ScriptedCapture dialog;
  std::vector<std::pair<int32_t, int32_t>> captured;  // (scanCode, modifiers)
  auto record = [&](ScriptedCapture& d) { captured.emplace_back(d.m_scanCode, d.m_modifiers); };
  dialog.steps = {
      [](ScriptedCapture& d) { ::SetForegroundWindow(d.m_hWnd); },
      // Left Ctrl alone: the key itself, no modifier.
      [](ScriptedCapture&) { sendKey(VK_LCONTROL, false); }, record,
      // Right Ctrl while left Ctrl is held.
      [](ScriptedCapture&) { sendKey(VK_RCONTROL, false, true); }, record,
      // Left Shift joins; A goes down.
      [](ScriptedCapture&) { sendKey(VK_LSHIFT, false); },
      [](ScriptedCapture&) { sendKey('A', false); }, record,
      [](ScriptedCapture&) {
        sendKey('A', true);
        sendKey(VK_LSHIFT, true);
        sendKey(VK_RCONTROL, true, true);
        sendKey(VK_LCONTROL, true);
      },
      record,  // key-ups leave the capture alone
      [](ScriptedCapture& d) { d.EndDialog(IDOK); },
  };
  dialog.DoModal();
  using P = std::pair<int32_t, int32_t>;
  EXPECT_EQ(captured, (std::vector<P>{{0x1D, 0x00}, {0xE01D, 0x01}, {0x1E, 0x13}, {0x1E, 0x13}}));
  EXPECT_EQ(platformName(0x1E, 0x13), "Ctrl + Shift + Right Ctrl + " + platformName(0x1E, 0));
}

// Enter with a modifier held is a shortcut like any other, also after
// another key (and, captured, closes the dialog): only Enter alone takes the
// key before it. What counts is the key state as the messages were typed (the
// thread's), set here directly: the state of this moment may be past it on a
// busy machine.
TEST(KeyCaptureDialog, EnterWithAModifierHeldIsCaptured) {
  ScriptedCapture dialog;
  dialog.steps = {
      [](ScriptedCapture& d) {
        BYTE state[256] = {};
        ::GetKeyboardState(state);
        state[VK_CONTROL] = state[VK_LCONTROL] = 0x80;
        ::SetKeyboardState(state);
        d.postKey(WM_KEYDOWN, 'C', 0x2E);
        d.postKey(WM_KEYDOWN, VK_RETURN, 0x1C);
      },
      [](ScriptedCapture& d) { d.EndDialog(-7); },  // not reached when Enter closed the dialog
  };
  EXPECT_EQ(dialog.DoModal(), IDOK);
  BYTE state[256] = {};
  ::GetKeyboardState(state);
  state[VK_CONTROL] = state[VK_LCONTROL] = 0;
  ::SetKeyboardState(state);
  EXPECT_EQ(dialog.m_scanCode, 0x1C);  // not C
}

}  // namespace
