// The 9-byte feature reports the program sends to the mouse. Byte 0 is the
// report ID (always 0), byte 1 the command; every byte a command does not name
// is 0. The builders write the bytes out plainly so that they can be compared
// byte for byte.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>

constexpr size_t kFeatureFrameLength = 9;

namespace FeatureCommand {
enum : uint8_t {
  ReportMask = 0x07,
  Inject = 0x15,  // sub-code 1: keys, sub-code 2: mouse buttons
  SetDpiStep = 0x18,
  SelectDpiLevel = 0x19,
  PostScan = 0x1A,
  CommitDpi = 0x1B,
};
}  // namespace FeatureCommand

constexpr size_t kInjectedKeySlots = 5;

struct FeatureFrame {
  std::array<uint8_t, kFeatureFrameLength> bytes{};

  uint8_t* data() { return bytes.data(); }
  const uint8_t* data() const { return bytes.data(); }
  static constexpr size_t size() { return kFeatureFrameLength; }
  uint8_t operator[](size_t i) const { return bytes[i]; }
  friend bool operator==(const FeatureFrame& a, const FeatureFrame& b) { return a.bytes == b.bytes; }
  friend bool operator!=(const FeatureFrame& a, const FeatureFrame& b) { return !(a == b); }

  // 00 07 02 MM: bit i set, button i is reported to the program instead of
  // being handled by the mouse.
  static FeatureFrame ReportMask(uint8_t mask);
  // 00 15 01 KM K1..K5: the modifier byte and five HID keyboard usages the
  // mouse holds down as its own keyboard (0: empty slot).
  static FeatureFrame InjectKeys(uint8_t modifiers, const std::array<uint8_t, kInjectedKeySlots>& keys);
  // 00 15 02 BB: the mouse buttons the mouse holds down (buttonMask bits).
  static FeatureFrame InjectButtons(uint8_t buttons);
  // 00 18 LL SS A4 A5 A6 A7: level LL gets step SS. Bytes 4 to 7 (A4..A7)
  // mean something to the firmware only; every sender passes 1.
  static FeatureFrame SetDpiStep(uint8_t level, uint8_t step, uint8_t byte4, uint8_t byte5, uint8_t byte6,
                                 uint8_t byte7);
  // 00 19 LL: level LL becomes current.
  static FeatureFrame SelectDpiLevel(uint8_t level);
  // 00 1A: sent a while after a scan that found the mouse.
  static FeatureFrame PostScan();
  // 00 1B: concludes a run of SetDpiStep frames.
  static FeatureFrame CommitDpi();
};
