// Raw-input packets as the reader gets them, whatever a device (or something
// posing as one) puts in them, each followed through the input engine with
// every remappable button assigned. The input is a run of packets, each a
// 16-bit size (below the reader's 1000-byte limit) and then its bytes.
// Whatever arrives, a report taken out is the packet's own first report and
// never reaches past it, and once every button is up nothing is held.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "FuzzCheck.h"
#include "device/MouseConfig.h"
#include "mainwnd/InputEngine.h"
#include "mainwnd/RawInputPacket.h"

namespace {

struct QuietOutput : InputEngineOutput {
  void exchangeFrame(const FeatureFrame&) override {}
  void closeCurrentWindow() override {}
  void doubleClick() override {}
  void showDpiState(int) override {}
};

int usageOf(int32_t scanCode) { return scanCode & 0xFF; }

uint32_t field(const uint8_t* packet, size_t offset) {
  uint32_t value;
  std::memcpy(&value, packet + offset, sizeof value);  // little-endian hosts only
  return value;
}

void assign(MouseConfig& config, int index, int32_t function, int32_t scanCode = 0, int32_t modifiers = 0) {
  ButtonAssignment& a = config.assignments[index];
  a.function = function;
  a.scanCode = scanCode;
  a.modifiers = modifiers;
  a.buttonMask = buttonMaskFor(function);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  MouseConfig config;
  assign(config, ButtonIndex::Left, ButtonFunction::Button4th);
  assign(config, ButtonIndex::Right, ButtonFunction::KeyShortcut, 0x04, 0x01);
  assign(config, ButtonIndex::Wheel, ButtonFunction::KeyShortcut, 0x04, 0x03);
  assign(config, ButtonIndex::Button5th, ButtonFunction::LeftButton);
  assign(config, ButtonIndex::Button4th, ButtonFunction::KeyShortcut, 0x2C, 0x80);
  assign(config, 5, ButtonFunction::RightButton);
  assign(config, 6, ButtonFunction::DoubleClick);
  QuietOutput out;
  InputEngine engine(config, &usageOf, out);

  size_t at = 0;
  std::vector<uint8_t> report;
  while (at + 2 <= size) {
    const size_t announced = (data[at] | data[at + 1] << 8) % 1000;
    at += 2;
    const size_t length = announced < size - at ? announced : size - at;
    // A copy of exactly the packet's size, so that any read past it is caught.
    std::vector<uint8_t> packet(data + at, data + at + length);
    at += length;

    const bool taken = firstHidReport(packet.data(), packet.size(), report);
    require(taken == !report.empty(), "the answer and the report disagree");
    if (taken) {
      using namespace RawInputPacket;
      require(field(packet.data(), kTypeOffset) == kTypeHid, "a report taken from a packet that is not HID");
      require(field(packet.data(), kCountOffset) != 0, "a report taken from a packet that has none");
      require(report.size() <= field(packet.data(), kSizeHidOffset), "more than one report taken");
      require(std::memcmp(report.data(), packet.data() + kDataOffset, report.size()) == 0,
              "the report is not the packet's");
      engine.onReport(report.data(), report.size());
    }
    if ((engine.m_lastButtonByte & 0x7F) == 0) {
      require(engine.m_keyboardState.modifiers == 0, "a modifier held with every button up");
      for (uint8_t key : engine.m_keyboardState.keys) require(key == 0, "a key held with every button up");
      require(engine.m_injectedButtons == 0, "a mouse button held with every button up");
    }
  }
  return 0;
}
