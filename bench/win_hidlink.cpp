// What one transfer and one scan cost over the system's HID services on this
// machine (under Wine: its own HID mouse and keyboard). Without a mouse this
// is the price of the walk alone: enumerating, opening and querying every
// interface. With the driver mouse plugged in (tools/driver_mouse.sh), also
// what one frame costs on its way to the mouse's firmware through the
// system's HID stack and the mouse's drivers. Figures only.
#include <windows.h>

#include <cstdio>
#include <string>

#include "device/HidLink.h"
#include "device/Win32HidBus.h"

namespace {
template <typename Op>
double microsPerCall(int rounds, Op op) {
  LARGE_INTEGER frequency, start, end;
  ::QueryPerformanceFrequency(&frequency);
  ::QueryPerformanceCounter(&start);
  for (int r = 0; r < rounds; ++r) op();
  ::QueryPerformanceCounter(&end);
  return 1e6 * static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart) / rounds;
}
}  // namespace

int main() {
  Win32HidBus bus;
  HidLink link(bus);
  const size_t interfaces = bus.enumerateInterfaces().size();
  const int rounds = 200;
  const double enumerate = microsPerCall(rounds, [&] { bus.enumerateInterfaces(); });
  const double scan = microsPerCall(rounds, [&] { link.scan(); });
  const double send = microsPerCall(rounds, [&] { link.sendFeature(FeatureFrame::PostScan()); });
  FeatureFrame reply;
  const double exchange =
      microsPerCall(rounds, [&] { link.exchangeFeature(FeatureFrame::InjectButtons(0), reply); });
  std::printf("HID interfaces: %u (mouse present: %d)\n", static_cast<unsigned>(interfaces), link.presentCount());
  std::printf("enumerate only : %9.1f us\n", enumerate);
  std::printf("scan           : %9.1f us\n", scan);
  std::printf("sendFeature    : %9.1f us\n", send);
  std::printf("exchangeFeature: %9.1f us\n", exchange);
  // One frame set on the mouse's configuration interface, nothing else.
  for (const std::string& path : bus.enumerateInterfaces()) {
    if (path.find("vid_e0ff&pid_0005&mi_01") == std::string::npos) continue;
    HidBus::Handle handle = bus.open(path);
    const FeatureFrame frame = FeatureFrame::InjectButtons(0);
    const double set = microsPerCall(rounds, [&] { bus.setFeature(handle, frame.data(), frame.size()); });
    std::printf("set on mouse   : %9.1f us (%s)\n", set, path.c_str());
    bus.close(handle);
  }
  return 0;
}
