// Finding the mouse among the machine's HID interfaces, and carrying frames
// to it: counts, slots, which interfaces receive what, which interfaces stay
// open between transfers, and that everything opened is closed by the end.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "device/HidLink.h"
#include "tests/host/FakeHidBus.h"

namespace {

using Log = std::vector<std::string>;

const FeatureFrame kFrame = FeatureFrame::ReportMask(0x04);

// Checks, once the link is gone, that it closed whatever it kept open.
struct ClosedAtTheEnd {
  FakeHidBus bus;
  ~ClosedAtTheEnd() { EXPECT_EQ(bus.openCount(), 0u) << "an interface was left open"; }
};

class HidLinkTest : public ::testing::Test {
protected:
  ClosedAtTheEnd end;
  FakeHidBus& bus = end.bus;
  HidLink link{bus};
};

TEST_F(HidLinkTest, FindsTheMouseAmongOtherInterfaces) {
  bus.interfaces = {unrelated("kbd"), mouseInput("in"), mouseConfiguration("cfg"), unrelated("pad")};
  link.scan();
  EXPECT_EQ(link.presentCount(), 1);
  EXPECT_EQ(link.inputCount(), 1);
  EXPECT_EQ(link.slot(0).devicePath, "in");
  EXPECT_EQ(link.slot(0).inputReportLength, 8);
  EXPECT_EQ(link.slot(1).devicePath, "");
  // Each interface is closed before the next is opened, except the one that
  // takes the frames; the vendor string is read with the large buffer.
  EXPECT_EQ(bus.entries("open"), (Log{"open kbd", "open in", "open cfg", "open pad"}));
  EXPECT_EQ(bus.entries("close"), (Log{"close kbd", "close in", "close pad"}));
  EXPECT_EQ(bus.openCount(), 1u);
  EXPECT_EQ(bus.log[bus.log.size() - 2], "caps pad");
  EXPECT_EQ(bus.entries("string cfg"), (Log{"string cfg 250/512"}));

  // The counts are read without the lock: a scan that finds the mouse again
  // never shows a count it has not finished (the window would take it for
  // "no mouse" and drop a click on a DPI level).
  bool countsSteady = true;
  bus.onCall = [&] { countsSteady = countsSteady && link.presentCount() == 1 && link.inputCount() == 1; };
  link.scan();
  EXPECT_TRUE(countsSteady);
}

TEST_F(HidLinkTest, TwoMiceGetEveryFrameButOnlyTheFirstExchanges) {
  bus.interfaces = {mouseConfiguration("a"), mouseInput("a-in"), mouseConfiguration("b"), mouseInput("b-in")};
  bus.interfaces[0].reply = FeatureFrame::InjectButtons(0x11);
  link.scan();
  EXPECT_EQ(link.presentCount(), 2);
  EXPECT_EQ(link.inputCount(), 2);

  link.sendFeature(kFrame);
  EXPECT_EQ(bus.received(0), std::vector<FeatureFrame>{kFrame});
  EXPECT_EQ(bus.received(2), std::vector<FeatureFrame>{kFrame});
  EXPECT_TRUE(bus.received(1).empty());

  bus.log.clear();
  FeatureFrame reply;
  link.exchangeFeature(FeatureFrame::InjectKeys(1, {6, 0, 0, 0, 0}), reply);
  EXPECT_EQ(bus.received(0).size(), 2u);
  EXPECT_EQ(bus.received(2).size(), 1u);
  EXPECT_EQ(reply, FeatureFrame::InjectButtons(0x11));
  // Only the first mouse is asked, on the handle the scan kept.
  EXPECT_EQ(bus.log, (Log{"set a", "get a"}));
}

TEST_F(HidLinkTest, AQuietLinkSendsNothingButStillScans) {
  bus.interfaces = {mouseConfiguration("a"), mouseInput("a-in")};
  link.setQuiet(true);
  link.scan();
  FeatureFrame reply;
  link.sendFeature(kFrame);
  link.exchangeFeature(kFrame, reply);
  EXPECT_FALSE(link.exchangeFeatureOn(link.deviceOf("a"), kFrame, reply));
  EXPECT_EQ(link.presentCount(), 1);
  EXPECT_TRUE(bus.received(0).empty());
}

TEST_F(HidLinkTest, AMouseIsReachedThroughTheDeviceItsInterfacesHangFrom) {
  bus.interfaces = {mouseConfiguration("a"), mouseInput("a-in"), mouseConfiguration("b"), mouseInput("b-in")};
  bus.interfaces[0].device = bus.interfaces[1].device = "usb-a";
  bus.interfaces[2].device = bus.interfaces[3].device = "usb-b";
  link.scan();
  EXPECT_EQ(link.deviceOf("b-in"), "usb-b");

  FeatureFrame reply;
  const FeatureFrame keys = FeatureFrame::InjectKeys(1, {6, 0, 0, 0, 0});
  EXPECT_TRUE(link.exchangeFeatureOn("usb-b", keys, reply));
  EXPECT_TRUE(bus.received(0).empty());
  EXPECT_EQ(bus.received(2), std::vector<FeatureFrame>{keys});
  EXPECT_FALSE(link.exchangeFeatureOn("usb-c", keys, reply));
  EXPECT_FALSE(link.exchangeFeatureOn("", keys, reply));

  // Gone: not found after walking again, and nothing goes to the other.
  bus.interfaces.resize(2);
  bus.replug(2);
  EXPECT_FALSE(link.exchangeFeatureOn("usb-b", keys, reply));
  EXPECT_TRUE(bus.received(0).empty());
}

TEST_F(HidLinkTest, ForeignVendorStringIsNotCountedButStillReceivesFrames) {
  bus.interfaces = {mouseConfiguration("clone"), mouseConfiguration("mute")};
  bus.interfaces[0].strings[250] = "Pelmor ";
  bus.interfaces[1].strings.clear();  // the string request fails
  link.scan();
  EXPECT_EQ(link.presentCount(), 0);
  link.sendFeature(kFrame);
  EXPECT_EQ(bus.received(0).size(), 1u);
  EXPECT_EQ(bus.received(1).size(), 1u);
  // Transfers never ask for the string.
  EXPECT_EQ(bus.entries("string").size(), 2u);
}

TEST_F(HidLinkTest, TransfersNeedTheIdsAndTheReportLength) {
  bus.interfaces = {mouseConfiguration("vid"), mouseConfiguration("pid"), mouseConfiguration("len"),
                    mouseConfiguration("noattr")};
  bus.interfaces[0].attributes.vendorId = 0xE0FE;
  bus.interfaces[1].attributes.productId = 0x0006;
  bus.interfaces[2].caps.featureReportByteLength = 8;
  bus.interfaces[3].attributesOk = false;
  link.scan();
  EXPECT_EQ(link.presentCount(), 0);
  link.sendFeature(kFrame);
  FeatureFrame reply;
  link.exchangeFeature(kFrame, reply);
  EXPECT_TRUE(bus.entries("set").empty());
  EXPECT_EQ(reply, FeatureFrame());
}

TEST_F(HidLinkTest, AnyMakersVendorCollectionCountsAsInput) {
  FakeInterface other = mouseInput("other-in");
  other.attributes = {0x1111, 0x2222};
  FakeInterface longReport = mouseInput("long-in");
  longReport.caps.inputReportByteLength = 9;
  bus.interfaces = {other, longReport};
  link.scan();
  EXPECT_EQ(link.inputCount(), 1);
  EXPECT_EQ(link.slot(0).devicePath, "other-in");
  // Its IDs are not even read.
  EXPECT_TRUE(bus.entries("attributes other-in").empty());
}

TEST_F(HidLinkTest, VendorInputIsNotAlsoTakenForConfiguration) {
  FakeInterface both = mouseConfiguration("both");
  both.caps = {MouseIdentity::InputUsage, MouseIdentity::InputUsagePage, 8, 9};
  bus.interfaces = {both};
  link.scan();
  EXPECT_EQ(link.inputCount(), 1);
  EXPECT_EQ(link.presentCount(), 0);
  EXPECT_EQ(bus.log, (Log{"open both", "caps both", "close both"}));
}

TEST_F(HidLinkTest, InterfacesThatFailAreSkipped) {
  bus.interfaces = {mouseConfiguration("locked"), mouseConfiguration("nocaps"), mouseConfiguration("gone"),
                    mouseConfiguration("ok")};
  bus.interfaces[0].opens = false;
  bus.interfaces[1].capabilitiesOk = false;
  bus.interfaces[2].throwsOnCapabilities = true;
  link.scan();
  EXPECT_EQ(link.presentCount(), 1);
  EXPECT_EQ(bus.entries("close"), (Log{"close nocaps", "close gone"}));
  link.sendFeature(kFrame);
  EXPECT_EQ(bus.received(3).size(), 1u);

  // Without an interface set a scan finds nothing, and forgets what it had.
  bus.enumerationThrows = true;
  link.scan();
  EXPECT_EQ(link.presentCount(), 0);
  EXPECT_EQ(link.inputCount(), 0);
}

TEST_F(HidLinkTest, AtMostTwentyInputCollectionsAreRecorded) {
  for (int n = 0; n < 22; ++n) bus.interfaces.push_back(mouseInput("in" + std::to_string(n)));
  bus.interfaces.push_back(mouseConfiguration("cfg"));
  link.scan();
  EXPECT_EQ(link.inputCount(), kHidSlots);
  EXPECT_EQ(link.slot(19).devicePath, "in19");
  EXPECT_EQ(link.presentCount(), 1);
  EXPECT_EQ(link.slot(20).devicePath, "");  // out of range: an empty copy

  // A later scan replaces everything the earlier one found.
  bus.interfaces = {mouseInput("only")};
  link.scan();
  EXPECT_EQ(link.inputCount(), 1);
  EXPECT_EQ(link.presentCount(), 0);
  EXPECT_EQ(link.slot(0).devicePath, "only");
  EXPECT_EQ(link.slot(1).devicePath, "");
}

TEST_F(HidLinkTest, SlotStateGoesOutAsStringRequests) {
  bus.succeedingForeignStrings = {0xFA};
  link.setSlotState(0, 0x25, 0xFF);
  // 0x4C, 0x3C + 5, 0x4D, 0x3C + 2, 0xFA and, because that succeeded, 0x6E;
  // all on the slot's handle, which the scan never gave it.
  EXPECT_EQ(bus.log, (Log{"string - 76/128", "string - 65/128", "string - 77/128", "string - 62/128",
                          "string - 250/128", "string - 110/128"}));
  EXPECT_EQ(link.slot(0).stateWord, 0x25);

  bus.log.clear();
  bus.succeedingForeignStrings.clear();
  link.setSlotState(0, 0x03, 0xF0);  // high nibble cleared, low bits kept and or-ed
  EXPECT_EQ(link.slot(0).stateWord, 0x07);
  EXPECT_EQ(bus.log, (Log{"string - 76/128", "string - 67/128", "string - 250/128"}));

  bus.log.clear();
  link.setSlotState(-1, 1, 1);
  link.setSlotState(kHidSlots, 1, 1);
  EXPECT_TRUE(bus.log.empty());
}

TEST_F(HidLinkTest, TransfersUseTheKeptInterfacesUntilTheDeviceSetChanges) {
  bus.interfaces = {unrelated("kbd"), mouseConfiguration("cfg"), mouseInput("in"), unrelated("pad")};
  // Before any scan the first transfer walks, the next ones do not.
  link.sendFeature(kFrame);
  EXPECT_EQ(bus.entries("open").size(), 4u);
  bus.log.clear();
  link.sendFeature(kFrame);
  FeatureFrame reply;
  link.exchangeFeature(kFrame, reply);
  EXPECT_EQ(bus.log, (Log{"set cfg", "set cfg", "get cfg"}));

  bus.interfaces.push_back(mouseConfiguration("cfg2"));
  link.markDeviceSetChanged();
  bus.log.clear();
  link.sendFeature(kFrame);
  link.sendFeature(kFrame);
  EXPECT_EQ(bus.entries("open").size(), 5u);  // one walk, which finds the newcomer
  EXPECT_EQ(bus.received(1).size(), 5u);
  EXPECT_EQ(bus.received(4).size(), 2u);
  EXPECT_EQ(bus.entries("close"), (Log{"close cfg", "close kbd", "close in", "close pad"}));
}

TEST_F(HidLinkTest, AGoneInterfaceIsLookedForOnceAndOnlyMissedFramesAreResent) {
  bus.interfaces = {mouseConfiguration("a"), mouseConfiguration("b")};
  link.scan();
  bus.replug(0);
  link.sendFeature(kFrame);
  EXPECT_EQ(bus.received(0).size(), 1u);  // at its new handle
  EXPECT_EQ(bus.received(1).size(), 1u);  // took it the first time: not again

  bus.replug(0);
  FeatureFrame reply;
  bus.interfaces[0].reply = FeatureFrame::InjectButtons(0x02);
  link.exchangeFeature(kFrame, reply);
  EXPECT_EQ(bus.received(0).size(), 2u);
  EXPECT_EQ(reply, FeatureFrame::InjectButtons(0x02));

  // Unplugged: one walk finds nothing, later transfers do not walk again.
  bus.replug(0);
  bus.replug(1);
  bus.interfaces[0].opens = bus.interfaces[1].opens = false;
  bus.log.clear();
  link.sendFeature(kFrame);
  link.sendFeature(kFrame);
  EXPECT_EQ(bus.entries("open"), (Log{"open a", "open b"}));

  // A live interface that refuses a frame is not looked for again.
  bus.interfaces[0].opens = bus.interfaces[1].opens = true;
  bus.interfaces[0].refusesFeatures = true;
  link.scan();
  bus.log.clear();
  link.sendFeature(kFrame);
  EXPECT_TRUE(bus.entries("open").empty());
  EXPECT_EQ(bus.received(1).size(), 2u);
}

// A link whose slots hold handles between operations, as one that opened its
// input collections would.
class SeededLink : public HidLink {
public:
  using HidLink::HidLink;
  void seed(int index, uintptr_t device, uintptr_t pending, uintptr_t event) {
    HidSlot& slot = slotAt(index);
    slot.devicePath = "seeded";
    slot.deviceHandle = device ? FakeHidBus::foreignHandle(device) : nullptr;
    slot.pendingReadHandle = pending ? FakeHidBus::foreignHandle(pending) : nullptr;
    slot.event = event ? FakeHidBus::foreignHandle(event) : nullptr;
  }
};

TEST(HidLinkSlots, HandlesAreCancelledAndClosedAtEachStage) {
  FakeHidBus bus;
  {
    SeededLink link(bus);
    link.seed(0, 1, 2, 3);
    link.seed(5, 0, 4, 0);
    link.cancelPending();
    EXPECT_EQ(bus.log, (Log{"pulse 3", "cancel 2", "cancel 4"}));
    EXPECT_EQ(link.slot(0).devicePath, "");
    EXPECT_EQ(link.slot(0).deviceHandle, FakeHidBus::foreignHandle(1));

    bus.log.clear();
    link.scan();  // clears the slots: the device handle and the event are closed
    EXPECT_EQ(bus.entries("close"), (Log{"close 1", "close-event 3"}));
    EXPECT_EQ(link.slot(5).pendingReadHandle, nullptr);

    link.seed(2, 7, 0, 8);
    bus.log.clear();
  }
  EXPECT_EQ(bus.log, (Log{"close-event 8", "close 7"}));
}

TEST(HidLinkLock, EveryBusCallHappensUnderOneRecursiveLock) {
  FakeHidBus bus;
  HidLink link(bus);
  bus.interfaces = {mouseConfiguration("cfg"), mouseInput("in")};
  int calls = 0;
  int unguarded = 0;
  bus.onCall = [&] {
    ++calls;
    std::atomic<bool> taken{false};
    std::thread other([&] {
      if (link.lock().try_lock()) {
        taken = true;
        link.lock().unlock();
      }
    });
    other.join();
    if (taken) ++unguarded;
  };
  link.scan();
  link.sendFeature(kFrame);
  FeatureFrame reply;
  link.exchangeFeature(kFrame, reply);
  link.setSlotState(1, 0x11, 0xFF);
  EXPECT_GT(calls, 15);
  EXPECT_EQ(unguarded, 0);

  // The thread that holds the lock can still send.
  std::lock_guard<std::recursive_mutex> hold(link.lock());
  bus.onCall = nullptr;
  link.sendFeature(kFrame);
  EXPECT_EQ(bus.received(0).size(), 3u);
}

}  // namespace
