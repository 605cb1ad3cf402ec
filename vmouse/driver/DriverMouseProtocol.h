/* What the driver mouse's bus driver and its rig say to each other: IOCTLs on
   the bus device "\\.\SkivolMouseRig". Plain C, shared by the kernel driver
   and the user-mode rig. */
#pragma once

#define SKIVOL_RIG_DOS_NAME L"\\DosDevices\\SkivolMouseRig"
#define SKIVOL_RIG_DEVICE_NAME L"\\Device\\SkivolMouseRig"
#define SKIVOL_RIG_USER_PATH "\\\\.\\SkivolMouseRig"

#define SKIVOL_RIG_CODE(n) CTL_CODE(FILE_DEVICE_UNKNOWN, 0x800 + (n), METHOD_BUFFERED, FILE_ANY_ACCESS)
/* in: one ULONG, 1 plugs the mouse's two interfaces in, 0 pulls them out. */
#define IOCTL_SKIVOL_RIG_PLUG SKIVOL_RIG_CODE(0)
/* in: the 8 bytes of a vendor input report (byte 0, the report ID, is 0). */
#define IOCTL_SKIVOL_RIG_INPUT SKIVOL_RIG_CODE(1)
/* out: SkivolRigTransfer; pending until the system makes a feature transfer
   on the configuration interface. */
#define IOCTL_SKIVOL_RIG_NEXT_TRANSFER SKIVOL_RIG_CODE(2)

/* Other makers' devices on the desk, one interface per top-level collection.
   in: SkivolDeskInterface; out: one ULONG, the interface's slot. The
   interface is plugged in at once. */
#define IOCTL_SKIVOL_RIG_DESK_ADD SKIVOL_RIG_CODE(3)
/* in: SkivolDeskReport: an input report of a desk interface, as on the wire
   (its report ID first where the collection has IDs). */
#define IOCTL_SKIVOL_RIG_DESK_INPUT SKIVOL_RIG_CODE(4)
/* in: one ULONG, the slot; out: SkivolDeskCounts. */
#define IOCTL_SKIVOL_RIG_DESK_COUNTS SKIVOL_RIG_CODE(5)
/* Every desk interface leaves. */
#define IOCTL_SKIVOL_RIG_DESK_CLEAR SKIVOL_RIG_CODE(6)

#define SKIVOL_DESK_SLOTS 128
#define SKIVOL_DESK_DESCRIPTOR 1024
#define SKIVOL_DESK_REPORT 64

typedef struct SkivolDeskInterface {
  unsigned long device;     /* the desk device's number, its interfaces' instance ID */
  unsigned long collection; /* 1-based; 0: the device's only collection */
  unsigned short vendorId;
  unsigned short productId;
  unsigned long descriptorLength;
  unsigned char descriptor[SKIVOL_DESK_DESCRIPTOR];
} SkivolDeskInterface;

typedef struct SkivolDeskReport {
  unsigned long slot;
  unsigned long length;
  unsigned char report[SKIVOL_DESK_REPORT];
} SkivolDeskReport;

typedef struct SkivolDeskCounts {
  unsigned long featureSets;
  unsigned long outputReports;
  unsigned long featureGets;
  unsigned long inputReports; /* taken by the system */
} SkivolDeskCounts;

#define SKIVOL_FEATURE_LENGTH 9
#define SKIVOL_INPUT_LENGTH 8

typedef struct SkivolRigTransfer {
  unsigned long isGet; /* 0: the frame was set; 1: the frame answered a get */
  unsigned char frame[SKIVOL_FEATURE_LENGTH];
} SkivolRigTransfer;
