// Raw input from the virtual mouse. Registration remembers the window that
// asked for the vendor collection (usage page 0xFF12, usage 1); each input
// report then becomes a packet laid out as the system lays out HID raw input
// (RAWINPUTHEADER, then RAWHID with one 8-byte report), and the window is
// posted WM_INPUT with a token for it in lParam. getData answers for a token
// as GetRawInputData answers for a raw-input handle. Each device of the bus
// has a raw-input device handle of its own, for which getDeviceInfo answers
// as GetRawInputDeviceInfoA does; a window registered with RIDEV_DEVNOTIFY is
// posted WM_INPUT_DEVICE_CHANGE when a device with an input collection comes
// or goes.
//
// The system keeps a packet only while its message is handled; here packets
// stay readable for a while and then go: at most kMaxPackets are kept, none
// for longer than kPacketLifetimeMs.
#pragma once
#include <windows.h>

#include <cstdint>
#include <deque>
#include <mutex>
#include <vector>

#include "input/RawInputApi.h"
#include "vmouse/VirtualMouseFirmware.h"

class VirtualHidBus;

class VirtualRawInput : public RawInputApi {
public:
  static constexpr size_t kMaxPackets = 256;
  static constexpr DWORD kPacketLifetimeMs = 10000;

  // The bus whose devices getDeviceInfo describes; none until attached.
  void attach(const VirtualHidBus& bus) { m_bus = &bus; }
  // The raw-input device handle of a bus device, and back (0 for none).
  static HANDLE deviceHandle(uint32_t device);
  static uint32_t deviceOfHandle(HANDLE handle);

  BOOL registerDevices(const RAWINPUTDEVICE* devices, UINT count, UINT entrySize) override;
  UINT getData(HRAWINPUT input, UINT command, void* data, UINT* size, UINT headerSize) override;
  UINT getDeviceInfo(HANDLE device, UINT command, void* data, UINT* size) override;
  // The bus device `device` came or went. Returns whether a window was told.
  bool deviceChanged(uint32_t device, bool arrived);

  // An input report of the device with raw-input handle `device`. Dropped when
  // no window takes raw input (or, registered without RIDEV_INPUTSINK, when
  // the window is not in the foreground). Returns whether it was posted.
  bool deliver(HANDLE device, const VendorReport& report);
  // A packet made by hand for tests of the reader's checks: the header says
  // `type` and `announcedSize`, the bytes after the header are `body`. The size
  // query answers `announcedSize`; a read needs a buffer of that size, copies
  // the header and body (as far as the buffer goes) and returns their length.
  bool deliverPacket(HANDLE device, DWORD type, DWORD announcedSize, const std::vector<uint8_t>& body);

private:
  struct Packet {
    HRAWINPUT token;
    DWORD postedAt;
    DWORD announcedSize;
    std::vector<uint8_t> bytes;  // header and what follows it
  };

  bool post(HANDLE device, DWORD type, DWORD announcedSize, const uint8_t* body, size_t bodyLength);
  void dropStale(DWORD now);

  mutable std::mutex m_lock;
  HWND m_target = nullptr;
  bool m_inputSink = false;
  bool m_deviceNotify = false;
  const VirtualHidBus* m_bus = nullptr;
  std::deque<Packet> m_packets;
  uintptr_t m_nextToken = 0x00A00004;
};
