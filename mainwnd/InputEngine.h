// Carries out the buttons that the mouse reports instead of handling them, and
// takes in the mouse's DPI state. Works on the bytes of the vendor input report
// only; the raw-input packet, the feature transfer and the desktop injection
// are the caller's, behind InputEngineOutput.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>

#include "device/FeatureFrame.h"

struct MouseConfig;

// Bytes of the vendor input report (byte 0 is the report ID).
namespace VendorReport {
constexpr size_t kKindByte = 3;
constexpr size_t kButtonByte = 4;  // kind ButtonState
constexpr size_t kLevelByte = 4;   // kind DpiState
constexpr size_t kStepByte = 5;    // kind DpiState
constexpr uint8_t kButtonState = 4;
constexpr uint8_t kDpiState = 5;
}  // namespace VendorReport

// The keyboard the mouse is told to hold: a modifier byte in the order of a HID
// keyboard report and five key slots (HID usages, 0 for empty).
struct KeyboardState {
  static constexpr int kSlots = static_cast<int>(kInjectedKeySlots);
  uint8_t modifiers = 0;
  std::array<uint8_t, kInjectedKeySlots> keys{};
};

// What the engine does to the world outside.
class InputEngineOutput {
public:
  virtual ~InputEngineOutput() = default;
  // Hands a key or button state to the mouse; the reply is not looked at.
  virtual void exchangeFrame(const FeatureFrame& request) = 0;
  // Hands a key or button state to every mouse present. An output that knows
  // of one mouse only sends it there.
  virtual void sendToEveryMouse(const FeatureFrame& frame) { exchangeFrame(frame); }
  // Alt+F4 into the foreground window.
  virtual void closeCurrentWindow() = 0;
  // A left double-click at the pointer.
  virtual void doubleClick() = 0;
  // The mouse's current DPI level has been taken into the model; show it and
  // the step the mouse reported for it.
  virtual void showDpiState(int step) = 0;
};

// HID keyboard usage of a scan code, 0 when the key has none.
using UsageLookup = int (*)(int32_t scanCode);

class InputEngine {
public:
  InputEngine(MouseConfig& config, UsageLookup usageForScanCode, InputEngineOutput& output);

  // One vendor input report: `length` bytes from the report ID on. Reports too
  // short to hold what their kind needs are dropped.
  void onReport(const uint8_t* report, size_t length);

  // Changes the held keyboard and always sends the result, changed or not.
  void updateKeys(uint8_t set, uint8_t clear, uint8_t add, uint8_t remove);
  // Changes the held mouse buttons and always sends the result.
  void updateButtons(uint8_t set, uint8_t clear);

  // True while a mouse is told to hold a key, a modifier or a button.
  bool holdsInput() const;
  // True while a mouse is told to hold a key or a modifier: it types them
  // into whatever window has the focus, the program's own too.
  bool holdsKeys() const;
  // Lets go of everything held: every mouse present gets InjectKeys and
  // InjectButtons with nothing held, and the held state is forgotten. Sends
  // nothing when nothing is held.
  void releaseAll();
  // Forgets the button byte and every held button and key without telling
  // the mouse (releaseAll first, for a mouse that is still there).
  void reset();
  // The program is writing the DPI steps itself and ends with a command the
  // mouse answers with `level` and `step`. Until that answer comes, the
  // mouse's DPI reports (answers to the writes' own selections, its DPI
  // button pressed meanwhile) carry steps from before the writes and are
  // dropped; the answer is taken and ends the dropping.
  void awaitDpiAnswer(uint8_t level, uint8_t step);
  // For a mouse that never answers: every report is taken again.
  void stopAwaitingDpiAnswer() { m_awaitingDpiAnswer = false; }

  uint8_t m_lastButtonByte = 0;
  KeyboardState m_keyboardState;
  uint8_t m_injectedButtons = 0;  // buttonMask bits

private:
  void onButtonState(uint8_t buttons);
  void onDpiState(uint8_t level, uint8_t step);
  void actOnButton(int index, bool pressed);
  void send(const FeatureFrame& frame, bool holds);

  MouseConfig& m_config;
  UsageLookup m_usageForScanCode;
  InputEngineOutput& m_output;
  bool m_awaitingDpiAnswer = false;
  uint8_t m_awaitedDpiLevel = 0;
  uint8_t m_awaitedDpiStep = 0;
};

