// A scripted HID bus for the link's tests: a list of interfaces with their
// capabilities, IDs and strings, recording every call made through it. It
// never reaches real hardware.
#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "device/FeatureFrame.h"
#include "device/HidBus.h"
#include "device/HidLink.h"

struct FakeInterface {
  std::string path;
  bool opens = true;
  bool capabilitiesOk = true;
  bool throwsOnCapabilities = false;
  HidCapabilities caps;
  bool attributesOk = true;
  HidAttributes attributes;
  std::map<uint32_t, std::string> strings;  // a missing index fails
  bool refusesFeatures = false;             // feature requests fail, the handle stays good
  FeatureFrame reply;                       // what a feature read returns
  std::vector<FeatureFrame> received;       // frames written to it
  std::string device;                       // what it hangs from; "" unknown
};

// The configuration interface of the mouse.
inline FakeInterface mouseConfiguration(const std::string& path) {
  FakeInterface i;
  i.path = path;
  i.caps = {0x0001, 0xFF00, 0, MouseIdentity::FeatureReportLength};
  i.attributes = {MouseIdentity::VendorId, MouseIdentity::ProductId};
  i.strings[MouseIdentity::VendorStringIndex] = MouseIdentity::VendorString;
  return i;
}

// The mouse's vendor input collection.
inline FakeInterface mouseInput(const std::string& path) {
  FakeInterface i;
  i.path = path;
  i.caps = {MouseIdentity::InputUsage, MouseIdentity::InputUsagePage, MouseIdentity::InputReportLength, 0};
  i.attributes = {MouseIdentity::VendorId, MouseIdentity::ProductId};
  return i;
}

// Something else on the machine: a keyboard of another maker.
inline FakeInterface unrelated(const std::string& path) {
  FakeInterface i;
  i.path = path;
  i.caps = {0x0006, 0x0001, 9, 2};
  i.attributes = {0x1234, 0x5678};
  i.strings[MouseIdentity::VendorStringIndex] = "Other";
  return i;
}

class FakeHidBus : public HidBus {
public:
  std::vector<FakeInterface> interfaces;
  bool enumerationThrows = false;
  // Every call, in order: "open p", "close p", "caps p", "attributes p",
  // "string p 250/512", "set p", "get p", and for handles the bus never gave
  // out: "string - 76/128", "cancel h", "pulse h", "close-event h".
  std::vector<std::string> log;
  // String requests on handles the bus never gave out that succeed.
  std::set<uint32_t> succeedingForeignStrings;
  // Called at the start of every bus call.
  std::function<void()> onCall;
  // Called when an interface has taken a frame.
  std::function<void()> onReceived;

  std::vector<std::string> enumerateInterfaces() override {
    touch();
    if (enumerationThrows) throw std::runtime_error("no interface set");
    std::vector<std::string> paths;
    for (const FakeInterface& i : interfaces) paths.push_back(i.path);
    return paths;
  }

  Handle open(const std::string& path) override {
    touch();
    log.push_back("open " + path);
    for (size_t n = 0; n < interfaces.size(); ++n) {
      if (interfaces[n].path != path || !interfaces[n].opens) continue;
      openHandles.insert(n);
      return handleOf(n);
    }
    return nullptr;
  }

  bool capabilities(Handle handle, HidCapabilities& caps) override {
    touch();
    FakeInterface* i = find(handle);
    if (!i) return false;
    log.push_back("caps " + i->path);
    if (i->throwsOnCapabilities) throw std::runtime_error("device gone");
    if (!i->capabilitiesOk) return false;
    caps = i->caps;
    return true;
  }

  bool attributes(Handle handle, HidAttributes& attributes) override {
    touch();
    FakeInterface* i = find(handle);
    if (!i) return false;
    log.push_back("attributes " + i->path);
    if (!i->attributesOk) return false;
    attributes = i->attributes;
    return true;
  }

  bool indexedString(Handle handle, uint32_t index, size_t bufferBytes, std::string& text) override {
    touch();
    const std::string request = std::to_string(index) + "/" + std::to_string(bufferBytes);
    FakeInterface* i = find(handle);
    if (!i) {
      log.push_back("string - " + request);
      return succeedingForeignStrings.count(index) != 0;
    }
    log.push_back("string " + i->path + " " + request);
    auto found = i->strings.find(index);
    if (found == i->strings.end()) return false;
    text = found->second;
    return true;
  }

  bool setFeature(Handle handle, const uint8_t* report, size_t length) override {
    touch();
    FakeInterface* i = find(handle);
    if (!i) return false;
    log.push_back("set " + i->path);
    if (length != kFeatureFrameLength || i->refusesFeatures) return false;
    FeatureFrame frame;
    for (size_t n = 0; n < length; ++n) frame.bytes[n] = report[n];
    i->received.push_back(frame);
    if (onReceived) onReceived();
    return true;
  }

  bool getFeature(Handle handle, uint8_t* report, size_t length) override {
    touch();
    FakeInterface* i = find(handle);
    if (!i) return false;
    log.push_back("get " + i->path);
    for (size_t n = 0; n < length && n < kFeatureFrameLength; ++n) report[n] = i->reply.bytes[n];
    return true;
  }

  void close(Handle handle) override {
    touch();
    FakeInterface* i = find(handle);
    if (!i) {
      log.push_back("close " + label(handle));
      return;
    }
    log.push_back("close " + i->path);
    openHandles.erase(indexOf(handle));
  }

  // Not logged: asked of the mouse's interfaces only, and answered without
  // touching the device.
  std::string deviceOf(const std::string& path) override {
    for (const FakeInterface& i : interfaces)
      if (i.path == path) return i.device;
    return std::string();
  }

  void cancelIo(Handle handle) override { record("cancel", handle); }
  void pulseEvent(Handle handle) override { record("pulse", handle); }
  void closeEvent(Handle handle) override { record("close-event", handle); }

  // The interface went away and came back: handles opened on it before no
  // longer work (closing them is then a close of an unknown handle).
  void replug(size_t n) { openHandles.erase(n); }

  size_t openCount() const { return openHandles.size(); }
  std::vector<FeatureFrame>& received(size_t n) { return interfaces[n].received; }
  // The log entries that start with `prefix`.
  std::vector<std::string> entries(const std::string& prefix) const {
    std::vector<std::string> out;
    for (const std::string& e : log)
      if (e.compare(0, prefix.size(), prefix) == 0) out.push_back(e);
    return out;
  }
  // A handle value the bus never gives out, for seeding slots.
  static Handle foreignHandle(uintptr_t n) { return reinterpret_cast<Handle>(0x10000 + n); }
  static std::string label(Handle handle) {
    return std::to_string(reinterpret_cast<uintptr_t>(handle) - 0x10000);
  }

private:
  static Handle handleOf(size_t n) { return reinterpret_cast<Handle>(n + 1); }
  static size_t indexOf(Handle handle) { return reinterpret_cast<uintptr_t>(handle) - 1; }
  FakeInterface* find(Handle handle) {
    if (!handle) return nullptr;
    size_t n = indexOf(handle);
    return openHandles.count(n) ? &interfaces[n] : nullptr;
  }
  void touch() {
    if (onCall) onCall();
  }
  void record(const char* what, Handle handle) {
    touch();
    log.push_back(std::string(what) + " " + label(handle));
  }

  std::set<size_t> openHandles;
};
