#include "vmouse/VirtualHidBus.h"

#include <algorithm>
#include <cstdio>

namespace {

const char kHidClassGuid[] = "{4d1e55b2-f16f-11cf-88cb-001111000030}";

// Stands in for the work of a system call. Spinning rather than sleeping:
// a sleep would cost a scheduler tick, far more than the calls it imitates.
void busyWork(std::chrono::microseconds length) {
  if (length.count() <= 0) return;
  auto end = std::chrono::steady_clock::now() + length;
  while (std::chrono::steady_clock::now() < end) {
  }
}

std::string interfacePath(uint16_t vid, uint16_t pid, const char* function, uint32_t instance) {
  char path[160];
  std::snprintf(path, sizeof(path), "\\\\?\\hid#vid_%04x&pid_%04x%s#7&%08x&0&0000#%s", vid, pid, function,
                static_cast<unsigned>(instance), kHidClassGuid);
  return path;
}

// A few of the things a desktop machine has besides the mouse, some of them
// close to the mouse's identification in one respect.
struct UnrelatedKind {
  uint16_t vid, pid, usagePage, usage, input, feature;
  const char* function;
};
const UnrelatedKind kUnrelatedKinds[] = {
    {0x2A7C, 0x0101, 0x0001, 0x0006, 9, 0, "&mi_00"},        // keyboard
    {0x2A7C, 0x0101, 0x000C, 0x0001, 3, 0, "&mi_01&col01"},  // its media keys
    {0x3B12, 0x0A20, 0x0001, 0x0002, 5, 0, ""},              // a plain mouse
    {0x2A7C, 0x0101, 0x0001, 0x0080, 2, 0, "&mi_01&col02"},  // system control
    {0x4C0D, 0x2210, 0xFF00, 0x0001, 65, 65, ""},            // some vendor's device
    {0x51E7, 0x0005, 0xFF01, 0x0001, 0, 9, "&mi_01"},        // same product ID and frame size, other vendor
    {0x3B12, 0x0A21, 0xFF12, 0x0002, 8, 0, "&mi_02"},        // the vendor page, another usage
    {0x3B12, 0x0A22, 0xFF12, 0x0001, 64, 0, "&mi_02"},       // the vendor page and usage, 64-byte reports
};

}  // namespace

BusCosts BusCosts::realistic() {
  BusCosts costs;
  costs.enumerateInterface = std::chrono::microseconds(3);
  costs.open = std::chrono::microseconds(8);
  costs.query = std::chrono::microseconds(4);
  costs.string = std::chrono::microseconds(20);
  costs.feature = std::chrono::microseconds(30);
  return costs;
}

struct VirtualHidBus::Interface {
  std::string path;
  HidCapabilities caps;
  HidAttributes attributes;
};

struct VirtualHidBus::Device {
  uint32_t id = 0;
  std::string name;
  bool plugged = true;
  uint32_t generation = 0;  // a new one at every unplug: older handles fail
  std::vector<Interface> interfaces;
  std::map<uint32_t, std::string> strings;  // shared by the device's interfaces
  bool hasInput = false;
  std::unique_ptr<MouseAdapter> adapter;       // mice only
  std::unique_ptr<VirtualMouseFirmware> firmware;  // mice only
  FirmwareFrame lastFrame{};  // what a device without firmware answers a get with
};

// Hands one mouse's output to the bus output with the mouse's id.
class VirtualHidBus::MouseAdapter : public FirmwareOutput {
public:
  MouseAdapter(BusOutput& output, uint32_t device) : m_output(output), m_device(device) {}
  void inputReport(const VendorReport& report) override { m_output.inputReport(m_device, report); }
  void keyboardChanged(uint8_t modifiers, const HeldKeys& keys) override {
    m_output.keyboardChanged(m_device, modifiers, keys);
  }
  void buttonsChanged(uint8_t buttons) override { m_output.buttonsChanged(m_device, buttons); }

private:
  BusOutput& m_output;
  uint32_t m_device;
};

VirtualHidBus::VirtualHidBus(BusOutput& output, BusCosts costs) : m_output(output), m_costs(costs) {}

VirtualHidBus::~VirtualHidBus() = default;

VirtualHidBus::Device& VirtualHidBus::newDevice(const std::string& prefix, int& counter) {
  ++counter;
  auto device = std::make_unique<Device>();
  device->id = static_cast<uint32_t>(m_devices.size() + 1);
  device->name = prefix == "mouse" && counter == 1 ? prefix : prefix + std::to_string(counter);
  m_devices.push_back(std::move(device));
  return *m_devices.back();
}

bool VirtualHidBus::roomFor(size_t interfaces) const {
  size_t total = 0;
  for (const auto& device : m_devices) total += device->interfaces.size();
  return total + interfaces <= kMaxInterfaces;
}

std::string VirtualHidBus::addMouse() {
  std::lock_guard<std::mutex> guard(m_lock);
  if (!roomFor(2)) return "";
  Device& device = newDevice("mouse", m_mice);
  uint32_t instance = 0x2c1d4a80u + device.id;
  Interface config;
  config.path = interfacePath(VirtualMouseIdentity::VendorId, VirtualMouseIdentity::ProductId, "&mi_01", instance);
  config.caps.usagePage = 0xFF00;
  config.caps.usage = 0x0001;
  config.caps.featureReportByteLength = VirtualMouseIdentity::FeatureLength;
  config.attributes = {VirtualMouseIdentity::VendorId, VirtualMouseIdentity::ProductId};
  Interface input;
  input.path = interfacePath(VirtualMouseIdentity::VendorId, VirtualMouseIdentity::ProductId, "&mi_02", instance + 0x100);
  input.caps.usagePage = VirtualMouseIdentity::InputUsagePage;
  input.caps.usage = VirtualMouseIdentity::InputUsage;
  input.caps.inputReportByteLength = VirtualMouseIdentity::InputLength;
  input.attributes = config.attributes;
  device.interfaces = {config, input};
  device.strings = {{1, "Pelmor"}, {2, "Gaming Mouse"}, {VirtualMouseIdentity::VendorStringIndex, VirtualMouseIdentity::VendorString}};
  device.hasInput = true;
  device.adapter = std::make_unique<MouseAdapter>(m_output, device.id);
  device.firmware = std::make_unique<VirtualMouseFirmware>(*device.adapter, m_log, device.name);
  return device.name;
}

std::string VirtualHidBus::addForeignString(const std::string& vendorString) {
  std::lock_guard<std::mutex> guard(m_lock);
  if (!roomFor(1)) return "";
  Device& device = newDevice("foreign", m_foreignStrings);
  Interface config;
  config.path = interfacePath(VirtualMouseIdentity::VendorId, VirtualMouseIdentity::ProductId, "&mi_01", 0x5e0a1200u + device.id);
  config.caps.usagePage = 0xFF00;
  config.caps.usage = 0x0001;
  config.caps.featureReportByteLength = VirtualMouseIdentity::FeatureLength;
  config.attributes = {VirtualMouseIdentity::VendorId, VirtualMouseIdentity::ProductId};
  device.interfaces = {config};
  device.strings = {{VirtualMouseIdentity::VendorStringIndex, vendorString}};
  return device.name;
}

std::string VirtualHidBus::addForeignCollection(uint16_t vendorId, uint16_t productId) {
  std::lock_guard<std::mutex> guard(m_lock);
  if (!roomFor(1)) return "";
  Device& device = newDevice("collection", m_foreignCollections);
  Interface input;
  input.path = interfacePath(vendorId, productId, "&mi_02", 0x6f3b0000u + device.id);
  input.caps.usagePage = VirtualMouseIdentity::InputUsagePage;
  input.caps.usage = VirtualMouseIdentity::InputUsage;
  input.caps.inputReportByteLength = VirtualMouseIdentity::InputLength;
  input.attributes = {vendorId, productId};
  device.interfaces = {input};
  device.strings = {{1, "Tessaro"}};
  device.hasInput = true;
  return device.name;
}

int VirtualHidBus::addUnrelated(int count) {
  std::lock_guard<std::mutex> guard(m_lock);
  int added = 0;
  for (; added < count && roomFor(1); ++added) {
    Device& device = newDevice("hid", m_unrelated);
    const UnrelatedKind& kind = kUnrelatedKinds[(m_unrelated - 1) % (sizeof(kUnrelatedKinds) / sizeof(kUnrelatedKinds[0]))];
    Interface iface;
    iface.path = interfacePath(kind.vid, kind.pid, kind.function, 0x10a00000u + device.id);
    iface.caps = {kind.usage, kind.usagePage, kind.input, kind.feature};
    iface.attributes = {kind.vid, kind.pid};
    device.interfaces = {iface};
  }
  return added;
}

VirtualHidBus::Device* VirtualHidBus::findDevice(const std::string& name) {
  for (auto& device : m_devices) {
    if (device->name == name) return device.get();
  }
  return nullptr;
}

const VirtualHidBus::Device* VirtualHidBus::findDevice(const std::string& name) const {
  for (const auto& device : m_devices) {
    if (device->name == name) return device.get();
  }
  return nullptr;
}

uint32_t VirtualHidBus::deviceId(const std::string& name) const {
  std::lock_guard<std::mutex> guard(m_lock);
  const Device* device = findDevice(name);
  return device ? device->id : 0;
}

size_t VirtualHidBus::interfaceCount() const {
  std::lock_guard<std::mutex> guard(m_lock);
  size_t total = 0;
  for (const auto& device : m_devices) total += device->interfaces.size();
  return total;
}

DeviceResult VirtualHidBus::setPlugged(const std::string& name, bool plugged, bool* changed) {
  std::lock_guard<std::mutex> guard(m_lock);
  if (changed) *changed = false;
  Device* device = findDevice(name);
  if (!device) return DeviceResult::NoSuchDevice;
  if (device->plugged == plugged) return DeviceResult::Ok;
  if (changed) *changed = true;
  device->plugged = plugged;
  if (!plugged) ++device->generation;
  // Pulled out, the mouse lets go of everything; plugged in, it starts afresh.
  if (device->firmware) device->firmware->resetToPowerOn();
  device->lastFrame = FirmwareFrame{};
  return DeviceResult::Ok;
}

DeviceResult VirtualHidBus::resetMouse(const std::string& name) {
  std::lock_guard<std::mutex> guard(m_lock);
  Device* device = findDevice(name);
  if (!device) return DeviceResult::NoSuchDevice;
  if (!device->firmware) return DeviceResult::NotAMouse;
  if (!device->plugged) return DeviceResult::Unplugged;
  device->firmware->resetToPowerOn();
  return DeviceResult::Ok;
}

DeviceResult VirtualHidBus::setPhysicalButtons(const std::string& name, uint8_t buttons) {
  std::lock_guard<std::mutex> guard(m_lock);
  Device* device = findDevice(name);
  if (!device) return DeviceResult::NoSuchDevice;
  if (!device->firmware) return DeviceResult::NotAMouse;
  if (!device->plugged) return DeviceResult::Unplugged;
  device->firmware->setPhysicalButtons(buttons);
  return DeviceResult::Ok;
}

DeviceResult VirtualHidBus::pressDpiButton(const std::string& name) {
  std::lock_guard<std::mutex> guard(m_lock);
  Device* device = findDevice(name);
  if (!device) return DeviceResult::NoSuchDevice;
  if (!device->firmware) return DeviceResult::NotAMouse;
  if (!device->plugged) return DeviceResult::Unplugged;
  device->firmware->pressDpiButton();
  return DeviceResult::Ok;
}

DeviceResult VirtualHidBus::setAnswersCommands(const std::string& name, bool answers) {
  std::lock_guard<std::mutex> guard(m_lock);
  Device* device = findDevice(name);
  if (!device) return DeviceResult::NoSuchDevice;
  if (!device->firmware) return DeviceResult::NotAMouse;
  device->firmware->setAnswersCommands(answers);
  return DeviceResult::Ok;
}

DeviceResult VirtualHidBus::sendReport(const std::string& name, const VendorReport& report) {
  std::lock_guard<std::mutex> guard(m_lock);
  Device* device = findDevice(name);
  if (!device) return DeviceResult::NoSuchDevice;
  if (!device->hasInput) return DeviceResult::CannotSend;
  if (!device->plugged) return DeviceResult::Unplugged;
  m_output.inputReport(device->id, report);
  return DeviceResult::Ok;
}

DeviceResult VirtualHidBus::mouseState(const std::string& name, MouseSnapshot& snapshot) const {
  std::lock_guard<std::mutex> guard(m_lock);
  const Device* device = findDevice(name);
  if (!device) return DeviceResult::NoSuchDevice;
  if (!device->firmware) return DeviceResult::NotAMouse;
  const VirtualMouseFirmware& fw = *device->firmware;
  snapshot.plugged = device->plugged;
  snapshot.reportMask = fw.reportMask();
  snapshot.modifiers = fw.modifiers();
  snapshot.keys = fw.keys();
  snapshot.injectedButtons = fw.injectedButtons();
  snapshot.physicalButtons = fw.physicalButtons();
  snapshot.dpiSteps = fw.dpiSteps();
  snapshot.dpiLevel = fw.dpiLevel();
  return DeviceResult::Ok;
}

std::string VirtualHidBus::deviceOf(const std::string& path) {
  std::lock_guard<std::mutex> guard(m_lock);
  for (const auto& device : m_devices) {
    for (const Interface& iface : device->interfaces) {
      if (iface.path != path) continue;
      char node[64];
      std::snprintf(node, sizeof(node), "USB\\VID_%04X&PID_%04X\\%08X", iface.attributes.vendorId,
                    iface.attributes.productId, static_cast<unsigned>(0x5a000000u + device->id));
      return node;
    }
  }
  return std::string();
}

bool VirtualHidBus::inputCollection(uint32_t id, std::string& path, HidAttributes& attributes,
                                    HidCapabilities& caps) const {
  std::lock_guard<std::mutex> guard(m_lock);
  for (const auto& device : m_devices) {
    if (device->id != id || !device->plugged) continue;
    for (const Interface& iface : device->interfaces) {
      if (iface.caps.usagePage != VirtualMouseIdentity::InputUsagePage ||
          iface.caps.usage != VirtualMouseIdentity::InputUsage)
        continue;
      path = iface.path;
      attributes = iface.attributes;
      caps = iface.caps;
      return true;
    }
  }
  return false;
}

std::vector<std::string> VirtualHidBus::enumerateInterfaces() {
  std::vector<std::string> paths;
  size_t walked = 0;
  {
    std::lock_guard<std::mutex> guard(m_lock);
    for (const auto& device : m_devices) {
      walked += device->interfaces.size();
      if (!device->plugged) continue;
      for (const Interface& iface : device->interfaces) paths.push_back(iface.path);
    }
  }
  busyWork(m_costs.enumerateInterface * static_cast<int>(walked));
  return paths;
}

HidBus::Handle VirtualHidBus::open(const std::string& path) {
  busyWork(m_costs.open);
  std::lock_guard<std::mutex> guard(m_lock);
  for (size_t d = 0; d < m_devices.size(); ++d) {
    const Device& device = *m_devices[d];
    if (!device.plugged) continue;
    for (size_t i = 0; i < device.interfaces.size(); ++i) {
      if (device.interfaces[i].path != path) continue;
      uintptr_t value = m_nextHandle;
      m_nextHandle += 4;
      m_handles[value] = OpenHandle{d, i, device.generation};
      return reinterpret_cast<Handle>(value);
    }
  }
  return nullptr;
}

const VirtualHidBus::Interface* VirtualHidBus::resolve(Handle handle, Device** device) {
  auto found = m_handles.find(reinterpret_cast<uintptr_t>(handle));
  if (found == m_handles.end()) return nullptr;
  Device& owner = *m_devices[found->second.device];
  if (!owner.plugged || owner.generation != found->second.generation) return nullptr;
  if (device) *device = &owner;
  return &owner.interfaces[found->second.ifaceIndex];
}

bool VirtualHidBus::capabilities(Handle handle, HidCapabilities& caps) {
  busyWork(m_costs.query);
  std::lock_guard<std::mutex> guard(m_lock);
  const Interface* iface = resolve(handle, nullptr);
  if (!iface) return false;
  caps = iface->caps;
  return true;
}

bool VirtualHidBus::attributes(Handle handle, HidAttributes& attributes) {
  busyWork(m_costs.query);
  std::lock_guard<std::mutex> guard(m_lock);
  const Interface* iface = resolve(handle, nullptr);
  if (!iface) return false;
  attributes = iface->attributes;
  return true;
}

bool VirtualHidBus::indexedString(Handle handle, uint32_t index, size_t bufferBytes, std::string& text) {
  busyWork(m_costs.string);
  std::lock_guard<std::mutex> guard(m_lock);
  Device* device = nullptr;
  if (!resolve(handle, &device)) return false;
  auto found = device->strings.find(index);
  if (found == device->strings.end()) return false;
  // The request fills a buffer of wide characters; what does not fit, with
  // its terminator, is cut off.
  size_t fits = bufferBytes / 2;
  if (fits == 0) return false;
  text = found->second.substr(0, fits - 1);
  return true;
}

bool VirtualHidBus::setFeature(Handle handle, const uint8_t* report, size_t length) {
  busyWork(m_costs.feature);
  std::lock_guard<std::mutex> guard(m_lock);
  Device* device = nullptr;
  const Interface* iface = resolve(handle, &device);
  if (!iface || !report) return false;
  if (iface->caps.featureReportByteLength == 0 || length != iface->caps.featureReportByteLength) return false;
  if (device->firmware && iface == &device->interfaces[0]) return device->firmware->setFeature(report, length);
  if (length == kFirmwareFrameLength) {
    std::copy(report, report + length, device->lastFrame.begin());
    m_log.record(false, device->name, device->lastFrame);
  }
  return true;
}

bool VirtualHidBus::getFeature(Handle handle, uint8_t* report, size_t length) {
  busyWork(m_costs.feature);
  std::lock_guard<std::mutex> guard(m_lock);
  Device* device = nullptr;
  const Interface* iface = resolve(handle, &device);
  if (!iface || !report) return false;
  if (iface->caps.featureReportByteLength == 0 || length != iface->caps.featureReportByteLength) return false;
  if (device->firmware && iface == &device->interfaces[0]) return device->firmware->getFeature(report, length);
  std::fill(report, report + length, 0);
  if (length == kFirmwareFrameLength) {
    std::copy(device->lastFrame.begin(), device->lastFrame.end(), report);
    m_log.record(true, device->name, device->lastFrame);
  }
  return true;
}

void VirtualHidBus::close(Handle handle) {
  std::lock_guard<std::mutex> guard(m_lock);
  m_handles.erase(reinterpret_cast<uintptr_t>(handle));
}
