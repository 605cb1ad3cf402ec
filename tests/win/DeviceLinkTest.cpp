// The system's HID services behind the device seam, and the main window's
// device wiring: the first re-scan and the re-scan after device changes.
#include <gtest/gtest.h>
#include <windows.h>

#include <dbt.h>

#include <functional>
#include <set>
#include <string>

#include "mainwnd/MainDialog.h"
#include "app/ProcessObjects.h"
#include "device/DeviceRescan.h"
#include "device/HidLink.h"
#include "device/MouseModel.h"
#include "device/Win32HidBus.h"
#include "resource.h"
#include "tests/win/PumpMessages.h"
#include "tests/win/VirtualMouseCommand.h"

namespace {

TEST(Win32HidBus, RequestsWithoutAHandleReachNothing) {
  Win32HidBus bus;
  HidCapabilities caps;
  HidAttributes attributes;
  std::string text = "kept";
  uint8_t frame[kFeatureFrameLength] = {};
  EXPECT_EQ(bus.open("\\\\?\\hid#no_such_device"), nullptr);
  EXPECT_FALSE(bus.capabilities(nullptr, caps));
  EXPECT_FALSE(bus.attributes(nullptr, attributes));
  EXPECT_FALSE(bus.indexedString(nullptr, 0xFA, kSlotStringBufferBytes, text));
  EXPECT_EQ(text, "kept");
  EXPECT_FALSE(bus.setFeature(nullptr, frame, sizeof frame));
  EXPECT_FALSE(bus.getFeature(nullptr, frame, sizeof frame));
}

class MainWindowDevice : public ::testing::Test {
protected:
  MainDialog dialog{nullptr};

  void SetUp() override {
    mouseModel.change()->dpiSyncPending = false;
    ASSERT_TRUE(dialog.Create(IDD_MAIN));
  }
  void TearDown() override {
    dialog.DestroyWindow();
    mainDialog = nullptr;
  }
  bool controlsFollowThePresence() const {
    const bool present = hidLink.presentCount() != 0;
    for (const CWnd* box : {&dialog.rows().box(0), &dialog.rows().box(1), &dialog.rows().box(2), &dialog.rows().box(3)})
      if ((box->IsWindowEnabled() != FALSE) != present) return false;
    return (dialog.dpiPanel().slider().IsWindowEnabled() != FALSE) == present;
  }
};

TEST_F(MainWindowDevice, FirstRescanSettlesTheControls) {
  // Before the re-scan only the slider follows the scan at start.
  EXPECT_EQ(dialog.dpiPanel().slider().IsWindowEnabled() != FALSE, hidLink.presentCount() != 0);
  EXPECT_TRUE(dialog.rows().box(RowIndex::Right).IsWindowEnabled());

  ASSERT_TRUE(pumpUntil([] { return mouseModel.config().dpiSyncPending.load(); }, 20000)) << "no re-scan";
  EXPECT_TRUE(pumpUntil([&] { return controlsFollowThePresence(); }, 20000));
}

TEST_F(MainWindowDevice, BurstOfDeviceChangesRescansOnceAfterTheLast) {
  ASSERT_TRUE(pumpUntil([] { return mouseModel.config().dpiSyncPending.load(); }, 20000));
  ASSERT_TRUE(pumpUntil([&] { return controlsFollowThePresence(); }, 20000));
  for (CWnd* box : {&dialog.rows().box(0), &dialog.rows().box(1), &dialog.rows().box(2), &dialog.rows().box(3)})
    box->EnableWindow(hidLink.presentCount() == 0);  // the opposite of what a re-scan leaves
  mouseModel.change()->dpiSyncPending = false;

  DWORD last = 0;
  for (int n = 0; n < 20; ++n) {
    dialog.SendMessage(WM_DEVICECHANGE, DBT_DEVNODES_CHANGED, 0);
    dialog.SendMessage(WM_DEVICECHANGE, DBT_DEVICEARRIVAL, 0);  // not a re-scan of its own
    last = ::GetTickCount();
    pumpUntil([] { return false; }, 50);
  }
  ASSERT_TRUE(pumpUntil([] { return mouseModel.config().dpiSyncPending.load(); }, 30000)) << "no re-scan";
  // Window timers never fire early: a re-scan any sooner than this would
  // mean the burst had not restarted the timer.
  EXPECT_GE(::GetTickCount() - last, MouseSearch::kRescanAfterChangeMs - 50);
  EXPECT_TRUE(pumpUntil([&] { return controlsFollowThePresence(); }, 20000));
}

// A device change reaches the window long before the re-scan does; a frame
// sent in between (a held key let go) must find a mouse that came meanwhile.
TEST_F(MainWindowDevice, AFrameBetweenADeviceChangeAndTheRescanFindsTheNewMouse) {
  ASSERT_TRUE(pumpUntil([&] { return controlsFollowThePresence(); }, 20000));
  // The interfaces that a frame sent now reaches.
  const auto reached = [] {
    virtualMouseCommand("frames");
    hidLink.sendFeature(FeatureFrame::InjectButtons(0));
    std::set<std::string> names;
    for (const std::string& line : virtualMouseCommand("frames"))
      if (line.rfind("set ", 0) == 0) names.insert(line.substr(4, line.find(' ', 4) - 4));
    return names;
  };
  const size_t before = reached().size();
  // Adding a mouse posts the device changes, which are not run here: the
  // window is told by hand.
  virtualMouseCommand("add second-mouse");
  dialog.SendMessage(WM_DEVICECHANGE, DBT_DEVNODES_CHANGED, 0);
  EXPECT_EQ(reached().size(), before + 1) << "after WM_DEVICECHANGE";
  virtualMouseCommand("add second-mouse");
  dialog.SendMessage(WM_INPUT_DEVICE_CHANGE, GIDC_ARRIVAL, 0);
  EXPECT_EQ(reached().size(), before + 2) << "after WM_INPUT_DEVICE_CHANGE";
  virtualMouseCommand("unplug mouse2");
  virtualMouseCommand("unplug mouse3");
}

// The resets drop the mouse's DPI reports until it answers their last
// selection, also long after the start-up scan; a mouse that never answers
// has its reports taken again a second later.
TEST_F(MainWindowDevice, AResetDropsStaleDpiReportsUntilAnsweredOrForASecond) {
  ASSERT_TRUE(pumpUntil([] { return mouseModel.config().dpiSyncPending.load(); }, 20000));
  ASSERT_TRUE(pumpUntil([] { return !mouseModel.config().dpiSyncPending.load(); }, 20000)) << "the scan never ended";
  char temp[MAX_PATH] = {};
  ::GetTempPathA(MAX_PATH, temp);
  const CString savedDirectory = programDirectory;
  programDirectory = temp;  // the reset saves

  dialog.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_DEFAULT, BN_CLICKED), 0);
  // The mouse answers none of it.
  MSG msg;
  while (::PeekMessageA(&msg, dialog.m_hWnd, WM_INPUT, WM_INPUT, PM_REMOVE)) {
  }
  const auto staleReportTaken = [&] {
    virtualMouseCommand("report 0000000501060000");  // level 1, step 6: from before the reset
    pumpUntil([&] { return !::PeekMessageA(&msg, dialog.m_hWnd, WM_INPUT, WM_INPUT, PM_NOREMOVE); });
    return mouseModel.config().dpiLevel == 1 && dialog.dpiPanel().slider().GetPos() == 6;
  };
  EXPECT_FALSE(staleReportTaken());
  EXPECT_EQ(mouseModel.config().dpiLevel, kDefaultDpiLevel);
  EXPECT_EQ(dialog.dpiPanel().slider().GetPos(), mouseModel.config().dpiStep[kDefaultDpiLevel]);
  EXPECT_TRUE(pumpUntil(staleReportTaken, 10000)) << "still dropped";
  programDirectory = savedDirectory;
}

}  // namespace
