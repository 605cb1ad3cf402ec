#include "vmouse/VirtualRawInput_win.h"

#include <cstddef>
#include <cstring>
#include <string>

#include "vmouse/VirtualHidBus.h"

namespace {

constexpr uintptr_t kRawInputHandleBase = 0x0001004A;
constexpr UINT kFailed = static_cast<UINT>(-1);

// The window that has the user's attention, or one of its owned windows.
bool inForeground(HWND window) {
  HWND foreground = ::GetForegroundWindow();
  return foreground && ::GetAncestor(window, GA_ROOT) == ::GetAncestor(foreground, GA_ROOT);
}

}  // namespace

BOOL VirtualRawInput::registerDevices(const RAWINPUTDEVICE* devices, UINT count, UINT entrySize) {
  if (!devices || count == 0 || entrySize != sizeof(RAWINPUTDEVICE)) {
    ::SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  for (UINT i = 0; i < count; ++i) {
    const RAWINPUTDEVICE& d = devices[i];
    bool remove = (d.dwFlags & RIDEV_REMOVE) != 0;
    if ((remove && d.hwndTarget) || ((d.dwFlags & RIDEV_INPUTSINK) && !d.hwndTarget) ||
        (d.hwndTarget && !::IsWindow(d.hwndTarget))) {
      ::SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
    }
  }
  std::lock_guard<std::mutex> guard(m_lock);
  for (UINT i = 0; i < count; ++i) {
    const RAWINPUTDEVICE& d = devices[i];
    // Other collections are accepted and have nothing to deliver here.
    if (d.usUsagePage != VirtualMouseIdentity::InputUsagePage || d.usUsage != VirtualMouseIdentity::InputUsage) continue;
    if (d.dwFlags & RIDEV_REMOVE) {
      m_target = nullptr;
      m_inputSink = false;
      m_deviceNotify = false;
    } else {
      m_target = d.hwndTarget;
      m_inputSink = (d.dwFlags & RIDEV_INPUTSINK) != 0;
      m_deviceNotify = (d.dwFlags & RIDEV_DEVNOTIFY) != 0;
    }
  }
  return TRUE;
}

void VirtualRawInput::dropStale(DWORD now) {
  while (!m_packets.empty() &&
         (m_packets.size() > kMaxPackets || now - m_packets.front().postedAt > kPacketLifetimeMs)) {
    m_packets.pop_front();
  }
}

bool VirtualRawInput::post(HANDLE device, DWORD type, DWORD announcedSize, const uint8_t* body, size_t bodyLength) {
  std::lock_guard<std::mutex> guard(m_lock);
  if (!m_target || !::IsWindow(m_target)) return false;
  bool foreground = inForeground(m_target);
  if (!foreground && !m_inputSink) return false;
  WPARAM code = foreground ? RIM_INPUT : RIM_INPUTSINK;

  Packet packet;
  packet.token = reinterpret_cast<HRAWINPUT>(m_nextToken);
  m_nextToken += 4;
  if (m_nextToken == 0) m_nextToken = 4;
  packet.postedAt = ::GetTickCount();
  packet.announcedSize = announcedSize;
  RAWINPUTHEADER header = {};
  header.dwType = type;
  header.dwSize = announcedSize;
  header.hDevice = device;
  header.wParam = code;
  packet.bytes.resize(sizeof(header) + bodyLength);
  std::memcpy(packet.bytes.data(), &header, sizeof(header));
  if (bodyLength) std::memcpy(packet.bytes.data() + sizeof(header), body, bodyLength);

  if (!::PostMessageA(m_target, WM_INPUT, code, reinterpret_cast<LPARAM>(packet.token))) return false;
  m_packets.push_back(std::move(packet));
  dropStale(::GetTickCount());
  return true;
}

bool VirtualRawInput::deliver(HANDLE device, const VendorReport& report) {
  // RAWHID: the size of one report, their count, then the reports.
  uint8_t body[offsetof(RAWHID, bRawData) + kVendorReportLength];
  DWORD sizeHid = kVendorReportLength, reportCount = 1;
  std::memcpy(body + offsetof(RAWHID, dwSizeHid), &sizeHid, sizeof(sizeHid));
  std::memcpy(body + offsetof(RAWHID, dwCount), &reportCount, sizeof(reportCount));
  std::memcpy(body + offsetof(RAWHID, bRawData), report.data(), report.size());
  return post(device, RIM_TYPEHID, sizeof(RAWINPUTHEADER) + sizeof(body), body, sizeof(body));
}

bool VirtualRawInput::deliverPacket(HANDLE device, DWORD type, DWORD announcedSize, const std::vector<uint8_t>& body) {
  return post(device, type, announcedSize, body.data(), body.size());
}

UINT VirtualRawInput::getData(HRAWINPUT input, UINT command, void* data, UINT* size, UINT headerSize) {
  const UINT failed = static_cast<UINT>(-1);
  if (!size || headerSize != sizeof(RAWINPUTHEADER) || (command != RID_INPUT && command != RID_HEADER)) {
    ::SetLastError(ERROR_INVALID_PARAMETER);
    return failed;
  }
  std::lock_guard<std::mutex> guard(m_lock);
  dropStale(::GetTickCount());
  const Packet* packet = nullptr;
  for (const Packet& p : m_packets) {
    if (p.token == input) packet = &p;
  }
  if (!packet) {
    ::SetLastError(ERROR_INVALID_HANDLE);
    return failed;
  }
  UINT needed = command == RID_HEADER ? sizeof(RAWINPUTHEADER) : packet->announcedSize;
  if (!data) {
    *size = needed;
    return 0;
  }
  if (*size < needed) {
    ::SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return failed;
  }
  UINT length = command == RID_HEADER ? sizeof(RAWINPUTHEADER) : static_cast<UINT>(packet->bytes.size());
  std::memcpy(data, packet->bytes.data(), length < *size ? length : *size);
  return length;
}

HANDLE VirtualRawInput::deviceHandle(uint32_t device) {
  return reinterpret_cast<HANDLE>(kRawInputHandleBase + 2 * static_cast<uintptr_t>(device));
}

uint32_t VirtualRawInput::deviceOfHandle(HANDLE handle) {
  const uintptr_t value = reinterpret_cast<uintptr_t>(handle);
  if (value <= kRawInputHandleBase || (value - kRawInputHandleBase) % 2 != 0) return 0;
  return static_cast<uint32_t>((value - kRawInputHandleBase) / 2);
}

UINT VirtualRawInput::getDeviceInfo(HANDLE device, UINT command, void* data, UINT* size) {
  if (!size || (command != RIDI_DEVICENAME && command != RIDI_DEVICEINFO)) {
    ::SetLastError(ERROR_INVALID_PARAMETER);
    return kFailed;
  }
  std::string path;
  HidAttributes attributes;
  HidCapabilities caps;
  const uint32_t id = deviceOfHandle(device);
  if (!m_bus || id == 0 || !m_bus->inputCollection(id, path, attributes, caps)) {
    ::SetLastError(ERROR_INVALID_HANDLE);
    return kFailed;
  }
  if (command == RIDI_DEVICENAME) {
    // In characters, the terminating one included.
    const UINT needed = static_cast<UINT>(path.size() + 1);
    if (!data) {
      *size = needed;
      return 0;
    }
    if (*size < needed) {
      *size = needed;
      ::SetLastError(ERROR_INSUFFICIENT_BUFFER);
      return kFailed;
    }
    std::memcpy(data, path.c_str(), needed);
    return needed;
  }
  const UINT needed = sizeof(RID_DEVICE_INFO);
  if (!data) {
    *size = needed;
    return 0;
  }
  if (*size < needed) {
    *size = needed;
    ::SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return kFailed;
  }
  RID_DEVICE_INFO info = {};
  info.cbSize = sizeof(info);
  info.dwType = RIM_TYPEHID;
  info.hid.dwVendorId = attributes.vendorId;
  info.hid.dwProductId = attributes.productId;
  info.hid.dwVersionNumber = 0x0101;
  info.hid.usUsagePage = caps.usagePage;
  info.hid.usUsage = caps.usage;
  std::memcpy(data, &info, needed);
  return needed;
}

bool VirtualRawInput::deviceChanged(uint32_t device, bool arrived) {
  std::lock_guard<std::mutex> guard(m_lock);
  if (!m_target || !m_deviceNotify || !::IsWindow(m_target)) return false;
  return ::PostMessageA(m_target, WM_INPUT_DEVICE_CHANGE, arrived ? GIDC_ARRIVAL : GIDC_REMOVAL,
                        reinterpret_cast<LPARAM>(deviceHandle(device))) != FALSE;
}
