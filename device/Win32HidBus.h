// The device seam over the system's HID services: SetupAPI finds the HID
// interfaces, HID.DLL reads their capabilities, strings and feature reports.
#pragma once
#include "device/HidBus.h"

class Win32HidBus : public HidBus {
public:
  std::vector<std::string> enumerateInterfaces() override;
  Handle open(const std::string& path) override;
  bool capabilities(Handle handle, HidCapabilities& caps) override;
  bool attributes(Handle handle, HidAttributes& attributes) override;
  bool indexedString(Handle handle, uint32_t index, size_t bufferBytes, std::string& text) override;
  bool setFeature(Handle handle, const uint8_t* report, size_t length) override;
  bool getFeature(Handle handle, uint8_t* report, size_t length) override;
  void close(Handle handle) override;
  std::string deviceOf(const std::string& path) override;
  void cancelIo(Handle handle) override;
  void pulseEvent(Handle handle) override;
  void closeEvent(Handle handle) override;
};
