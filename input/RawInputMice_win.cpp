#include "input/RawInputMice_win.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <vector>

#include "device/HidLink.h"
#include "input/RawInputApi.h"

namespace {
constexpr UINT kFailed = static_cast<UINT>(-1);

std::string lowered(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  return text;
}

bool deviceName(RawInputApi& api, HANDLE device, std::string& path) {
  UINT length = 0;  // in characters
  if (api.getDeviceInfo(device, RIDI_DEVICENAME, nullptr, &length) == kFailed || length == 0 || length > 4096)
    return false;
  std::vector<char> name(length + 1, '\0');
  if (api.getDeviceInfo(device, RIDI_DEVICENAME, name.data(), &length) == kFailed) return false;
  path = name.data();
  // Older systems name it in the kernel's form, which SetupAPI does not take.
  if (path.compare(0, 4, "\\??\\") == 0) path[1] = '\\';
  return true;
}
}  // namespace

RawInputMice::Mouse RawInputMice::identify(RawInputApi& api, HANDLE device) {
  const auto known = m_known.find(device);
  if (known != m_known.end()) return known->second;

  Mouse mouse;
  std::string path;
  const bool named = deviceName(api, device, path);
  RID_DEVICE_INFO info = {};
  info.cbSize = sizeof(info);
  UINT size = sizeof(info);
  const bool described = api.getDeviceInfo(device, RIDI_DEVICEINFO, &info, &size) != kFailed;
  if (described) {
    mouse.ofModel = info.dwType == RIM_TYPEHID && info.hid.dwVendorId == MouseIdentity::VendorId &&
                    info.hid.dwProductId == MouseIdentity::ProductId &&
                    info.hid.usUsagePage == MouseIdentity::InputUsagePage && info.hid.usUsage == MouseIdentity::InputUsage;
  } else if (named) {
    // The path names vendor and product as the system enumerates them.
    char ids[32];
    std::snprintf(ids, sizeof ids, "vid_%04x&pid_%04x", MouseIdentity::VendorId, MouseIdentity::ProductId);
    mouse.ofModel = lowered(path).find(ids) != std::string::npos;
  } else {
    return mouse;  // a device that answers nothing has gone: not kept
  }
  if (mouse.ofModel && named && m_deviceOf) mouse.device = m_deviceOf(path);
  m_known[device] = mouse;
  return mouse;
}

RawInputMice::Mouse RawInputMice::forget(HANDLE device) {
  const auto known = m_known.find(device);
  if (known == m_known.end()) return Mouse();
  Mouse mouse = known->second;
  m_known.erase(known);
  return mouse;
}
