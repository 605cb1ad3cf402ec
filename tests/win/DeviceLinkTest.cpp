// The system's HID services behind the device seam, and the main window's
// device wiring: the first re-scan and the re-scan after device changes.
#include <gtest/gtest.h>
#include <windows.h>

#include <dbt.h>

#include <functional>

#include "app/MainDialog.h"
#include "app/ProcessObjects.h"
#include "device/DeviceRescan.h"
#include "device/HidLink.h"
#include "device/MouseConfig.h"
#include "device/Win32HidBus.h"
#include "resource.h"
#include "tests/win/PumpMessages.h"

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
  bus.close(nullptr);
  bus.cancelIo(nullptr);
  bus.pulseEvent(nullptr);
  bus.closeEvent(nullptr);
}

class MainWindowDevice : public ::testing::Test {
protected:
  MainDialog dialog{nullptr};

  void SetUp() override {
    mouseConfig.dpiSyncPending = false;
    ASSERT_TRUE(dialog.Create(IDD_MAIN));
  }
  void TearDown() override {
    dialog.DestroyWindow();
    mainDialog = nullptr;
  }
  bool controlsFollowThePresence() const {
    const bool present = hidLink.presentCount() != 0;
    for (const CWnd* box : {&dialog.m_comboRight, &dialog.m_comboWheel, &dialog.m_combo4th, &dialog.m_combo5th})
      if ((box->IsWindowEnabled() != FALSE) != present) return false;
    return (dialog.m_dpiSlider.IsWindowEnabled() != FALSE) == present;
  }
};

TEST_F(MainWindowDevice, FirstRescanSettlesTheControls) {
  EXPECT_EQ(mainDialog, &dialog);
  EXPECT_EQ(hidLink.notifyWindow(), static_cast<void*>(dialog.m_hWnd));
  // Before the re-scan only the slider follows the scan at start.
  EXPECT_EQ(dialog.m_dpiSlider.IsWindowEnabled() != FALSE, hidLink.presentCount() != 0);
  EXPECT_TRUE(dialog.m_comboRight.IsWindowEnabled());

  ASSERT_TRUE(pumpUntil([] { return mouseConfig.dpiSyncPending.load(); }, 20000)) << "no re-scan";
  EXPECT_TRUE(pumpUntil([&] { return controlsFollowThePresence(); }, 20000));
}

TEST_F(MainWindowDevice, BurstOfDeviceChangesRescansOnceAfterTheLast) {
  ASSERT_TRUE(pumpUntil([] { return mouseConfig.dpiSyncPending.load(); }, 20000));
  ASSERT_TRUE(pumpUntil([&] { return controlsFollowThePresence(); }, 20000));
  for (CWnd* box : {&dialog.m_comboRight, &dialog.m_comboWheel, &dialog.m_combo4th, &dialog.m_combo5th})
    box->EnableWindow(hidLink.presentCount() == 0);  // the opposite of what a re-scan leaves
  mouseConfig.dpiSyncPending = false;

  DWORD last = 0;
  for (int n = 0; n < 20; ++n) {
    dialog.SendMessage(WM_DEVICECHANGE, DBT_DEVNODES_CHANGED, 0);
    dialog.SendMessage(WM_DEVICECHANGE, DBT_DEVICEARRIVAL, 0);  // not a re-scan of its own
    last = ::GetTickCount();
    pumpUntil([] { return false; }, 50);
  }
  ASSERT_TRUE(pumpUntil([] { return mouseConfig.dpiSyncPending.load(); }, 30000)) << "no re-scan";
  // Window timers never fire early: a re-scan any sooner than this would
  // mean the burst had not restarted the timer.
  EXPECT_GE(::GetTickCount() - last, kRescanAfterChangeMs - 50);
  EXPECT_TRUE(pumpUntil([&] { return controlsFollowThePresence(); }, 20000));
}

}  // namespace
