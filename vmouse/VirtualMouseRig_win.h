// The virtual mouse plugged into this process: the HID bus with the mouse on
// it, raw input from it, its input on the desktop, and the control channel
// through which a test or a person handles it. One per process, made on first
// use and kept until the process ends.
#pragma once
#include <windows.h>

#include "vmouse/ControlChannel_win.h"
#include "vmouse/ControlCommands.h"
#include "vmouse/DesktopInput_win.h"
#include "vmouse/VirtualHidBus.h"
#include "vmouse/VirtualRawInput_win.h"

class VirtualMouseRig : public BusOutput, public ControlHost {
public:
  VirtualMouseRig();

  VirtualRawInput m_rawInput;
  VirtualDesktopInput m_desktop;
  VirtualHidBus m_bus;
  ControlCommands m_commands;
  ControlChannel m_channel;

  // The raw-input device handle of a bus device.
  static HANDLE rawInputHandle(uint32_t device);

  // BusOutput.
  void inputReport(uint32_t device, const VendorReport& report) override;
  void keyboardChanged(uint32_t device, uint8_t modifiers, const HeldKeys& keys) override;
  void buttonsChanged(uint32_t device, uint8_t buttons) override;
  // ControlHost: WM_DEVICECHANGE (DBT_DEVNODES_CHANGED) is posted to every
  // top-level window of this process, as the system tells windows of a new
  // or departed device.
  void announceDeviceChange() override;
  void inputDeviceChanged(const std::string& name, bool arrived) override;
  bool injectPacket(uint32_t type, uint32_t size, const std::vector<uint8_t>& body) override;
  // Every heap of the process walked: bytes and blocks in use, bytes
  // committed, the number of heaps, and with `bySize` the blocks in use of
  // each size as size:count.
  std::string heapFigures(bool bySize) override;
};

// The process's virtual mouse; the first call plugs it in (unless the
// environment says SKIVOL_VMOUSE_PLUGGED=0) and opens the control channel on
// ControlChannel::configuredPort().
VirtualMouseRig& virtualMouseRig();
