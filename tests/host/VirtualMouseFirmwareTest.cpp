// The virtual mouse's firmware: which button changes it reports and which it
// carries out itself, what it holds on the desktop, its DPI state and the
// reports that answer the DPI frames.
#include <gtest/gtest.h>

#include <vector>

#include "vmouse/VirtualMouseFirmware.h"

namespace {

struct RecordingOutput : FirmwareOutput {
  std::vector<VendorReport> reports;
  std::vector<std::pair<uint8_t, HeldKeys>> keyboards;
  std::vector<uint8_t> buttons;
  void inputReport(const VendorReport& report) override { reports.push_back(report); }
  void keyboardChanged(uint8_t modifiers, const HeldKeys& keys) override { keyboards.push_back({modifiers, keys}); }
  void buttonsChanged(uint8_t b) override { buttons.push_back(b); }
  void clear() {
    reports.clear();
    keyboards.clear();
    buttons.clear();
  }
};

VendorReport buttonReport(uint8_t buttons) { return VendorReport{0, 0, 0, 4, buttons, 0, 0, 0}; }
VendorReport dpiReport(uint8_t level, uint8_t step) { return VendorReport{0, 0, 0, 5, level, step, 0, 0}; }

class FirmwareTest : public ::testing::Test {
protected:
  RecordingOutput out;
  TransferLog log;
  VirtualMouseFirmware mouse{out, log, "mouse"};

  bool send(std::initializer_list<uint8_t> bytes) {
    FirmwareFrame frame{};
    std::copy(bytes.begin(), bytes.end(), frame.begin());
    return mouse.setFeature(frame.data(), frame.size());
  }
};

TEST_F(FirmwareTest, MaskedButtonsAreReportedWithTheWholeByteOthersActNatively) {
  ASSERT_TRUE(send({0x00, 0x07, 0x02, 0x04}));  // wheel reported
  EXPECT_EQ(mouse.reportMask(), 0x04);

  mouse.setPhysicalButtons(0x04);  // wheel down
  mouse.setPhysicalButtons(0x05);  // left down: native, not reported
  mouse.setPhysicalButtons(0x01);  // wheel up: reported with left still in the byte
  mouse.setPhysicalButtons(0x00);  // left up
  EXPECT_EQ(out.reports, (std::vector<VendorReport>{buttonReport(0x04), buttonReport(0x01)}));
  EXPECT_EQ(out.buttons, (std::vector<uint8_t>{0x01, 0x00}));
}

TEST_F(FirmwareTest, InjectedKeysAndButtonsAreHeldUntilChanged) {
  send({0x00, 0x15, 0x01, 0x01, 0x06});
  EXPECT_EQ(mouse.modifiers(), 0x01);
  EXPECT_EQ(mouse.keys(), (HeldKeys{0x06, 0, 0, 0, 0}));
  send({0x00, 0x15, 0x01, 0x01, 0x06});  // the same again: nothing new on the desktop
  send({0x00, 0x15, 0x01, 0x00, 0x06, 0x07, 0x08, 0x09, 0x0A});
  send({0x00, 0x15, 0x01});
  ASSERT_EQ(out.keyboards.size(), 3u);
  EXPECT_EQ(out.keyboards[0], (std::pair<uint8_t, HeldKeys>{0x01, {0x06, 0, 0, 0, 0}}));
  EXPECT_EQ(out.keyboards[1], (std::pair<uint8_t, HeldKeys>{0x00, {0x06, 0x07, 0x08, 0x09, 0x0A}}));
  EXPECT_EQ(out.keyboards[2], (std::pair<uint8_t, HeldKeys>{0x00, {}}));
  EXPECT_TRUE(out.reports.empty());

  // Injected buttons join the native ones.
  send({0x00, 0x15, 0x02, 0x10});
  EXPECT_EQ(mouse.injectedButtons(), 0x10);
  mouse.setPhysicalButtons(0x01);           // left, native
  send({0x00, 0x15, 0x02, 0x11});           // left injected as well: no change on the desktop
  mouse.setPhysicalButtons(0x00);           // still held by injection
  send({0x00, 0x15, 0x02, 0x00});
  EXPECT_EQ(out.buttons, (std::vector<uint8_t>{0x10, 0x11, 0x00}));
}

TEST_F(FirmwareTest, DpiFramesAndTheDpiButtonAnswerWithTheDpiState) {
  send({0x00, 0x18, 0x02, 0x03, 0x01, 0x01, 0x01, 0x01});
  send({0x00, 0x18, 0x00, 0x07, 0x01, 0x01, 0x01, 0x01});
  send({0x00, 0x18, 0x04, 0x01});  // no such level
  send({0x00, 0x18, 0x01, 0x08});  // no such step
  send({0x00, 0x1B});
  EXPECT_EQ(mouse.dpiSteps(), (std::array<uint8_t, 4>{7, 1, 3, 5}));
  EXPECT_TRUE(out.reports.empty());  // neither SetDpiStep nor CommitDpi answers

  send({0x00, 0x19, 0x00});
  send({0x00, 0x19, 0x04});  // no such level: ignored, no answer
  send({0x00, 0x1A});
  EXPECT_EQ(mouse.dpiLevel(), 0);
  EXPECT_EQ(out.reports, (std::vector<VendorReport>{dpiReport(0, 7), dpiReport(0, 7)}));

  // The DPI button steps through the levels and wraps.
  out.clear();
  mouse.pressDpiButton();
  mouse.pressDpiButton();
  mouse.pressDpiButton();
  mouse.pressDpiButton();
  EXPECT_EQ(out.reports, (std::vector<VendorReport>{dpiReport(1, 1), dpiReport(2, 3), dpiReport(3, 5), dpiReport(0, 7)}));
}

TEST_F(FirmwareTest, ResetToPowerOnLetsGoOfEverythingHeld) {
  send({0x00, 0x07, 0x02, 0x04});
  send({0x00, 0x15, 0x01, 0x02, 0x04});
  send({0x00, 0x15, 0x02, 0x08});
  send({0x00, 0x18, 0x00, 0x06});
  send({0x00, 0x19, 0x00});
  mouse.setPhysicalButtons(0x05);
  out.clear();

  mouse.resetToPowerOn();
  EXPECT_EQ(out.keyboards, (std::vector<std::pair<uint8_t, HeldKeys>>{{0, {}}}));
  EXPECT_EQ(out.buttons, (std::vector<uint8_t>{0x00}));
  EXPECT_TRUE(out.reports.empty());
  EXPECT_EQ(mouse.reportMask(), 0);
  EXPECT_EQ(mouse.physicalButtons(), 0);
  EXPECT_EQ(mouse.dpiSteps(), (std::array<uint8_t, 4>{0, 1, 3, 5}));
  EXPECT_EQ(mouse.dpiLevel(), 2);
}

}  // namespace
