// The machine's HID interfaces as the link sees them through the virtual bus:
// what is enumerated, and what unplugging does to paths and handles.
#include <gtest/gtest.h>

#include "vmouse/VirtualHidBus.h"

namespace {

struct NullBusOutput : BusOutput {
  void inputReport(uint32_t, const VendorReport&) override {}
  void keyboardChanged(uint32_t, uint8_t, const HeldKeys&) override {}
  void buttonsChanged(uint32_t, uint8_t) override {}
};

class BusTest : public ::testing::Test {
protected:
  NullBusOutput out;
  VirtualHidBus bus{out, BusCosts::none()};
  void SetUp() override { ASSERT_EQ(bus.addMouse(), "mouse"); }
};

TEST_F(BusTest, TheMouseShowsAConfigurationInterfaceAndAVendorInputCollection) {
  std::vector<std::string> paths = bus.enumerateInterfaces();
  ASSERT_EQ(paths.size(), 2u);
  EXPECT_EQ(paths[0].rfind("\\\\?\\hid#vid_e0ff&pid_0005&mi_01#", 0), 0u) << paths[0];
  EXPECT_EQ(paths[1].rfind("\\\\?\\hid#vid_e0ff&pid_0005&mi_02#", 0), 0u) << paths[1];

  HidCapabilities caps;
  HidAttributes attributes;
  std::string vendor;
  HidBus::Handle config = bus.open(paths[0]);
  ASSERT_NE(config, nullptr);
  ASSERT_TRUE(bus.capabilities(config, caps));
  ASSERT_TRUE(bus.attributes(config, attributes));
  EXPECT_EQ(caps.featureReportByteLength, 9);
  EXPECT_NE(caps.usagePage, 0xFF12);
  EXPECT_EQ(attributes.vendorId, 0xE0FF);
  EXPECT_EQ(attributes.productId, 0x0005);
  EXPECT_TRUE(bus.indexedString(config, 250, 512, vendor));
  EXPECT_EQ(vendor, "Pelmor");
  bus.close(config);

  HidBus::Handle input = bus.open(paths[1]);
  ASSERT_NE(input, nullptr);
  ASSERT_TRUE(bus.capabilities(input, caps));
  EXPECT_EQ(caps.usagePage, 0xFF12);
  EXPECT_EQ(caps.usage, 1);
  EXPECT_EQ(caps.inputReportByteLength, 8);
  EXPECT_EQ(caps.featureReportByteLength, 0);
  const uint8_t mask[9] = {0x00, 0x07, 0x02, 0x04};
  EXPECT_FALSE(bus.setFeature(input, mask, 9));  // frames go only to the configuration interface
  bus.close(input);
}

TEST_F(BusTest, AnUnpluggedMouseIsNotEnumeratedAndItsHandlesFail) {
  std::vector<std::string> paths = bus.enumerateInterfaces();
  HidBus::Handle config = bus.open(paths[0]);
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

}  // namespace
