// The firmware of the virtual mouse: what the real mouse does with the feature
// frames it is sent and with the presses of its own buttons. Platform-free:
// whatever it emits (input reports, the held keyboard state, the held desktop
// mouse buttons) leaves through FirmwareOutput, so host tests can watch it and
// the Windows side can turn it into raw input and desktop input.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

constexpr size_t kFirmwareFrameLength = 9;
constexpr size_t kVendorReportLength = 8;
using FirmwareFrame = std::array<uint8_t, kFirmwareFrameLength>;
using VendorReport = std::array<uint8_t, kVendorReportLength>;
using HeldKeys = std::array<uint8_t, 5>;

// Feature frame commands, byte 1 of the frame.
namespace FirmwareCommand {
enum : uint8_t {
  ReportMask = 0x07,   // sub-code 02, mask
  Inject = 0x15,       // sub-code 01 keys, 02 buttons
  SetDpiStep = 0x18,
  SelectDpiLevel = 0x19,
  PostScan = 0x1A,
  CommitDpi = 0x1B,
};
constexpr uint8_t ReportMaskSubCode = 0x02;
constexpr uint8_t InjectKeysSubCode = 0x01;
constexpr uint8_t InjectButtonsSubCode = 0x02;
}  // namespace FirmwareCommand

// Byte 3 of an input report of the vendor collection.
namespace ReportKind {
enum : uint8_t { ButtonState = 4, DpiState = 5 };
}

// Mouse-button bits, on the mouse's own buttons and in InjectButtons.
namespace MouseButtonBit {
enum : uint8_t { Left = 0x01, Right = 0x02, Middle = 0x04, Side3 = 0x08, Side4 = 0x10 };
constexpr uint8_t All = 0x1F;
}  // namespace MouseButtonBit

// One feature transfer as the device saw it: the frame set, or the frame the
// device answered a get with.
struct FeatureTransfer {
  bool isGet = false;
  std::string interfaceName;
  FirmwareFrame frame{};
  bool operator==(const FeatureTransfer& other) const {
    return isGet == other.isGet && interfaceName == other.interfaceName && frame == other.frame;
  }
};

// Every feature transfer that reaches any virtual device, in order. Shared by
// the devices of one bus; its reader takes what accumulated since it last
// looked. Bounded: a log nobody reads keeps the newest entries.
class TransferLog {
public:
  static constexpr size_t kCapacity = 4096;

  void record(bool isGet, const std::string& interfaceName, const FirmwareFrame& frame);
  // The entries since the last take, oldest first; empties the log.
  std::vector<FeatureTransfer> take();

private:
  mutable std::mutex m_lock;
  std::deque<FeatureTransfer> m_entries;
};

class FirmwareOutput {
public:
  virtual ~FirmwareOutput() = default;
  // An input report of the vendor input collection.
  virtual void inputReport(const VendorReport& report) = 0;
  // The keyboard the mouse presents now holds these modifiers and keys (HID
  // usages, 0 = none). Called only on a change.
  virtual void keyboardChanged(uint8_t modifiers, const HeldKeys& keys) = 0;
  // The mouse buttons the desktop now sees held (MouseButtonBit). Called only
  // on a change.
  virtual void buttonsChanged(uint8_t buttons) = 0;
};

class VirtualMouseFirmware {
public:
  static constexpr int kLevels = 4;
  static constexpr int kMaxStep = 7;
  // What the mouse comes up with when it gets power.
  static constexpr std::array<uint8_t, kLevels> kPowerOnSteps = {0, 1, 3, 5};
  static constexpr uint8_t kPowerOnLevel = 2;

  // `name` tags this mouse's entries in `log`.
  VirtualMouseFirmware(FirmwareOutput& output, TransferLog& log, std::string name);

  // Feature transfers on the configuration interface. Both fail for a frame
  // that is not 9 bytes long, as the HID class driver would refuse it.
  bool setFeature(const uint8_t* frame, size_t length);
  bool getFeature(uint8_t* frame, size_t length);

  // The user's fingers: the mouse's five buttons now stand as `buttons`.
  void setPhysicalButtons(uint8_t buttons);
  // The mouse's own DPI button: the next level, wrapping after the last.
  void pressDpiButton();

  // Whether PostScan and SelectDpiLevel are answered with the DPI state (a
  // mouse that answers late or never, for tests; its DPI button still
  // reports). Kept when the power goes.
  void setAnswersCommands(bool answers) { m_answersCommands = answers; }
  bool answersCommands() const { return m_answersCommands; }

  // Power went away or came back (unplugged, plugged in): everything held is
  // let go and the settings return to their power-on values.
  void resetToPowerOn();

  uint8_t reportMask() const { return m_reportMask; }
  uint8_t modifiers() const { return m_modifiers; }
  const HeldKeys& keys() const { return m_keys; }
  uint8_t injectedButtons() const { return m_injectedButtons; }
  uint8_t physicalButtons() const { return m_physicalButtons; }
  const std::array<uint8_t, kLevels>& dpiSteps() const { return m_dpiSteps; }
  uint8_t dpiLevel() const { return m_dpiLevel; }
  // Buttons the desktop sees: the injected ones and the unmasked physical ones.
  uint8_t desktopButtons() const;
  const std::string& name() const { return m_name; }

private:
  void handleFrame(const FirmwareFrame& frame);
  void sendDpiState();
  void updateDesktopButtons();
  void setKeyboard(uint8_t modifiers, const HeldKeys& keys);

  FirmwareOutput& m_output;
  TransferLog& m_log;
  std::string m_name;

  uint8_t m_reportMask = 0;
  uint8_t m_modifiers = 0;
  HeldKeys m_keys{};
  uint8_t m_injectedButtons = 0;
  uint8_t m_physicalButtons = 0;
  uint8_t m_shownButtons = 0;  // last state handed to buttonsChanged
  std::array<uint8_t, kLevels> m_dpiSteps = kPowerOnSteps;
  uint8_t m_dpiLevel = kPowerOnLevel;
  bool m_answersCommands = true;
  FirmwareFrame m_lastFrame{};
};

// Frames and reports as text: two hex digits a byte, capitals, no blanks.
std::string hexOf(const uint8_t* bytes, size_t count);
// Parses exactly `count` bytes of hex digits (either case); false otherwise.
bool parseHexBytes(const std::string& text, uint8_t* bytes, size_t count);
