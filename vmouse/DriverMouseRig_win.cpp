#include "vmouse/DriverMouseRig_win.h"

#include <setupapi.h>
#include <newdev.h>
#include <winioctl.h>

extern "C" {
#include <hidsdi.h>
}

#include <cctype>
#include <cstdio>
#include <cstring>
#include <sstream>
#include <vector>

#include "vmouse/driver/DriverMouseProtocol.h"

namespace {

const char kHardwareId[] = "root\\skivolmouse";
const GUID kHidClass = {0x745a17a0, 0x74d3, 0x11d0, {0xb6, 0xfe, 0x00, 0xa0, 0xc9, 0x0f, 0x57, 0xda}};
constexpr DWORD kPlugRetryMs = 50;
constexpr DWORD kPlugDeadlineMs = 30000;

HANDLE openDevice() {
  return ::CreateFileA(SKIVOL_RIG_USER_PATH, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                       OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
}

// Whether this system has a device with the mouse's hardware ID.
bool deviceRegistered() {
  HDEVINFO set = ::SetupDiGetClassDevsA(&kHidClass, nullptr, nullptr, 0);
  if (set == INVALID_HANDLE_VALUE) return false;
  bool found = false;
  SP_DEVINFO_DATA device = {};
  device.cbSize = sizeof(device);
  for (DWORD i = 0; !found && ::SetupDiEnumDeviceInfo(set, i, &device); ++i) {
    char ids[512] = {};
    if (!::SetupDiGetDeviceRegistryPropertyA(set, &device, SPDRP_HARDWAREID, nullptr, reinterpret_cast<BYTE*>(ids),
                                             sizeof(ids) - 2, nullptr))
      continue;
    for (const char* id = ids; *id && !found; id += std::strlen(id) + 1) found = lstrcmpiA(id, kHardwareId) == 0;
  }
  ::SetupDiDestroyDeviceInfoList(set);
  return found;
}

// How many HID interfaces whose path holds `part` (lower case) the system
// enumerates now.
int enumeratedInterfaces(const std::string& part = "vid_e0ff&pid_0005&mi_0") {
  GUID hid;
  ::HidD_GetHidGuid(&hid);
  HDEVINFO set = ::SetupDiGetClassDevsA(&hid, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
  if (set == INVALID_HANDLE_VALUE) return 0;
  int count = 0;
  SP_DEVICE_INTERFACE_DATA data = {};
  data.cbSize = sizeof(data);
  for (DWORD i = 0; ::SetupDiEnumDeviceInterfaces(set, nullptr, &hid, i, &data); ++i) {
    char buffer[512] = {};
    auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_A*>(buffer);
    detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A);
    if (!::SetupDiGetDeviceInterfaceDetailA(set, &data, detail, sizeof(buffer) - 1, nullptr, nullptr)) continue;
    std::string path = detail->DevicePath;
    for (char& c : path) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (path.find(part) != std::string::npos) ++count;
  }
  ::SetupDiDestroyDeviceInfoList(set);
  return count;
}

std::string hex4(unsigned value) {
  char text[8];
  std::snprintf(text, sizeof(text), "%04x", value & 0xFFFF);
  return text;
}

std::string lastError(const char* what) { return std::string(what) + " failed, error " + std::to_string(::GetLastError()); }

// A root device with the mouse's hardware ID, its driver installed from the
// INF (which the system also keeps, for the interfaces that appear later).
bool installDevice(const std::string& infPath, std::string& error) {
  HDEVINFO set = ::SetupDiCreateDeviceInfoList(&kHidClass, nullptr);
  if (set == INVALID_HANDLE_VALUE) {
    error = lastError("SetupDiCreateDeviceInfoList");
    return false;
  }
  SP_DEVINFO_DATA device = {};
  device.cbSize = sizeof(device);
  const char ids[] = "root\\skivolmouse\0";
  bool made = ::SetupDiCreateDeviceInfoA(set, "SKIVOLMOUSE", &kHidClass, nullptr, nullptr, DICD_GENERATE_ID, &device) &&
              ::SetupDiSetDeviceRegistryPropertyA(set, &device, SPDRP_HARDWAREID, reinterpret_cast<const BYTE*>(ids),
                                                  sizeof(ids)) &&
              ::SetupDiCallClassInstaller(DIF_REGISTERDEVICE, set, &device);
  if (!made) error = lastError("registering the device");
  ::SetupDiDestroyDeviceInfoList(set);
  if (!made) return false;
  BOOL reboot = FALSE;
  if (!::UpdateDriverForPlugAndPlayDevicesA(nullptr, kHardwareId, infPath.c_str(), INSTALLFLAG_FORCE, &reboot)) {
    error = lastError("UpdateDriverForPlugAndPlayDevices");
    return false;
  }
  return true;
}

}  // namespace

DriverMouseRig::DriverMouseRig()
    : m_bus(*this, BusCosts::none()),
      m_commands(m_bus, *this),
      m_channel([this](const std::string& line) { return execute(line); }) {
  m_bus.addMouse();
}

DriverMouseRig::~DriverMouseRig() {
  m_stopping = true;
  m_channel.stop();
  if (m_device != INVALID_HANDLE_VALUE) {
    ::CancelIoEx(m_device, nullptr);
    if (m_transfers.joinable()) m_transfers.join();
    ::CloseHandle(m_device);
  }
}

bool DriverMouseRig::attach(const std::string& infPath, DWORD timeoutMs, std::string& error) {
  // The drivers beside the INF go into a new prefix. A loaded driver's file
  // cannot be replaced from within: tools/session.sh puts a newer build's in
  // before the system starts.
  const std::string folder = infPath.substr(0, infPath.find_last_of("\\/") + 1);
  char system[MAX_PATH] = {};
  ::GetSystemDirectoryA(system, MAX_PATH);
  for (const char* driver : {"SkivolMouseBus.sys", "SkivolMouseHid.sys"})
    ::CopyFileA((folder + driver).c_str(), (std::string(system) + "\\drivers\\" + driver).c_str(), FALSE);
  // The system installs the interfaces' driver from its own copy of the INF
  // each time they appear.
  if (!::SetupCopyOEMInfA(infPath.c_str(), nullptr, SPOST_PATH, 0, nullptr, 0, nullptr, nullptr)) {
    error = lastError("SetupCopyOEMInf");
    return false;
  }
  m_device = openDevice();
  if (m_device == INVALID_HANDLE_VALUE && !deviceRegistered() && !installDevice(infPath, error)) return false;
  // The device comes up a moment after it is installed, or after the
  // system's start.
  const DWORD start = ::GetTickCount();
  while (m_device == INVALID_HANDLE_VALUE) {
    if (::GetTickCount() - start > timeoutMs) {
      error = "the mouse's device did not come up";
      return false;
    }
    ::Sleep(100);
    m_device = openDevice();
  }
  return true;
}

bool DriverMouseRig::control(DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize, DWORD* returned) {
  OVERLAPPED overlapped = {};
  overlapped.hEvent = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
  DWORD done = 0;
  BOOL ok = ::DeviceIoControl(m_device, code, const_cast<void*>(in), inSize, out, outSize, &done, &overlapped);
  if (!ok && ::GetLastError() == ERROR_IO_PENDING) ok = ::GetOverlappedResult(m_device, &overlapped, &done, TRUE);
  ::CloseHandle(overlapped.hEvent);
  if (returned) *returned = done;
  return ok != FALSE;
}

bool DriverMouseRig::setDevicePlugged(bool plugged) {
  const ULONG value = plugged ? 1 : 0;
  // Plugging in waits until the interfaces of the last plug are gone.
  const DWORD start = ::GetTickCount();
  while (!control(IOCTL_SKIVOL_RIG_PLUG, &value, sizeof(value), nullptr, 0)) {
    if (::GetLastError() != ERROR_BUSY || ::GetTickCount() - start > kPlugDeadlineMs) return false;
    ::Sleep(kPlugRetryMs);
  }
  m_devicePlugged = plugged;
  // Done once the system has seen the change: a program started or asked
  // after `plug` or `unplug` finds the mouse as it now is.
  const int wanted = plugged ? 2 : 0;
  while (enumeratedInterfaces() != wanted) {
    if (::GetTickCount() - start > kPlugDeadlineMs) return false;
    ::Sleep(kPlugRetryMs);
  }
  return true;
}

bool DriverMouseRig::start(bool plugged, uint16_t port) {
  // Whatever an earlier rig left plugged in comes back at power-on, and the
  // devices it put on the desk go.
  control(IOCTL_SKIVOL_RIG_DESK_CLEAR, nullptr, 0, nullptr, 0);
  if (!setDevicePlugged(false)) return false;
  if (!plugged) m_bus.setPlugged("mouse", false);
  if (plugged && !setDevicePlugged(true)) return false;
  m_transfers = std::thread([this] { takeTransfers(); });
  if (!m_channel.start(port)) m_channel.start(0);
  return m_channel.port() != 0;
}

ControlAnswer DriverMouseRig::execute(const std::string& line) {
  std::istringstream words(line);
  std::string verb;
  words >> verb;
  for (char& c : verb) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  // The system's own stack has one mouse on it, beside which only other
  // makers' devices come, and makes the raw-input packets itself.
  std::string what;
  words >> what;
  for (char& c : what) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if ((verb == "add" && what != "device") || verb == "packet")
    return ControlAnswer{{"error the driver mouse cannot " + verb}, false};
  return m_commands.execute(line);
}

void DriverMouseRig::takeTransfers() {
  while (!m_stopping) {
    SkivolRigTransfer transfer = {};
    DWORD returned = 0;
    if (!control(IOCTL_SKIVOL_RIG_NEXT_TRANSFER, nullptr, 0, &transfer, sizeof(transfer), &returned) ||
        returned != sizeof(transfer)) {
      if (m_stopping) return;
      ::Sleep(kPlugRetryMs);
      continue;
    }
    // The firmware's own handle on its configuration interface, opened for
    // each transfer: unplugging closes what was open.
    std::string path;
    for (const std::string& candidate : m_bus.enumerateInterfaces())
      if (candidate.find("&mi_01") != std::string::npos) path = candidate;
    HidBus::Handle handle = path.empty() ? nullptr : m_bus.open(path);
    if (!handle) continue;
    if (transfer.isGet) {
      uint8_t frame[SKIVOL_FEATURE_LENGTH];
      m_bus.getFeature(handle, frame, sizeof(frame));
    } else {
      m_bus.setFeature(handle, transfer.frame, sizeof(transfer.frame));
    }
    m_bus.close(handle);
  }
}

void DriverMouseRig::inputReport(uint32_t, const VendorReport& report) {
  if (m_devicePlugged) control(IOCTL_SKIVOL_RIG_INPUT, report.data(), static_cast<DWORD>(report.size()), nullptr, 0);
}

void DriverMouseRig::keyboardChanged(uint32_t device, uint8_t modifiers, const HeldKeys& keys) {
  m_desktop.keyboardChanged(device, modifiers, keys);
}

void DriverMouseRig::buttonsChanged(uint32_t device, uint8_t buttons) { m_desktop.buttonsChanged(device, buttons); }

void DriverMouseRig::announceDeviceChange() {
  MouseSnapshot snapshot;
  if (m_bus.mouseState("mouse", snapshot) != DeviceResult::Ok || snapshot.plugged == m_devicePlugged) return;
  setDevicePlugged(snapshot.plugged);
}

bool DriverMouseRig::injectPacket(uint32_t, uint32_t, const std::vector<uint8_t>&) { return false; }

const DriverMouseRig::DeskDevice* DriverMouseRig::findDesk(const std::string& name) const {
  for (const DeskDevice& device : m_desk)
    if (device.name == name) return &device;
  return nullptr;
}

bool DriverMouseRig::hasDevice(const std::string& name) { return findDesk(name) != nullptr; }

std::string DriverMouseRig::addDevice(uint16_t vendorId, uint16_t productId,
                                      const std::vector<TopLevelCollection>& collections, const std::string& name) {
  DeskDevice device;
  device.name = name.empty() ? "device" + std::to_string(m_desk.size() + 1) : name;
  if (findDesk(device.name)) return "error '" + device.name + "' is taken";
  device.vendorId = vendorId;
  device.productId = productId;
  device.collections = collections;
  for (const TopLevelCollection& collection : collections)
    if (collection.descriptor.size() > SKIVOL_DESK_DESCRIPTOR) return "error a collection's descriptor is too long";
  const std::string part = "vid_" + hex4(vendorId) + "&pid_" + hex4(productId) + "&mi_00";
  const int before = enumeratedInterfaces(part);
  // Numbered after the mouse's instance 0, one number a device.
  const unsigned long number = static_cast<unsigned long>(m_desk.size() + 1);
  for (size_t i = 0; i < collections.size(); ++i) {
    SkivolDeskInterface made = {};
    made.device = number;
    made.collection = collections.size() > 1 ? static_cast<unsigned long>(i + 1) : 0;
    made.vendorId = vendorId;
    made.productId = productId;
    made.descriptorLength = static_cast<unsigned long>(collections[i].descriptor.size());
    std::memcpy(made.descriptor, collections[i].descriptor.data(), collections[i].descriptor.size());
    ULONG slot = 0;
    if (!control(IOCTL_SKIVOL_RIG_DESK_ADD, &made, sizeof(made), &slot, sizeof(slot)))
      return "error the bus took no more (" + std::to_string(::GetLastError()) + ")";
    device.slots.push_back(slot);
  }
  m_desk.push_back(device);
  // Done once the system enumerates its interfaces.
  const int wanted = before + static_cast<int>(collections.size());
  const DWORD start = ::GetTickCount();
  while (enumeratedInterfaces(part) < wanted) {
    if (::GetTickCount() - start > kPlugDeadlineMs) return "error the system did not take " + device.name;
    ::Sleep(kPlugRetryMs);
  }
  return device.name;
}

std::string DriverMouseRig::deviceReport(const std::string& name, const std::vector<uint8_t>& report) {
  const DeskDevice* device = findDesk(name);
  if (!device) return "error no device '" + name + "'";
  const int collection = ReportDescriptor::collectionOfReport(device->collections, report.empty() ? 0 : report[0]);
  if (collection < 0) return "error no collection of " + name + " sends that report";
  SkivolDeskReport given = {};
  given.slot = device->slots[static_cast<size_t>(collection)];
  given.length = static_cast<unsigned long>(report.size());
  if (report.empty() || report.size() > sizeof(given.report)) return "error a report of 1 to 64 bytes";
  std::memcpy(given.report, report.data(), report.size());
  if (!control(IOCTL_SKIVOL_RIG_DESK_INPUT, &given, sizeof(given), nullptr, 0))
    return "error the bus refused it (" + std::to_string(::GetLastError()) + ")";
  return "ok";
}

std::string DriverMouseRig::deviceState(const std::string& name) {
  const DeskDevice* device = findDesk(name);
  if (!device) return "error no device '" + name + "'";
  SkivolDeskCounts total = {};
  for (unsigned long slot : device->slots) {
    SkivolDeskCounts counts = {};
    ULONG in = slot;
    if (!control(IOCTL_SKIVOL_RIG_DESK_COUNTS, &in, sizeof(in), &counts, sizeof(counts)))
      return "error the bus did not answer";
    total.featureSets += counts.featureSets;
    total.outputReports += counts.outputReports;
    total.featureGets += counts.featureGets;
    total.inputReports += counts.inputReports;
  }
  return "vid=" + hex4(device->vendorId) + " pid=" + hex4(device->productId) +
         " collections=" + std::to_string(device->collections.size()) +
         " feature-sets=" + std::to_string(total.featureSets) + " output-reports=" + std::to_string(total.outputReports) +
         " feature-gets=" + std::to_string(total.featureGets) + " input-reports=" + std::to_string(total.inputReports);
}
