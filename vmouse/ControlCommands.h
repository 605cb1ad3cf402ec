// The command language of the virtual mouse's control channel: one command a
// line, answered by `ok`, one result line, or `error <reason>`; `frames`
// answers one line per feature transfer and then `end`. The channel itself
// (sockets, threads) is Windows-side; the language is here so that it can be
// tested on the host against a real VirtualHidBus.
//
//   buttons <hex byte> [device]   the mouse's buttons now stand as this byte
//   dpibutton [device]            the mouse's own DPI button, pressed once
//   answers on|off [device]       whether PostScan and SelectDpiLevel are answered
//   report <16 hex digits> [device]  these 8 bytes as an input report, unchecked
//   packet <type> <size> [hex]    a raw-input packet with this header type and
//                                 announced size, the hex bytes after the header
//   frames                        the feature transfers since the last `frames`:
//                                 `set <device> <18 hex>` / `get <device> <18 hex>`
//   state [device]                mask=XX modifiers=XX keys=K1,K2,K3,K4,K5
//                                 buttons=XX dpi=S0,S1,S2,S3 level=L
//                                 physical=XX plugged=0|1
//   unplug [device], plug [device]
//   reset [device]                the mouse back at its power-on state, no
//                                 device change
//   add second-mouse | add foreign-string [text] | add foreign-collection [vvvv:pppp] | add hid <n>
//   add device <vid hex> <pid hex> <descriptor hex> [name]
//                                 another maker's HID device, one interface per
//                                 top-level collection (the driver mouse only)
//   report <hex> <name>           an input report of such a device
//   state <name>                  what such a device was sent
//   help, quit
//
// [device] defaults to "mouse", the first mouse. Device names are those of
// VirtualHidBus.
// Every command with its answers and effects: vmouse/README.md.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "vmouse/ReportDescriptor.h"

class VirtualHidBus;

// The parts of executing a command that reach beyond the bus.
class ControlHost {
public:
  virtual ~ControlHost() = default;
  // A device came or went: tell the windows, as the system would.
  virtual void announceDeviceChange() = 0;
  // The device `name` came (`arrived`) or went: a window that asked for
  // raw-input device notices hears of it, as the system would tell it.
  virtual void inputDeviceChanged(const std::string& name, bool arrived) {
    (void)name;
    (void)arrived;
  }
  // Queues a raw-input packet whose header has type `type` and announced size
  // `size`, followed by `body`. False when no window takes raw input.
  virtual bool injectPacket(uint32_t type, uint32_t size, const std::vector<uint8_t>& body) = 0;
  // The process's heap figures as `name=value` words, for telling the
  // program's own allocations from the rest of its memory; empty where there
  // are none to give. `bySize`: how many blocks in use of each size, too.
  virtual std::string heapFigures(bool bySize) {
    (void)bySize;
    return std::string();
  }
  // Another maker's HID device with these IDs and collections (at least
  // one), named `name`. Returns its name, or `error <reason>`.
  virtual std::string addDevice(uint16_t vendorId, uint16_t productId,
                                const std::vector<TopLevelCollection>& collections, const std::string& name) {
    (void)vendorId;
    (void)productId;
    (void)collections;
    (void)name;
    return "error this mouse cannot add device";
  }
  // Whether `name` is such a device.
  virtual bool hasDevice(const std::string& name) {
    (void)name;
    return false;
  }
  // `report` as an input report of the device `name`: `ok` or `error ...`.
  virtual std::string deviceReport(const std::string& name, const std::vector<uint8_t>& report) {
    (void)name;
    (void)report;
    return "error no device";
  }
  // The device's state line.
  virtual std::string deviceState(const std::string& name) {
    (void)name;
    return "error no device";
  }
};

struct ControlAnswer {
  std::vector<std::string> lines;
  bool closeConnection = false;
};

class ControlCommands {
public:
  static constexpr size_t kMaxPacketBody = 2048;
  static constexpr size_t kMaxDeviceReport = 64;
  static constexpr size_t kMaxDescriptor = 4096;

  ControlCommands(VirtualHidBus& bus, ControlHost& host) : m_bus(bus), m_host(host) {}

  // Runs one command line (without its line end). Blank lines get no answer.
  ControlAnswer execute(const std::string& line);

private:
  ControlAnswer addDevice(const std::vector<std::string>& words);

  VirtualHidBus& m_bus;
  ControlHost& m_host;
};
