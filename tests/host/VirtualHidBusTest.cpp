// The machine's HID interfaces as the link sees them through the virtual bus:
// what is enumerated, what each interface tells about itself, where feature
// frames go, and what unplugging does to paths and handles.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "vmouse/VirtualHidBus.h"

namespace {

struct RecordingBusOutput : BusOutput {
  std::vector<std::pair<uint32_t, VendorReport>> reports;
  std::vector<std::pair<uint32_t, uint8_t>> buttons;
  std::vector<uint32_t> keyboards;
  void inputReport(uint32_t device, const VendorReport& report) override { reports.push_back({device, report}); }
  void keyboardChanged(uint32_t device, uint8_t, const HeldKeys&) override { keyboards.push_back(device); }
  void buttonsChanged(uint32_t device, uint8_t b) override { buttons.push_back({device, b}); }
};

struct Seen {
  std::string path;
  HidCapabilities caps;
  HidAttributes attributes;
  bool hasVendorString = false;
  std::string vendorString;
};

std::vector<Seen> look(VirtualHidBus& bus) {
  std::vector<Seen> seen;
  for (const std::string& path : bus.enumerateInterfaces()) {
    HidBus::Handle handle = bus.open(path);
    EXPECT_NE(handle, nullptr) << path;
    if (!handle) continue;
    Seen s;
    s.path = path;
    EXPECT_TRUE(bus.capabilities(handle, s.caps));
    EXPECT_TRUE(bus.attributes(handle, s.attributes));
    s.hasVendorString = bus.indexedString(handle, 250, 512, s.vendorString);
    bus.close(handle);
    seen.push_back(s);
  }
  return seen;
}

bool isVendorInput(const Seen& s) {
  return s.caps.usagePage == 0xFF12 && s.caps.usage == 1 && s.caps.inputReportByteLength == 8;
}
bool isMouseConfiguration(const Seen& s) {
  return s.caps.featureReportByteLength == 9 && s.attributes.vendorId == 0xE0FF && s.attributes.productId == 0x0005;
}

HidBus::Handle openConfiguration(VirtualHidBus& bus, size_t which = 0) {
  for (const std::string& path : bus.enumerateInterfaces()) {
    HidBus::Handle handle = bus.open(path);
    HidCapabilities caps;
    HidAttributes attributes;
    if (bus.capabilities(handle, caps) && bus.attributes(handle, attributes) && caps.featureReportByteLength == 9 &&
        attributes.vendorId == 0xE0FF && which-- == 0)
      return handle;
    bus.close(handle);
  }
  return nullptr;
}

class BusTest : public ::testing::Test {
protected:
  RecordingBusOutput out;
  VirtualHidBus bus{out, BusCosts::none()};
  void SetUp() override { ASSERT_EQ(bus.addMouse(), "mouse"); }
};

TEST_F(BusTest, TheMouseShowsAConfigurationInterfaceAndAVendorInputCollection) {
  std::vector<Seen> seen = look(bus);
  ASSERT_EQ(seen.size(), 2u);

  const Seen& config = seen[0];
  EXPECT_EQ(config.path.rfind("\\\\?\\hid#vid_e0ff&pid_0005&mi_01#", 0), 0u) << config.path;
  EXPECT_TRUE(isMouseConfiguration(config));
  EXPECT_FALSE(isVendorInput(config));
  EXPECT_TRUE(config.hasVendorString);
  EXPECT_EQ(config.vendorString, "Pelmor");

  const Seen& input = seen[1];
  EXPECT_EQ(input.path.rfind("\\\\?\\hid#vid_e0ff&pid_0005&mi_02#", 0), 0u) << input.path;
  EXPECT_TRUE(isVendorInput(input));
  EXPECT_EQ(input.caps.featureReportByteLength, 0);
  EXPECT_NE(config.path, input.path);
}

TEST_F(BusTest, StringsAreCutToTheRequestBuffer) {
  HidBus::Handle handle = openConfiguration(bus);
  ASSERT_NE(handle, nullptr);
  std::string text;
  EXPECT_TRUE(bus.indexedString(handle, 250, 8, text));  // four wide characters, one the terminator
  EXPECT_EQ(text, "Pel");
  EXPECT_FALSE(bus.indexedString(handle, 0x4C, 128, text));
  bus.close(handle);
  EXPECT_FALSE(bus.indexedString(handle, 250, 512, text));  // closed
}

TEST_F(BusTest, FeatureFramesReachTheFirmwareOnlyThroughTheConfigurationInterface) {
  HidBus::Handle config = openConfiguration(bus);
  const uint8_t mask[9] = {0x00, 0x07, 0x02, 0x04};
  EXPECT_TRUE(bus.setFeature(config, mask, 9));
  EXPECT_FALSE(bus.setFeature(config, mask, 8));
  uint8_t reply[9] = {};
  EXPECT_TRUE(bus.getFeature(config, reply, 9));

  std::vector<std::string> paths = bus.enumerateInterfaces();
  HidBus::Handle input = bus.open(paths[1]);
  EXPECT_FALSE(bus.setFeature(input, mask, 9));

  MouseSnapshot state;
  ASSERT_EQ(bus.mouseState("mouse", state), DeviceResult::Ok);
  EXPECT_EQ(state.reportMask, 0x04);
  auto log = bus.log().take();
  ASSERT_EQ(log.size(), 2u);
  EXPECT_FALSE(log[0].isGet);
  EXPECT_TRUE(log[1].isGet);
  EXPECT_EQ(log[0].interfaceName, "mouse");

  EXPECT_FALSE(bus.setFeature(reinterpret_cast<HidBus::Handle>(0x7777), mask, 9));
}

TEST_F(BusTest, AnUnpluggedMouseIsNotEnumeratedAndItsHandlesFail) {
  std::vector<std::string> paths = bus.enumerateInterfaces();
  HidBus::Handle config = openConfiguration(bus);
  const uint8_t mask[9] = {0x00, 0x07, 0x02, 0x04};
  ASSERT_TRUE(bus.setFeature(config, mask, 9));

  ASSERT_EQ(bus.setPlugged("mouse", false), DeviceResult::Ok);
  EXPECT_TRUE(bus.enumerateInterfaces().empty());
  EXPECT_EQ(bus.open(paths[0]), nullptr);
  HidCapabilities caps;
  EXPECT_FALSE(bus.capabilities(config, caps));
  EXPECT_FALSE(bus.setFeature(config, mask, 9));
  EXPECT_EQ(bus.setPhysicalButtons("mouse", 0x01), DeviceResult::Unplugged);
  EXPECT_EQ(bus.pressDpiButton("mouse"), DeviceResult::Unplugged);

  // Back again, at the same paths, with the power-on state; the handle from
  // before stays dead.
  ASSERT_EQ(bus.setPlugged("mouse", true), DeviceResult::Ok);
  EXPECT_EQ(bus.enumerateInterfaces(), paths);
  EXPECT_FALSE(bus.capabilities(config, caps));
  MouseSnapshot state;
  bus.mouseState("mouse", state);
  EXPECT_TRUE(state.plugged);
  EXPECT_EQ(state.reportMask, 0);
  EXPECT_EQ(state.dpiLevel, 2);
}

TEST_F(BusTest, OtherDevicesLookAsTheyShould) {
  ASSERT_EQ(bus.addMouse(), "mouse2");
  ASSERT_EQ(bus.addForeignString(), "foreign1");
  ASSERT_EQ(bus.addForeignCollection(), "collection1");
  ASSERT_EQ(bus.addUnrelated(40), 40);
  EXPECT_EQ(bus.interfaceCount(), 2u + 2 + 1 + 1 + 40);

  int configurations = 0, genuine = 0, inputs = 0;
  for (const Seen& s : look(bus)) {
    if (isVendorInput(s)) {
      ++inputs;
      continue;
    }
    if (!isMouseConfiguration(s)) continue;
    ++configurations;
    if (s.hasVendorString && s.vendorString == "Pelmor") ++genuine;
  }
  EXPECT_EQ(configurations, 3);  // two mice and the foreign string
  EXPECT_EQ(genuine, 2);
  EXPECT_EQ(inputs, 3);  // two mice and the other maker's collection

  // Frames to the foreign device are recorded under its name; the second
  // mouse's own firmware takes its frames.
  const uint8_t mask[9] = {0x00, 0x07, 0x02, 0x02};
  for (size_t which = 0; which < 3; ++which) {
    HidBus::Handle handle = openConfiguration(bus, which);
    ASSERT_NE(handle, nullptr);
    EXPECT_TRUE(bus.setFeature(handle, mask, 9));
    bus.close(handle);
  }
  std::vector<std::string> names;
  for (const FeatureTransfer& t : bus.log().take()) names.push_back(t.interfaceName);
  EXPECT_EQ(names, (std::vector<std::string>{"mouse", "mouse2", "foreign1"}));
  MouseSnapshot second;
  bus.mouseState("mouse2", second);
  EXPECT_EQ(second.reportMask, 0x02);
}

TEST_F(BusTest, EachDeviceReportsUnderItsOwnId) {
  bus.addMouse();
  bus.addForeignCollection();
  bus.addForeignString();
  const VendorReport report{1, 2, 3, 4, 5, 6, 7, 8};
  EXPECT_EQ(bus.sendReport("mouse", report), DeviceResult::Ok);
  EXPECT_EQ(bus.sendReport("collection1", report), DeviceResult::Ok);
  EXPECT_EQ(bus.pressDpiButton("mouse2"), DeviceResult::Ok);
  EXPECT_EQ(bus.sendReport("foreign1", report), DeviceResult::CannotSend);
  EXPECT_EQ(bus.pressDpiButton("collection1"), DeviceResult::NotAMouse);
  EXPECT_EQ(bus.setPhysicalButtons("nothing", 1), DeviceResult::NoSuchDevice);

  ASSERT_EQ(out.reports.size(), 3u);
  EXPECT_EQ(out.reports[0], std::make_pair(bus.deviceId("mouse"), report));
  EXPECT_EQ(out.reports[1].first, bus.deviceId("collection1"));
  EXPECT_EQ(out.reports[2].first, bus.deviceId("mouse2"));
  EXPECT_NE(bus.deviceId("mouse"), bus.deviceId("mouse2"));

  // Unplugging a mouse that holds a native button lets it go.
  bus.setPhysicalButtons("mouse", 0x01);
  bus.setPlugged("mouse", false);
  EXPECT_EQ(out.buttons, (std::vector<std::pair<uint32_t, uint8_t>>{{1, 0x01}, {1, 0x00}}));
}

TEST_F(BusTest, NoBusGrowsWithoutBound) {
  EXPECT_EQ(bus.addUnrelated(5000), static_cast<int>(VirtualHidBus::kMaxInterfaces - 2));
  EXPECT_EQ(bus.addMouse(), "");
  EXPECT_EQ(bus.addUnrelated(1), 0);
}

TEST_F(BusTest, LinkAndWorkerAndChannelMayUseTheBusAtOnce) {
  bus.addUnrelated(20);
  std::atomic<bool> stop{false};
  std::thread channel([&] {
    for (int i = 0; i < 200; ++i) {
      bus.setPlugged("mouse", i % 2 == 0);
      bus.setPhysicalButtons("mouse", static_cast<uint8_t>(i));
    }
    stop = true;
  });
  auto walk = [&] {
    const uint8_t frame[9] = {0x00, 0x1A};
    while (!stop) {
      for (const std::string& path : bus.enumerateInterfaces()) {
        HidBus::Handle handle = bus.open(path);
        HidCapabilities caps;
        if (handle && bus.capabilities(handle, caps) && caps.featureReportByteLength == 9)
          bus.setFeature(handle, frame, 9);
        bus.close(handle);
      }
    }
  };
  std::thread window(walk), worker(walk);
  channel.join();
  window.join();
  worker.join();
  bus.setPlugged("mouse", true);
  EXPECT_EQ(bus.enumerateInterfaces().size(), 22u);
}

}  // namespace
