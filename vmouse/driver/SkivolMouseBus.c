/* The driver mouse's bus driver: the mouse as the system sees it, a device
   (root\skivolmouse) with two interfaces on it, as the USB mouse has:
     MI_01  the configuration interface: 9-byte feature reports, string 250;
     MI_02  the vendor input collection: usage page 0xFF12, usage 1, 8-byte
            input reports.
   The HID class driver sits on each interface (through SkivolMouseHid.c) and
   its requests arrive here. The mouse's firmware is not here: it runs in the
   rig, a user-mode program that opens this device ("\\.\SkivolMouseRig") and
   takes the feature transfers from it, gives it input reports, and plugs the
   interfaces in and out (DriverMouseProtocol.h). Feature sets are accepted at
   once and passed on; a get is answered with the last frame set, as the
   firmware answers it. Nothing here waits: requests that cannot be answered
   yet (a read with no report, the rig's wait for a transfer) stay pending. */
#include "MinidriverDeclarations.h"

#include "DriverMouseProtocol.h"

enum { KindBus = 1, KindInterface = 2 };
enum { ConfigurationInterface = 0, InputInterface = 1, InterfaceCount = 2 };

typedef struct {
  int kind;
  int index;
} DeviceHeader;

#define REPORT_QUEUE 64
#define TRANSFER_QUEUE 256
#define VENDOR_STRING_INDEX 250

static const UCHAR kConfigurationDescriptor[] = {
    0x06, 0x00, 0xFF,  /* usage page (vendor 0xFF00) */
    0x09, 0x01,        /* usage 1 */
    0xA1, 0x01,        /* collection (application) */
    0x15, 0x00,        /*   logical minimum 0 */
    0x26, 0xFF, 0x00,  /*   logical maximum 255 */
    0x75, 0x08,        /*   report size 8 */
    0x95, 0x08,        /*   report count 8 */
    0x09, 0x01,        /*   usage 1 */
    0xB1, 0x02,        /*   feature (data, variable, absolute) */
    0xC0,              /* end collection */
};
static const UCHAR kInputDescriptor[] = {
    0x06, 0x12, 0xFF,  /* usage page (vendor 0xFF12) */
    0x09, 0x01,        /* usage 1 */
    0xA1, 0x01,        /* collection (application) */
    0x15, 0x00,        /*   logical minimum 0 */
    0x26, 0xFF, 0x00,  /*   logical maximum 255 */
    0x75, 0x08,        /*   report size 8 */
    0x95, 0x07,        /*   report count 7 (8 with the report ID) */
    0x09, 0x01,        /*   usage 1 */
    0x81, 0x02,        /*   input (data, variable, absolute) */
    0xC0,              /* end collection */
};
static const WCHAR* const kDeviceIds[InterfaceCount] = {
    L"SKIVOLMOUSE\\VID_E0FF&PID_0005&MI_01",
    L"SKIVOLMOUSE\\VID_E0FF&PID_0005&MI_02",
};
static const WCHAR kVendorString[] = L"Pelmor";
static const WCHAR kProductString[] = L"Gaming Mouse";

/* One mouse: everything below is guarded by g_lock. */
static KSPIN_LOCK g_lock;
static PDEVICE_OBJECT g_bus, g_lower, g_busPdo;
static PDEVICE_OBJECT g_interfaces[InterfaceCount];
static BOOLEAN g_plugged, g_symlink;
static PIRP g_readIrp, g_transferIrp;
static UCHAR g_reports[REPORT_QUEUE][SKIVOL_INPUT_LENGTH];
static ULONG g_reportHead, g_reportCount;
static SkivolRigTransfer g_transfers[TRANSFER_QUEUE];
static ULONG g_transferHead, g_transferCount;
static UCHAR g_lastFrame[SKIVOL_FEATURE_LENGTH];

static NTSTATUS complete(PIRP irp, NTSTATUS status, ULONG_PTR information) {
  irp->IoStatus.Status = status;
  irp->IoStatus.Information = information;
  IoCompleteRequest(irp, IO_NO_INCREMENT);
  return status;
}

static VOID NTAPI cancelPending(PDEVICE_OBJECT device, PIRP irp) {
  KIRQL irql;
  (void)device;
  IoReleaseCancelSpinLock(irp->CancelIrql);
  KeAcquireSpinLock(&g_lock, &irql);
  if (g_readIrp == irp) g_readIrp = NULL;
  if (g_transferIrp == irp) g_transferIrp = NULL;
  KeReleaseSpinLock(&g_lock, irql);
  complete(irp, STATUS_CANCELLED, 0);
}

/* Under g_lock: keeps `irp` in `*slot` until it can be answered. */
static NTSTATUS pendLocked(PIRP* slot, PIRP irp) {
  if (*slot) return STATUS_DEVICE_BUSY;
  IoSetCancelRoutine(irp, cancelPending);
  if (irp->Cancel && IoSetCancelRoutine(irp, NULL)) return STATUS_CANCELLED;
  IoMarkIrpPending(irp);
  *slot = irp;
  return STATUS_PENDING;
}

/* Under g_lock: the pending request in `*slot`, now the caller's to complete;
   NULL when there is none or it is being cancelled. */
static PIRP takeLocked(PIRP* slot) {
  PIRP irp = *slot;
  *slot = NULL;
  if (irp && !IoSetCancelRoutine(irp, NULL)) return NULL;
  return irp;
}

static ULONG copyReport(PIRP irp, const UCHAR* report) {
  IO_STACK_LOCATION* stack = IoGetCurrentIrpStackLocation(irp);
  ULONG length = stack->Parameters.DeviceIoControl.OutputBufferLength;
  /* Byte 0 is the report ID, which an interface without IDs does not send. */
  if (length > SKIVOL_INPUT_LENGTH - 1) length = SKIVOL_INPUT_LENGTH - 1;
  RtlCopyMemory(irp->UserBuffer, report + 1, length);
  return length;
}

static void queueTransferLocked(ULONG isGet, const UCHAR* frame) {
  ULONG slot;
  if (g_transferCount == TRANSFER_QUEUE) {
    g_transferHead = (g_transferHead + 1) % TRANSFER_QUEUE;
    --g_transferCount;
  }
  slot = (g_transferHead + g_transferCount) % TRANSFER_QUEUE;
  g_transfers[slot].isGet = isGet;
  RtlCopyMemory(g_transfers[slot].frame, frame, SKIVOL_FEATURE_LENGTH);
  ++g_transferCount;
}

/* Under g_lock: hands the oldest transfer to the waiting rig. Returns the
   request to complete, or NULL. */
static PIRP deliverTransferLocked(void) {
  PIRP irp;
  if (!g_transferCount || !g_transferIrp) return NULL;
  irp = takeLocked(&g_transferIrp);
  if (!irp) return NULL;
  RtlCopyMemory(irp->AssociatedIrp.SystemBuffer, &g_transfers[g_transferHead], sizeof(SkivolRigTransfer));
  g_transferHead = (g_transferHead + 1) % TRANSFER_QUEUE;
  --g_transferCount;
  return irp;
}

static NTSTATUS featureTransfer(PIRP irp, BOOLEAN isGet) {
  HID_XFER_PACKET* packet = (HID_XFER_PACKET*)irp->UserBuffer;
  PIRP rig;
  KIRQL irql;
  ULONG length;
  if (!packet || !packet->reportBuffer || packet->reportId != 0) return complete(irp, STATUS_INVALID_PARAMETER, 0);
  length = packet->reportBufferLen;
  if (length > SKIVOL_FEATURE_LENGTH - 1) length = SKIVOL_FEATURE_LENGTH - 1;
  KeAcquireSpinLock(&g_lock, &irql);
  if (isGet) {
    RtlCopyMemory(packet->reportBuffer, g_lastFrame + 1, length);
  } else {
    /* The firmware takes only whole frames. */
    if (packet->reportBufferLen < SKIVOL_FEATURE_LENGTH - 1) {
      KeReleaseSpinLock(&g_lock, irql);
      return complete(irp, STATUS_INVALID_PARAMETER, 0);
    }
    g_lastFrame[0] = 0;
    RtlCopyMemory(g_lastFrame + 1, packet->reportBuffer, SKIVOL_FEATURE_LENGTH - 1);
  }
  queueTransferLocked(isGet, g_lastFrame);
  rig = deliverTransferLocked();
  KeReleaseSpinLock(&g_lock, irql);
  if (rig) complete(rig, STATUS_SUCCESS, sizeof(SkivolRigTransfer));
  return complete(irp, STATUS_SUCCESS, length);
}

static NTSTATUS copyOut(PIRP irp, const void* data, ULONG size) {
  IO_STACK_LOCATION* stack = IoGetCurrentIrpStackLocation(irp);
  void* out = irp->UserBuffer;
  if (!out && irp->MdlAddress) out = MmGetSystemAddressForMdlSafe(irp->MdlAddress, NormalPagePriority);
  if (stack->Parameters.DeviceIoControl.OutputBufferLength < size || !out)
    return complete(irp, STATUS_BUFFER_TOO_SMALL, 0);
  RtlCopyMemory(out, data, size);
  return complete(irp, STATUS_SUCCESS, size);
}

static NTSTATUS interfaceRequest(PDEVICE_OBJECT device, PIRP irp) {
  DeviceHeader* header = (DeviceHeader*)device->DeviceExtension;
  IO_STACK_LOCATION* stack = IoGetCurrentIrpStackLocation(irp);
  const BOOLEAN input = header->index == InputInterface;
  const UCHAR* descriptor = input ? kInputDescriptor : kConfigurationDescriptor;
  const USHORT descriptorLength = input ? sizeof(kInputDescriptor) : sizeof(kConfigurationDescriptor);

  switch (stack->Parameters.DeviceIoControl.IoControlCode) {
    case IOCTL_HID_GET_DEVICE_DESCRIPTOR: {
      HID_DESCRIPTOR hid;
      RtlZeroMemory(&hid, sizeof(hid));
      hid.bLength = sizeof(hid);
      hid.bDescriptorType = 0x21;
      hid.bcdHID = 0x0111;
      hid.bNumDescriptors = 1;
      hid.DescriptorList[0].bReportType = HID_REPORT_DESCRIPTOR_TYPE;
      hid.DescriptorList[0].wReportLength = descriptorLength;
      return copyOut(irp, &hid, sizeof(hid));
    }
    case IOCTL_HID_GET_REPORT_DESCRIPTOR:
      return copyOut(irp, descriptor, descriptorLength);
    case IOCTL_HID_GET_DEVICE_ATTRIBUTES: {
      HID_DEVICE_ATTRIBUTES attributes;
      RtlZeroMemory(&attributes, sizeof(attributes));
      attributes.Size = sizeof(attributes);
      attributes.VendorID = 0xE0FF;
      attributes.ProductID = 0x0005;
      attributes.VersionNumber = 0x0101;
      return copyOut(irp, &attributes, sizeof(attributes));
    }
    case IOCTL_HID_GET_STRING: {
      /* The string's ID travels in the input pointer itself; the strings are
         the device's, the same on both interfaces. */
      const ULONG id = (ULONG)(ULONG_PTR)stack->Parameters.DeviceIoControl.Type3InputBuffer & 0xFFFF;
      if (id == HID_STRING_ID_IMANUFACTURER) return copyOut(irp, kVendorString, sizeof(kVendorString));
      if (id == HID_STRING_ID_IPRODUCT) return copyOut(irp, kProductString, sizeof(kProductString));
      return complete(irp, STATUS_INVALID_PARAMETER, 0);
    }
    case IOCTL_HID_GET_INDEXED_STRING: {
      /* The index travels in the input pointer itself (language above). */
      const ULONG index = (ULONG)(ULONG_PTR)irp->AssociatedIrp.SystemBuffer & 0xFFFF;
      if (index == VENDOR_STRING_INDEX) return copyOut(irp, kVendorString, sizeof(kVendorString));
      return complete(irp, STATUS_INVALID_PARAMETER, 0);
    }
    case IOCTL_HID_READ_REPORT: {
      KIRQL irql;
      NTSTATUS status;
      UCHAR report[SKIVOL_INPUT_LENGTH];
      if (!input) return complete(irp, STATUS_NOT_SUPPORTED, 0);
      KeAcquireSpinLock(&g_lock, &irql);
      if (!g_plugged) {
        status = STATUS_DEVICE_NOT_CONNECTED;
      } else if (g_reportCount) {
        RtlCopyMemory(report, g_reports[g_reportHead], SKIVOL_INPUT_LENGTH);
        g_reportHead = (g_reportHead + 1) % REPORT_QUEUE;
        --g_reportCount;
        status = STATUS_SUCCESS;
      } else {
        status = pendLocked(&g_readIrp, irp);
      }
      KeReleaseSpinLock(&g_lock, irql);
      if (status == STATUS_PENDING) return status;
      if (status != STATUS_SUCCESS) return complete(irp, status, 0);
      return complete(irp, STATUS_SUCCESS, copyReport(irp, report));
    }
    case IOCTL_HID_GET_FEATURE:
      if (input) return complete(irp, STATUS_NOT_SUPPORTED, 0);
      return featureTransfer(irp, TRUE);
    case IOCTL_HID_SET_FEATURE:
      if (input) return complete(irp, STATUS_NOT_SUPPORTED, 0);
      return featureTransfer(irp, FALSE);
    default:
      return complete(irp, STATUS_NOT_SUPPORTED, 0);
  }
}

/* One ID as a list of one (the list's second NUL does for a plain ID). */
static WCHAR* idList(const WCHAR* id) {
  const size_t length = wcslen(id);
  WCHAR* list = (WCHAR*)ExAllocatePool(PagedPool, (length + 2) * sizeof(WCHAR));
  if (!list) return NULL;
  RtlCopyMemory(list, id, (length + 1) * sizeof(WCHAR));
  list[length + 1] = 0;
  return list;
}

static void failPendingRead(void) {
  KIRQL irql;
  PIRP read;
  KeAcquireSpinLock(&g_lock, &irql);
  read = takeLocked(&g_readIrp);
  KeReleaseSpinLock(&g_lock, irql);
  if (read) complete(read, STATUS_DELETE_PENDING, 0);
}

static NTSTATUS interfacePnp(PDEVICE_OBJECT device, PIRP irp) {
  DeviceHeader* header = (DeviceHeader*)device->DeviceExtension;
  IO_STACK_LOCATION* stack = IoGetCurrentIrpStackLocation(irp);
  NTSTATUS status = irp->IoStatus.Status;
  ULONG_PTR information = irp->IoStatus.Information;

  switch (stack->MinorFunction) {
    case IRP_MN_QUERY_ID: {
      WCHAR* id = NULL;
      switch (stack->Parameters.QueryId.IdType) {
        case BusQueryDeviceID:
        case BusQueryHardwareIDs:
          id = idList(kDeviceIds[header->index]);
          break;
        case BusQueryCompatibleIDs:
          id = idList(L"");
          break;
        case BusQueryInstanceID:
          id = idList(L"0");
          break;
        default:
          break;
      }
      if (id) {
        status = STATUS_SUCCESS;
        information = (ULONG_PTR)id;
      }
      break;
    }
    case IRP_MN_QUERY_CAPABILITIES: {
      DEVICE_CAPABILITIES* caps = stack->Parameters.DeviceCapabilities.Capabilities;
      caps->Removable = TRUE;
      caps->SurpriseRemovalOK = TRUE;
      status = STATUS_SUCCESS;
      break;
    }
    case IRP_MN_START_DEVICE:
    case IRP_MN_QUERY_STOP_DEVICE:
    case IRP_MN_CANCEL_STOP_DEVICE:
    case IRP_MN_STOP_DEVICE:
    case IRP_MN_QUERY_REMOVE_DEVICE:
    case IRP_MN_CANCEL_REMOVE_DEVICE:
      status = STATUS_SUCCESS;
      break;
    case IRP_MN_SURPRISE_REMOVAL:
      if (header->index == InputInterface) failPendingRead();
      status = STATUS_SUCCESS;
      break;
    case IRP_MN_REMOVE_DEVICE: {
      KIRQL irql;
      if (header->index == InputInterface) failPendingRead();
      KeAcquireSpinLock(&g_lock, &irql);
      if (g_interfaces[header->index] == device) g_interfaces[header->index] = NULL;
      KeReleaseSpinLock(&g_lock, irql);
      complete(irp, STATUS_SUCCESS, 0);
      IoDeleteDevice(device);
      return STATUS_SUCCESS;
    }
    default:
      break;
  }
  return complete(irp, status, information);
}

static NTSTATUS passToLower(PIRP irp) {
  IoSkipCurrentIrpStackLocation(irp);
  return IoCallDriver(g_lower, irp);
}

static NTSTATUS busPnp(PDEVICE_OBJECT device, PIRP irp) {
  IO_STACK_LOCATION* stack = IoGetCurrentIrpStackLocation(irp);
  switch (stack->MinorFunction) {
    case IRP_MN_START_DEVICE:
    case IRP_MN_QUERY_STOP_DEVICE:
    case IRP_MN_CANCEL_STOP_DEVICE:
    case IRP_MN_STOP_DEVICE:
    case IRP_MN_QUERY_REMOVE_DEVICE:
    case IRP_MN_CANCEL_REMOVE_DEVICE:
    case IRP_MN_SURPRISE_REMOVAL:
      irp->IoStatus.Status = STATUS_SUCCESS;
      return passToLower(irp);
    case IRP_MN_QUERY_DEVICE_RELATIONS: {
      DEVICE_RELATIONS* relations;
      KIRQL irql;
      int i;
      if (stack->Parameters.QueryDeviceRelations.Type != BusRelations) return passToLower(irp);
      relations = (DEVICE_RELATIONS*)ExAllocatePool(PagedPool, sizeof(DEVICE_RELATIONS) +
                                                                   InterfaceCount * sizeof(PDEVICE_OBJECT));
      if (!relations) return complete(irp, STATUS_NO_MEMORY, 0);
      relations->Count = 0;
      KeAcquireSpinLock(&g_lock, &irql);
      for (i = 0; i < InterfaceCount; ++i) {
        if (g_plugged && g_interfaces[i]) {
          ObReferenceObject(g_interfaces[i]);
          relations->Objects[relations->Count++] = g_interfaces[i];
        }
      }
      KeReleaseSpinLock(&g_lock, irql);
      irp->IoStatus.Information = (ULONG_PTR)relations;
      irp->IoStatus.Status = STATUS_SUCCESS;
      return passToLower(irp);
    }
    case IRP_MN_REMOVE_DEVICE: {
      NTSTATUS status;
      PDEVICE_OBJECT lower = g_lower;
      UNICODE_STRING dosName;
      g_plugged = FALSE;
      if (g_symlink) {
        RtlInitUnicodeString(&dosName, SKIVOL_RIG_DOS_NAME);
        IoDeleteSymbolicLink(&dosName);
        g_symlink = FALSE;
      }
      irp->IoStatus.Status = STATUS_SUCCESS;
      status = passToLower(irp);
      IoDetachDevice(lower);
      IoDeleteDevice(device);
      g_bus = NULL;
      return status;
    }
    default:
      return passToLower(irp);
  }
}

/* Plugs both interfaces in (they are made anew, with nothing queued) or
   pulls them out, and tells the system to look at the bus again. */
static NTSTATUS plug(PDRIVER_OBJECT driver, BOOLEAN plugged) {
  KIRQL irql;
  int i;
  if (plugged) {
    KeAcquireSpinLock(&g_lock, &irql);
    /* The interfaces of the last plug are still being taken away. */
    if (g_plugged || g_interfaces[0] || g_interfaces[1]) {
      const BOOLEAN already = g_plugged;
      KeReleaseSpinLock(&g_lock, irql);
      return already ? STATUS_SUCCESS : STATUS_DEVICE_BUSY;
    }
    KeReleaseSpinLock(&g_lock, irql);
    for (i = 0; i < InterfaceCount; ++i) {
      PDEVICE_OBJECT made;
      DeviceHeader* header;
      NTSTATUS status = IoCreateDevice(driver, sizeof(DeviceHeader), NULL, FILE_DEVICE_BUS_EXTENDER,
                                       FILE_AUTOGENERATED_DEVICE_NAME | FILE_DEVICE_SECURE_OPEN, FALSE, &made);
      if (status != STATUS_SUCCESS) {
        /* Both or neither: the system never saw the first. */
        if (i > 0) {
          IoDeleteDevice(g_interfaces[0]);
          g_interfaces[0] = NULL;
        }
        return status;
      }
      header = (DeviceHeader*)made->DeviceExtension;
      header->kind = KindInterface;
      header->index = i;
      made->Flags &= ~DO_DEVICE_INITIALIZING;
      g_interfaces[i] = made;
    }
    KeAcquireSpinLock(&g_lock, &irql);
    g_reportHead = g_reportCount = 0;
    g_transferHead = g_transferCount = 0;
    RtlZeroMemory(g_lastFrame, sizeof(g_lastFrame));
    g_plugged = TRUE;
    KeReleaseSpinLock(&g_lock, irql);
  } else {
    KeAcquireSpinLock(&g_lock, &irql);
    g_plugged = FALSE;
    g_reportHead = g_reportCount = 0;
    KeReleaseSpinLock(&g_lock, irql);
    failPendingRead();
  }
  IoInvalidateDeviceRelations(g_busPdo, BusRelations);
  return STATUS_SUCCESS;
}

static NTSTATUS rigRequest(PDEVICE_OBJECT device, PIRP irp) {
  IO_STACK_LOCATION* stack = IoGetCurrentIrpStackLocation(irp);
  const ULONG inLength = stack->Parameters.DeviceIoControl.InputBufferLength;
  const ULONG outLength = stack->Parameters.DeviceIoControl.OutputBufferLength;
  void* buffer = irp->AssociatedIrp.SystemBuffer;
  KIRQL irql;

  switch (stack->Parameters.DeviceIoControl.IoControlCode) {
    case IOCTL_SKIVOL_RIG_PLUG:
      if (inLength != sizeof(ULONG)) return complete(irp, STATUS_INVALID_PARAMETER, 0);
      return complete(irp, plug(device->DriverObject, *(ULONG*)buffer != 0), 0);
    case IOCTL_SKIVOL_RIG_INPUT: {
      PIRP read = NULL;
      NTSTATUS status = STATUS_SUCCESS;
      if (inLength != SKIVOL_INPUT_LENGTH) return complete(irp, STATUS_INVALID_PARAMETER, 0);
      KeAcquireSpinLock(&g_lock, &irql);
      if (!g_plugged || !g_interfaces[InputInterface]) {
        status = STATUS_DEVICE_NOT_CONNECTED;
      } else if (!(read = takeLocked(&g_readIrp))) {
        /* No read waiting: keep it for the next, dropping the oldest when
           nobody reads. */
        if (g_reportCount == REPORT_QUEUE) {
          g_reportHead = (g_reportHead + 1) % REPORT_QUEUE;
          --g_reportCount;
        }
        RtlCopyMemory(g_reports[(g_reportHead + g_reportCount) % REPORT_QUEUE], buffer, SKIVOL_INPUT_LENGTH);
        ++g_reportCount;
      }
      KeReleaseSpinLock(&g_lock, irql);
      if (read) complete(read, STATUS_SUCCESS, copyReport(read, (const UCHAR*)buffer));
      return complete(irp, status, 0);
    }
    case IOCTL_SKIVOL_RIG_NEXT_TRANSFER: {
      NTSTATUS status;
      PIRP ready;
      if (outLength < sizeof(SkivolRigTransfer)) return complete(irp, STATUS_BUFFER_TOO_SMALL, 0);
      KeAcquireSpinLock(&g_lock, &irql);
      status = pendLocked(&g_transferIrp, irp);
      ready = status == STATUS_PENDING ? deliverTransferLocked() : NULL;
      KeReleaseSpinLock(&g_lock, irql);
      if (status != STATUS_PENDING) return complete(irp, status, 0);
      if (ready) complete(ready, STATUS_SUCCESS, sizeof(SkivolRigTransfer));
      return STATUS_PENDING;
    }
    default:
      return complete(irp, STATUS_NOT_SUPPORTED, 0);
  }
}

static NTSTATUS NTAPI dispatchPnp(PDEVICE_OBJECT device, PIRP irp) {
  DeviceHeader* header = (DeviceHeader*)device->DeviceExtension;
  return header->kind == KindBus ? busPnp(device, irp) : interfacePnp(device, irp);
}

static NTSTATUS NTAPI dispatchInternal(PDEVICE_OBJECT device, PIRP irp) {
  DeviceHeader* header = (DeviceHeader*)device->DeviceExtension;
  if (header->kind != KindInterface) return complete(irp, STATUS_NOT_SUPPORTED, 0);
  return interfaceRequest(device, irp);
}

static NTSTATUS NTAPI dispatchControl(PDEVICE_OBJECT device, PIRP irp) {
  DeviceHeader* header = (DeviceHeader*)device->DeviceExtension;
  if (header->kind != KindBus) return complete(irp, STATUS_NOT_SUPPORTED, 0);
  return rigRequest(device, irp);
}

static NTSTATUS NTAPI dispatchOpenClose(PDEVICE_OBJECT device, PIRP irp) {
  DeviceHeader* header = (DeviceHeader*)device->DeviceExtension;
  IO_STACK_LOCATION* stack = IoGetCurrentIrpStackLocation(irp);
  if (header->kind == KindBus && stack->MajorFunction != IRP_MJ_CREATE) {
    /* The rig went away: its wait for a transfer ends. */
    KIRQL irql;
    PIRP waiting;
    KeAcquireSpinLock(&g_lock, &irql);
    waiting = takeLocked(&g_transferIrp);
    KeReleaseSpinLock(&g_lock, irql);
    if (waiting) complete(waiting, STATUS_CANCELLED, 0);
  }
  return complete(irp, STATUS_SUCCESS, 0);
}

static NTSTATUS NTAPI dispatchPower(PDEVICE_OBJECT device, PIRP irp) {
  DeviceHeader* header = (DeviceHeader*)device->DeviceExtension;
  if (header->kind == KindBus) {
    PoStartNextPowerIrp(irp);
    IoSkipCurrentIrpStackLocation(irp);
    return PoCallDriver(g_lower, irp);
  }
  PoStartNextPowerIrp(irp);
  return complete(irp, STATUS_SUCCESS, 0);
}

static NTSTATUS NTAPI addDevice(PDRIVER_OBJECT driver, PDEVICE_OBJECT pdo) {
  UNICODE_STRING name, dosName;
  PDEVICE_OBJECT fdo;
  DeviceHeader* header;
  NTSTATUS status;
  /* One mouse. */
  if (g_bus) return STATUS_DEVICE_BUSY;
  RtlInitUnicodeString(&name, SKIVOL_RIG_DEVICE_NAME);
  status = IoCreateDevice(driver, sizeof(DeviceHeader), &name, FILE_DEVICE_BUS_EXTENDER, FILE_DEVICE_SECURE_OPEN,
                          FALSE, &fdo);
  if (status != STATUS_SUCCESS) return status;
  header = (DeviceHeader*)fdo->DeviceExtension;
  header->kind = KindBus;
  header->index = -1;
  RtlInitUnicodeString(&dosName, SKIVOL_RIG_DOS_NAME);
  g_symlink = IoCreateSymbolicLink(&dosName, &name) == STATUS_SUCCESS;
  g_busPdo = pdo;
  g_lower = IoAttachDeviceToDeviceStack(fdo, pdo);
  g_bus = fdo;
  fdo->Flags |= DO_BUFFERED_IO;
  fdo->Flags &= ~DO_DEVICE_INITIALIZING;
  return STATUS_SUCCESS;
}

static VOID NTAPI unload(PDRIVER_OBJECT driver) {
  UNICODE_STRING dosName;
  (void)driver;
  if (g_symlink) {
    RtlInitUnicodeString(&dosName, SKIVOL_RIG_DOS_NAME);
    IoDeleteSymbolicLink(&dosName);
    g_symlink = FALSE;
  }
}

NTSTATUS NTAPI DriverEntry(PDRIVER_OBJECT driver, PUNICODE_STRING registryPath) {
  (void)registryPath;
  KeInitializeSpinLock(&g_lock);
  driver->DriverExtension->AddDevice = addDevice;
  driver->DriverUnload = unload;
  driver->MajorFunction[IRP_MJ_PNP] = dispatchPnp;
  driver->MajorFunction[IRP_MJ_POWER] = dispatchPower;
  driver->MajorFunction[IRP_MJ_INTERNAL_DEVICE_CONTROL] = dispatchInternal;
  driver->MajorFunction[IRP_MJ_DEVICE_CONTROL] = dispatchControl;
  driver->MajorFunction[IRP_MJ_CREATE] = dispatchOpenClose;
  driver->MajorFunction[IRP_MJ_CLEANUP] = dispatchOpenClose;
  driver->MajorFunction[IRP_MJ_CLOSE] = dispatchOpenClose;
  return STATUS_SUCCESS;
}
