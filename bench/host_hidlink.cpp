// What one transfer costs as the machine's HID interfaces grow in number.
// A transfer uses the interfaces the last scan kept open ("kept"); one after
// a change of the device set walks and opens all interfaces first ("walk"),
// so only that one grows with the bus.
//
// The bus here models the device side (bench/CostedHidBus.h). The link's own
// CPU time is measured separately over the same bus with the model switched
// off. Figures only; nothing is asserted.
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/CostedHidBus.h"
#include "device/HidLink.h"

namespace {
using namespace costed;

// Modelled device time of one operation, in milliseconds.
template <typename Op>
double modelledMs(int unrelatedCount, bool mouseFirst, Op op) {
  CostedBus bus(machine(unrelatedCount, mouseFirst));
  HidLink link(bus);
  link.scan();
  bus.micros = 0;
  op(link);
  return bus.micros / 1000.0;
}

// The link's own CPU time per operation, in microseconds, over a bus that
// costs nothing.
template <typename Op>
double overheadUs(int unrelatedCount, Op op) {
  CostedBus bus(machine(unrelatedCount, false));
  bus.modelled = false;
  HidLink link(bus);
  link.scan();
  const int rounds = 2000;
  auto start = std::chrono::steady_clock::now();
  for (int r = 0; r < rounds; ++r) op(link);
  std::chrono::duration<double, std::micro> spent = std::chrono::steady_clock::now() - start;
  return spent.count() / rounds;
}

}  // namespace

int main() {
  const FeatureFrame frame = FeatureFrame::ReportMask(0x04);
  auto send = [&](HidLink& link) { link.sendFeature(frame); };
  auto exchange = [&](HidLink& link) {
    FeatureFrame reply;
    link.exchangeFeature(FeatureFrame::InjectButtons(0x10), reply);
  };
  auto scan = [](HidLink& link) { link.scan(); };
  auto sendAfterChange = [&](HidLink& link) {
    link.markDeviceSetChanged();
    link.sendFeature(frame);
  };

  std::printf("Modelled device time per operation (ms) and the link's own CPU time (us),\n");
  std::printf("mouse = one configuration interface + one input collection;\n");
  std::printf("CPU figures include the host build's sanitizers\n\n");
  std::printf("%9s | %10s %10s | %12s %12s | %8s | %9s %9s\n", "unrelated", "send kept", "send walk",
              "exch(first)", "exch(last)", "scan", "send cpu", "exch cpu");
  double sendOne = 0;
  double sendMany = 0;
  for (int count : {1, 2, 4, 8, 16, 32, 64}) {
    const double kept = modelledMs(count, false, send);
    if (count == 1) sendOne = kept;
    if (count == 64) sendMany = kept;
    std::printf("%9d | %10.2f %10.2f | %12.2f %12.2f | %8.2f | %9.2f %9.2f\n", count, kept,
                modelledMs(count, false, sendAfterChange), modelledMs(count, true, exchange),
                modelledMs(count, false, exchange), modelledMs(count, false, scan), overheadUs(count, send),
                overheadUs(count, exchange));
  }
  std::printf("\nsend with 64 unrelated interfaces / with 1: %.2fx\n", sendMany / sendOne);
  return 0;
}
