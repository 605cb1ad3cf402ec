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
  bool acceptsPackets = true;
  std::vector<std::tuple<uint32_t, uint32_t, std::vector<uint8_t>>> packets;
  void announceDeviceChange() override { ++deviceChanges; }
  bool injectPacket(uint32_t type, uint32_t size, const std::vector<uint8_t>& body) override {
    if (!acceptsPackets) return false;
    packets.emplace_back(type, size, body);
    return true;
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
  void sendFrame(const char* hex) {
    HidBus::Handle handle = bus.open(bus.enumerateInterfaces()[0]);
    uint8_t frame[9];
    ASSERT_TRUE(parseHexBytes(hex, frame, 9));
    ASSERT_TRUE(bus.setFeature(handle, frame, 9));
    bus.close(handle);
  }
};

TEST_F(ControlTest, StateShowsThePowerOnMouse) {
  EXPECT_EQ(run("state"), "mask=00 modifiers=00 keys=00,00,00,00,00 buttons=00 dpi=0,1,3,5 level=2 physical=00 plugged=1");
}

TEST_F(ControlTest, StateFollowsFramesAndButtons) {
  sendFrame("000702040000000000");
  sendFrame("0015010106E0000000");
  sendFrame("001502100000000000");
  sendFrame("001800070101010100");
  EXPECT_EQ(run("buttons 5"), "ok");
  EXPECT_EQ(run("dpibutton"), "ok");
  EXPECT_EQ(run("state"), "mask=04 modifiers=01 keys=06,E0,00,00,00 buttons=10 dpi=7,1,3,5 level=3 physical=05 plugged=1");
  EXPECT_EQ(out.reports.size(), 2u);  // wheel reported; the DPI button's level
}

TEST_F(ControlTest, FramesListsTransfersOnceThenEnds) {
  sendFrame("000702040000000000");
  sendFrame("001A00000000000000");
  ControlAnswer answer = commands.execute("frames");
  EXPECT_EQ(answer.lines, (std::vector<std::string>{"set mouse 000702040000000000", "set mouse 001A00000000000000", "end"}));
  EXPECT_EQ(commands.execute("frames").lines, (std::vector<std::string>{"end"}));
}

TEST_F(ControlTest, PlugUnplugAndAddAnnounceADeviceChange) {
  EXPECT_EQ(run("unplug"), "ok");
  EXPECT_EQ(run("state"), "mask=00 modifiers=00 keys=00,00,00,00,00 buttons=00 dpi=0,1,3,5 level=2 physical=00 plugged=0");
  EXPECT_EQ(run("buttons 01"), "error mouse is unplugged");
  EXPECT_EQ(run("plug"), "ok");
  EXPECT_EQ(run("add second-mouse"), "ok");
  EXPECT_EQ(run("add foreign-string"), "ok");
  EXPECT_EQ(run("add foreign-string Pelmor2"), "ok");
  EXPECT_EQ(run("add foreign-collection"), "ok");
  EXPECT_EQ(run("add hid 30"), "ok");
  EXPECT_EQ(host.deviceChanges, 7);
  EXPECT_EQ(bus.interfaceCount(), 2u + 2 + 1 + 1 + 1 + 30);
  EXPECT_EQ(run("unplug mouse2"), "ok");
  EXPECT_EQ(run("state mouse2").substr(0, 8), "mask=00 ");
  EXPECT_EQ(run("dpibutton mouse2"), "error mouse2 is unplugged");
  EXPECT_EQ(run("report 00000004000000 collection1"), "error usage: report <16 hex digits> [device]");
  EXPECT_EQ(run("report 0000000401000000 collection1"), "ok");
  EXPECT_EQ(run("state collection1"), "error collection1 is not a mouse");
  EXPECT_EQ(host.deviceChanges, 8);
}

TEST_F(ControlTest, BadCommandsAnswerAnErrorAndChangeNothing) {
  for (const char* line : {"buttons", "buttons 100", "buttons xy", "buttons 01 mouse extra", "report 00", "report 00000004010000zz",
                           "dpibutton now please", "frames all", "add", "add hid", "add hid 0", "add hid 1001",
                           "add hid -3", "add hid 2x", "add third-mouse", "add second-mouse twice", "packet", "packet 2",
                           "packet x 32", "packet 2 32 abc", "packet 2 32 zz", "plug a b", "fly", "state mouse9",
                           "buttons 01 mouse9", "unplug nothing"}) {
    std::string reply = run(line);
    EXPECT_EQ(reply.rfind("error ", 0), 0u) << line << " -> " << reply;
  }
  EXPECT_EQ(host.deviceChanges, 0);
  EXPECT_EQ(bus.interfaceCount(), 2u);
  EXPECT_TRUE(out.reports.empty());
  EXPECT_TRUE(commands.execute("   ").lines.empty());
}

TEST_F(ControlTest, VerbsIgnoreCaseAndBlanks) {
  EXPECT_EQ(run("  BUTTONS   ff  "), "ok");
  EXPECT_EQ(run("Report 0102030405060708"), "ok");
  ASSERT_EQ(out.reports.size(), 1u);
  EXPECT_EQ(out.reports[0], (VendorReport{1, 2, 3, 4, 5, 6, 7, 8}));
}

TEST_F(ControlTest, PacketsGoToTheRawInputSide) {
  EXPECT_EQ(run("packet 1 1200 0800000001000000"), "ok");
  EXPECT_EQ(run("packet 2 16"), "ok");
  ASSERT_EQ(host.packets.size(), 2u);
  EXPECT_EQ(host.packets[0], std::make_tuple(1u, 1200u, std::vector<uint8_t>{8, 0, 0, 0, 1, 0, 0, 0}));
  EXPECT_EQ(std::get<2>(host.packets[1]).size(), 0u);
  host.acceptsPackets = false;
  EXPECT_EQ(run("packet 2 32 0800000001000000"), "error no window takes raw input");
}

TEST_F(ControlTest, HelpAndQuit) {
  EXPECT_EQ(run("help").rfind("commands:", 0), 0u);
  ControlAnswer quit = commands.execute("quit");
  EXPECT_EQ(quit.lines, (std::vector<std::string>{"ok"}));
  EXPECT_TRUE(quit.closeConnection);
}

}  // namespace
