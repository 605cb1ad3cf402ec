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
   yet (a read with no report, the rig's wait for a transfer) stay pending.

   Beside the mouse, the rig may put other makers' devices on the desk: each
   top-level collection of such a device is an interface of its own
   (SKIVOLMOUSE\VID_xxxx&PID_yyyy&MI_00&Colnn), with the report descriptor
   of that collection. They send the input reports the rig gives them, answer
   feature reads with zeros and take feature and output reports, counting
   each, so that the rig can tell what the system sent them. */
#include "MinidriverDeclarations.h"

#include "DriverMouseProtocol.h"

enum { KindBus = 1, KindInterface = 2, KindDesk = 3 };
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
/* The class driver's read of the input interface, and that of the
   configuration interface: it has no input reports, so its read waits until
   the interface goes. Failing it at once would not do: the class driver asks
   again straight away, for ever, and keeps a core busy. */
static PIRP g_readIrp, g_idleReadIrp, g_transferIrp;
static UCHAR g_reports[REPORT_QUEUE][SKIVOL_INPUT_LENGTH];
static ULONG g_reportHead, g_reportCount;
static SkivolRigTransfer g_transfers[TRANSFER_QUEUE];
static ULONG g_transferHead, g_transferCount;
static UCHAR g_lastFrame[SKIVOL_FEATURE_LENGTH];

#define DESK_QUEUE 16
/* One interface of a desk device; a slot is free when it is neither on the
   bus nor still held by the system. */
typedef struct {
  PDEVICE_OBJECT device;
  BOOLEAN present;
  ULONG number, collection;
  USHORT vendorId, productId;
  ULONG descriptorLength;
  UCHAR descriptor[SKIVOL_DESK_DESCRIPTOR];
  PIRP readIrp;
  UCHAR reports[DESK_QUEUE][SKIVOL_DESK_REPORT];
  ULONG reportLengths[DESK_QUEUE];
  ULONG reportHead, reportCount;
  SkivolDeskCounts counts;
} DeskSlot;
static DeskSlot g_desk[SKIVOL_DESK_SLOTS];

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
  if (g_idleReadIrp == irp) g_idleReadIrp = NULL;
  if (g_transferIrp == irp) g_transferIrp = NULL;
  {
    int i;
    for (i = 0; i < SKIVOL_DESK_SLOTS; ++i)
      if (g_desk[i].readIrp == irp) g_desk[i].readIrp = NULL;
  }
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

static NTSTATUS hidDescriptor(PIRP irp, ULONG descriptorLength) {
  HID_DESCRIPTOR hid;
  RtlZeroMemory(&hid, sizeof(hid));
  hid.bLength = sizeof(hid);
  hid.bDescriptorType = 0x21;
  hid.bcdHID = 0x0111;
  hid.bNumDescriptors = 1;
  hid.DescriptorList[0].bReportType = HID_REPORT_DESCRIPTOR_TYPE;
  hid.DescriptorList[0].wReportLength = (USHORT)descriptorLength;
  return copyOut(irp, &hid, sizeof(hid));
}

static NTSTATUS interfaceRequest(PDEVICE_OBJECT device, PIRP irp) {
  DeviceHeader* header = (DeviceHeader*)device->DeviceExtension;
  IO_STACK_LOCATION* stack = IoGetCurrentIrpStackLocation(irp);
  const BOOLEAN input = header->index == InputInterface;
  const UCHAR* descriptor = input ? kInputDescriptor : kConfigurationDescriptor;
  const USHORT descriptorLength = input ? sizeof(kInputDescriptor) : sizeof(kConfigurationDescriptor);

  switch (stack->Parameters.DeviceIoControl.IoControlCode) {
    case IOCTL_HID_GET_DEVICE_DESCRIPTOR:
      return hidDescriptor(irp, descriptorLength);
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
      KeAcquireSpinLock(&g_lock, &irql);
      /* An interface of before a replug may still ask until the system has
         removed it: its read must not take the place of the new one's. */
      if (!g_plugged || g_interfaces[header->index] != device) {
        status = STATUS_DEVICE_NOT_CONNECTED;
      } else if (!input) {
        status = pendLocked(&g_idleReadIrp, irp);
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

static ULONG copyDeskReport(PIRP irp, const UCHAR* report, ULONG length) {
  IO_STACK_LOCATION* stack = IoGetCurrentIrpStackLocation(irp);
  if (length > stack->Parameters.DeviceIoControl.OutputBufferLength)
    length = stack->Parameters.DeviceIoControl.OutputBufferLength;
  RtlCopyMemory(irp->UserBuffer, report, length);
  return length;
}

static NTSTATUS deskRequest(PDEVICE_OBJECT device, PIRP irp) {
  DeviceHeader* header = (DeviceHeader*)device->DeviceExtension;
  IO_STACK_LOCATION* stack = IoGetCurrentIrpStackLocation(irp);
  DeskSlot* slot = &g_desk[header->index];
  const ULONG code = stack->Parameters.DeviceIoControl.IoControlCode;
  HID_XFER_PACKET* packet = (HID_XFER_PACKET*)irp->UserBuffer;
  KIRQL irql;

  switch (code) {
    case IOCTL_HID_GET_DEVICE_DESCRIPTOR:
      return hidDescriptor(irp, slot->descriptorLength);
    case IOCTL_HID_GET_REPORT_DESCRIPTOR:
      return copyOut(irp, slot->descriptor, slot->descriptorLength);
    case IOCTL_HID_GET_DEVICE_ATTRIBUTES: {
      HID_DEVICE_ATTRIBUTES attributes;
      RtlZeroMemory(&attributes, sizeof(attributes));
      attributes.Size = sizeof(attributes);
      attributes.VendorID = slot->vendorId;
      attributes.ProductID = slot->productId;
      attributes.VersionNumber = 0x0100;
      return copyOut(irp, &attributes, sizeof(attributes));
    }
    case IOCTL_HID_READ_REPORT: {
      NTSTATUS status;
      UCHAR report[SKIVOL_DESK_REPORT];
      ULONG length = 0;
      KeAcquireSpinLock(&g_lock, &irql);
      if (!slot->present) {
        status = STATUS_DEVICE_NOT_CONNECTED;
      } else if (slot->reportCount) {
        length = slot->reportLengths[slot->reportHead];
        RtlCopyMemory(report, slot->reports[slot->reportHead], length);
        slot->reportHead = (slot->reportHead + 1) % DESK_QUEUE;
        --slot->reportCount;
        ++slot->counts.inputReports;
        status = STATUS_SUCCESS;
      } else {
        status = pendLocked(&slot->readIrp, irp);
      }
      KeReleaseSpinLock(&g_lock, irql);
      if (status == STATUS_PENDING) return status;
      if (status != STATUS_SUCCESS) return complete(irp, status, 0);
      return complete(irp, STATUS_SUCCESS, copyDeskReport(irp, report, length));
    }
    case IOCTL_HID_GET_FEATURE:
    case IOCTL_HID_GET_INPUT_REPORT:
      /* Zeros of the length asked, the report ID kept. */
      if (!packet || !packet->reportBuffer) return complete(irp, STATUS_INVALID_PARAMETER, 0);
      if (packet->reportId && packet->reportBufferLen > 1)
        RtlZeroMemory(packet->reportBuffer + 1, packet->reportBufferLen - 1);
      else if (!packet->reportId)
        RtlZeroMemory(packet->reportBuffer, packet->reportBufferLen);
      KeAcquireSpinLock(&g_lock, &irql);
      if (code == IOCTL_HID_GET_FEATURE) ++slot->counts.featureGets;
      KeReleaseSpinLock(&g_lock, irql);
      return complete(irp, STATUS_SUCCESS, packet->reportBufferLen);
    case IOCTL_HID_SET_FEATURE:
    case IOCTL_HID_SET_OUTPUT_REPORT:
    case IOCTL_HID_WRITE_REPORT:
      if (!packet) return complete(irp, STATUS_INVALID_PARAMETER, 0);
      KeAcquireSpinLock(&g_lock, &irql);
      if (code == IOCTL_HID_SET_FEATURE)
        ++slot->counts.featureSets;
      else
        ++slot->counts.outputReports;
      KeReleaseSpinLock(&g_lock, irql);
      return complete(irp, STATUS_SUCCESS, packet->reportBufferLen);
    default:
      return complete(irp, STATUS_NOT_SUPPORTED, 0);
  }
}

static WCHAR* appendText(WCHAR* at, const WCHAR* text) {
  while (*text) *at++ = *text++;
  return at;
}

static WCHAR* appendHex(WCHAR* at, ULONG value, int digits) {
  int i;
  for (i = digits - 1; i >= 0; --i) *at++ = L"0123456789ABCDEF"[(value >> (4 * i)) & 0xF];
  return at;
}

static WCHAR* appendDecimal(WCHAR* at, ULONG value) {
  WCHAR digits[12];
  int count = 0;
  do {
    digits[count++] = (WCHAR)(L'0' + value % 10);
    value /= 10;
  } while (value);
  while (count) *at++ = digits[--count];
  return at;
}

/* A desk interface's IDs, as a list: its device ID (with the device's IDs,
   interface 0 and its collection), then for the hardware IDs the ID the INF
   installs every desk interface by; its instance ID, the device's number. */
static WCHAR* deskIds(const DeskSlot* slot, BUS_QUERY_ID_TYPE type) {
  WCHAR* list = (WCHAR*)ExAllocatePool(PagedPool, 128 * sizeof(WCHAR));
  WCHAR* at = list;
  if (!list) return NULL;
  if (type == BusQueryInstanceID) {
    at = appendDecimal(at, slot->number);
  } else if (type == BusQueryCompatibleIDs) {
  } else {
    at = appendText(at, L"SKIVOLMOUSE\\VID_");
    at = appendHex(at, slot->vendorId, 4);
    at = appendText(at, L"&PID_");
    at = appendHex(at, slot->productId, 4);
    at = appendText(at, L"&MI_00");
    if (slot->collection) {
      at = appendText(at, L"&Col");
      at = appendHex(at, slot->collection, 2);
    }
    if (type == BusQueryHardwareIDs) {
      *at++ = 0;
      at = appendText(at, L"SKIVOLMOUSE\\DESKDEVICE");
    }
  }
  *at++ = 0;
  *at = 0;
  return list;
}

static void failDeskRead(DeskSlot* slot) {
  KIRQL irql;
  PIRP read;
  KeAcquireSpinLock(&g_lock, &irql);
  read = takeLocked(&slot->readIrp);
  KeReleaseSpinLock(&g_lock, irql);
  if (read) complete(read, STATUS_DELETE_PENDING, 0);
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

static void failPendingRead(int index) {
  KIRQL irql;
  PIRP read;
  KeAcquireSpinLock(&g_lock, &irql);
  read = takeLocked(index == InputInterface ? &g_readIrp : &g_idleReadIrp);
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
      if (header->kind == KindDesk) {
        if (stack->Parameters.QueryId.IdType <= BusQueryInstanceID)
          id = deskIds(&g_desk[header->index], stack->Parameters.QueryId.IdType);
      } else switch (stack->Parameters.QueryId.IdType) {
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
      if (header->kind == KindDesk) failDeskRead(&g_desk[header->index]);
      else failPendingRead(header->index);
      status = STATUS_SUCCESS;
      break;
    case IRP_MN_REMOVE_DEVICE: {
      KIRQL irql;
      if (header->kind == KindDesk) failDeskRead(&g_desk[header->index]);
      else failPendingRead(header->index);
      KeAcquireSpinLock(&g_lock, &irql);
      if (header->kind == KindDesk) {
        if (g_desk[header->index].device == device) g_desk[header->index].device = NULL;
      } else if (g_interfaces[header->index] == device) {
        g_interfaces[header->index] = NULL;
      }
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
      relations = (DEVICE_RELATIONS*)ExAllocatePool(
          PagedPool, sizeof(DEVICE_RELATIONS) + (InterfaceCount + SKIVOL_DESK_SLOTS) * sizeof(PDEVICE_OBJECT));
      if (!relations) return complete(irp, STATUS_NO_MEMORY, 0);
      relations->Count = 0;
      KeAcquireSpinLock(&g_lock, &irql);
      for (i = 0; i < InterfaceCount; ++i) {
        if (g_plugged && g_interfaces[i]) {
          ObReferenceObject(g_interfaces[i]);
          relations->Objects[relations->Count++] = g_interfaces[i];
        }
      }
      for (i = 0; i < SKIVOL_DESK_SLOTS; ++i) {
        if (g_desk[i].present && g_desk[i].device) {
          ObReferenceObject(g_desk[i].device);
          relations->Objects[relations->Count++] = g_desk[i].device;
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
    failPendingRead(InputInterface);
    failPendingRead(ConfigurationInterface);
  }
  IoInvalidateDeviceRelations(g_busPdo, BusRelations);
  return STATUS_SUCCESS;
}

/* A desk interface made and put on the bus; its slot in `*slotIndex`. */
static NTSTATUS addDesk(PDRIVER_OBJECT driver, const SkivolDeskInterface* made, ULONG* slotIndex) {
  PDEVICE_OBJECT device;
  DeviceHeader* header;
  DeskSlot* slot = NULL;
  KIRQL irql;
  NTSTATUS status;
  ULONG i;
  if (made->descriptorLength == 0 || made->descriptorLength > SKIVOL_DESK_DESCRIPTOR) return STATUS_INVALID_PARAMETER;
  KeAcquireSpinLock(&g_lock, &irql);
  for (i = 0; i < SKIVOL_DESK_SLOTS && !slot; ++i) {
    if (!g_desk[i].present && !g_desk[i].device) {
      slot = &g_desk[i];
      /* Taken, before the lock is let go. */
      slot->present = TRUE;
      *slotIndex = i;
    }
  }
  KeReleaseSpinLock(&g_lock, irql);
  if (!slot) return STATUS_INSUFFICIENT_RESOURCES;
  status = IoCreateDevice(driver, sizeof(DeviceHeader), NULL, FILE_DEVICE_BUS_EXTENDER,
                          FILE_AUTOGENERATED_DEVICE_NAME | FILE_DEVICE_SECURE_OPEN, FALSE, &device);
  if (status != STATUS_SUCCESS) {
    slot->present = FALSE;
    return status;
  }
  header = (DeviceHeader*)device->DeviceExtension;
  header->kind = KindDesk;
  header->index = (int)*slotIndex;
  device->Flags &= ~DO_DEVICE_INITIALIZING;
  KeAcquireSpinLock(&g_lock, &irql);
  slot->number = made->device;
  slot->collection = made->collection;
  slot->vendorId = made->vendorId;
  slot->productId = made->productId;
  slot->descriptorLength = made->descriptorLength;
  RtlCopyMemory(slot->descriptor, made->descriptor, made->descriptorLength);
  slot->readIrp = NULL;
  slot->reportHead = slot->reportCount = 0;
  RtlZeroMemory(&slot->counts, sizeof(slot->counts));
  slot->device = device;
  KeReleaseSpinLock(&g_lock, irql);
  IoInvalidateDeviceRelations(g_busPdo, BusRelations);
  return STATUS_SUCCESS;
}

static NTSTATUS deskInput(const SkivolDeskReport* given) {
  DeskSlot* slot;
  PIRP read = NULL;
  NTSTATUS status = STATUS_SUCCESS;
  KIRQL irql;
  if (given->slot >= SKIVOL_DESK_SLOTS || !given->length || given->length > SKIVOL_DESK_REPORT)
    return STATUS_INVALID_PARAMETER;
  slot = &g_desk[given->slot];
  KeAcquireSpinLock(&g_lock, &irql);
  if (!slot->present || !slot->device) {
    status = STATUS_DEVICE_NOT_CONNECTED;
  } else if ((read = takeLocked(&slot->readIrp))) {
    ++slot->counts.inputReports;
  } else {
    if (slot->reportCount == DESK_QUEUE) {
      slot->reportHead = (slot->reportHead + 1) % DESK_QUEUE;
      --slot->reportCount;
    }
    RtlCopyMemory(slot->reports[(slot->reportHead + slot->reportCount) % DESK_QUEUE], given->report, given->length);
    slot->reportLengths[(slot->reportHead + slot->reportCount) % DESK_QUEUE] = given->length;
    ++slot->reportCount;
  }
  KeReleaseSpinLock(&g_lock, irql);
  if (read) complete(read, STATUS_SUCCESS, copyDeskReport(read, given->report, given->length));
  return status;
}

static void clearDesk(void) {
  KIRQL irql;
  int i;
  KeAcquireSpinLock(&g_lock, &irql);
  for (i = 0; i < SKIVOL_DESK_SLOTS; ++i) g_desk[i].present = FALSE;
  KeReleaseSpinLock(&g_lock, irql);
  for (i = 0; i < SKIVOL_DESK_SLOTS; ++i) failDeskRead(&g_desk[i]);
  IoInvalidateDeviceRelations(g_busPdo, BusRelations);
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
    case IOCTL_SKIVOL_RIG_DESK_ADD: {
      ULONG slot = 0;
      NTSTATUS status;
      if (inLength != sizeof(SkivolDeskInterface) || outLength < sizeof(ULONG))
        return complete(irp, STATUS_INVALID_PARAMETER, 0);
      status = addDesk(device->DriverObject, (const SkivolDeskInterface*)buffer, &slot);
      if (status != STATUS_SUCCESS) return complete(irp, status, 0);
      *(ULONG*)buffer = slot;
      return complete(irp, STATUS_SUCCESS, sizeof(ULONG));
    }
    case IOCTL_SKIVOL_RIG_DESK_INPUT:
      if (inLength != sizeof(SkivolDeskReport)) return complete(irp, STATUS_INVALID_PARAMETER, 0);
      return complete(irp, deskInput((const SkivolDeskReport*)buffer), 0);
    case IOCTL_SKIVOL_RIG_DESK_COUNTS: {
      ULONG slot;
      if (inLength != sizeof(ULONG) || outLength < sizeof(SkivolDeskCounts))
        return complete(irp, STATUS_INVALID_PARAMETER, 0);
      slot = *(ULONG*)buffer;
      if (slot >= SKIVOL_DESK_SLOTS) return complete(irp, STATUS_INVALID_PARAMETER, 0);
      KeAcquireSpinLock(&g_lock, &irql);
      RtlCopyMemory(buffer, &g_desk[slot].counts, sizeof(SkivolDeskCounts));
      KeReleaseSpinLock(&g_lock, irql);
      return complete(irp, STATUS_SUCCESS, sizeof(SkivolDeskCounts));
    }
    case IOCTL_SKIVOL_RIG_DESK_CLEAR:
      clearDesk();
      return complete(irp, STATUS_SUCCESS, 0);
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
  if (header->kind == KindDesk) return deskRequest(device, irp);
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
    /* The devices it put on the desk go with it. */
    clearDesk();
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
