#include "vmouse/VirtualMouseFirmware.h"

#include <algorithm>
#include <utility>

void TransferLog::record(bool isGet, const std::string& interfaceName, const FirmwareFrame& frame) {
  std::lock_guard<std::mutex> guard(m_lock);
  if (m_entries.size() >= kCapacity) {
    m_entries.pop_front();
  }
  m_entries.push_back(FeatureTransfer{isGet, interfaceName, frame});
}

std::vector<FeatureTransfer> TransferLog::take() {
  std::lock_guard<std::mutex> guard(m_lock);
  std::vector<FeatureTransfer> out(m_entries.begin(), m_entries.end());
  m_entries.clear();
  return out;
}

VirtualMouseFirmware::VirtualMouseFirmware(FirmwareOutput& output, TransferLog& log, std::string name)
    : m_output(output), m_log(log), m_name(std::move(name)) {}

bool VirtualMouseFirmware::setFeature(const uint8_t* frame, size_t length) {
  if (!frame || length != kFirmwareFrameLength) return false;
  FirmwareFrame copy;
  std::copy(frame, frame + length, copy.begin());
  m_log.record(false, m_name, copy);
  m_lastFrame = copy;
  handleFrame(copy);
  return true;
}

bool VirtualMouseFirmware::getFeature(uint8_t* frame, size_t length) {
  if (!frame || length != kFirmwareFrameLength) return false;
  // The mouse answers with the last frame it took; the program does not look
  // at the answer, but a test can see what was read back.
  std::copy(m_lastFrame.begin(), m_lastFrame.end(), frame);
  m_log.record(true, m_name, m_lastFrame);
  return true;
}

void VirtualMouseFirmware::handleFrame(const FirmwareFrame& frame) {
  if (frame[0] != 0x00) return;  // the configuration interface has no report IDs
  switch (frame[1]) {
    case FirmwareCommand::ReportMask:
      if (frame[2] != FirmwareCommand::ReportMaskSubCode) return;
      m_reportMask = frame[3];
      // A held button that becomes masked stops acting on the desktop at once;
      // one that becomes unmasked starts acting.
      updateDesktopButtons();
      return;
    case FirmwareCommand::Inject:
      if (frame[2] == FirmwareCommand::InjectKeysSubCode) {
        setKeyboard(frame[3], HeldKeys{frame[4], frame[5], frame[6], frame[7], frame[8]});
      } else if (frame[2] == FirmwareCommand::InjectButtonsSubCode) {
        m_injectedButtons = frame[3];
        updateDesktopButtons();
      }
      return;
    case FirmwareCommand::SetDpiStep:
      if (frame[2] >= kLevels || frame[3] > kMaxStep) return;
      m_dpiSteps[frame[2]] = frame[3];
      return;
    case FirmwareCommand::SelectDpiLevel:
      if (frame[2] >= kLevels) return;
      m_dpiLevel = frame[2];
      if (m_answersCommands) sendDpiState();
      return;
    case FirmwareCommand::PostScan:
      if (m_answersCommands) sendDpiState();
      return;
    case FirmwareCommand::CommitDpi:
      // The steps are already in force; the commit only stores them.
      return;
    default:
      return;
  }
}

void VirtualMouseFirmware::sendDpiState() {
  VendorReport report{};
  report[3] = ReportKind::DpiState;
  report[4] = m_dpiLevel;
  report[5] = m_dpiSteps[m_dpiLevel];
  m_output.inputReport(report);
}

uint8_t VirtualMouseFirmware::desktopButtons() const {
  return static_cast<uint8_t>((m_injectedButtons | (m_physicalButtons & ~m_reportMask)) & MouseButtonBit::All);
}

void VirtualMouseFirmware::updateDesktopButtons() {
  uint8_t now = desktopButtons();
  if (now == m_shownButtons) return;
  m_shownButtons = now;
  m_output.buttonsChanged(now);
}

void VirtualMouseFirmware::setKeyboard(uint8_t modifiers, const HeldKeys& keys) {
  if (modifiers == m_modifiers && keys == m_keys) return;
  m_modifiers = modifiers;
  m_keys = keys;
  m_output.keyboardChanged(m_modifiers, m_keys);
}

void VirtualMouseFirmware::setPhysicalButtons(uint8_t buttons) {
  uint8_t changed = buttons ^ m_physicalButtons;
  m_physicalButtons = buttons;
  if (changed & m_reportMask) {
    VendorReport report{};
    report[3] = ReportKind::ButtonState;
    report[4] = buttons;
    m_output.inputReport(report);
  }
  updateDesktopButtons();
}

void VirtualMouseFirmware::pressDpiButton() {
  m_dpiLevel = static_cast<uint8_t>((m_dpiLevel + 1) % kLevels);
  sendDpiState();
}

void VirtualMouseFirmware::resetToPowerOn() {
  // Whatever the mouse held is let go.
  setKeyboard(0, HeldKeys{});
  m_reportMask = 0;
  m_injectedButtons = 0;
  m_physicalButtons = 0;
  updateDesktopButtons();
  m_dpiSteps = kPowerOnSteps;
  m_dpiLevel = kPowerOnLevel;
  m_lastFrame = FirmwareFrame{};
}

std::string hexOf(const uint8_t* bytes, size_t count) {
  static const char digits[] = "0123456789ABCDEF";
  std::string text;
  text.reserve(count * 2);
  for (size_t i = 0; i < count; ++i) {
    text += digits[bytes[i] >> 4];
    text += digits[bytes[i] & 0x0F];
  }
  return text;
}

namespace {
int hexValue(char digit) {
  if (digit >= '0' && digit <= '9') return digit - '0';
  if (digit >= 'a' && digit <= 'f') return digit - 'a' + 10;
  if (digit >= 'A' && digit <= 'F') return digit - 'A' + 10;
  return -1;
}
}  // namespace

bool parseHexBytes(const std::string& text, uint8_t* bytes, size_t count) {
  if (text.size() != count * 2) return false;
  for (size_t i = 0; i < count; ++i) {
    int high = hexValue(text[2 * i]);
    int low = hexValue(text[2 * i + 1]);
    if (high < 0 || low < 0) return false;
    bytes[i] = static_cast<uint8_t>(high << 4 | low);
  }
  return true;
}
