#include "device/HidLink.h"

#include <algorithm>
#include <vector>

namespace {
using Guard = std::lock_guard<std::recursive_mutex>;

bool isVendorInput(const HidCapabilities& caps) {
  return caps.usage == MouseIdentity::InputUsage && caps.usagePage == MouseIdentity::InputUsagePage &&
         caps.inputReportByteLength == MouseIdentity::InputReportLength;
}

bool isMouseIds(const HidAttributes& attributes) {
  return attributes.productId == MouseIdentity::ProductId && attributes.vendorId == MouseIdentity::VendorId;
}

// String indexes of the state-word requests.
constexpr uint32_t kStateLowNibbleFollows = 0x4C;
constexpr uint32_t kStateHighNibbleFollows = 0x4D;
constexpr uint32_t kStateNibbleBase = 0x3C;
constexpr uint32_t kStateProbe = 0xFA;
constexpr uint32_t kStateConfirm = 0x6E;
}  // namespace

HidLink::HidLink(HidBus& bus) : m_bus(bus) {}

HidLink::~HidLink() {
  Guard hold(m_lock);
  closeTargets();
  for (HidSlot& slot : m_slots) {
    if (slot.event) m_bus.closeEvent(slot.event);
    if (slot.deviceHandle) m_bus.close(slot.deviceHandle);
  }
}

template <typename Visit>
bool HidLink::forEachInterface(Visit visit) {
  Guard hold(m_lock);
  std::vector<std::string> paths;
  try {
    paths = m_bus.enumerateInterfaces();
  } catch (...) {
    return false;  // no interface set: nothing is found, nothing is sent
  }
  for (const std::string& path : paths) {
    HidBus::Handle handle = nullptr;
    Walk next = Walk::Next;
    // A failure while one interface is handled skips that interface only.
    try {
      handle = m_bus.open(path);
      if (!handle) continue;
      HidCapabilities caps;
      if (m_bus.capabilities(handle, caps)) next = visit(handle, path, caps);
    } catch (...) {
      next = Walk::Next;
    }
    if (handle && next != Walk::KeepOpen) {
      try {
        m_bus.close(handle);
      } catch (...) {
      }
    }
    if (next == Walk::Stop) break;
  }
  return true;
}

bool HidLink::isMouseConfiguration(HidBus::Handle handle, const HidCapabilities& caps) {
  if (caps.featureReportByteLength != MouseIdentity::FeatureReportLength) return false;
  HidAttributes attributes;
  return m_bus.attributes(handle, attributes) && isMouseIds(attributes);
}

void HidLink::clearSlot(HidSlot& slot) {
  if (slot.deviceHandle) m_bus.close(slot.deviceHandle);
  if (slot.event) m_bus.closeEvent(slot.event);
  slot = HidSlot();
}

void HidLink::closeTargets() {
  for (const Target& target : m_targets) {
    try {
      m_bus.close(target.handle);
    } catch (...) {
    }
  }
  m_targets.clear();
  m_targetsKnown = false;
}

void HidLink::refreshTargets() {
  Guard hold(m_lock);
  closeTargets();
  m_deviceSetChanged = false;
  m_targetsKnown =
      forEachInterface([this](HidBus::Handle handle, const std::string& path, const HidCapabilities& caps) {
        if (!isMouseConfiguration(handle, caps)) return Walk::Next;
        m_targets.push_back(makeTarget(path, handle, caps));
        return Walk::KeepOpen;
      });
}

bool HidLink::refreshTargetsIfStale() {
  if (m_targetsKnown && !m_deviceSetChanged.load()) return false;
  refreshTargets();
  return true;
}

bool HidLink::isGone(HidBus::Handle handle) {
  try {
    HidCapabilities caps;
    return !m_bus.capabilities(handle, caps);
  } catch (...) {
    return true;
  }
}

void HidLink::scan() {
  Guard hold(m_lock);
  for (HidSlot& slot : m_slots) clearSlot(slot);
  closeTargets();
  m_deviceSetChanged = false;
  // The counts are read without the lock: they change once, when the scan
  // is done, and never pass through a half-counted value (a click on a DPI
  // level meanwhile would find no mouse).
  int32_t inputs = 0;
  int32_t present = 0;
  m_targetsKnown = forEachInterface([&](HidBus::Handle handle, const std::string& path,
                                        const HidCapabilities& caps) {
    // A vendor input collection is recorded whoever made it, and is not
    // looked at as a configuration interface as well.
    if (isVendorInput(caps)) {
      if (inputs < kHidSlots) {
        m_slots[inputs].devicePath = path;
        m_slots[inputs].inputReportLength = caps.inputReportByteLength;
        ++inputs;
      }
      return Walk::Next;
    }
    if (caps.featureReportByteLength != MouseIdentity::FeatureReportLength) return Walk::Next;
    HidAttributes attributes;
    if (!m_bus.attributes(handle, attributes)) return Walk::Next;
    std::string vendor;
    if (m_bus.indexedString(handle, MouseIdentity::VendorStringIndex, kScanStringBufferBytes, vendor) &&
        vendor == MouseIdentity::VendorString && isMouseIds(attributes)) {
      ++present;
    }
    // Frames go to whatever has the mouse's IDs and report length, whatever
    // its vendor string: keep it open for the transfers to come.
    if (!isMouseIds(attributes)) return Walk::Next;
    m_targets.push_back(makeTarget(path, handle, caps));
    return Walk::KeepOpen;
  });
  m_inputCount = inputs;
  m_presentCount = present;
}

HidLink::Target HidLink::makeTarget(const std::string& path, HidBus::Handle handle, const HidCapabilities& caps) {
  return Target{path, handle, caps.featureReportByteLength, deviceOf(path)};
}

std::string HidLink::deviceOf(const std::string& path) {
  Guard hold(m_lock);
  try {
    return m_bus.deviceOf(path);
  } catch (...) {
    return std::string();
  }
}

const HidLink::Target* HidLink::targetOf(const std::string& device) const {
  if (device.empty()) return nullptr;
  for (const Target& target : m_targets) {
    if (target.device == device) return &target;
  }
  return nullptr;
}

bool HidLink::sendTo(const Target& target, const FeatureFrame& frame) {
  try {
    return m_bus.setFeature(target.handle, frame.data(), target.featureReportLength);
  } catch (...) {
    return false;
  }
}

bool HidLink::exchangeWith(const Target& target, const FeatureFrame& request, FeatureFrame& reply) {
  try {
    // The reply is read even when the request was refused, as the mouse
    // answers a read with the last frame it took.
    const bool sent = m_bus.setFeature(target.handle, request.data(), target.featureReportLength);
    return m_bus.getFeature(target.handle, reply.data(), reply.size()) && sent;
  } catch (...) {
    return false;
  }
}

void HidLink::sendFeature(const FeatureFrame& frame) {
  if (m_quiet) return;
  Guard hold(m_lock);
  const bool fresh = refreshTargetsIfStale();
  std::vector<std::string> delivered;
  bool stale = false;
  for (const Target& target : m_targets) {
    if (sendTo(target, frame))
      delivered.push_back(target.path);
    else if (!fresh && isGone(target.handle))
      stale = true;
  }
  if (!stale) return;
  // An interface has gone (unplugged, or replugged and so at a new handle):
  // walk again once, and give the frame to those that have not taken it.
  refreshTargets();
  for (const Target& target : m_targets) {
    if (std::find(delivered.begin(), delivered.end(), target.path) == delivered.end()) sendTo(target, frame);
  }
}

void HidLink::exchangeFeature(const FeatureFrame& request, FeatureFrame& reply) {
  if (m_quiet) return;
  Guard hold(m_lock);
  const bool fresh = refreshTargetsIfStale();
  if (m_targets.empty()) return;
  // Only the first interface of the mouse is asked.
  if (exchangeWith(m_targets.front(), request, reply) || fresh || !isGone(m_targets.front().handle)) return;
  refreshTargets();
  if (!m_targets.empty()) exchangeWith(m_targets.front(), request, reply);
}

bool HidLink::exchangeFeatureOn(const std::string& device, const FeatureFrame& request, FeatureFrame& reply) {
  if (m_quiet) return false;
  Guard hold(m_lock);
  const bool fresh = refreshTargetsIfStale();
  const Target* target = targetOf(device);
  if (target && exchangeWith(*target, request, reply)) return true;
  if (fresh || (target && !isGone(target->handle))) return false;
  // Gone, or not found among interfaces kept from before it came back: walk
  // again once.
  refreshTargets();
  target = targetOf(device);
  return target && exchangeWith(*target, request, reply);
}

void HidLink::setSlotState(int slot, int32_t value, int32_t mask) {
  if (slot < 0 || slot >= kHidSlots) return;
  Guard hold(m_lock);
  HidSlot& target = m_slots[slot];
  target.stateWord = (target.stateWord & ~mask) | value;
  sendSlotState(target);
}

void HidLink::sendSlotState(HidSlot& slot) {
  Guard hold(m_lock);  // already held by setSlotState; the lock is recursive
  std::string unused;
  auto request = [&](uint32_t index) {
    return m_bus.indexedString(slot.deviceHandle, index, kSlotStringBufferBytes, unused);
  };
  const uint32_t word = static_cast<uint32_t>(slot.stateWord);
  request(kStateLowNibbleFollows);
  request(kStateNibbleBase + (word & 0x0F));
  const uint32_t high = (word >> 4) & 0x0F;
  if (high != 0) {
    request(kStateHighNibbleFollows);
    request(kStateNibbleBase + high);
  }
  if (request(kStateProbe)) request(kStateConfirm);
}

void HidLink::cancelPending() {
  Guard hold(m_lock);
  for (HidSlot& slot : m_slots) {
    if (slot.event) m_bus.pulseEvent(slot.event);
    if (slot.pendingReadHandle) {
      m_bus.cancelIo(slot.pendingReadHandle);
      slot.devicePath.clear();
    }
  }
}

HidSlot HidLink::slot(int index) const {
  if (index < 0 || index >= kHidSlots) return HidSlot();
  Guard hold(m_lock);
  return m_slots[index];
}
