// DriverMouseRig.exe: plugs the driver mouse in and serves its control
// channel until the process is ended. Prints the channel's port on a line of
// its own ("driver mouse: control channel on 127.0.0.1:<port>").
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "vmouse/DriverMouseRig_win.h"

namespace {
constexpr DWORD kDeviceDeadlineMs = 60000;

std::string besideThisProgram(const char* name) {
  char path[MAX_PATH] = {};
  ::GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder(path);
  folder.erase(folder.find_last_of("\\/") + 1);
  return folder + name;
}
}  // namespace

int main() {
  // Never destroyed: the channel's threads serve until the process ends.
  auto* rig = new DriverMouseRig();
  std::string error;
  if (!rig->attach(besideThisProgram("skivolmouse.inf"), kDeviceDeadlineMs, error)) {
    std::fprintf(stderr, "driver mouse: %s\n", error.c_str());
    return 1;
  }
  const char* plugged = std::getenv("SKIVOL_VMOUSE_PLUGGED");
  if (!rig->start(!(plugged && std::strcmp(plugged, "0") == 0), ControlChannel::configuredPort())) {
    std::fprintf(stderr, "driver mouse: the device refused to plug in, or no port\n");
    return 1;
  }
  std::printf("driver mouse: control channel on 127.0.0.1:%u\n", rig->port());
  std::fflush(stdout);
  ::Sleep(INFINITE);
  return 0;
}
