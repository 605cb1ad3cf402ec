// The virtual build reaches the virtual mouse behind the same seams.
//
// Until the virtual mouse is in, these hand out the system's own services so
// that the virtual build and the tests link.
#include "app/Seams.h"
#include "device/Win32HidBus.h"
#include "mainwnd/Win32RawInput.h"

HidBus& systemHidBus() {
  static Win32HidBus bus;
  return bus;
}

RawInputApi& systemRawInput() {
  static Win32RawInput rawInput;
  return rawInput;
}
