// The HID interfaces of a machine with the virtual mouse plugged in, behind
// the same seam as the system's. Platform-free: devices are plain structures,
// handles are numbers handed out here, and the work of the real calls is
// imitated by a few microseconds of busy work per call (BusCosts), so that a
// machine with many HID interfaces costs what it would.
//
// Devices are kept in the order they were added, which is the enumeration
// order; a device that is unplugged keeps its place and comes back there.
// Each device has a short name that tags its feature transfers in the log:
// "mouse" (the first mouse), "mouse2", "mouse3" ... (added mice),
// "foreign1" ... (right IDs, foreign string), "collection1" ... (another
// maker's vendor collection), "hid1" ... (unrelated interfaces).
//
// Thread-safe: every operation takes one lock. Device output (input reports,
// desktop input) is handed to BusOutput while that lock is held, so BusOutput
// must not call back into the bus.
#pragma once
#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "device/HidBus.h"
#include "vmouse/VirtualMouseFirmware.h"

// Busy work per call, standing in for what the system's calls cost.
struct BusCosts {
  std::chrono::microseconds enumerateInterface{0};  // per interface walked
  std::chrono::microseconds open{0};
  std::chrono::microseconds query{0};  // capabilities or attributes
  std::chrono::microseconds string{0};
  std::chrono::microseconds feature{0};

  static BusCosts none() { return BusCosts{}; }
  static BusCosts realistic();
};

// What the devices of the bus emit, tagged with the device's id.
class BusOutput {
public:
  virtual ~BusOutput() = default;
  virtual void inputReport(uint32_t device, const VendorReport& report) = 0;
  virtual void keyboardChanged(uint32_t device, uint8_t modifiers, const HeldKeys& keys) = 0;
  virtual void buttonsChanged(uint32_t device, uint8_t buttons) = 0;
};

// How the virtual mouse identifies itself (its own copy: the link keeps
// another, and a mistake in one must not be hidden by the other).
namespace VirtualMouseIdentity {
constexpr uint16_t VendorId = 0xE0FF;
constexpr uint16_t ProductId = 0x0005;
constexpr uint16_t FeatureLength = 9;
constexpr uint32_t VendorStringIndex = 250;
constexpr const char* VendorString = "Pelmor";
constexpr uint16_t InputUsagePage = 0xFF12;
constexpr uint16_t InputUsage = 0x0001;
constexpr uint16_t InputLength = 8;
}  // namespace VirtualMouseIdentity

// A mouse's state as the control channel shows it.
struct MouseSnapshot {
  bool plugged = false;
  uint8_t reportMask = 0;
  uint8_t modifiers = 0;
  HeldKeys keys{};
  uint8_t injectedButtons = 0;
  uint8_t physicalButtons = 0;
  std::array<uint8_t, VirtualMouseFirmware::kLevels> dpiSteps{};
  uint8_t dpiLevel = 0;
};

enum class DeviceResult { Ok, NoSuchDevice, Unplugged, NotAMouse, CannotSend };

class VirtualHidBus : public HidBus {
public:
  static constexpr size_t kMaxInterfaces = 1000;

  explicit VirtualHidBus(BusOutput& output, BusCosts costs = BusCosts::realistic());
  ~VirtualHidBus() override;

  // HidBus.
  std::vector<std::string> enumerateInterfaces() override;
  Handle open(const std::string& path) override;
  bool capabilities(Handle handle, HidCapabilities& caps) override;
  bool attributes(Handle handle, HidAttributes& attributes) override;
  bool indexedString(Handle handle, uint32_t index, size_t bufferBytes, std::string& text) override;
  bool setFeature(Handle handle, const uint8_t* report, size_t length) override;
  bool getFeature(Handle handle, uint8_t* report, size_t length) override;
  void close(Handle handle) override;
  // The name of the device that has an interface at `path`, as its device
  // node would be named: all its interfaces share it.
  std::string deviceOf(const std::string& path) override;

  // The vendor input collection (usage page 0xFF12, usage 1) of a plugged-in
  // device, by the id its output is tagged with: what the system tells of a
  // raw-input device. False when there is none.
  bool inputCollection(uint32_t device, std::string& path, HidAttributes& attributes, HidCapabilities& caps) const;

  // Adding devices; each returns the new device's name, or "" when the bus
  // is full (kMaxInterfaces).
  std::string addMouse();
  // Right IDs and feature length; string 250 is `vendorString`.
  std::string addForeignString(const std::string& vendorString = "Pelmor-OEM");
  // Another maker's vendor collection: usage page 0xFF12, usage 1, 8 bytes,
  // with these vendor and product IDs.
  static constexpr uint16_t kForeignVendorId = 0x2B17;
  static constexpr uint16_t kForeignProductId = 0x1001;
  std::string addForeignCollection(uint16_t vendorId = kForeignVendorId, uint16_t productId = kForeignProductId);
  // `count` interfaces of assorted other devices. Returns how many were added.
  int addUnrelated(int count);

  // `changed`, when given, says whether the device was not already so.
  DeviceResult setPlugged(const std::string& name, bool plugged, bool* changed = nullptr);
  // The mouse loses power and gets it back while it stays on the bus (the
  // machine slept): its firmware is at its power-on state, and nothing tells
  // the system, which sees no device come or go.
  DeviceResult resetMouse(const std::string& name);
  // The mouse's buttons, its DPI button, an arbitrary report from a device
  // with an input collection (a mouse or a foreign collection).
  DeviceResult setPhysicalButtons(const std::string& name, uint8_t buttons);
  DeviceResult pressDpiButton(const std::string& name);
  // Whether the mouse answers PostScan and SelectDpiLevel.
  DeviceResult setAnswersCommands(const std::string& name, bool answers);
  DeviceResult sendReport(const std::string& name, const VendorReport& report);
  DeviceResult mouseState(const std::string& name, MouseSnapshot& snapshot) const;
  // The id with which `name`'s output reaches BusOutput, or 0.
  uint32_t deviceId(const std::string& name) const;

  size_t interfaceCount() const;
  TransferLog& log() { return m_log; }

private:
  struct Interface;
  struct Device;
  class MouseAdapter;
  struct OpenHandle {
    size_t device;
    size_t ifaceIndex;
    uint32_t generation;
  };

  Device& newDevice(const std::string& prefix, int& counter);
  Device* findDevice(const std::string& name);
  const Device* findDevice(const std::string& name) const;
  // The interface behind an open handle whose device is still there.
  const Interface* resolve(Handle handle, Device** device);
  bool roomFor(size_t interfaces) const;

  mutable std::mutex m_lock;
  BusOutput& m_output;
  BusCosts m_costs;
  TransferLog m_log;
  std::vector<std::unique_ptr<Device>> m_devices;
  std::map<uintptr_t, OpenHandle> m_handles;
  uintptr_t m_nextHandle = 0x104;
  int m_mice = 0, m_foreignStrings = 0, m_foreignCollections = 0, m_unrelated = 0;
};
