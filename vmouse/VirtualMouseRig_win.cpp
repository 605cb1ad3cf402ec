#include "vmouse/VirtualMouseRig_win.h"

#include <dbt.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr size_t kMaxSizesWalked = 1 << 16;

BOOL CALLBACK postDeviceChange(HWND window, LPARAM process) {
  DWORD owner = 0;
  ::GetWindowThreadProcessId(window, &owner);
  if (owner == static_cast<DWORD>(process)) ::PostMessageA(window, WM_DEVICECHANGE, DBT_DEVNODES_CHANGED, 0);
  return TRUE;
}

}  // namespace

VirtualMouseRig::VirtualMouseRig()
    : m_bus(*this),
      m_commands(m_bus, *this),
      m_channel([this](const std::string& line) { return m_commands.execute(line); }) {
  m_rawInput.attach(m_bus);
  m_bus.addMouse();
  // SKIVOL_VMOUSE_PLUGGED=0: the program starts without the mouse, which a
  // later `plug` brings.
  const char* plugged = std::getenv("SKIVOL_VMOUSE_PLUGGED");
  if (plugged && std::strcmp(plugged, "0") == 0) m_bus.setPlugged("mouse", false);
}

HANDLE VirtualMouseRig::rawInputHandle(uint32_t device) {
  return VirtualRawInput::deviceHandle(device);
}

void VirtualMouseRig::inputReport(uint32_t device, const VendorReport& report) {
  m_rawInput.deliver(rawInputHandle(device), report);
}

void VirtualMouseRig::keyboardChanged(uint32_t device, uint8_t modifiers, const HeldKeys& keys) {
  m_desktop.keyboardChanged(device, modifiers, keys);
}

void VirtualMouseRig::buttonsChanged(uint32_t device, uint8_t buttons) { m_desktop.buttonsChanged(device, buttons); }

void VirtualMouseRig::announceDeviceChange() {
  ::EnumWindows(postDeviceChange, static_cast<LPARAM>(::GetCurrentProcessId()));
}

void VirtualMouseRig::inputDeviceChanged(const std::string& name, bool arrived) {
  m_rawInput.deviceChanged(m_bus.deviceId(name), arrived);
}

std::string VirtualMouseRig::heapFigures(bool bySize) {
  std::vector<HANDLE> heaps(64);
  DWORD count = ::GetProcessHeaps(static_cast<DWORD>(heaps.size()), heaps.data());
  if (count > heaps.size()) {
    heaps.resize(count);
    count = ::GetProcessHeaps(static_cast<DWORD>(heaps.size()), heaps.data());
  }
  heaps.resize(count < heaps.size() ? count : heaps.size());
  unsigned long long busy = 0, committed = 0, blocks = 0;
  // Sizes are gathered into room made beforehand: an allocation during the
  // walk would change the heap being walked.
  std::vector<DWORD> sizes;
  if (bySize) sizes.reserve(kMaxSizesWalked);
  for (HANDLE heap : heaps) {
    if (!::HeapLock(heap)) continue;
    PROCESS_HEAP_ENTRY entry = {};
    while (::HeapWalk(heap, &entry)) {
      if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) {
        busy += entry.cbData;
        ++blocks;
        if (bySize && sizes.size() < kMaxSizesWalked) sizes.push_back(entry.cbData);
      } else if (entry.wFlags & PROCESS_HEAP_REGION) {
        committed += entry.Region.dwCommittedSize;
      }
    }
    ::HeapUnlock(heap);
  }
  std::string figures = "busy=" + std::to_string(busy) + " blocks=" + std::to_string(blocks) + " committed=" +
                        std::to_string(committed) + " heaps=" + std::to_string(heaps.size());
  std::map<DWORD, unsigned long> counts;
  for (DWORD size : sizes) ++counts[size];
  for (const auto& size : counts) figures += " " + std::to_string(size.first) + ":" + std::to_string(size.second);
  return figures;
}

bool VirtualMouseRig::injectPacket(uint32_t type, uint32_t size, const std::vector<uint8_t>& body) {
  return m_rawInput.deliverPacket(rawInputHandle(m_bus.deviceId("mouse")), type, size, body);
}

VirtualMouseRig& virtualMouseRig() {
  // Never destroyed: the channel's threads may still be serving when the
  // process ends.
  static VirtualMouseRig* rig = [] {
    auto* made = new VirtualMouseRig();
    uint16_t port = ControlChannel::configuredPort();
    // A port taken by another program (another copy, another user's tests)
    // must not leave the mouse without a channel: any free port will do, and
    // the debug output says which.
    if (!made->m_channel.start(port)) made->m_channel.start(0);
    char text[96];
    std::snprintf(text, sizeof(text), "virtual mouse: control channel on 127.0.0.1:%u\n", made->m_channel.port());
    ::OutputDebugStringA(text);
    return made;
  }();
  return *rig;
}
