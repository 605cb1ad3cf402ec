// The program's only road to the mouse. It finds the mouse among the HID
// interfaces of the machine, counts its configuration interfaces, records its
// vendor input collections and carries the 9-byte feature frames to it.
//
// A scan walks every interface of the machine. The interfaces that take the
// mouse's frames stay open from one walk to the next, so a transfer costs the
// same however many other HID devices the machine has. They are looked for
// again at every scan (which a change of the device set triggers) and when a
// transfer finds one of them gone, which also reaches a replugged mouse
// without waiting for the re-scan. One recursive lock serialises all
// traffic, whichever thread it comes from.
#pragma once
#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "device/FeatureFrame.h"
#include "device/HidBus.h"

// How the mouse is recognised.
namespace MouseIdentity {
constexpr uint16_t VendorId = 0xE0FF;
constexpr uint16_t ProductId = 0x0005;
constexpr uint16_t FeatureReportLength = 9;  // report ID included
constexpr uint32_t VendorStringIndex = 250;
constexpr char VendorString[] = "Pelmor";
// The collection that reports remapped buttons and the DPI state.
constexpr uint16_t InputUsagePage = 0xFF12;
constexpr uint16_t InputUsage = 0x0001;
constexpr uint16_t InputReportLength = 8;
}  // namespace MouseIdentity

constexpr int kHidSlots = 20;
// Wide-character buffer sizes of the string requests.
constexpr size_t kScanStringBufferBytes = 512;
constexpr size_t kSlotStringBufferBytes = 128;

// A vendor input collection found by the scan. Only the path and the report
// length are ever recorded; the handles stay empty (see setSlotState).
struct HidSlot {
  std::string devicePath;
  int32_t inputReportLength = 0;
  HidBus::Handle deviceHandle = nullptr;       // for the state-word requests
  HidBus::Handle pendingReadHandle = nullptr;  // whose pending I/O cancelPending cancels
  HidBus::Handle event = nullptr;              // pulsed by cancelPending
  int32_t stateWord = 0;
};

class HidLink;
// The process's link to the mouse, over the seam's HID bus (defined with the
// other process-wide objects, app/ProcessObjects_win.cpp).
extern HidLink hidLink;

class HidLink {
public:
  // The bus must outlive the link: the destructor closes what the slots hold.
  explicit HidLink(HidBus& bus);
  virtual ~HidLink();
  HidLink(const HidLink&) = delete;
  HidLink& operator=(const HidLink&) = delete;

  // Rebuilds presentCount, inputCount and the slots from the interfaces
  // present now. Runs on the window's thread at start and on the re-scan
  // worker later.
  void scan();
  // Configuration interfaces of the mouse found by the last scan; 0 means
  // "no mouse" to every caller. Read without the lock.
  int32_t presentCount() const { return m_presentCount.load(); }
  // Vendor input collections recorded by the last scan (at most kHidSlots).
  int32_t inputCount() const { return m_inputCount.load(); }

  // The device set may have changed (a device came or went): the next
  // transfer walks the interfaces again instead of trusting the ones it
  // kept. Takes no lock, so the window's thread never waits for a scan here.
  void markDeviceSetChanged() { m_deviceSetChanged.store(true); }

  // While quiet, no frame leaves for any mouse (the transfers do nothing, as
  // with no mouse): the mouse is another copy's, or the machine is going to
  // sleep or the session is locked. Scans still run. Takes no lock.
  void setQuiet(bool quiet) { m_quiet.store(quiet); }
  bool quiet() const { return m_quiet.load(); }

  // The main window, as an opaque handle value. Kept for a debugger only:
  // nothing is posted to it from here, device changes reach the window from
  // the system.
  void setNotifyWindow(void* window) { m_notifyWindow.store(window); }
  void* notifyWindow() const { return m_notifyWindow.load(); }

  // Sends the frame to every interface of the mouse, in enumeration order.
  // Nothing is acknowledged; with no mouse the frame reaches nothing. When an
  // interface turns out to be gone, the interfaces are walked again and the
  // ones that have not taken the frame get it.
  void sendFeature(const FeatureFrame& frame);
  // Sends the request to the first interface of the mouse and reads a frame
  // back into `reply` (left as it was when no interface matches).
  void exchangeFeature(const FeatureFrame& request, FeatureFrame& reply);
  // The same, with the interface of the mouse whose interfaces belong to
  // `device` (see deviceOf). False when no such interface is there, even
  // after walking the interfaces again, or it did not take the frame: the
  // mouse has gone.
  bool exchangeFeatureOn(const std::string& device, const FeatureFrame& request, FeatureFrame& reply);
  // The device the interface at `path` belongs to (HidBus::deviceOf), empty
  // when it cannot be told.
  std::string deviceOf(const std::string& path);

  // state word := (state word & ~mask) | value, then sends the state word as
  // a series of string requests on the slot's device handle. A slot outside
  // 0..kHidSlots-1 is ignored. The scan records no device handle, so today
  // the requests reach no device; they are kept so that a slot that does get
  // a handle behaves as the mouse expects.
  void setSlotState(int slot, int32_t value, int32_t mask);
  // Wakes and cancels whatever reads the slots have pending, forgetting the
  // paths of those slots. With no handles recorded it finds nothing to do.
  void cancelPending();

  // A copy of a slot, taken under the lock (an empty slot when out of range).
  HidSlot slot(int index) const;
  // The lock that serialises all traffic. Recursive: the thread that holds
  // it may enter again.
  std::recursive_mutex& lock() const { return m_lock; }

protected:
  // For a link that keeps handles in its slots between operations.
  HidSlot& slotAt(int index) { return m_slots[index]; }

private:
  // An open interface that takes the mouse's frames: the mouse's IDs and its
  // feature report length, whatever its vendor string says.
  struct Target {
    std::string path;
    HidBus::Handle handle = nullptr;
    uint16_t featureReportLength = 0;
    std::string device;  // what it belongs to, empty when unknown
  };
  enum class Walk { Next, KeepOpen, Stop };

  // Walks the present interfaces under the lock, opening each and reading
  // its capabilities; `visit` says whether to go on, and whether the handle
  // stays open (it then belongs to the visitor). Every other interface is
  // closed before the next one is opened. False when there is no interface
  // set to walk.
  template <typename Visit>
  bool forEachInterface(Visit visit);
  bool isMouseConfiguration(HidBus::Handle handle, const HidCapabilities& caps);
  void clearSlot(HidSlot& slot);
  void sendSlotState(HidSlot& slot);
  // Closes the targets and finds them again.
  void refreshTargets();
  void closeTargets();
  // True when the interface behind the handle no longer answers, so a failed
  // transfer means the device has gone rather than refused the frame.
  bool isGone(HidBus::Handle handle);
  // Whether the kept targets can be used as they are; walks again when not.
  // True when it had to walk.
  bool refreshTargetsIfStale();
  bool sendTo(const Target& target, const FeatureFrame& frame);
  bool exchangeWith(const Target& target, const FeatureFrame& request, FeatureFrame& reply);
  Target makeTarget(const std::string& path, HidBus::Handle handle, const HidCapabilities& caps);
  const Target* targetOf(const std::string& device) const;

  HidBus& m_bus;
  std::atomic<int32_t> m_presentCount{0};
  std::atomic<int32_t> m_inputCount{0};
  HidSlot m_slots[kHidSlots];
  std::vector<Target> m_targets;  // in enumeration order; under the lock
  bool m_targetsKnown = false;    // the targets describe a walk not yet known stale
  std::atomic<bool> m_deviceSetChanged{false};
  std::atomic<bool> m_quiet{false};
  std::atomic<void*> m_notifyWindow{nullptr};
  mutable std::recursive_mutex m_lock;
};
