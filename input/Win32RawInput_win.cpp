#include "input/Win32RawInput.h"

BOOL Win32RawInput::registerDevices(const RAWINPUTDEVICE* devices, UINT count, UINT entrySize) {
  return ::RegisterRawInputDevices(devices, count, entrySize);
}

UINT Win32RawInput::getData(HRAWINPUT input, UINT command, void* data, UINT* size, UINT headerSize) {
  return ::GetRawInputData(input, command, data, size, headerSize);
}

UINT Win32RawInput::getDeviceInfo(HANDLE device, UINT command, void* data, UINT* size) {
  return ::GetRawInputDeviceInfoA(device, command, data, size);
}
