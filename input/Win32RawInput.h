// The raw-input seam over the system's own calls.
#pragma once
#include "input/RawInputApi.h"

class Win32RawInput : public RawInputApi {
public:
  BOOL registerDevices(const RAWINPUTDEVICE* devices, UINT count, UINT entrySize) override;
  UINT getData(HRAWINPUT input, UINT command, void* data, UINT* size, UINT headerSize) override;
  UINT getDeviceInfo(HANDLE device, UINT command, void* data, UINT* size) override;
};
