// The program's speed and memory next to a reference, measured side by side
// under the same Wine: a transfer with many unrelated HID devices, start-up,
// idle CPU in the tray, a full repaint and private memory. The reference for
// the window rows is bench/win_empty_window (the cheapest popup of the main
// window's size); product and reference runs are interleaved. Prints a table
// of medians (and p99 where it applies) with each row's goal. Figures only.
//
//   win_perf [rounds] [idle seconds] [repaints]      defaults: 11 30 10000
//
// SKIVOL_BENCH_PROGRAM names another build of the program to measure (for a
// before/after comparison); by default it is SkivolMouse.exe beside this one.
//
// Run it on a display of its own (tools/bench.sh does): it starts and ends
// the program, which is single-instance.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "bench/CostedHidBus.h"
#include "device/HidLink.h"
#include "device/Win32HidBus.h"
#include "vmouse/VirtualHidBus.h"

namespace {

double nowMs() {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    ::QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER t;
  ::QueryPerformanceCounter(&t);
  return 1000.0 * static_cast<double>(t.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double percentile(std::vector<double> values, double p) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  size_t at = static_cast<size_t>(p * static_cast<double>(values.size() - 1) + 0.5);
  return values[std::min(at, values.size() - 1)];
}
double median(const std::vector<double>& values) { return percentile(values, 0.5); }

struct Row {
  std::string what;
  std::string product;
  std::string reference;
  std::string goal;
  bool within;
};
std::vector<Row> rows;

std::string fmt(const char* format, double a, double b = 0) {
  char text[96];
  std::snprintf(text, sizeof text, format, a, b);
  return text;
}

// ---- HID transfers -------------------------------------------------------

class NoOutput : public BusOutput {
public:
  void inputReport(uint32_t, const VendorReport&) override {}
  void keyboardChanged(uint32_t, uint8_t, const HeldKeys&) override {}
  void buttonsChanged(uint32_t, uint8_t) override {}
};

void exchangeWithManyDevices(int rounds) {
  NoOutput output;
  VirtualHidBus quietBus(output);
  VirtualHidBus busyBus(output);
  quietBus.addMouse();
  busyBus.addMouse();
  const int added = busyBus.addUnrelated(1000);
  HidLink quiet(quietBus);
  HidLink busy(busyBus);
  quiet.scan();
  busy.scan();
  // Sent as the input engine sends them: to the mouse whose report it was,
  // found by the device its interfaces hang from (the mouse is first).
  const std::string quietMouse = quiet.deviceOf(quietBus.enumerateInterfaces().front());
  const std::string busyMouse = busy.deviceOf(busyBus.enumerateInterfaces().front());
  std::vector<double> quietMs, busyMs, walkMs;
  FeatureFrame reply;
  for (int r = 0; r < rounds; ++r) {
    const FeatureFrame keys = FeatureFrame::InjectKeys(r % 2 ? 0x01 : 0x00, {static_cast<uint8_t>(r % 2 ? 6 : 0), 0, 0, 0, 0});
    double t = nowMs();
    quiet.exchangeFeatureOn(quietMouse, keys, reply);
    quietMs.push_back(nowMs() - t);
    t = nowMs();
    busy.exchangeFeatureOn(busyMouse, keys, reply);
    busyMs.push_back(nowMs() - t);
    if (r % 20 == 0) {  // what every exchange cost when each one walked the bus
      busy.markDeviceSetChanged();
      t = nowMs();
      busy.exchangeFeatureOn(busyMouse, keys, reply);
      walkMs.push_back(nowMs() - t);
    }
  }
  std::printf("InjectKeys exchange, virtual bus: %d unrelated interfaces %.3f ms (p99 %.3f), none %.3f ms "
              "(p99 %.3f); walking the bus first: %.3f ms\n",
              added, median(busyMs), percentile(busyMs, 0.99), median(quietMs), percentile(quietMs, 0.99),
              median(walkMs));
  const double ratio = median(busyMs) / median(quietMs);
  const double ratio99 = percentile(busyMs, 0.99) / percentile(quietMs, 0.99);
  rows.push_back({"InjectKeys exchange, 1000 unrelated HID (median/p99)",
                  fmt("%.3f/%.3f ms", median(busyMs), percentile(busyMs, 0.99)),
                  fmt("%.3f/%.3f ms", median(quietMs), percentile(quietMs, 0.99)),
                  fmt("<= 1.5x: %.2fx/%.2fx", ratio, ratio99), ratio <= 1.5 && ratio99 <= 1.5});
}

void systemHidPath(int rounds) {
  Win32HidBus bus;
  HidLink link(bus);
  const size_t interfaces = bus.enumerateInterfaces().size();
  link.scan();
  std::vector<double> enumerateMs, firstMs, laterMs;
  for (int r = 0; r < rounds; ++r) {
    double t = nowMs();
    bus.enumerateInterfaces();
    enumerateMs.push_back(nowMs() - t);
    link.markDeviceSetChanged();
    t = nowMs();
    link.sendFeature(FeatureFrame::PostScan());
    firstMs.push_back(nowMs() - t);
    for (int n = 0; n < 5; ++n) {
      t = nowMs();
      link.sendFeature(FeatureFrame::PostScan());
      laterMs.push_back(nowMs() - t);
    }
  }
  std::printf("System HID path: %u interfaces, enumeration %.3f ms, first sendFeature after a change %.3f ms, "
              "later ones %.4f ms\n",
              static_cast<unsigned>(interfaces), median(enumerateMs), median(firstMs), median(laterMs));
  rows.push_back({"sendFeature after the first, system HID path", fmt("%.4f ms", median(laterMs)),
                  fmt("1 ms poll (first: %.2f ms)", median(firstMs)), "<= 0.1 ms", median(laterMs) <= 0.1});
}

void modelledSend() {
  using namespace costed;
  auto sendMs = [](int unrelatedCount) {
    CostedBus bus(machine(unrelatedCount, false));
    HidLink link(bus);
    link.scan();
    bus.micros = 0;
    link.sendFeature(FeatureFrame::ReportMask(0x04));
    return bus.micros / 1000.0;
  };
  const double many = sendMs(64), one = sendMs(1);
  rows.push_back({"send, 64 unrelated interfaces (modelled)", fmt("%.2f ms", many), fmt("%.2f ms (1)", one),
                  fmt("<= 1.2x: %.2fx", many / one), many / one <= 1.2});
}

// ---- Processes and windows -----------------------------------------------

std::string binDir() {
  char path[MAX_PATH] = {};
  ::GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string dir(path);
  return dir.substr(0, dir.find_last_of("\\/") + 1);
}

struct Child {
  PROCESS_INFORMATION info = {};
  HWND window = nullptr;
  double startedMs = 0;
};

Child launch(const std::string& commandLine) {
  Child child;
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  std::vector<char> line(commandLine.begin(), commandLine.end());
  line.push_back('\0');
  child.startedMs = nowMs();
  if (!::CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &startup,
                        &child.info)) {
    std::fprintf(stderr, "cannot start %s\n", commandLine.c_str());
    std::exit(1);
  }
  return child;
}

struct WindowSearch {
  DWORD process;
  bool visible;
  int minWidth;
  HWND found;
};

BOOL CALLBACK matchWindow(HWND window, LPARAM param) {
  auto* s = reinterpret_cast<WindowSearch*>(param);
  DWORD owner = 0;
  ::GetWindowThreadProcessId(window, &owner);
  RECT r;
  if (owner != s->process || !::GetWindowRect(window, &r) || r.right - r.left < s->minWidth) return TRUE;
  if (s->visible && !::IsWindowVisible(window)) return TRUE;
  s->found = window;
  return FALSE;
}

// A top-level window of the process, at least `minWidth` wide; visible only
// when asked.
HWND windowOf(DWORD process, bool visible, int minWidth) {
  WindowSearch search = {process, visible, minWidth, nullptr};
  ::EnumWindows(matchWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

bool waitFor(const std::function<bool()>& condition, double timeoutMs) {
  const double until = nowMs() + timeoutMs;
  while (nowMs() < until) {
    if (condition()) return true;
    ::Sleep(1);
  }
  return condition();
}

// Milliseconds from CreateProcess to a visible window of the main window's size.
double waitMapped(Child& child) {
  if (!waitFor([&] { return (child.window = windowOf(child.info.dwProcessId, true, 600)) != nullptr; }, 20000)) {
    std::fprintf(stderr, "no window appeared\n");
    std::exit(1);
  }
  return nowMs() - child.startedMs;
}

void end(Child& child, const std::string& closeCommand) {
  if (!closeCommand.empty()) {
    Child closer = launch(closeCommand);
    ::WaitForSingleObject(closer.info.hProcess, 10000);
    ::CloseHandle(closer.info.hProcess);
    ::CloseHandle(closer.info.hThread);
  } else if (child.window) {
    ::PostMessageA(child.window, WM_CLOSE, 0, 0);
  }
  if (::WaitForSingleObject(child.info.hProcess, 10000) != WAIT_OBJECT_0) ::TerminateProcess(child.info.hProcess, 1);
  ::CloseHandle(child.info.hProcess);
  ::CloseHandle(child.info.hThread);
}

// Wine keeps each Windows process in a Linux process of its own, and the
// honest figures are the kernel's: the anonymous resident memory (what is
// private to the process) and the CPU ticks of all its threads. The Linux
// process is the newest one whose command line starts with the program path.
std::string readLinuxFile(const std::string& path) {
  std::string text;
  if (FILE* file = std::fopen(path.c_str(), "rb")) {
    char buffer[4096];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, got);
    std::fclose(file);
  }
  return text;
}

// Field `n` (numbered from 1, as proc(5) does) of a /proc/<pid>/stat line.
double statField(const std::string& stat, int n) {
  size_t at = stat.rfind(')');  // the command name may hold spaces
  if (at == std::string::npos) return 0;
  int field = 2;
  for (size_t p = at + 1; p < stat.size(); ++p) {
    if (stat[p] != ' ') continue;
    if (++field == n) return std::strtod(stat.c_str() + p + 1, nullptr);
  }
  return 0;
}

std::string linuxProcessOf(const std::string& program) {
  std::string best;
  double bestStart = 0;
  WIN32_FIND_DATAA entry;
  HANDLE find = ::FindFirstFileA("Z:\\proc\\*", &entry);
  if (find == INVALID_HANDLE_VALUE) return best;
  do {
    if (entry.cFileName[0] < '0' || entry.cFileName[0] > '9') continue;
    const std::string dir = std::string("Z:\\proc\\") + entry.cFileName;
    const std::string line = readLinuxFile(dir + "\\cmdline");
    if (line.size() < program.size() || _strnicmp(line.c_str(), program.c_str(), program.size()) != 0) continue;
    const double started = statField(readLinuxFile(dir + "\\stat"), 22);
    if (best.empty() || started >= bestStart) {
      best = dir;
      bestStart = started;
    }
  } while (::FindNextFileA(find, &entry));
  ::FindClose(find);
  return best;
}

double privateMb(const std::string& linuxProcess) {
  const std::string status = readLinuxFile(linuxProcess + "\\status");
  size_t at = status.find("RssAnon:");
  if (at == std::string::npos) return -1;
  return std::strtod(status.c_str() + at + 8, nullptr) / 1024.0;
}

double cpuMs(const std::string& linuxProcess) {
  // utime and stime, in clock ticks of 10 ms.
  const std::string stat = readLinuxFile(linuxProcess + "\\stat");
  return 10.0 * (statField(stat, 14) + statField(stat, 15));
}

double repaintMs(HWND window, UINT children = RDW_ALLCHILDREN) {
  const double t = nowMs();
  ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | children);
  return nowMs() - t;
}

BOOL CALLBACK collectChild(HWND child, LPARAM param) {
  reinterpret_cast<std::vector<HWND>*>(param)->push_back(child);
  return TRUE;
}

// What a full repaint is made of: the window's own paint (which draws the
// controls it covers whole from their kept pictures), then each visible
// control repainted on its own, interleaved, medians. The shares are of the
// full repaint's median.
void printRepaintShares(HWND window, double fullMs, int rounds) {
  std::vector<HWND> children;
  ::EnumChildWindows(window, collectChild, reinterpret_cast<LPARAM>(&children));
  children.erase(std::remove_if(children.begin(), children.end(),
                                [&](HWND c) { return ::GetParent(c) != window || !::IsWindowVisible(c); }),
                 children.end());
  std::vector<double> alone;
  std::vector<std::vector<double>> each(children.size());
  for (int r = 0; r < rounds; ++r) {
    alone.push_back(repaintMs(window, RDW_NOCHILDREN));
    for (size_t i = 0; i < children.size(); ++i) each[i].push_back(repaintMs(children[i]));
  }
  std::printf("  the window's own paint: %.3f ms (%.0f %%)\n", median(alone), 100 * median(alone) / fullMs);
  for (size_t i = 0; i < children.size(); ++i) {
    char className[64] = {};
    ::GetClassNameA(children[i], className, sizeof className);
    std::printf("  control %d (%s) on its own: %.3f ms (%.0f %%)\n", ::GetDlgCtrlID(children[i]), className, median(each[i]),
                100 * median(each[i]) / fullMs);
  }
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::atoi(argv[1]) : 11;
  const int idleSeconds = argc > 2 ? std::atoi(argv[2]) : 30;
  const int repaints = argc > 3 ? std::atoi(argv[3]) : 10000;
  const std::string dir = binDir();
  const char* other = std::getenv("SKIVOL_BENCH_PROGRAM");
  const std::string productPath = other && *other ? std::string(other) : dir + "SkivolMouse.exe";
  const std::string referencePath = dir + "win_empty_window.exe";
  const std::string product = "\"" + productPath + "\"";
  const std::string reference = "\"" + referencePath + "\"";
  std::setvbuf(stdout, nullptr, _IONBF, 0);

  exchangeWithManyDevices(2000);
  systemHidPath(50);
  modelledSend();

  // Start-up, interleaved; the order alternates from round to round.
  std::vector<double> productStart, referenceStart;
  Child lastProduct, lastReference;
  for (int r = 0; r < rounds; ++r) {
    const bool last = r + 1 == rounds;
    for (int which = 0; which < 2; ++which) {
      const bool isProduct = (which + r) % 2 == 0;
      Child child = launch(isProduct ? product : reference);
      (isProduct ? productStart : referenceStart).push_back(waitMapped(child));
      if (last) {
        (isProduct ? lastProduct : lastReference) = child;
      } else {
        end(child, isProduct ? product + " /close" : "");
      }
    }
  }
  std::printf("start -> window mapped: program %.1f ms, empty window %.1f ms (medians of %d)\n", median(productStart),
              median(referenceStart), rounds);
  const double startRatio = median(productStart) / median(referenceStart);
  rows.push_back({"process start -> main window mapped", fmt("%.1f ms", median(productStart)),
                  fmt("%.1f ms", median(referenceStart)), fmt("<= 1.5x: %.2fx", startRatio), startRatio <= 1.5});

  // Memory once start-up has settled (the first re-scan runs after a second).
  ::Sleep(1500);
  const std::string productLinux = linuxProcessOf(productPath);
  const std::string referenceLinux = linuxProcessOf(referencePath);
  const double productMb = privateMb(productLinux);
  const double referenceMb = privateMb(referenceLinux);

  // Repaint, interleaved, with the two windows side by side.
  ::SetWindowPos(lastReference.window, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  ::SetWindowPos(lastProduct.window, nullptr, 640, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  std::vector<double> productPaint, referencePaint;
  for (int r = 0; r < 300; ++r) {
    productPaint.push_back(repaintMs(lastProduct.window));
    referencePaint.push_back(repaintMs(lastReference.window));
  }
  const double paintRatio = median(productPaint) / median(referencePaint);
  std::printf("full repaint: program %.2f ms (p99 %.2f), empty window %.2f ms (p99 %.2f)\n", median(productPaint),
              percentile(productPaint, 0.99), median(referencePaint), percentile(referencePaint, 0.99));
  printRepaintShares(lastProduct.window, median(productPaint), 100);
  rows.push_back({"full synchronous repaint (median)", fmt("%.2f ms", median(productPaint)),
                  fmt("%.2f ms", median(referencePaint)), fmt("<= 5x: %.2fx", paintRatio), paintRatio <= 5});

  for (int r = 0; r < repaints; ++r) repaintMs(lastProduct.window);
  const double afterRepaintsMb = privateMb(productLinux);
  std::printf("private memory: program %.1f MB after start, %.1f MB after %d more repaints; empty window %.1f MB\n",
              productMb, afterRepaintsMb, repaints, referenceMb);
  const bool flat = afterRepaintsMb - productMb < 0.5;
  rows.push_back({"private memory after start", fmt("%.1f MB", productMb), fmt("%.1f MB", referenceMb),
                  fmt("<= 10 MB, flat: %+.1f MB", afterRepaintsMb - productMb), productMb <= 10 && flat});
  end(lastProduct, product + " /close");
  end(lastReference, "");

  // Idle: both hidden, side by side for the same seconds.
  Child hiddenProduct = launch(product + " /hide");
  Child hiddenReference = launch(reference + " hidden");
  waitFor([&] { return windowOf(hiddenProduct.info.dwProcessId, true, 600) != nullptr; }, 20000);
  waitFor([&] { return windowOf(hiddenProduct.info.dwProcessId, true, 600) == nullptr; }, 20000);
  ::Sleep(2000);  // past the first re-scan
  const std::string hiddenProductLinux = linuxProcessOf(productPath);
  const std::string hiddenReferenceLinux = linuxProcessOf(referencePath);
  const double productCpu0 = cpuMs(hiddenProductLinux);
  const double referenceCpu0 = cpuMs(hiddenReferenceLinux);
  ::Sleep(static_cast<DWORD>(idleSeconds) * 1000);
  const double productIdle = 100.0 * (cpuMs(hiddenProductLinux) - productCpu0) / (idleSeconds * 1000.0);
  const double referenceIdle =
      100.0 * (cpuMs(hiddenReferenceLinux) - referenceCpu0) / (idleSeconds * 1000.0);
  std::printf("CPU while hidden, %d s: program %.3f %%, empty window %.3f %%\n", idleSeconds, productIdle,
              referenceIdle);
  rows.push_back({"CPU while hidden in the tray", fmt("%.3f %%", productIdle), fmt("%.3f %%", referenceIdle),
                  "<= 0.1 %", productIdle <= 0.1});
  hiddenReference.window = windowOf(hiddenReference.info.dwProcessId, false, 600);
  end(hiddenProduct, product + " /close");
  end(hiddenReference, "");

  std::printf("\n%-54s | %-20s | %-26s | %-26s | %s\n", "What", "Program", "Reference", "Goal", "Within");
  for (const Row& row : rows)
    std::printf("%-54s | %-20s | %-26s | %-26s | %s\n", row.what.c_str(), row.product.c_str(),
                row.reference.c_str(), row.goal.c_str(), row.within ? "yes" : "NO");
  return 0;
}
