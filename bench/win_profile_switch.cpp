// From another program's window coming to the front to the report mask's
// frame leaving the HID link: what the window thread does on each switch.
// The window's program is looked up as the foreground watch looks it up (the
// process opened and its start time read; its image name asked for once),
// the rows in force are worked out, held input is let go and the mask sent
// over a modelled bus (bench/CostedHidBus.h) whose device time is reported
// apart from the program's own. A test window in a process of its own
// (TestTarget.exe, beside this program) stands for the game. Figures only;
// nothing is asserted.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/CostedHidBus.h"
#include "device/DeviceRescan.h"
#include "bench/LinkOutput.h"
#include "device/HidLink.h"
#include "device/MouseModel.h"
#include "profiles/ProgramProfiles.h"
#include "profiles/ForegroundWatch.h"
#include "input/InputEngine.h"

namespace {
using Clock = std::chrono::steady_clock;
using namespace costed;

constexpr char kGameTitle[] = "Profile switch target";
constexpr int kSwitches = 2000;
constexpr int kOtherProfiles = 50;


HWND startGame(PROCESS_INFORMATION& process) {
  char path[MAX_PATH] = {};
  ::GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string command = path;
  command = "\"" + command.substr(0, command.find_last_of("\\/") + 1) + "TestTarget.exe\" " + kGameTitle;
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  if (!::CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
    return nullptr;
  for (int wait = 0; wait < 300; ++wait) {
    if (HWND window = ::FindWindowA(nullptr, kGameTitle)) return window;
    ::Sleep(100);
  }
  return nullptr;
}

double percentile(std::vector<double> values, int percent) {
  std::sort(values.begin(), values.end());
  return values[std::min(values.size() - 1, values.size() * static_cast<size_t>(percent) / 100)];
}

}  // namespace

int main() {
  PROCESS_INFORMATION game = {};
  HWND gameWindow = startGame(game);
  if (!gameWindow) {
    std::printf("TestTarget.exe did not show its window\n");
    return 1;
  }

  CostedBus bus(machine(8, false));
  HidLink link(bus);
  link.scan();
  MouseModel model;
  LinkOutput output(link);
  InputEngine engine(model, nullptr, output);
  ProgramProfiles profiles;
  for (int i = 0; i < kOtherProfiles; ++i) profiles.add("other" + std::to_string(i) + ".exe");
  profiles.add("TestTarget.exe");
  profiles.setRow("testtarget.exe", RowIndex::Wheel, ButtonFunction::DoubleClick);

  ForegroundWatch watch;
  std::string inForce;
  std::vector<double> programUs, busUs;
  // Every other switch goes back to a window without a profile (none here:
  // this program's own side), as alt-tabbing between a game and the desktop.
  for (int i = 0; i < kSwitches; ++i) {
    const HWND front = i % 2 == 0 ? gameWindow : nullptr;
    bus.micros = 0;
    const Clock::time_point start = Clock::now();
    const std::string program = watch.programOf(front);
    const RowsInForce rows = rowsInForceFor(profiles, program, model.config());
    if (rows.profile != inForce) engine.releaseAll();
    rows.putInto(*model.change());
    inForce = rows.profile;
    sendReportMask(link, model);
    programUs.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
    busUs.push_back(bus.micros);
  }
  std::printf("Foreground change to the report mask's frame (%d switches, %d profiles):\n", kSwitches,
              kOtherProfiles + 1);
  std::printf("program time : median %8.1f us  p99 %8.1f us  (goal: at most 1000 us)\n", percentile(programUs, 50),
              percentile(programUs, 99));
  std::printf("modelled bus : median %8.1f us  (one feature report out)\n", percentile(busUs, 50));

  ::TerminateProcess(game.hProcess, 0);
  ::CloseHandle(game.hThread);
  ::CloseHandle(game.hProcess);
  return 0;
}
