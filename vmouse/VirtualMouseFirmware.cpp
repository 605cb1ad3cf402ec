#include "vmouse/VirtualMouseFirmware.h"

#include <algorithm>
#include <utility>

void TransferLog::record(bool isGet, const std::string& interfaceName, const FirmwareFrame& frame) {
  std::lock_guard<std::mutex> guard(lock_);
  if (entries_.size() >= kCapacity) {
    entries_.pop_front();
  }
  entries_.push_back(FeatureTransfer{isGet, interfaceName, frame});
}

std::vector<FeatureTransfer> TransferLog::take() {
  std::lock_guard<std::mutex> guard(lock_);
  std::vector<FeatureTransfer> out(entries_.begin(), entries_.end());
  entries_.clear();
  return out;
}

VirtualMouseFirmware::VirtualMouseFirmware(FirmwareOutput& output, TransferLog& log, std::string name)
    : output_(output), log_(log), name_(std::move(name)) {}

bool VirtualMouseFirmware::setFeature(const uint8_t* frame, size_t length) {
  if (!frame || length != kFirmwareFrameLength) return false;
  FirmwareFrame copy;
  std::copy(frame, frame + length, copy.begin());
  log_.record(false, name_, copy);
  lastFrame_ = copy;
  handleFrame(copy);
  return true;
}

bool VirtualMouseFirmware::getFeature(uint8_t* frame, size_t length) {
  if (!frame || length != kFirmwareFrameLength) return false;
  // The mouse answers with the last frame it took; the program does not look
  // at the answer, but a test can see what was read back.
  std::copy(lastFrame_.begin(), lastFrame_.end(), frame);
  log_.record(true, name_, lastFrame_);
  return true;
}

void VirtualMouseFirmware::handleFrame(const FirmwareFrame& f) {
  if (f[0] != 0x00) return;  // the configuration interface has no report IDs
  switch (f[1]) {
    case FirmwareCommand::ReportMask:
      if (f[2] != FirmwareCommand::ReportMaskSubCode) return;
      reportMask_ = f[3];
      // A held button that becomes masked stops acting on the desktop at once;
      // one that becomes unmasked starts acting.
      updateDesktopButtons();
      return;
    case FirmwareCommand::Inject:
      if (f[2] == FirmwareCommand::InjectKeysSubCode) {
        setKeyboard(f[3], HeldKeys{f[4], f[5], f[6], f[7], f[8]});
      } else if (f[2] == FirmwareCommand::InjectButtonsSubCode) {
        injectedButtons_ = f[3];
        updateDesktopButtons();
      }
      return;
    case FirmwareCommand::SetDpiStep:
      if (f[2] >= kLevels || f[3] > kMaxStep) return;
      dpiSteps_[f[2]] = f[3];
      return;
    case FirmwareCommand::SelectDpiLevel:
      if (f[2] >= kLevels) return;
      dpiLevel_ = f[2];
      sendDpiState();
      return;
    case FirmwareCommand::PostScan:
      sendDpiState();
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
  report[4] = dpiLevel_;
  report[5] = dpiSteps_[dpiLevel_];
  output_.inputReport(report);
}

uint8_t VirtualMouseFirmware::desktopButtons() const {
  return static_cast<uint8_t>((injectedButtons_ | (physicalButtons_ & ~reportMask_)) & MouseButtonBit::All);
}

void VirtualMouseFirmware::updateDesktopButtons() {
  uint8_t now = desktopButtons();
  if (now == shownButtons_) return;
  shownButtons_ = now;
  output_.buttonsChanged(now);
}

void VirtualMouseFirmware::setKeyboard(uint8_t modifiers, const HeldKeys& keys) {
  if (modifiers == modifiers_ && keys == keys_) return;
  modifiers_ = modifiers;
  keys_ = keys;
  output_.keyboardChanged(modifiers_, keys_);
}

void VirtualMouseFirmware::setPhysicalButtons(uint8_t buttons) {
  uint8_t changed = buttons ^ physicalButtons_;
  physicalButtons_ = buttons;
  if (changed & reportMask_) {
    VendorReport report{};
    report[3] = ReportKind::ButtonState;
    report[4] = buttons;
    output_.inputReport(report);
  }
  updateDesktopButtons();
}

void VirtualMouseFirmware::pressDpiButton() {
  dpiLevel_ = static_cast<uint8_t>((dpiLevel_ + 1) % kLevels);
  sendDpiState();
}

void VirtualMouseFirmware::resetToPowerOn() {
  // Whatever the mouse held is let go.
  setKeyboard(0, HeldKeys{});
  reportMask_ = 0;
  injectedButtons_ = 0;
  physicalButtons_ = 0;
  updateDesktopButtons();
  dpiSteps_ = kPowerOnSteps;
  dpiLevel_ = kPowerOnLevel;
  lastFrame_ = FirmwareFrame{};
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
int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
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
