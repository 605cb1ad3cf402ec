// Raw-input packets as the reader gets them, whatever a device (or something
// posing as one) puts in them, each followed through the input engine with
// every remappable button assigned. The input is a run of packets, each a
// 16-bit size (below the reader's 1000-byte limit) and then its bytes; the
// packet's device handle picks one of three mice. Whatever arrives, the
// reports taken out are the packet's own, in order, no more than it counts,
// none longer than it says and none reaching past it, and once every button
// of a mouse is up that mouse holds nothing.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "device/MouseModel.h"
#include "input/InputEngine.h"
#include "input/RawInputPacket.h"

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
  MouseModel model;
  MouseConfig& config = *model.change();  // one thread
  assign(config, ButtonIndex::Left, ButtonFunction::Button4th);
  assign(config, ButtonIndex::Right, ButtonFunction::KeyShortcut, 0x04, 0x01);
  assign(config, ButtonIndex::Wheel, ButtonFunction::KeyShortcut, 0x04, 0x03);
  assign(config, ButtonIndex::Button5th, ButtonFunction::LeftButton);
  assign(config, ButtonIndex::Button4th, ButtonFunction::KeyShortcut, 0x2C, 0x80);
  assign(config, 5, ButtonFunction::RightButton);
  assign(config, 6, ButtonFunction::DoubleClick);
  QuietOutput out;
  InputEngine engine(model, &usageOf, out);

  size_t at = 0;
  std::vector<std::vector<uint8_t>> reports;
  const std::string mice[] = {"", "usb1", "usb2"};
  while (at + 2 <= size) {
    const size_t announced = (data[at] | data[at + 1] << 8) % 1000;
    at += 2;
    const size_t length = announced < size - at ? announced : size - at;
    // A copy of exactly the packet's size, so that any read past it is caught.
    std::vector<uint8_t> packet(data + at, data + at + length);
    at += length;

    const bool taken = hidReports(packet.data(), packet.size(), reports);
    require(taken == !reports.empty(), "the answer and the reports disagree");
    const std::string* mouse = &mice[0];
    if (taken) {
      using namespace RawInputPacket;
      require(field(packet.data(), kTypeOffset) == kTypeHid, "a report taken from a packet that is not HID");
      require(reports.size() <= field(packet.data(), kCountOffset), "more reports taken than the packet counts");
      size_t offset = kDataOffset;
      for (const std::vector<uint8_t>& report : reports) {
        require(!report.empty() && report.size() <= field(packet.data(), kSizeHidOffset),
                "a report longer than the packet says, or empty");
        require(offset + report.size() <= packet.size(), "a report reaching past the packet");
        require(std::memcmp(report.data(), packet.data() + offset, report.size()) == 0,
                "a report that is not the packet's, or out of order");
        offset += report.size();
      }
      mouse = &mice[field(packet.data(), kDeviceOffset) % 3];
      for (const std::vector<uint8_t>& report : reports) engine.onReport(*mouse, report.data(), report.size());
    }
    for (const std::string& each : mice) {
      const MouseHolds holds = engine.holdsOf(each);
      if ((holds.lastButtonByte & 0x7F) == 0) require(!holds.holdsInput(), "held with every button of its mouse up");
    }
  }
  return 0;
}
