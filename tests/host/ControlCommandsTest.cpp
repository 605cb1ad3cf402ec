// The control channel's command language, run against a real virtual bus.
#include <gtest/gtest.h>

#include "vmouse/ControlCommands.h"
#include "vmouse/ReportDescriptor.h"
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
  // Desk devices: what `add device` and `report` handed over.
  std::vector<std::vector<TopLevelCollection>> added;
  std::vector<std::string> names;
  std::vector<std::vector<uint8_t>> reports;
  std::string addDevice(uint16_t vid, uint16_t pid, const std::vector<TopLevelCollection>& collections,
                        const std::string& name) override {
    added.push_back(collections);
    names.push_back((name.empty() ? "device" : name) + ":" + std::to_string(vid) + ":" + std::to_string(pid));
    return name;
  }
  bool hasDevice(const std::string& name) override { return !names.empty() && names[0].rfind(name + ":", 0) == 0; }
  std::string deviceReport(const std::string&, const std::vector<uint8_t>& report) override {
    reports.push_back(report);
    return "ok";
  }
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

// A keyboard (report 1, a LED output), then a vendor collection (report 2,
// input and feature): each collection alone keeps the globals set before it.
TEST(ReportDescriptorTest, SplitsTopLevelCollectionsAndRoutesReportsByTheirIds) {
  const std::vector<uint8_t> keyboard = {0x05, 0x01, 0x09, 0x06, 0xA1, 0x01, 0x85, 0x01, 0x75, 0x08, 0x95, 0x01,
                                         0x81, 0x02, 0xA1, 0x00, 0x91, 0x02, 0xC0, 0xC0};
  const std::vector<uint8_t> vendor = {0x06, 0x12, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x85, 0x02,
                                       0x81, 0x02, 0xB1, 0x02, 0xC0};
  std::vector<uint8_t> whole = keyboard;
  whole.insert(whole.end(), vendor.begin(), vendor.end());
  std::string error;
  const std::vector<TopLevelCollection> split = ReportDescriptor::split(whole, error);
  ASSERT_EQ(split.size(), 2u) << error;
  EXPECT_EQ(split[0].descriptor, keyboard);
  // The keyboard's globals (size, count) stand before the vendor collection.
  const std::vector<uint8_t> vendorAlone = {0x05, 0x01, 0x85, 0x01, 0x75, 0x08, 0x95, 0x01, 0x06, 0x12, 0xFF,
                                            0x09, 0x01, 0xA1, 0x01, 0x85, 0x02, 0x81, 0x02, 0xB1, 0x02, 0xC0};
  EXPECT_EQ(split[1].descriptor, vendorAlone);
  EXPECT_EQ(split[1].usagePage, 0xFF12);
  EXPECT_EQ(split[1].usage, 1);
  EXPECT_EQ(ReportDescriptor::collectionOfReport(split, 2), 1);
  EXPECT_EQ(ReportDescriptor::collectionOfReport(split, 1), 0);
  EXPECT_EQ(ReportDescriptor::collectionOfReport(split, 3), -1);
  // Without IDs the one input collection takes every report.
  const std::vector<TopLevelCollection> plain =
      ReportDescriptor::split({0x05, 0x0C, 0x09, 0x01, 0xA1, 0x01, 0x81, 0x02, 0xC0}, error);
  ASSERT_EQ(plain.size(), 1u);
  EXPECT_EQ(ReportDescriptor::collectionOfReport(plain, 0x7F), 0);
  for (const std::vector<uint8_t>& broken : std::vector<std::vector<uint8_t>>{
           {}, {0x05, 0x01}, {0xA1, 0x01, 0x81, 0x02}, {0x81, 0x02, 0xC0}, {0x06, 0x12}, {0xA1, 0x01, 0xC0, 0xC0}})
    EXPECT_TRUE(ReportDescriptor::split(broken, error).empty()) << broken.size();
}

TEST_F(ControlTest, AddDeviceAndItsReportsGoToTheHost) {
  EXPECT_EQ(run("add device 1209 1 05010906A1018102C0A1018102C0 pad"), "ok");
  EXPECT_EQ(run("ADD DEVICE 2b17 0005 05010906A1018102C0"), "ok");
  ASSERT_EQ(host.added.size(), 2u);
  EXPECT_EQ(host.added[0].size(), 2u);
  EXPECT_EQ(host.names, (std::vector<std::string>{"pad:4617:1", "device:11031:5"}));
  EXPECT_EQ(run("report 0102ff pad"), "ok");
  EXPECT_EQ(host.reports, (std::vector<std::vector<uint8_t>>{{0x01, 0x02, 0xFF}}));
  for (const char* line : {"add device 1209 1", "add device 12090 1 A101C0", "add device 1209 1 A101", "add device 1209 1 A1",
                           "add device 1209 1 A101C0 mouse", "add device 1209 1 A101C0 pad", "add device zz 1 A101C0",
                           "report 0102f pad", "report zz pad"})
    EXPECT_EQ(run(line).rfind("error ", 0), 0u) << line;
  EXPECT_EQ(host.added.size(), 2u);
  EXPECT_EQ(host.reports.size(), 1u);
  EXPECT_EQ(host.deviceChanges, 0);
}
