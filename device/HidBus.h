// The device seam: the operations through which the HID link reaches the HID
// interfaces of the machine. The product's implementation calls SetupAPI and
// HID.DLL; the virtual mouse provides another. The link's rules live above
// this seam and never see the platform.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct HidCapabilities {
  uint16_t usage = 0;
  uint16_t usagePage = 0;
  uint16_t inputReportByteLength = 0;
  uint16_t featureReportByteLength = 0;
};

struct HidAttributes {
  uint16_t vendorId = 0;
  uint16_t productId = 0;
};

class HidBus {
public:
  using Handle = void*;  // an open interface; null means "did not open"

  virtual ~HidBus() = default;

  // Device interface paths of the present HID interfaces, in enumeration
  // order. An enumeration that fails part-way returns what it found so far.
  virtual std::vector<std::string> enumerateInterfaces() = 0;
  // Opens an interface with no read or write access (so mice and keyboards
  // open too); feature and string requests still work on such a handle.
  virtual Handle open(const std::string& path) = 0;
  virtual bool capabilities(Handle handle, HidCapabilities& caps) = 0;
  virtual bool attributes(Handle handle, HidAttributes& attributes) = 0;
  // Indexed string descriptor, converted to the system's 8-bit code page.
  // `bufferBytes` is the size of the wide-character buffer the request uses.
  virtual bool indexedString(Handle handle, uint32_t index, size_t bufferBytes, std::string& text) = 0;
  virtual bool setFeature(Handle handle, const uint8_t* report, size_t length) = 0;
  virtual bool getFeature(Handle handle, uint8_t* report, size_t length) = 0;
  // Cancels pending I/O and closes the handle.
  virtual void close(Handle handle) = 0;
  // The device that the interface at `path` belongs to, as a name that all
  // interfaces of one device share and no other device has: so the mouse's
  // input collection is told to belong with its configuration interface.
  // Empty when it cannot be told.
  virtual std::string deviceOf(const std::string& path) {
    (void)path;
    return std::string();
  }

  // Bookkeeping for handles the link may hold between operations: pending
  // I/O on a read handle, and an event that wakes its reader. A bus that
  // never hands out such handles can keep these defaults, which do nothing.
  virtual void cancelIo(Handle) {}
  virtual void pulseEvent(Handle) {}
  virtual void closeEvent(Handle) {}  // resets the event, then closes it
};
