/* The HID minidriver of the driver mouse's two interfaces and of the desk
   devices' interfaces beside it. It does nothing of
   its own: the HID class driver sits on it, and every request is passed down
   to the interface device the mouse's bus driver made (SkivolMouseBus.c),
   which answers it, as a USB HID driver passes requests to the USB stack.

   One request of programs it answers before the class driver: a string by
   its index (HidD_GetIndexedString), which this system's class driver
   refuses for every device. It is asked of the interface below as a class
   driver asks a minidriver for it, so the string still comes from the mouse.
   It is asked of the interface the request's device hangs from, so that
   another device never answers with the mouse's strings. */
#include "MinidriverDeclarations.h"

#define MAX_FUNCTION_DEVICES 160
#define MAX_STRING_CHARS 127

static PDRIVER_DISPATCH g_classControl;
static PDEVICE_OBJECT g_functionDevices[MAX_FUNCTION_DEVICES];

static BOOLEAN isFunctionDevice(PDEVICE_OBJECT device) {
  int i;
  for (i = 0; i < MAX_FUNCTION_DEVICES; ++i)
    if (g_functionDevices[i] == device) return TRUE;
  return FALSE;
}

/* The interface below the class driver's device `device` for its
   collection: the class driver keeps the function device it hangs from
   first in its extension. NULL when that is not one of ours. */
static PDEVICE_OBJECT interfaceBelow(PDEVICE_OBJECT device) {
  PDEVICE_OBJECT parent = device->DeviceExtension ? *(PDEVICE_OBJECT*)device->DeviceExtension : NULL;
  if (!parent || !isFunctionDevice(parent)) return NULL;
  return ((HID_DEVICE_EXTENSION*)parent->DeviceExtension)->NextDeviceObject;
}

static NTSTATUS indexedString(PDEVICE_OBJECT device, PIRP irp) {
  IO_STACK_LOCATION* stack = IoGetCurrentIrpStackLocation(irp);
  WCHAR text[MAX_STRING_CHARS + 1];
  IO_STATUS_BLOCK io;
  KEVENT done;
  PIRP request;
  PDEVICE_OBJECT below = interfaceBelow(device);
  ULONG index, length;
  void* out;
  out = irp->MdlAddress ? MmGetSystemAddressForMdlSafe(irp->MdlAddress, NormalPagePriority) : irp->UserBuffer;
  if (!below || !out || stack->Parameters.DeviceIoControl.InputBufferLength < sizeof(ULONG) ||
      !irp->AssociatedIrp.SystemBuffer) {
    irp->IoStatus.Status = STATUS_INVALID_PARAMETER;
    irp->IoStatus.Information = 0;
    IoCompleteRequest(irp, IO_NO_INCREMENT);
    return STATUS_INVALID_PARAMETER;
  }
  index = *(ULONG*)irp->AssociatedIrp.SystemBuffer;
  RtlZeroMemory(text, sizeof(text));
  KeInitializeEvent(&done, NotificationEvent, FALSE);
  request = IoBuildDeviceIoControlRequest(IOCTL_HID_GET_INDEXED_STRING, below, (PVOID)(ULONG_PTR)index, sizeof(index), text,
                                          MAX_STRING_CHARS * sizeof(WCHAR), TRUE, &done, &io);
  if (!request) {
    io.Status = STATUS_NO_MEMORY;
  } else if (IoCallDriver(below, request) == STATUS_PENDING) {
    KeWaitForSingleObject(&done, Executive, KernelMode, FALSE, NULL);
  }
  length = 0;
  if (io.Status == STATUS_SUCCESS) {
    length = (ULONG)(wcslen(text) + 1) * sizeof(WCHAR);
    if (length > stack->Parameters.DeviceIoControl.OutputBufferLength)
      length = stack->Parameters.DeviceIoControl.OutputBufferLength;
    RtlCopyMemory(out, text, length);
  }
  irp->IoStatus.Status = io.Status;
  irp->IoStatus.Information = length;
  IoCompleteRequest(irp, IO_NO_INCREMENT);
  return io.Status;
}

static NTSTATUS NTAPI control(PDEVICE_OBJECT device, PIRP irp) {
  IO_STACK_LOCATION* stack = IoGetCurrentIrpStackLocation(irp);
  if (!isFunctionDevice(device) && stack->Parameters.DeviceIoControl.IoControlCode == IOCTL_HID_GET_INDEXED_STRING)
    return indexedString(device, irp);
  return g_classControl(device, irp);
}

static NTSTATUS NTAPI passDown(PDEVICE_OBJECT device, PIRP irp) {
  HID_DEVICE_EXTENSION* ext = (HID_DEVICE_EXTENSION*)device->DeviceExtension;
  PDEVICE_OBJECT below = ext->NextDeviceObject;
  IO_STACK_LOCATION* stack = IoGetCurrentIrpStackLocation(irp);
  int i;
  if (stack->MajorFunction == IRP_MJ_PNP && stack->MinorFunction == IRP_MN_REMOVE_DEVICE) {
    for (i = 0; i < MAX_FUNCTION_DEVICES; ++i)
      if (g_functionDevices[i] == device) g_functionDevices[i] = NULL;
  }
  IoSkipCurrentIrpStackLocation(irp);
  return IoCallDriver(below, irp);
}

static NTSTATUS NTAPI addDevice(PDRIVER_OBJECT driver, PDEVICE_OBJECT device) {
  int i;
  (void)driver;
  for (i = 0; i < MAX_FUNCTION_DEVICES; ++i) {
    if (!g_functionDevices[i]) {
      g_functionDevices[i] = device;
      break;
    }
  }
  device->Flags &= ~DO_DEVICE_INITIALIZING;
  return STATUS_SUCCESS;
}

static VOID NTAPI unload(PDRIVER_OBJECT driver) { (void)driver; }

NTSTATUS NTAPI DriverEntry(PDRIVER_OBJECT driver, PUNICODE_STRING registryPath) {
  HID_MINIDRIVER_REGISTRATION registration;
  NTSTATUS status;
  RtlZeroMemory(&registration, sizeof(registration));
  registration.Revision = HID_REVISION;
  registration.DriverObject = driver;
  registration.RegistryPath = registryPath;
  registration.DeviceExtensionSize = sizeof(ULONG);
  /* Not polled: the interface answers a read when the mouse has a report. */
  registration.DevicesArePolled = FALSE;

  driver->DriverExtension->AddDevice = addDevice;
  driver->DriverUnload = unload;
  driver->MajorFunction[IRP_MJ_PNP] = passDown;
  driver->MajorFunction[IRP_MJ_INTERNAL_DEVICE_CONTROL] = passDown;
  status = HidRegisterMinidriver(&registration);
  g_classControl = driver->MajorFunction[IRP_MJ_DEVICE_CONTROL];
  driver->MajorFunction[IRP_MJ_DEVICE_CONTROL] = control;
  return status;
}
