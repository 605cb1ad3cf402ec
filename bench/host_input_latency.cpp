// How long a remapped button takes from the mouse's report reaching the input
// engine to its InjectKeys frame leaving the HID link for that mouse's own
// configuration interface, with one and with 64 unrelated HID interfaces on
// the bus. Every transfer walks the whole bus, so
// the other interfaces are what the time grows with.
//
// The bus here answers at once (and the host build runs under the sanitizers);
// on a machine the system's enumeration and opening of each interface come on
// top, per interface.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/LinkOutput.h"
#include "device/HidLink.h"
#include "device/MouseModel.h"
#include "input/InputEngine.h"

namespace {

using Clock = std::chrono::steady_clock;

// The mouse's configuration interface and its vendor input collection, after
// `unrelated` keyboards and such.
class BenchBus : public HidBus {
public:
  explicit BenchBus(int unrelated) {
    for (int i = 0; i < unrelated; ++i) {
      HidCapabilities caps;
      caps.usagePage = 0x01;
      caps.usage = 0x06;
      caps.inputReportByteLength = 9;
      add("\\\\?\\hid#vid_046d&pid_c31c&mi_00#" + std::to_string(i), caps, {0x046D, 0xC31C});
    }
    HidCapabilities config;
    config.usagePage = 0xFF00;
    config.usage = 0x01;
    config.featureReportByteLength = 9;
    mouseConfigInterface = add("\\\\?\\hid#vid_e0ff&pid_0005&mi_01&col01#1", config, {0xE0FF, 0x0005});
    HidCapabilities input;
    input.usagePage = 0xFF12;
    input.usage = 0x01;
    input.inputReportByteLength = 8;
    add("\\\\?\\hid#vid_e0ff&pid_0005&mi_01&col02#1", input, {0xE0FF, 0x0005});
  }

  std::vector<std::string> enumerateInterfaces() override {
    std::vector<std::string> paths;
    for (const Interface& i : interfaces_) paths.push_back(i.path);
    return paths;
  }
  Handle open(const std::string& path) override {
    for (size_t i = 0; i < interfaces_.size(); ++i)
      if (interfaces_[i].path == path) return reinterpret_cast<Handle>(i + 1);
    return nullptr;
  }
  bool capabilities(Handle handle, HidCapabilities& caps) override {
    caps = at(handle).caps;
    return true;
  }
  bool attributes(Handle handle, HidAttributes& attributes) override {
    attributes = at(handle).attributes;
    return true;
  }
  bool indexedString(Handle handle, uint32_t index, size_t, std::string& text) override {
    if (index != 250 || index_of(handle) != mouseConfigInterface) return false;
    text = "Pelmor";
    return true;
  }
  bool setFeature(Handle handle, const uint8_t* report, size_t length) override {
    if (index_of(handle) == mouseConfigInterface && length == 9 && report[1] == 0x15) frameLeft = Clock::now();
    return true;
  }
  bool getFeature(Handle, uint8_t* report, size_t length) override {
    std::fill(report, report + length, 0);
    return true;
  }
  void close(Handle) override {}
  // Both interfaces of the mouse hang from one device.
  std::string deviceOf(const std::string& path) override {
    return path.find("vid_e0ff&pid_0005") != std::string::npos ? kMouseDevice : std::string();
  }

  static constexpr const char* kMouseDevice = "USB\\VID_E0FF&PID_0005\\1";
  size_t mouseConfigInterface = 0;
  Clock::time_point frameLeft;

private:
  struct Interface {
    std::string path;
    HidCapabilities caps;
    HidAttributes attributes;
  };
  size_t add(std::string path, HidCapabilities caps, HidAttributes attributes) {
    interfaces_.push_back({std::move(path), caps, attributes});
    return interfaces_.size() - 1;
  }
  static size_t index_of(Handle handle) { return reinterpret_cast<size_t>(handle) - 1; }
  const Interface& at(Handle handle) const { return interfaces_[index_of(handle)]; }
  std::vector<Interface> interfaces_;
};


int usageOfC(int32_t scanCode) { return scanCode == 0x2E ? 0x06 : 0; }

void measure(int unrelated) {
  BenchBus bus(unrelated);
  HidLink link(bus);
  link.scan();
  MouseModel model;
  {
    const MouseModel::Change config = model.change();
    config->assignments[ButtonIndex::Wheel].function = ButtonFunction::KeyShortcut;
    config->assignments[ButtonIndex::Wheel].scanCode = 0x2E;
    config->assignments[ButtonIndex::Wheel].modifiers = ModifierBit::LeftCtrl;
  }
  LinkOutput output(link);
  InputEngine engine(model, &usageOfC, output);

  constexpr int kReports = 20000;
  std::vector<double> micros;
  micros.reserve(kReports);
  for (int i = 0; i < kReports; ++i) {
    const uint8_t report[8] = {0, 0, 0, 4, static_cast<uint8_t>(i % 2 == 0 ? 0x04 : 0x00), 0, 0, 0};
    const Clock::time_point arrived = Clock::now();
    engine.onReport(BenchBus::kMouseDevice, report, sizeof report);
    micros.push_back(std::chrono::duration<double, std::micro>(bus.frameLeft - arrived).count());
  }
  std::sort(micros.begin(), micros.end());
  std::printf("%3d unrelated HID interfaces: median %8.2f us  p99 %8.2f us  max %8.2f us  (%d reports)\n", unrelated,
              micros[micros.size() / 2], micros[micros.size() * 99 / 100], micros.back(), kReports);
}

}  // namespace

int main() {
  std::printf("Report arrival to InjectKeys frame leaving the HID link:\n");
  measure(1);
  measure(64);
  return 0;
}
