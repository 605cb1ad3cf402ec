// Writes the settings record of a fresh installation: the setup puts it
// beside the program when there is none yet, so that it exists for the rights
// every user of the machine is given on it. Written by the program's own
// settings code, so it is byte for byte what the program itself would save.
#include <cstdio>

#include "device/SettingsFile.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_default_settings <setting.dat>\n");
    return 2;
  }
  const MouseConfig defaults;
  if (!saveSettingsTo(argv[1], defaults)) {
    std::fprintf(stderr, "make_default_settings: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
