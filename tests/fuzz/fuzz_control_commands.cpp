// The virtual mouse's control channel takes whatever a socket brings: every
// line is run against a bus with one mouse. A blank line gets no answer;
// `frames` answers lines ending with `end` (or an error); every other command exactly one
// line; no answer line is empty; `state` keeps its form; the bus never holds
// more interfaces than it may.
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "FuzzCheck.h"
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

std::string firstWord(const std::string& line) {
  std::istringstream in(line);
  std::string word;
  in >> word;
  for (char& c : word) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return word;
}
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
    std::string line = text.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const ControlAnswer answer = commands.execute(line);
    const std::string verb = firstWord(line);

    for (const std::string& l : answer.lines) require(!l.empty(), "an empty answer line");
    if (verb.empty()) {
      require(answer.lines.empty(), "a blank line answered");
    } else if (verb == "frames") {
      require(!answer.lines.empty() &&
                  (answer.lines.back() == "end" ||
                   (answer.lines.size() == 1 && answer.lines[0].compare(0, 6, "error ") == 0)),
              "frames answered neither a list ending with end nor an error");
    } else {
      require(answer.lines.size() == 1, "not one answer line");
    }
    if (verb == "state" && answer.lines.size() == 1 && answer.lines[0].compare(0, 6, "error ") != 0) {
      const std::string& s = answer.lines[0];
      require(s.compare(0, 5, "mask=") == 0 && s.find(" plugged=") != std::string::npos, "state out of form");
    }
    require(bus.interfaceCount() <= VirtualHidBus::kMaxInterfaces, "more interfaces than the bus holds");
  }
  return 0;
}
