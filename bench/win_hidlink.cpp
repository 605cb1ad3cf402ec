// What one transfer and one scan cost over the system's HID services on this
// machine (under Wine: its own HID mouse and keyboard). The mouse is not
// there, so this is the price of the walk alone: enumerating, opening and
// querying every interface. Figures only.
#include <windows.h>

#include <cstdio>

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
  return 0;
}
