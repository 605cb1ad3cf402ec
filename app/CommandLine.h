// The start-up switches. They are looked for in the whole command line, the
// program path included, in a lower-case copy, as plain substrings; a switch
// counts where it is found at a position greater than 0. So "/HIDE", "/Hide"
// and "/hidden" all count as "/hide", anywhere after the program path.
#pragma once

struct StartSwitches {
  bool hide = false;
  bool close = false;
};

StartSwitches parseStartSwitches(const char* commandLine);
