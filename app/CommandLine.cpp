#include "app/CommandLine.h"

#include "framework/CString.h"

StartSwitches parseStartSwitches(const char* commandLine) {
  CString line(commandLine);
  line.MakeLower();
  StartSwitches switches;
  switches.hide = line.Find("/hide") > 0;
  switches.close = line.Find("/close") > 0;
  return switches;
}
