// The control channel's command language, run against a real virtual bus.
#include <gtest/gtest.h>

#include "vmouse/ControlCommands.h"
#include "vmouse/VirtualHidBus.h"

namespace {

struct NullBusOutput : BusOutput {
  std::vector<VendorReport> reports;
  void inputReport(uint32_t, const VendorReport& report) override { reports.push_back(report); }
  void keyboardChanged(uint32_t, uint8_t, const HeldKeys&) override {}
  void buttonsChanged(uint32_t, uint8_t) override {}
};

struct FakeHost : ControlHost {
  int deviceChanges = 0;
  void announceDeviceChange() override { ++deviceChanges; }
  bool injectPacket(uint32_t, uint32_t, const std::vector<uint8_t>&) override { return true; }
  std::string figures;
  std::string heapFigures(bool bySize) override { return bySize && !figures.empty() ? figures + " 8:3" : figures; }
};

class ControlTest : public ::testing::Test {
protected:
  NullBusOutput out;
  VirtualHidBus bus{out, BusCosts::none()};
  FakeHost host;
  ControlCommands commands{bus, host};

  void SetUp() override { bus.addMouse(); }
  std::string run(const std::string& line) {
    ControlAnswer answer = commands.execute(line);
    EXPECT_EQ(answer.lines.size(), 1u) << line;
    return answer.lines.empty() ? "" : answer.lines[0];
  }
};

TEST_F(ControlTest, BadCommandsAnswerAnErrorAndChangeNothing) {
  for (const char* line : {"buttons", "buttons 100", "buttons xy", "buttons 01 mouse extra", "report 00", "report 00000004010000zz",
                           "dpibutton now please", "frames all", "add", "add hid", "add hid 0", "add hid 1001",
                           "add hid -3", "add hid 2x", "add third-mouse", "add second-mouse twice", "packet", "packet 2",
                           "packet x 32", "packet 2 32 abc", "packet 2 32 zz", "plug a b", "fly", "state mouse9",
                           "buttons 01 mouse9", "unplug nothing", "heap", "heap all", "heap sizes 8", "answers",
                           "answers maybe", "answers off mouse9", "add foreign-collection 2b17", "add foreign-collection 2b17:00zz"}) {
    std::string reply = run(line);
    EXPECT_EQ(reply.rfind("error ", 0), 0u) << line << " -> " << reply;
  }
  EXPECT_EQ(host.deviceChanges, 0);
  EXPECT_EQ(bus.interfaceCount(), 2u);
  EXPECT_TRUE(out.reports.empty());
  EXPECT_TRUE(commands.execute("   ").lines.empty());
}

TEST_F(ControlTest, ResetBringsTheMouseBackAtPowerOnWithoutADeviceChange) {
  HidBus::Handle handle = bus.open(bus.enumerateInterfaces().front());
  for (const FirmwareFrame& frame : {FirmwareFrame{0, 0x07, 0x02, 0x1E}, FirmwareFrame{0, 0x15, 0x01, 0x01, 0x06},
                                     FirmwareFrame{0, 0x18, 0x00, 0x07}, FirmwareFrame{0, 0x19, 0x03}})
    ASSERT_TRUE(bus.setFeature(handle, frame.data(), frame.size()));
  EXPECT_EQ(run("RESET mouse"), "ok");
  EXPECT_EQ(run("state"), "mask=00 modifiers=00 keys=00,00,00,00,00 buttons=00 dpi=0,1,3,5 level=2 physical=00 plugged=1");
  EXPECT_EQ(host.deviceChanges, 0);
  EXPECT_TRUE(bus.setFeature(handle, FirmwareFrame{}.data(), kFirmwareFrameLength));  // the handle still works
  bus.close(handle);
  bus.setPlugged("mouse", false);
  EXPECT_EQ(run("reset").rfind("error ", 0), 0u);
}

TEST_F(ControlTest, ASilentMouseAndACollectionWithTheMousesProductId) {
  ASSERT_EQ(run("answers off"), "ok");
  const uint8_t postScan[9] = {0, 0x1A};
  const HidBus::Handle handle = bus.open(bus.enumerateInterfaces()[0]);
  EXPECT_TRUE(bus.setFeature(handle, postScan, sizeof postScan));
  EXPECT_TRUE(out.reports.empty());
  ASSERT_EQ(run("ANSWERS on mouse"), "ok");
  EXPECT_TRUE(bus.setFeature(handle, postScan, sizeof postScan));
  EXPECT_EQ(out.reports.size(), 1u);
  bus.close(handle);

  ASSERT_EQ(run("add foreign-collection 2b17:0005"), "ok");
  std::string path;
  HidAttributes ids;
  HidCapabilities caps;
  ASSERT_TRUE(bus.inputCollection(bus.deviceId("collection1"), path, ids, caps));
  EXPECT_EQ(ids.vendorId, 0x2B17);
  EXPECT_EQ(ids.productId, 0x0005);
  EXPECT_NE(path.find("vid_2b17&pid_0005"), std::string::npos);
}

TEST_F(ControlTest, HeapAnswersWhatTheHostGives) {
  host.figures = "busy=10 blocks=3";
  EXPECT_EQ(run("heap"), "heap busy=10 blocks=3");
  EXPECT_EQ(run("HEAP sizes"), "heap busy=10 blocks=3 8:3");
  EXPECT_EQ(run("heap all").rfind("error ", 0), 0u);
}

}  // namespace
