// The virtual mouse's control channel takes whatever a socket brings: every
// line is run against a bus with one mouse, and nothing may go wrong.
#include <cstddef>
#include <cstdint>
#include <string>

#include "vmouse/ControlCommands.h"
#include "vmouse/VirtualHidBus.h"

namespace {
struct QuietOutput : BusOutput {
  void inputReport(uint32_t, const VendorReport&) override {}
  void keyboardChanged(uint32_t, uint8_t, const HeldKeys&) override {}
  void buttonsChanged(uint32_t, uint8_t) override {}
};
struct QuietHost : ControlHost {
  void announceDeviceChange() override {}
  bool injectPacket(uint32_t, uint32_t, const std::vector<uint8_t>&) override { return true; }
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  QuietOutput output;
  QuietHost host;
  VirtualHidBus bus(output, BusCosts::none());
  bus.addMouse();
  ControlCommands commands(bus, host);
  std::string text(reinterpret_cast<const char*>(data), size);
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    ControlAnswer answer = commands.execute(text.substr(start, end - start));
    for (const std::string& line : answer.lines) {
      if (line.empty()) __builtin_trap();  // every answer line says something
    }
    start = end + 1;
  }
  return 0;
}
