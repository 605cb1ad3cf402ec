// Which mouse a raw-input device is. Raw input is registered by usage page
// and usage, which another maker's device may share: a report is the
// mouse's only when its device has the mouse's vendor and product, and it is
// told apart from another such mouse's by the device its collection hangs
// from, which its configuration interface shares. What a device is stays
// known until it goes or comes.
#pragma once
#include <windows.h>

#include <functional>
#include <map>
#include <string>

class RawInputApi;

class RawInputMice {
public:
  struct Mouse {
    bool ofModel = false;  // a collection of the mouse at all
    std::string device;    // the device it hangs from; empty when unknown
  };
  // The device an interface path belongs to (HidLink::deviceOf).
  using DeviceOfPath = std::function<std::string(const std::string& path)>;

  explicit RawInputMice(DeviceOfPath deviceOf) : m_deviceOf(std::move(deviceOf)) {}

  Mouse identify(RawInputApi& api, HANDLE device);
  // The device went or came back: asked again next time. Returns what it was
  // known as (not the mouse when it was never asked about).
  Mouse forget(HANDLE device);

private:
  DeviceOfPath m_deviceOf;
  std::map<HANDLE, Mouse> m_known;
};
