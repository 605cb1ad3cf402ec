#include "device/FeatureFrame.h"

namespace {
FeatureFrame frameOf(uint8_t command) {
  FeatureFrame frame;
  frame.bytes[1] = command;
  return frame;
}

constexpr uint8_t kInjectKeysSubCode = 0x01;
constexpr uint8_t kInjectButtonsSubCode = 0x02;
constexpr uint8_t kReportMaskSubCode = 0x02;
}  // namespace

FeatureFrame FeatureFrame::ReportMask(uint8_t mask) {
  FeatureFrame frame = frameOf(FeatureCommand::ReportMask);
  frame.bytes[2] = kReportMaskSubCode;
  frame.bytes[3] = mask;
  return frame;
}

FeatureFrame FeatureFrame::InjectKeys(uint8_t modifiers, const std::array<uint8_t, kInjectedKeySlots>& keys) {
  FeatureFrame frame = frameOf(FeatureCommand::Inject);
  frame.bytes[2] = kInjectKeysSubCode;
  frame.bytes[3] = modifiers;
  for (size_t i = 0; i < kInjectedKeySlots; ++i) frame.bytes[4 + i] = keys[i];
  return frame;
}

FeatureFrame FeatureFrame::InjectButtons(uint8_t buttons) {
  FeatureFrame frame = frameOf(FeatureCommand::Inject);
  frame.bytes[2] = kInjectButtonsSubCode;
  frame.bytes[3] = buttons;
  return frame;
}

FeatureFrame FeatureFrame::SetDpiStep(uint8_t level, uint8_t step, uint8_t byte4, uint8_t byte5, uint8_t byte6,
                                      uint8_t byte7) {
  FeatureFrame frame = frameOf(FeatureCommand::SetDpiStep);
  frame.bytes[2] = level;
  frame.bytes[3] = step;
  frame.bytes[4] = byte4;
  frame.bytes[5] = byte5;
  frame.bytes[6] = byte6;
  frame.bytes[7] = byte7;
  return frame;
}

FeatureFrame FeatureFrame::SelectDpiLevel(uint8_t level) {
  FeatureFrame frame = frameOf(FeatureCommand::SelectDpiLevel);
  frame.bytes[2] = level;
  return frame;
}

FeatureFrame FeatureFrame::PostScan() { return frameOf(FeatureCommand::PostScan); }

FeatureFrame FeatureFrame::CommitDpi() { return frameOf(FeatureCommand::CommitDpi); }
