// The raw-input seam: registration for raw input, reading one packet and
// asking what device sent it. The product's implementation calls
// RegisterRawInputDevices, GetRawInputData and GetRawInputDeviceInfoA;
// the virtual mouse delivers its own packets through the same calls, so they
// take the same road (and the same checks) as a real mouse's reports.
#pragma once
#include <windows.h>

class RawInputApi {
public:
  virtual ~RawInputApi() = default;
  virtual BOOL registerDevices(const RAWINPUTDEVICE* devices, UINT count, UINT entrySize) = 0;
  // Same contract as GetRawInputData.
  virtual UINT getData(HRAWINPUT input, UINT command, void* data, UINT* size, UINT headerSize) = 0;
  // Same contract as GetRawInputDeviceInfoA.
  virtual UINT getDeviceInfo(HANDLE device, UINT command, void* data, UINT* size) = 0;
};
