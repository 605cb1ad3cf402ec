// The product reaches the mouse through the system's HID services.
#include "app/Seams.h"
#include "device/Win32HidBus.h"
#include "mainwnd/Win32RawInput.h"

// Function-local statics: the process-wide HID link asks for its bus while
// the globals are still being constructed, whatever the order of files.
HidBus& systemHidBus() {
  static Win32HidBus bus;
  return bus;
}

RawInputApi& systemRawInput() {
  static Win32RawInput rawInput;
  return rawInput;
}
