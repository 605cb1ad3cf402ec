#include "vmouse/ControlCommands.h"

#include <cctype>
#include <cstdio>
#include <sstream>

#include "vmouse/VirtualHidBus.h"

namespace {

const char kDefaultDevice[] = "mouse";
const int kMaxHidPerCommand = 1000;

std::vector<std::string> splitWords(const std::string& line) {
  std::istringstream in(line);
  std::vector<std::string> words;
  std::string word;
  while (in >> word) words.push_back(word);
  return words;
}

std::string lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// A decimal number without sign, below `limit`.
bool parseNumber(const std::string& text, uint64_t limit, uint32_t& value) {
  if (text.empty() || text.size() > 10) return false;
  uint64_t v = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + static_cast<uint64_t>(c - '0');
  }
  if (v >= limit) return false;
  value = static_cast<uint32_t>(v);
  return true;
}

// One byte as one or two hex digits.
bool parseHexByte(const std::string& text, uint8_t& value) {
  if (text.size() == 1) return parseHexBytes("0" + text, &value, 1);
  return parseHexBytes(text, &value, 1);
}

std::string hexByte(uint8_t value) { return hexOf(&value, 1); }

// A vendor and a product ID as four hex digits each, "vvvv:pppp".
bool parseIds(const std::string& text, uint16_t (&ids)[2]) {
  uint8_t bytes[4];
  if (text.size() != 9 || text[4] != ':' || !parseHexBytes(text.substr(0, 4) + text.substr(5), bytes, 4)) return false;
  ids[0] = static_cast<uint16_t>(bytes[0] << 8 | bytes[1]);
  ids[1] = static_cast<uint16_t>(bytes[2] << 8 | bytes[3]);
  return true;
}

// Hex bytes, two digits each, at most `limit` of them.
bool parseHexVector(const std::string& text, size_t limit, std::vector<uint8_t>& bytes) {
  if (text.empty() || text.size() % 2 != 0 || text.size() / 2 > limit) return false;
  bytes.resize(text.size() / 2);
  return parseHexBytes(text, bytes.data(), bytes.size());
}

// A 16-bit ID as one to four hex digits.
bool parseId(const std::string& text, uint16_t& id) {
  if (text.empty() || text.size() > 4) return false;
  uint8_t bytes[2];
  if (!parseHexBytes(std::string(4 - text.size(), '0') + text, bytes, 2)) return false;
  id = static_cast<uint16_t>(bytes[0] << 8 | bytes[1]);
  return true;
}

ControlAnswer answer(const std::string& line) { return ControlAnswer{{line}, false}; }
ControlAnswer error(const std::string& reason) { return answer("error " + reason); }

ControlAnswer deviceError(DeviceResult result, const std::string& device) {
  switch (result) {
    case DeviceResult::Ok:
      return answer("ok");
    case DeviceResult::NoSuchDevice:
      return error("no device '" + device + "'");
    case DeviceResult::Unplugged:
      return error(device + " is unplugged");
    case DeviceResult::NotAMouse:
      return error(device + " is not a mouse");
    case DeviceResult::CannotSend:
      return error(device + " has no input collection");
  }
  return error("internal");
}

// The optional device argument at `index`; false when there are more words.
bool deviceArgument(const std::vector<std::string>& words, size_t index, std::string& device) {
  if (words.size() > index + 1) return false;
  device = words.size() == index + 1 ? words[index] : kDefaultDevice;
  return true;
}

std::string stateLine(const MouseSnapshot& snapshot) {
  std::string line = "mask=" + hexByte(snapshot.reportMask) + " modifiers=" + hexByte(snapshot.modifiers) + " keys=";
  for (size_t i = 0; i < snapshot.keys.size(); ++i) line += (i ? "," : "") + hexByte(snapshot.keys[i]);
  line += " buttons=" + hexByte(snapshot.injectedButtons) + " dpi=";
  for (size_t i = 0; i < snapshot.dpiSteps.size(); ++i) line += (i ? "," : "") + std::to_string(snapshot.dpiSteps[i]);
  line += " level=" + std::to_string(snapshot.dpiLevel);
  line += " physical=" + hexByte(snapshot.physicalButtons);
  line += std::string(" plugged=") + (snapshot.plugged ? "1" : "0");
  return line;
}

const char kHelp[] =
    "commands: buttons <hex> | dpibutton | answers on|off | report <16 hex> | packet <type> <size> [hex] | frames | "
    "state | unplug | plug | reset | add second-mouse|foreign-string [text]|foreign-collection [vvvv:pppp]|hid <n> | "
    "add device <vid> <pid> <descriptor hex> [name] | report <hex> <name> | "
    "heap [sizes] | quit (buttons, dpibutton, answers, report, state, unplug, plug, reset take an optional device "
    "name; default mouse)";

}  // namespace

ControlAnswer ControlCommands::execute(const std::string& line) {
  std::vector<std::string> words = splitWords(line);
  if (words.empty()) return ControlAnswer{};
  const std::string verb = lower(words[0]);
  std::string device;

  if (verb == "buttons") {
    uint8_t buttons = 0;
    if (words.size() < 2 || !parseHexByte(words[1], buttons) || !deviceArgument(words, 2, device))
      return error("usage: buttons <hex byte> [device]");
    return deviceError(m_bus.setPhysicalButtons(device, buttons), device);
  }
  if (verb == "dpibutton") {
    if (!deviceArgument(words, 1, device)) return error("usage: dpibutton [device]");
    return deviceError(m_bus.pressDpiButton(device), device);
  }
  if (verb == "answers") {
    const std::string onOff = words.size() >= 2 ? lower(words[1]) : "";
    if ((onOff != "on" && onOff != "off") || !deviceArgument(words, 2, device))
      return error("usage: answers on|off [device]");
    return deviceError(m_bus.setAnswersCommands(device, onOff == "on"), device);
  }
  if (verb == "report" && words.size() == 3 && m_host.hasDevice(words[2])) {
    std::vector<uint8_t> report;
    if (!parseHexVector(words[1], kMaxDeviceReport, report)) return error("usage: report <hex, up to 64 bytes> <name>");
    return answer(m_host.deviceReport(words[2], report));
  }
  if (verb == "state" && words.size() == 2 && m_host.hasDevice(words[1])) return answer(m_host.deviceState(words[1]));
  if (verb == "report") {
    VendorReport report{};
    if (words.size() < 2 || !parseHexBytes(words[1], report.data(), report.size()) || !deviceArgument(words, 2, device))
      return error("usage: report <16 hex digits> [device]");
    return deviceError(m_bus.sendReport(device, report), device);
  }
  if (verb == "packet") {
    uint32_t type = 0, size = 0;
    if (words.size() < 3 || words.size() > 4 || !parseNumber(words[1], 1ull << 32, type) ||
        !parseNumber(words[2], 1ull << 32, size))
      return error("usage: packet <type> <size> [hex bytes after the header]");
    std::vector<uint8_t> body;
    if (words.size() == 4) {
      const std::string& hex = words[3];
      if (hex.size() % 2 != 0 || hex.size() / 2 > kMaxPacketBody) return error("packet body: even number of hex digits, at most 2048 bytes");
      body.resize(hex.size() / 2);
      if (!parseHexBytes(hex, body.data(), body.size())) return error("packet body: not hex");
    }
    if (!m_host.injectPacket(type, size, body)) return error("no window takes raw input");
    return answer("ok");
  }
  if (verb == "frames") {
    if (words.size() != 1) return error("usage: frames");
    ControlAnswer result;
    for (const FeatureTransfer& t : m_bus.log().take()) {
      result.lines.push_back(std::string(t.isGet ? "get " : "set ") + t.interfaceName + " " +
                             hexOf(t.frame.data(), t.frame.size()));
    }
    result.lines.push_back("end");
    return result;
  }
  if (verb == "state") {
    if (!deviceArgument(words, 1, device)) return error("usage: state [device]");
    MouseSnapshot snapshot;
    DeviceResult result = m_bus.mouseState(device, snapshot);
    if (result != DeviceResult::Ok) return deviceError(result, device);
    return answer(stateLine(snapshot));
  }
  if (verb == "unplug" || verb == "plug") {
    if (!deviceArgument(words, 1, device)) return error("usage: " + verb + " [device]");
    bool changed = false;
    DeviceResult result = m_bus.setPlugged(device, verb == "plug", &changed);
    if (result != DeviceResult::Ok) return deviceError(result, device);
    if (changed) m_host.inputDeviceChanged(device, verb == "plug");
    m_host.announceDeviceChange();
    return answer("ok");
  }
  if (verb == "reset") {
    // No device change is announced: the system does not see a mouse that
    // lost power while it slept.
    if (!deviceArgument(words, 1, device)) return error("usage: reset [device]");
    return deviceError(m_bus.resetMouse(device), device);
  }
  if (verb == "add") {
    const std::string what = words.size() >= 2 ? lower(words[1]) : "";
    std::string added;
    if (what == "second-mouse" && words.size() == 2) {
      added = m_bus.addMouse();
    } else if (what == "foreign-string" && words.size() <= 3) {
      added = words.size() == 3 ? m_bus.addForeignString(words[2]) : m_bus.addForeignString();
    } else if (what == "foreign-collection" && words.size() <= 3) {
      uint16_t ids[2] = {VirtualHidBus::kForeignVendorId, VirtualHidBus::kForeignProductId};
      if (words.size() == 3 && !parseIds(words[2], ids)) return error("usage: add foreign-collection [vvvv:pppp]");
      added = m_bus.addForeignCollection(ids[0], ids[1]);
    } else if (what == "hid" && words.size() == 3) {
      uint32_t count = 0;
      if (!parseNumber(words[2], kMaxHidPerCommand + 1, count) || count == 0)
        return error("usage: add hid <n>, n from 1 to 1000");
      int done = m_bus.addUnrelated(static_cast<int>(count));
      if (done > 0) m_host.announceDeviceChange();
      if (done < static_cast<int>(count)) return error("bus full: added " + std::to_string(done));
      return answer("ok");
    } else if (what == "device" && (words.size() == 5 || words.size() == 6)) {
      return addDevice(words);
    } else {
      return error("usage: add second-mouse | add foreign-string [text] | add foreign-collection [vvvv:pppp] | add hid <n> | "
          "add device <vid hex> <pid hex> <descriptor hex> [name]");
    }
    if (added.empty()) return error("bus full");
    m_host.inputDeviceChanged(added, true);
    m_host.announceDeviceChange();
    return answer("ok");
  }
  if (verb == "heap") {
    const bool bySize = words.size() == 2 && lower(words[1]) == "sizes";
    if (words.size() != 1 && !bySize) return error("usage: heap [sizes]");
    const std::string figures = m_host.heapFigures(bySize);
    if (figures.empty()) return error("no heap figures here");
    return answer("heap " + figures);
  }
  if (verb == "help" && words.size() == 1) return answer(kHelp);
  if (verb == "quit" && words.size() == 1) return ControlAnswer{{"ok"}, true};
  return error("unknown command '" + words[0] + "' (try help)");
}

ControlAnswer ControlCommands::addDevice(const std::vector<std::string>& words) {
  uint16_t vendorId = 0, productId = 0;
  std::vector<uint8_t> descriptor;
  if (!parseId(words[2], vendorId) || !parseId(words[3], productId) ||
      !parseHexVector(words[4], kMaxDescriptor, descriptor))
    return error("usage: add device <vid hex> <pid hex> <descriptor hex> [name]");
  const std::string name = words.size() == 6 ? words[5] : "";
  MouseSnapshot unused;
  if (!name.empty() && (m_host.hasDevice(name) || m_bus.mouseState(name, unused) != DeviceResult::NoSuchDevice))
    return error("'" + name + "' is taken");
  std::string reason;
  const std::vector<TopLevelCollection> collections = ReportDescriptor::split(descriptor, reason);
  if (collections.empty()) return error("descriptor: " + reason);
  const std::string added = m_host.addDevice(vendorId, productId, collections, name);
  if (added.compare(0, 6, "error ") == 0) return answer(added);
  return answer("ok");
}
