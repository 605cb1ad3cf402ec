// The driver mouse's rig: the virtual mouse's firmware and control channel
// behind a mouse the system itself sees. The mouse's device (root\skivolmouse,
// vmouse/driver/) presents the two interfaces to the system's HID stack; this
// rig, in a program of its own, is its firmware: it takes the feature
// transfers the system made on the configuration interface, gives input
// reports to the vendor collection, makes what the firmware holds desktop
// input (SendInput), and plugs the interfaces in and out, which the system
// announces itself. The firmware and the command language are the virtual
// mouse's (a VirtualHidBus with the one mouse on it). Other makers' devices
// may join it on the desk (`add device`): one interface per top-level
// collection, which the firmware has no part in.
#pragma once
#include <windows.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "vmouse/ControlChannel_win.h"
#include "vmouse/ControlCommands.h"
#include "vmouse/DesktopInput_win.h"
#include "vmouse/VirtualHidBus.h"

class DriverMouseRig : public BusOutput, public ControlHost {
public:
  DriverMouseRig();
  ~DriverMouseRig() override;
  DriverMouseRig(const DriverMouseRig&) = delete;
  DriverMouseRig& operator=(const DriverMouseRig&) = delete;

  // Installs the mouse's device from `infPath` unless this system has it,
  // and opens it; waits up to `timeoutMs` for the device to come up. Says
  // what failed in `error`.
  bool attach(const std::string& infPath, DWORD timeoutMs, std::string& error);
  // Plugs the interfaces in, afresh (the firmware at its power-on state), or
  // leaves them out; starts taking transfers and serving the channel on
  // `port` (any free port when taken). False when the device refuses.
  bool start(bool plugged, uint16_t port);
  uint16_t port() const { return m_channel.port(); }
  ControlAnswer execute(const std::string& line);

  // BusOutput.
  void inputReport(uint32_t device, const VendorReport& report) override;
  void keyboardChanged(uint32_t device, uint8_t modifiers, const HeldKeys& keys) override;
  void buttonsChanged(uint32_t device, uint8_t buttons) override;
  // ControlHost: the device follows the firmware's plugged state.
  void announceDeviceChange() override;
  bool injectPacket(uint32_t type, uint32_t size, const std::vector<uint8_t>& body) override;
  std::string addDevice(uint16_t vendorId, uint16_t productId, const std::vector<TopLevelCollection>& collections,
                        const std::string& name) override;
  bool hasDevice(const std::string& name) override;
  std::string deviceReport(const std::string& name, const std::vector<uint8_t>& report) override;
  std::string deviceState(const std::string& name) override;

private:
  struct DeskDevice {
    std::string name;
    uint16_t vendorId = 0, productId = 0;
    std::vector<TopLevelCollection> collections;
    std::vector<unsigned long> slots;  // the bus driver's, one per collection
  };
  const DeskDevice* findDesk(const std::string& name) const;

  bool control(DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize, DWORD* returned = nullptr);
  bool setDevicePlugged(bool plugged);
  void takeTransfers();

  VirtualDesktopInput m_desktop;
  VirtualHidBus m_bus;
  ControlCommands m_commands;
  ControlChannel m_channel;
  HANDLE m_device = INVALID_HANDLE_VALUE;
  std::atomic<bool> m_stopping{false};
  // Read by the channel's threads while another plugs.
  std::atomic<bool> m_devicePlugged{false};
  std::thread m_transfers;
  // Served by the channel's one thread.
  std::vector<DeskDevice> m_desk;
};
