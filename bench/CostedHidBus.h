// A HID bus that models the device side for the link's benchmarks: each call
// adds its typical cost to a modelled clock (a full-speed USB control
// transfer for feature reports and string descriptors, kernel round trips
// for the rest), over a machine of the mouse and any number of unrelated
// interfaces. Plain C++: the host and the Windows benchmarks share it.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "device/HidLink.h"

namespace costed {

// Modelled costs in microseconds.
struct CostModel {
  double enumerateFixed = 300;      // class set: SetupDiGetClassDevs, destroy
  double enumeratePerInterface = 25;  // enumerate + two detail requests
  double open = 40;                 // CreateFile on a HID interface
  double capabilities = 30;         // preparsed data, caps, free
  double attributes = 10;
  double string = 1000;             // string descriptor: a control transfer
  double setFeature = 1000;         // feature report out: a control transfer
  double getFeature = 1000;         // feature report in: a control transfer
  double close = 10;                // CancelIo + CloseHandle
};

struct Interface {
  HidCapabilities caps;
  HidAttributes attributes;
  bool mouse = false;
};

class CostedBus : public HidBus {
public:
  explicit CostedBus(std::vector<Interface> interfaces) : interfaces_(std::move(interfaces)) {
    for (size_t n = 0; n < interfaces_.size(); ++n) paths_.push_back("\\\\?\\hid#" + std::to_string(n));
  }
  bool modelled = true;
  double micros = 0;
  int opens = 0;

  std::vector<std::string> enumerateInterfaces() override {
    add(cost_.enumerateFixed + cost_.enumeratePerInterface * interfaces_.size());
    return paths_;
  }
  Handle open(const std::string& path) override {
    add(cost_.open);
    ++opens;
    size_t n = std::stoul(path.substr(path.find('#') + 1));
    return reinterpret_cast<Handle>(n + 1);
  }
  bool capabilities(Handle h, HidCapabilities& caps) override {
    add(cost_.capabilities);
    caps = at(h).caps;
    return true;
  }
  bool attributes(Handle h, HidAttributes& attributes) override {
    add(cost_.attributes);
    attributes = at(h).attributes;
    return true;
  }
  bool indexedString(Handle h, uint32_t, size_t, std::string& text) override {
    add(cost_.string);
    text = at(h).mouse ? MouseIdentity::VendorString : "Other";
    return true;
  }
  bool setFeature(Handle, const uint8_t*, size_t) override {
    add(cost_.setFeature);
    return true;
  }
  bool getFeature(Handle, uint8_t* report, size_t length) override {
    add(cost_.getFeature);
    for (size_t n = 0; n < length; ++n) report[n] = 0;
    return true;
  }
  void close(Handle) override { add(cost_.close); }

private:
  void add(double us) {
    if (modelled) micros += us;
  }
  const Interface& at(Handle h) { return interfaces_[reinterpret_cast<uintptr_t>(h) - 1]; }

  CostModel cost_;
  std::vector<Interface> interfaces_;
  std::vector<std::string> paths_;
};

Interface unrelated(int n) {
  // A mix of what a desk has: keyboards, mice, consumer controls, vendor
  // collections of other makers (some with 9-byte features, which get their
  // IDs read).
  Interface i;
  i.caps = {static_cast<uint16_t>(n % 3 == 0 ? 6 : 2), 0x0001, 8, static_cast<uint16_t>(n % 4 == 0 ? 9 : 0)};
  i.attributes = {0x046D, static_cast<uint16_t>(0xC000 + n)};
  return i;
}

Interface mouseConfiguration() {
  Interface i;
  i.caps = {0x0001, 0xFF00, 0, MouseIdentity::FeatureReportLength};
  i.attributes = {MouseIdentity::VendorId, MouseIdentity::ProductId};
  i.mouse = true;
  return i;
}

Interface mouseInput() {
  Interface i;
  i.caps = {MouseIdentity::InputUsage, MouseIdentity::InputUsagePage, MouseIdentity::InputReportLength, 0};
  i.attributes = {MouseIdentity::VendorId, MouseIdentity::ProductId};
  i.mouse = true;
  return i;
}

std::vector<Interface> machine(int unrelatedCount, bool mouseFirst) {
  std::vector<Interface> all;
  if (mouseFirst) all = {mouseConfiguration(), mouseInput()};
  for (int n = 0; n < unrelatedCount; ++n) all.push_back(unrelated(n));
  if (!mouseFirst) {
    all.push_back(mouseConfiguration());
    all.push_back(mouseInput());
  }
  return all;
}

}  // namespace costed
