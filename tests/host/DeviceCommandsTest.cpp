// The feature frames byte for byte, the DPI commands with their gate and
// commit timer, and the re-scan that re-enables the window.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <map>
#include <thread>

#include "device/DeviceRescan.h"
#include "device/DpiCommands.h"
#include "device/MouseModel.h"
#include "tests/host/FakeHidBus.h"

namespace {

using Bytes = std::array<uint8_t, kFeatureFrameLength>;

TEST(FeatureFrame, EveryCommandByteForByte) {
  EXPECT_EQ(FeatureFrame::ReportMask(0x00).bytes, (Bytes{0x00, 0x07, 0x02, 0x00, 0, 0, 0, 0, 0}));
  EXPECT_EQ(FeatureFrame::ReportMask(0x04).bytes, (Bytes{0x00, 0x07, 0x02, 0x04, 0, 0, 0, 0, 0}));
  EXPECT_EQ(FeatureFrame::InjectKeys(0x01, {0x06, 0, 0, 0, 0}).bytes,
            (Bytes{0x00, 0x15, 0x01, 0x01, 0x06, 0, 0, 0, 0}));
  EXPECT_EQ(FeatureFrame::InjectKeys(0x00, {0, 0, 0, 0, 0}).bytes, (Bytes{0x00, 0x15, 0x01, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(FeatureFrame::InjectKeys(0x81, {1, 2, 3, 4, 5}).bytes, (Bytes{0x00, 0x15, 0x01, 0x81, 1, 2, 3, 4, 5}));
  EXPECT_EQ(FeatureFrame::InjectButtons(0x10).bytes, (Bytes{0x00, 0x15, 0x02, 0x10, 0, 0, 0, 0, 0}));
  EXPECT_EQ(FeatureFrame::InjectButtons(0x00).bytes, (Bytes{0x00, 0x15, 0x02, 0x00, 0, 0, 0, 0, 0}));
  EXPECT_EQ(FeatureFrame::SetDpiStep(2, 3, 1, 1, 1, 1).bytes, (Bytes{0x00, 0x18, 0x02, 0x03, 1, 1, 1, 1, 0}));
  EXPECT_EQ(FeatureFrame::SetDpiStep(3, 7, 4, 5, 6, 7).bytes, (Bytes{0x00, 0x18, 0x03, 0x07, 4, 5, 6, 7, 0}));
  EXPECT_EQ(FeatureFrame::SelectDpiLevel(1).bytes, (Bytes{0x00, 0x19, 0x01, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(FeatureFrame::PostScan().bytes, (Bytes{0x00, 0x1A, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(FeatureFrame::CommitDpi().bytes, (Bytes{0x00, 0x1B, 0, 0, 0, 0, 0, 0, 0}));
}

// Window timers on a virtual clock in milliseconds. Like window timers, an
// expired timer fires again each period until it is killed.
class FakeTimers : public WindowTimers {
public:
  std::function<void(unsigned)> onExpiry;
  unsigned now = 0;
  int starts = 0;

  void start(unsigned id, unsigned milliseconds) override {
    ++starts;
    timers_[id] = {milliseconds, now + milliseconds};
  }
  void kill(unsigned id) override { timers_.erase(id); }
  bool running(unsigned id) const { return timers_.count(id) != 0; }

  void advanceTo(unsigned time) {
    while (now < time) {
      ++now;
      std::vector<unsigned> due;
      for (const auto& [id, timer] : timers_)
        if (timer.due <= now) due.push_back(id);
      for (unsigned id : due) {
        auto it = timers_.find(id);
        if (it == timers_.end() || it->second.due > now) continue;
        it->second.due = now + it->second.period;
        if (onExpiry) onExpiry(id);
      }
    }
  }

private:
  struct Timer {
    unsigned period;
    unsigned due;
  };
  std::map<unsigned, Timer> timers_;
};

class DpiCommandsTest : public ::testing::Test {
protected:
  static constexpr unsigned kCommitDpiTimer = 124;  // the main window's
  FakeHidBus bus;
  HidLink link{bus};
  FakeTimers timers;
  DpiCommands dpi{link, timers, kCommitDpiTimer};
  std::vector<std::pair<unsigned, FeatureFrame>> sent;  // (time, frame)

  void SetUp() override {
    bus.interfaces = {mouseConfiguration("cfg"), mouseInput("in")};
    bus.onReceived = [this] {
      // Stamp every frame the mouse receives with the virtual time.
      auto& received = bus.received(0);
      while (sent.size() < received.size()) sent.emplace_back(timers.now, received[sent.size()]);
    };
    timers.onExpiry = [this](unsigned id) {
      if (id == kCommitDpiTimer) dpi.onCommitTimer();
    };
    link.scan();
  }
  std::vector<std::pair<unsigned, FeatureFrame>> frames() {
    bus.onReceived();
    return sent;
  }
};

TEST_F(DpiCommandsTest, ARunOfStepsEndsWithOneCommit) {
  for (int32_t step = 0; step < 5; ++step) {
    timers.advanceTo(400 * step);
    dpi.setDpiStep(1, step, 1, 1, 1, 1);
  }
  timers.advanceTo(20000);
  auto all = frames();
  ASSERT_EQ(all.size(), 6u);
  EXPECT_EQ(all[4].second, FeatureFrame::SetDpiStep(1, 4, 1, 1, 1, 1));
  EXPECT_EQ(all[5], std::make_pair(1600u + 2000u, FeatureFrame::CommitDpi()));
}

TEST_F(DpiCommandsTest, TheDefaultSequenceCommitsOnceMoreAfterItsLastStep) {
  // SetDpiStep followed by its own CommitDpi leaves the timer running.
  dpi.selectDpiLevel(0);
  dpi.setDpiStep(0, 0, 1, 1, 1, 1);
  dpi.commitDpi();
  timers.advanceTo(5000);
  auto all = frames();
  ASSERT_EQ(all.size(), 4u);
  EXPECT_EQ(all[0].second, FeatureFrame::SelectDpiLevel(0));
  EXPECT_EQ(all[2].second, FeatureFrame::CommitDpi());
  EXPECT_EQ(all[3], std::make_pair(2000u, FeatureFrame::CommitDpi()));
}

TEST_F(DpiCommandsTest, NoMouseNoFrameNoTimer) {
  bus.interfaces[0].strings.clear();  // the IDs match, the vendor string does not
  link.scan();
  ASSERT_EQ(link.presentCount(), 0);
  EXPECT_FALSE(dpi.setDpiStep(2, 3, 1, 1, 1, 1));
  EXPECT_FALSE(dpi.selectDpiLevel(2));
  timers.advanceTo(10000);
  EXPECT_TRUE(frames().empty());
  EXPECT_EQ(timers.starts, 0);
  // CommitDpi is not gated: it goes out to whatever has the mouse's IDs.
  dpi.commitDpi();
  EXPECT_EQ(frames().size(), 1u);
}

TEST_F(DpiCommandsTest, AFoundMouseGetsEveryStepBackAndOneCommit) {
  const int32_t steps[kDpiLevels] = {7, 6, 5, 4};
  dpi.restoreSteps(steps);
  timers.advanceTo(10000);
  auto all = frames();
  ASSERT_EQ(all.size(), 5u);  // the writes end their run: no second commit
  for (uint8_t level = 0; level < kDpiLevels; ++level)
    EXPECT_EQ(all[level].second, FeatureFrame::SetDpiStep(level, static_cast<uint8_t>(7 - level), 1, 1, 1, 1));
  EXPECT_EQ(all[4], std::make_pair(0u, FeatureFrame::CommitDpi()));
}

// The window as the re-scan sees it.
class RecordingTarget : public RescanTarget {
public:
  explicit RecordingTarget(HidLink& link) : link_(link) {}
  std::vector<std::string> calls;
  bool lockFreeDuringCalls = true;

  void enableDpiSlider(bool enable) override { note(enable ? "slider on" : "slider off"); }
  void enableAssignmentBoxes(bool enable) override { note(enable ? "boxes on" : "boxes off"); }
  void startPostScanTimer() override { note("post-scan timer"); }

private:
  void note(const std::string& call) {
    calls.push_back(call);
    // The window's thread may be waiting for the link: no window call may
    // be made while the lock is held.
    bool free = false;
    std::thread other([&] {
      if (link_.lock().try_lock()) {
        free = true;
        link_.lock().unlock();
      }
    });
    other.join();
    if (!free) lockFreeDuringCalls = false;
  }
  HidLink& link_;
};

class RescanTest : public ::testing::Test {
protected:
  FakeHidBus bus;
  HidLink link{bus};
  MouseModel model;
  MouseConfig& config = *model.change();  // set up before any other thread runs
  RecordingTarget target{link};

  void SetUp() override {
    config.assignments[ButtonIndex::Wheel].function = ButtonFunction::KeyShortcut;
    config.dpiSyncPending = false;
  }
};

TEST_F(RescanTest, MouseFoundEnablesControlsAndRestoresTheMask) {
  bus.interfaces = {mouseConfiguration("cfg"), mouseInput("in")};
  rescanDevice(link, model, target);
  EXPECT_TRUE(config.dpiSyncPending);
  EXPECT_EQ(target.calls, (std::vector<std::string>{"slider off", "boxes on", "slider on", "post-scan timer"}));
  EXPECT_TRUE(target.lockFreeDuringCalls);
  EXPECT_EQ(bus.received(0), std::vector<FeatureFrame>{FeatureFrame::ReportMask(0x04)});
}

TEST_F(RescanTest, NoMouseDisablesEverythingAndSendsNothing) {
  bus.interfaces = {mouseInput("in"), unrelated("kbd")};
  rescanDevice(link, model, target);
  EXPECT_TRUE(config.dpiSyncPending);
  EXPECT_EQ(target.calls, (std::vector<std::string>{"slider off", "boxes off"}));
  EXPECT_TRUE(bus.entries("set").empty());
}

TEST_F(RescanTest, ReportMaskWaitsForTheInputCollection) {
  bus.interfaces = {mouseConfiguration("cfg")};
  rescanDevice(link, model, target);
  EXPECT_EQ(target.calls.size(), 4u);
  EXPECT_TRUE(bus.received(0).empty());
  EXPECT_FALSE(sendReportMask(link, model));

  bus.interfaces.push_back(mouseInput("in"));
  link.scan();
  model.change()->assignments[ButtonIndex::Left].function = ButtonFunction::DoubleClick;
  EXPECT_TRUE(sendReportMask(link, model));
  EXPECT_EQ(bus.received(0), std::vector<FeatureFrame>{FeatureFrame::ReportMask(0x05)});
}

TEST_F(RescanTest, TheMaskSentLastIsTheModelAsItStandsThen) {
  bus.interfaces = {mouseConfiguration("cfg"), mouseInput("in")};
  link.scan();
  std::atomic<bool> started{false};
  std::thread worker;
  {
    // The window's thread holds the link while the worker comes to send,
    // changes an assignment and sends the new mask itself.
    std::lock_guard<std::recursive_mutex> hold(link.lock());
    worker = std::thread([&] {
      started = true;
      sendReportMask(link, model);
    });
    while (!started) std::this_thread::yield();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    model.change()->assignments[ButtonIndex::Wheel].function = ButtonFunction::Native;
    sendReportMask(link, model);
  }
  worker.join();
  ASSERT_EQ(bus.received(0).size(), 2u);
  EXPECT_EQ(bus.received(0).back(), FeatureFrame::ReportMask(0x00));
}

}  // namespace
