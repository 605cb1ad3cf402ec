// Carries out the buttons that the mouse reports instead of handling them, and
// takes in the mouse's DPI state. Works on the bytes of the vendor input report
// only; the raw-input packet, the feature transfer and the desktop injection
// are the caller's, behind InputEngineOutput.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "device/FeatureFrame.h"

class MouseModel;

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
  // Hands a key or button state to the mouse `mouse` names (the device its
  // input collection and configuration interface hang from). False when that
  // mouse could not be reached: it has gone, and with it what it held. An
  // output that knows of one mouse only sends it there.
  virtual bool exchangeFrameWith(const std::string& mouse, const FeatureFrame& request) {
    (void)mouse;
    exchangeFrame(request);
    return true;
  }
  // Alt+F4 into the foreground window.
  virtual void closeCurrentWindow() = 0;
  // A left double-click at the pointer.
  virtual void doubleClick() = 0;
  // The mouse's current DPI level has been taken into the model; show it and
  // the step the mouse reported for it.
  virtual void showDpiState(int step) = 0;
  // The user chose `level` (of `step`) with the mouse's own DPI button: the
  // report answers none of the program's commands. Shown after showDpiState.
  virtual void showDpiChoice(int level, int step) {
    (void)level;
    (void)step;
  }
};

// HID keyboard usage of a scan code, 0 when the key has none.
using UsageLookup = int (*)(int32_t scanCode);

// What the engine keeps for one mouse: the button byte it last reported, what
// it is told to hold, and where its DPI state stands.
struct MouseHolds {
  uint8_t lastButtonByte = 0;
  KeyboardState keyboardState;
  uint8_t injectedButtons = 0;  // buttonMask bits
  uint8_t holdingBits = 0;      // buttons whose press holds something now
  // It came (back) with its power-on DPI steps, which the settings' steps
  // have not replaced yet: its DPI reports tell its level, never a step.
  bool powerOnSteps = false;
  // The settings' steps were sent to it after it came, and it has not
  // reported one of them yet: a report at another step was sent before they
  // reached it, and tells its level only.
  bool stepsUnconfirmed = false;
  // The last restore of the steps whose answer it gave (dpiStepsRestored);
  // its first DPI report after a restore is that answer.
  unsigned answeredRestore = 0;

  bool holdsInput() const;
  // True while it is told to hold a key or a modifier.
  bool holdsKeys() const;
};

class InputEngine {
public:
  InputEngine(MouseModel& model, UsageLookup usageForScanCode, InputEngineOutput& output);
  InputEngine(const InputEngine&) = delete;
  InputEngine& operator=(const InputEngine&) = delete;

  // One vendor input report: `length` bytes from the report ID on. Reports too
  // short to hold what their kind needs are dropped. Without a mouse, the
  // report comes from a mouse that cannot be told apart from the others:
  // what it holds goes to the first mouse, and its release to every mouse.
  void onReport(const uint8_t* report, size_t length);
  // A report of the mouse `mouse` names: what it holds goes to that mouse
  // alone, and neither its button byte nor its release touches another's.
  void onReport(const std::string& mouse, const uint8_t* report, size_t length);
  // The mouse has gone: what it held went with it, and its next report is
  // compared with a clean button byte. A mouse that cannot be told apart
  // ("") may be any of them, so every mouse is told to let go.
  void dropMouse(const std::string& mouse);
  // The mouse has come (back): dropMouse, and it is told to let go of
  // anything that a report handled while it came back made it hold. Until
  // the settings' steps are back on it, its DPI reports are its power-on
  // state: they tell its level, but neither a step nor a choice.
  void mouseArrived(const std::string& mouse);
  // A re-scan found another set of mice: `present` names the mice there now.
  // Every other mouse has gone, and what it held is let go and forgotten;
  // the mouse that cannot be told apart only when `someWent` (a mouse of the
  // last set is missing). Mice that are still there keep what they hold.
  void keepOnlyMice(const std::vector<std::string>& present, bool someWent);
  // Tells every mouse present to let go of every key and button, whatever
  // the engine thinks they hold: a copy that ended without handing back may
  // have left one holding.
  void releaseEveryMouse();

  // Changes the held keyboard of the mouse that cannot be told apart and
  // always sends the result, changed or not.
  void updateKeys(uint8_t set, uint8_t clear, uint8_t add, uint8_t remove);
  // Changes its held mouse buttons and always sends the result.
  void updateButtons(uint8_t set, uint8_t clear);

  // True while a mouse is told to hold a key, a modifier or a button.
  bool holdsInput() const;
  // True while a mouse is told to hold a key or a modifier: it types them
  // into whatever window has the focus, the program's own too.
  bool holdsKeys() const;
  // Lets go of everything held: each mouse that holds something gets
  // InjectKeys and InjectButtons with nothing held, the held state is
  // forgotten, and the buttons that held it count as up, so that their next
  // press acts. Sends nothing when nothing is held.
  void releaseAll();
  // Forgets every button byte and every held button and key without telling
  // the mice (releaseAll first, for mice that are still there).
  void reset();
  // The program is writing the DPI steps itself and ends with a command the
  // mouse answers with `level` and `step`. Until that answer comes, the
  // mouse's DPI reports (answers to the writes' own selections, its DPI
  // button pressed meanwhile) carry steps from before the writes and are
  // dropped; the answer is taken and ends the dropping.
  void awaitDpiAnswer(uint8_t level, uint8_t step);
  // For a mouse that never answers: every report is taken again.
  void stopAwaitingDpiAnswer() { m_awaitingDpiAnswer = false; }
  // The settings' DPI steps were written to every mouse after a scan, which
  // then asks for their DPI state: each mouse's next DPI report is its
  // answer, never a level chosen on it, and mice that came back hold the
  // settings' steps again.
  void dpiStepsRestored();
  // The system's set of devices changed: any mouse may have been plugged in
  // again, and the system need not say which (nor that one was). Until the
  // settings' steps are restored, every DPI report is taken as a power-on
  // one (mouseArrived).
  void devicesChanged() { m_devicesChanged = true; }
  // What the engine keeps for `mouse` (a clean state when it keeps nothing).
  MouseHolds holdsOf(const std::string& mouse) const;

private:
  // The mouse that cannot be told apart from the others.
  MouseHolds m_unknownMouse;
  MouseHolds& holdsFor(const std::string& mouse);
  void onButtonState(const std::string& mouse, uint8_t buttons);
  void onDpiState(const std::string& mouse, uint8_t level, uint8_t step);
  // True for a function that the mouse holds while the button is down.
  bool actOnButton(const std::string& mouse, int index, bool pressed);
  void updateKeysOf(const std::string& mouse, uint8_t set, uint8_t clear, uint8_t add, uint8_t remove);
  void updateButtonsOf(const std::string& mouse, uint8_t set, uint8_t clear);
  void send(const std::string& mouse, const FeatureFrame& frame, bool holds);
  void letGo(const std::string& mouse, MouseHolds& holds);

  MouseModel& m_model;
  UsageLookup m_usageForScanCode;
  InputEngineOutput& m_output;
  bool m_awaitingDpiAnswer = false;
  uint8_t m_awaitedDpiLevel = 0;
  uint8_t m_awaitedDpiStep = 0;
  // The mice that can be told apart, by the device they hang from.
  std::map<std::string, MouseHolds> m_mice;
  // Restores of the DPI steps so far; a mouse never seen owes the answer
  // to the one before the first.
  unsigned m_restores = 1;
  bool m_devicesChanged = false;  // since the last restore
  // With several mice the window shows the DPI state of one: the first to
  // answer, or the last on which a level was chosen.
  bool m_followsMouse = false;
  std::string m_followedMouse;
  // Set when a transfer found the mouse gone while the engine was acting
  // for it; its holds are dropped once that is over.
  bool m_mouseLost = false;
};

