#include "device/HidLink.h"

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
  for (HidSlot& slot : slots_) {
    if (slot.event) bus_.closeEvent(slot.event);
    if (slot.deviceHandle) bus_.close(slot.deviceHandle);
  }
}

template <typename Visit>
void HidLink::forEachInterface(Visit visit) {
  Guard hold(lock_);
  std::vector<std::string> paths;
  try {
    paths = bus_.enumerateInterfaces();
  } catch (...) {
    return;  // no interface set: nothing is found, nothing is sent
  }
  for (const std::string& path : paths) {
    HidBus::Handle handle = nullptr;
    bool goOn = true;
    // A failure while one interface is handled skips that interface only.
    try {
      handle = bus_.open(path);
      if (!handle) continue;
      HidCapabilities caps;
      if (bus_.capabilities(handle, caps)) goOn = visit(handle, path, caps);
    } catch (...) {
    }
    if (handle) {
      try {
        bus_.close(handle);
      } catch (...) {
      }
    }
    if (!goOn) break;
  }
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

void HidLink::scan() {
  Guard hold(lock_);
  for (HidSlot& slot : slots_) clearSlot(slot);
  inputCount_ = 0;
  presentCount_ = 0;
  forEachInterface([this](HidBus::Handle handle, const std::string& path, const HidCapabilities& caps) {
    // A vendor input collection is recorded whoever made it, and is not
    // looked at as a configuration interface as well.
    if (isVendorInput(caps)) {
      const int32_t index = inputCount_.load();
      if (index < kHidSlots) {
        slots_[index].devicePath = path;
        slots_[index].inputReportLength = caps.inputReportByteLength;
        inputCount_ = index + 1;
      }
      return true;
    }
    if (caps.featureReportByteLength != MouseIdentity::FeatureReportLength) return true;
    HidAttributes attributes;
    if (!bus_.attributes(handle, attributes)) return true;
    std::string vendor;
    if (bus_.indexedString(handle, MouseIdentity::VendorStringIndex, kScanStringBufferBytes, vendor) &&
        vendor == MouseIdentity::VendorString && isMouseIds(attributes)) {
      ++presentCount_;
    }
    return true;
  });
}

void HidLink::sendFeature(const FeatureFrame& frame) {
  // The vendor string is not read here: whatever has the mouse's IDs and
  // report length gets the frame.
  forEachInterface([&](HidBus::Handle handle, const std::string&, const HidCapabilities& caps) {
    if (isMouseConfiguration(handle, caps)) bus_.setFeature(handle, frame.data(), caps.featureReportByteLength);
    return true;
  });
}

void HidLink::exchangeFeature(const FeatureFrame& request, FeatureFrame& reply) {
  forEachInterface([&](HidBus::Handle handle, const std::string&, const HidCapabilities& caps) {
    if (!isMouseConfiguration(handle, caps)) return true;
    bus_.setFeature(handle, request.data(), caps.featureReportByteLength);
    bus_.getFeature(handle, reply.data(), reply.size());
    return false;  // the first interface of the mouse is the only one
  });
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
