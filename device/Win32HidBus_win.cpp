#include "device/Win32HidBus.h"

#include <windows.h>
#include <setupapi.h>
#include <cfgmgr32.h>

extern "C" {
#include <hidsdi.h>
}

#include <algorithm>
#include <cctype>
#include <vector>

namespace {
// The system checks the cbSize of the records it is handed. The detail
// record's is the size of its fixed part: 5 on 32-bit Windows, where SetupAPI
// packs its structures tightly.
#if defined(_WIN32) && !defined(_WIN64)
static_assert(sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A) == 5, "packed detail record");
static_assert(sizeof(SP_DEVICE_INTERFACE_DATA) == 28, "interface record");
static_assert(sizeof(SECURITY_ATTRIBUTES) == 12, "security attributes");
#endif

HANDLE toHandle(HidBus::Handle handle) { return static_cast<HANDLE>(handle); }

// The interface path of one enumerated interface, or false.
bool interfacePath(HDEVINFO set, SP_DEVICE_INTERFACE_DATA& data, std::string& path) {
  DWORD required = 0;
  // The first call only learns the size; it fails with ERROR_INSUFFICIENT_BUFFER.
  ::SetupDiGetDeviceInterfaceDetailA(set, &data, nullptr, 0, &required, nullptr);
  if (required < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A)) return false;
  std::vector<char> buffer(required + 1, '\0');
  auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_A*>(buffer.data());
  detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A);
  if (!::SetupDiGetDeviceInterfaceDetailA(set, &data, detail, required, nullptr, nullptr)) return false;
  path = detail->DevicePath;
  return true;
}
}  // namespace

std::vector<std::string> Win32HidBus::enumerateInterfaces() {
  std::vector<std::string> paths;
  GUID hidClass;
  ::HidD_GetHidGuid(&hidClass);
  HDEVINFO set = ::SetupDiGetClassDevsA(&hidClass, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
  if (set == INVALID_HANDLE_VALUE) return paths;
  for (DWORD index = 0;; ++index) {
    SP_DEVICE_INTERFACE_DATA data = {};
    data.cbSize = sizeof(data);
    // Ends with ERROR_NO_MORE_ITEMS; any other failure ends the walk as well,
    // and either way the set is released.
    if (!::SetupDiEnumDeviceInterfaces(set, nullptr, &hidClass, index, &data)) break;
    std::string path;
    if (interfacePath(set, data, path)) paths.push_back(std::move(path));
  }
  ::SetupDiDestroyDeviceInfoList(set);
  return paths;
}

HidBus::Handle Win32HidBus::open(const std::string& path) {
  // Mice and keyboards do not open for reading or writing; with access 0
  // they open, and string and feature requests still work.
  SECURITY_ATTRIBUTES security = {};
  security.nLength = sizeof(security);
  security.lpSecurityDescriptor = nullptr;
  security.bInheritHandle = TRUE;
  HANDLE handle = ::CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, &security, OPEN_EXISTING,
                                FILE_FLAG_OVERLAPPED, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return nullptr;
  return handle;
}

bool Win32HidBus::capabilities(Handle handle, HidCapabilities& caps) {
  if (!handle) return false;
  PHIDP_PREPARSED_DATA preparsed = nullptr;
  if (!::HidD_GetPreparsedData(toHandle(handle), &preparsed)) return false;
  HIDP_CAPS raw = {};
  const NTSTATUS status = ::HidP_GetCaps(preparsed, &raw);
  ::HidD_FreePreparsedData(preparsed);
  if (status != HIDP_STATUS_SUCCESS) return false;
  caps.usage = raw.Usage;
  caps.usagePage = raw.UsagePage;
  caps.inputReportByteLength = raw.InputReportByteLength;
  caps.featureReportByteLength = raw.FeatureReportByteLength;
  return true;
}

bool Win32HidBus::attributes(Handle handle, HidAttributes& attributes) {
  if (!handle) return false;
  HIDD_ATTRIBUTES raw = {};
  raw.Size = sizeof(raw);
  if (!::HidD_GetAttributes(toHandle(handle), &raw)) return false;
  attributes.vendorId = raw.VendorID;
  attributes.productId = raw.ProductID;
  return true;
}

bool Win32HidBus::indexedString(Handle handle, uint32_t index, size_t bufferBytes, std::string& text) {
  // The slots' state-word requests go out on handles that were never opened;
  // they reach nothing.
  if (!handle) return false;
  // One spare character beyond what the request may fill keeps the string
  // terminated even when the device fills the buffer.
  std::vector<wchar_t> wide(bufferBytes / sizeof(wchar_t) + 1, L'\0');
  if (!::HidD_GetIndexedString(toHandle(handle), index, wide.data(), static_cast<ULONG>(bufferBytes))) return false;
  const int length = static_cast<int>(wcsnlen(wide.data(), wide.size()));
  text.clear();
  if (length == 0) return true;
  const int bytes = ::WideCharToMultiByte(CP_ACP, 0, wide.data(), length, nullptr, 0, nullptr, nullptr);
  if (bytes <= 0) return false;
  text.resize(static_cast<size_t>(bytes));
  ::WideCharToMultiByte(CP_ACP, 0, wide.data(), length, &text[0], bytes, nullptr, nullptr);
  return true;
}

bool Win32HidBus::setFeature(Handle handle, const uint8_t* report, size_t length) {
  if (!handle) return false;
  // The call takes a writable buffer; the frame stays the caller's.
  std::vector<uint8_t> buffer(report, report + length);
  return ::HidD_SetFeature(toHandle(handle), buffer.data(), static_cast<ULONG>(length)) != FALSE;
}

bool Win32HidBus::getFeature(Handle handle, uint8_t* report, size_t length) {
  if (!handle) return false;
  return ::HidD_GetFeature(toHandle(handle), report, static_cast<ULONG>(length)) != FALSE;
}

void Win32HidBus::close(Handle handle) {
  if (!handle) return;
  ::CancelIo(toHandle(handle));
  ::CloseHandle(toHandle(handle));
}

void Win32HidBus::cancelIo(Handle handle) {
  if (handle) ::CancelIo(toHandle(handle));
}

void Win32HidBus::pulseEvent(Handle handle) {
  if (handle) ::PulseEvent(toHandle(handle));
}

void Win32HidBus::closeEvent(Handle handle) {
  if (!handle) return;
  ::ResetEvent(toHandle(handle));
  ::CloseHandle(toHandle(handle));
}

namespace {
std::string deviceIdOf(DEVINST node) {
  char id[MAX_DEVICE_ID_LEN + 1] = {};
  if (::CM_Get_Device_IDA(node, id, MAX_DEVICE_ID_LEN, 0) != CR_SUCCESS) return std::string();
  std::string text = id;
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::toupper(c); });
  return text;
}
}  // namespace

std::string Win32HidBus::deviceOf(const std::string& path) {
  // A HID collection's node hangs from the USB function that carries it; the
  // functions of a composite device (USB\VID_..&PID_..&MI_nn) hang from the
  // device itself. The mouse's configuration interface and its input
  // collection are different functions of one device, so the name is that of
  // the first node above the collection that is not a function.
  HDEVINFO set = ::SetupDiCreateDeviceInfoList(nullptr, nullptr);
  if (set == INVALID_HANDLE_VALUE) return std::string();
  std::string device;
  SP_DEVICE_INTERFACE_DATA data = {};
  data.cbSize = sizeof(data);
  SP_DEVINFO_DATA node = {};
  node.cbSize = sizeof(node);
  if (::SetupDiOpenDeviceInterfaceA(set, path.c_str(), 0, &data)) {
    // Asked without room for the path it fails, but names the node.
    ::SetupDiGetDeviceInterfaceDetailA(set, &data, nullptr, 0, nullptr, &node);
  }
  if (node.DevInst) {
    DEVINST at = node.DevInst;
    for (int depth = 0; depth < 4; ++depth) {
      DEVINST parent = 0;
      if (::CM_Get_Parent(&parent, at, 0) != CR_SUCCESS) break;
      device = deviceIdOf(parent);
      if (device.find("&MI_") == std::string::npos) break;
      at = parent;
    }
  }
  ::SetupDiDestroyDeviceInfoList(set);
  return device;
}
