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

HidLink::HidLink(HidBus& bus) : bus_(bus) {}

HidLink::~HidLink() {
  Guard hold(lock_);
  closeTargets();
  for (HidSlot& slot : slots_) {
    if (slot.event) bus_.closeEvent(slot.event);
    if (slot.deviceHandle) bus_.close(slot.deviceHandle);
  }
}

template <typename Visit>
bool HidLink::forEachInterface(Visit visit) {
  Guard hold(lock_);
  std::vector<std::string> paths;
  try {
    paths = bus_.enumerateInterfaces();
  } catch (...) {
    return false;  // no interface set: nothing is found, nothing is sent
  }
  for (const std::string& path : paths) {
    HidBus::Handle handle = nullptr;
    Walk next = Walk::Next;
    // A failure while one interface is handled skips that interface only.
    try {
      handle = bus_.open(path);
      if (!handle) continue;
      HidCapabilities caps;
      if (bus_.capabilities(handle, caps)) next = visit(handle, path, caps);
    } catch (...) {
      next = Walk::Next;
    }
    if (handle && next != Walk::KeepOpen) {
      try {
        bus_.close(handle);
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
  return bus_.attributes(handle, attributes) && isMouseIds(attributes);
}

void HidLink::clearSlot(HidSlot& slot) {
  if (slot.deviceHandle) bus_.close(slot.deviceHandle);
  if (slot.event) bus_.closeEvent(slot.event);
  slot = HidSlot();
}

void HidLink::closeTargets() {
  for (const Target& target : targets_) {
    try {
      bus_.close(target.handle);
    } catch (...) {
    }
  }
  targets_.clear();
  targetsKnown_ = false;
}

void HidLink::refreshTargets() {
  Guard hold(lock_);
  closeTargets();
  deviceSetChanged_ = false;
  targetsKnown_ = forEachInterface([this](HidBus::Handle handle, const std::string& path, const HidCapabilities& caps) {
    if (!isMouseConfiguration(handle, caps)) return Walk::Next;
    targets_.push_back(Target{path, handle, caps.featureReportByteLength});
    return Walk::KeepOpen;
  });
}

bool HidLink::refreshTargetsIfStale() {
  if (targetsKnown_ && !deviceSetChanged_.load()) return false;
  refreshTargets();
  return true;
}

bool HidLink::isGone(HidBus::Handle handle) {
  try {
    HidCapabilities caps;
    return !bus_.capabilities(handle, caps);
  } catch (...) {
    return true;
  }
}

void HidLink::scan() {
  Guard hold(lock_);
  for (HidSlot& slot : slots_) clearSlot(slot);
  closeTargets();
  deviceSetChanged_ = false;
  inputCount_ = 0;
  presentCount_ = 0;
  targetsKnown_ = forEachInterface([this](HidBus::Handle handle, const std::string& path, const HidCapabilities& caps) {
    // A vendor input collection is recorded whoever made it, and is not
    // looked at as a configuration interface as well.
    if (isVendorInput(caps)) {
      const int32_t index = inputCount_.load();
      if (index < kHidSlots) {
        slots_[index].devicePath = path;
        slots_[index].inputReportLength = caps.inputReportByteLength;
        inputCount_ = index + 1;
      }
      return Walk::Next;
    }
    if (caps.featureReportByteLength != MouseIdentity::FeatureReportLength) return Walk::Next;
    HidAttributes attributes;
    if (!bus_.attributes(handle, attributes)) return Walk::Next;
    std::string vendor;
    if (bus_.indexedString(handle, MouseIdentity::VendorStringIndex, kScanStringBufferBytes, vendor) &&
        vendor == MouseIdentity::VendorString && isMouseIds(attributes)) {
      ++presentCount_;
    }
    // Frames go to whatever has the mouse's IDs and report length, whatever
    // its vendor string: keep it open for the transfers to come.
    if (!isMouseIds(attributes)) return Walk::Next;
    targets_.push_back(Target{path, handle, caps.featureReportByteLength});
    return Walk::KeepOpen;
  });
}

bool HidLink::sendTo(const Target& target, const FeatureFrame& frame) {
  try {
    return bus_.setFeature(target.handle, frame.data(), target.featureReportLength);
  } catch (...) {
    return false;
  }
}

bool HidLink::exchangeWith(const Target& target, const FeatureFrame& request, FeatureFrame& reply) {
  try {
    // The reply is read even when the request was refused, as the mouse
    // answers a read with the last frame it took.
    const bool sent = bus_.setFeature(target.handle, request.data(), target.featureReportLength);
    return bus_.getFeature(target.handle, reply.data(), reply.size()) && sent;
  } catch (...) {
    return false;
  }
}

void HidLink::sendFeature(const FeatureFrame& frame) {
  Guard hold(lock_);
  const bool fresh = refreshTargetsIfStale();
  std::vector<std::string> delivered;
  bool stale = false;
  for (const Target& target : targets_) {
    if (sendTo(target, frame))
      delivered.push_back(target.path);
    else if (!fresh && isGone(target.handle))
      stale = true;
  }
  if (!stale) return;
  // An interface has gone (unplugged, or replugged and so at a new handle):
  // walk again once, and give the frame to those that have not taken it.
  refreshTargets();
  for (const Target& target : targets_) {
    if (std::find(delivered.begin(), delivered.end(), target.path) == delivered.end()) sendTo(target, frame);
  }
}

void HidLink::exchangeFeature(const FeatureFrame& request, FeatureFrame& reply) {
  Guard hold(lock_);
  const bool fresh = refreshTargetsIfStale();
  if (targets_.empty()) return;
  // Only the first interface of the mouse is asked.
  if (exchangeWith(targets_.front(), request, reply) || fresh || !isGone(targets_.front().handle)) return;
  refreshTargets();
  if (!targets_.empty()) exchangeWith(targets_.front(), request, reply);
}

void HidLink::setSlotState(int slot, int32_t value, int32_t mask) {
  if (slot < 0 || slot >= kHidSlots) return;
  Guard hold(lock_);
  HidSlot& target = slots_[slot];
  target.stateWord = (target.stateWord & ~mask) | value;
  sendSlotState(target);
}

void HidLink::sendSlotState(HidSlot& slot) {
  Guard hold(lock_);  // already held by setSlotState; the lock is recursive
  std::string unused;
  auto request = [&](uint32_t index) {
    return bus_.indexedString(slot.deviceHandle, index, kSlotStringBufferBytes, unused);
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
  Guard hold(lock_);
  for (HidSlot& slot : slots_) {
    if (slot.event) bus_.pulseEvent(slot.event);
    if (slot.pendingReadHandle) {
      bus_.cancelIo(slot.pendingReadHandle);
      slot.devicePath.clear();
    }
  }
}

HidSlot HidLink::slot(int index) const {
  if (index < 0 || index >= kHidSlots) return HidSlot();
  Guard hold(lock_);
  return slots_[index];
}
