// The Win32 side of the input engine: which raw-input packets are read, the
// input injected into the desktop, and the main window's pre-translation hub.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "mainwnd/MainDialog.h"
#include "device/MouseModel.h"
#include "input/InputEngine_win.h"
#include "input/RawInputApi.h"
#include "input/RawInputMice_win.h"

namespace {

constexpr UINT kHeader = sizeof(RAWINPUTHEADER);
constexpr size_t kHidData = offsetof(RAWINPUT, data.hid.bRawData);

// The raw-input device handle of the packets.
const HANDLE kDevice = reinterpret_cast<HANDLE>(static_cast<uintptr_t>(0x5678));

// Serves one packet the way GetRawInputData does, and records the calls.
class FakeRawInput : public RawInputApi {
public:
  std::vector<uint8_t> packet;
  UINT announced = 0;          // what the size query answers
  UINT returned = 0;           // what the read answers
  UINT sizeQueryResult = 0;    // (UINT)-1 to fail the size query
  int calls = 0;
  UINT lastCommand = 0;
  UINT lastHeaderSize = 0;

  static FakeRawInput hidPacket(std::vector<uint8_t> report, DWORD type = RIM_TYPEHID, DWORD count = 1) {
    FakeRawInput fake;
    fake.packet.assign(kHidData, 0);
    RAWINPUT* raw = reinterpret_cast<RAWINPUT*>(fake.packet.data());
    raw->header.dwType = type;
    raw->header.hDevice = kDevice;
    raw->data.hid.dwSizeHid = static_cast<DWORD>(report.size());
    raw->data.hid.dwCount = count;
    fake.packet.insert(fake.packet.end(), report.begin(), report.end());
    raw = reinterpret_cast<RAWINPUT*>(fake.packet.data());
    raw->header.dwSize = static_cast<DWORD>(fake.packet.size());
    fake.announced = fake.returned = static_cast<UINT>(fake.packet.size());
    return fake;
  }

  // The device behind the packets: the mouse's input collection unless told.
  WORD vendor = 0xE0FF, product = 0x0005, usagePage = 0xFF12;
  std::string path = "\\\\?\\hid#vid_e0ff&pid_0005&mi_02#7&1&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}";

  BOOL registerDevices(const RAWINPUTDEVICE*, UINT, UINT) override { return TRUE; }
  UINT getDeviceInfo(HANDLE, UINT command, void* data, UINT* size) override {
    if (command == RIDI_DEVICENAME) {
      if (!data) {
        *size = static_cast<UINT>(path.size() + 1);
        return 0;
      }
      std::memcpy(data, path.c_str(), path.size() + 1);
      return static_cast<UINT>(path.size() + 1);
    }
    if (!data) {
      *size = sizeof(RID_DEVICE_INFO);
      return 0;
    }
    RID_DEVICE_INFO info = {};
    info.cbSize = sizeof(info);
    info.dwType = RIM_TYPEHID;
    info.hid.dwVendorId = vendor;
    info.hid.dwProductId = product;
    info.hid.usUsagePage = usagePage;
    info.hid.usUsage = 1;
    std::memcpy(data, &info, sizeof(info));
    return sizeof(info);
  }
  UINT getData(HRAWINPUT, UINT command, void* data, UINT* size, UINT headerSize) override {
    ++calls;
    lastCommand = command;
    lastHeaderSize = headerSize;
    if (!data) {
      *size = announced;
      return sizeQueryResult;
    }
    if (*size < returned) return static_cast<UINT>(-1);
    std::memcpy(data, packet.data(), std::min<size_t>(packet.size(), returned));
    return returned;
  }
};

const std::vector<uint8_t> kWheelDown = {0, 0, 0, 4, 0x04, 0, 0, 0};

HRAWINPUT anyHandle() { return reinterpret_cast<HRAWINPUT>(static_cast<uintptr_t>(0x1234)); }

using Reports = std::vector<std::vector<uint8_t>>;

// The reports of the packet, or nothing when it is dropped.
bool readReports(FakeRawInput& api, std::vector<uint8_t>& report) {
  Reports reports;
  HANDLE device = nullptr;
  const bool taken = readHidReports(api, anyHandle(), reports, device);
  report.clear();
  for (const auto& one : reports) report.insert(report.end(), one.begin(), one.end());
  return taken;
}

TEST(RawInputPacket, EveryHidReportIsReadInOrderAndNeverPastThePacket) {
  FakeRawInput fake = FakeRawInput::hidPacket(kWheelDown);
  std::vector<uint8_t> report;
  ASSERT_TRUE(readReports(fake, report));
  EXPECT_EQ(report, kWheelDown);
  EXPECT_EQ(fake.calls, 2);  // size query, then the read
  EXPECT_EQ(fake.lastCommand, static_cast<UINT>(RID_INPUT));
  EXPECT_EQ(fake.lastHeaderSize, 16u);

  const std::vector<uint8_t> wheelUp = {0, 0, 0, 4, 0x00, 0, 0, 0};
  std::vector<uint8_t> two = kWheelDown;
  two.insert(two.end(), wheelUp.begin(), wheelUp.end());
  FakeRawInput several = FakeRawInput::hidPacket(two, RIM_TYPEHID, 2);
  reinterpret_cast<RAWINPUT*>(several.packet.data())->data.hid.dwSizeHid = 8;
  Reports reports;
  HANDLE device = nullptr;
  ASSERT_TRUE(readHidReports(several, anyHandle(), reports, device));
  EXPECT_EQ(reports, (Reports{kWheelDown, wheelUp}));

  // A count the packet cannot hold ends with the packet.
  reinterpret_cast<RAWINPUT*>(several.packet.data())->data.hid.dwCount = 1000;
  ASSERT_TRUE(readHidReports(several, anyHandle(), reports, device));
  EXPECT_EQ(reports, (Reports{kWheelDown, wheelUp}));

  FakeRawInput overlong = FakeRawInput::hidPacket(kWheelDown);
  reinterpret_cast<RAWINPUT*>(overlong.packet.data())->data.hid.dwSizeHid = 500;
  ASSERT_TRUE(readReports(overlong, report));
  EXPECT_EQ(report, kWheelDown);
}

TEST(RawInputPacket, OversizedOrUnexpectedPacketsAreDropped) {
  FakeRawInput fake = FakeRawInput::hidPacket(std::vector<uint8_t>(1000 - kHidData, 0x04));
  ASSERT_EQ(fake.announced, 1000u);
  std::vector<uint8_t> report;
  EXPECT_FALSE(readReports(fake, report));
  EXPECT_EQ(fake.calls, 1);  // dropped unread

  // One byte less fits the buffer.
  FakeRawInput fits = FakeRawInput::hidPacket(std::vector<uint8_t>(999 - kHidData, 0x04));
  EXPECT_TRUE(readReports(fits, report));
  EXPECT_EQ(report.size(), 999 - kHidData);

  report.clear();
  FakeRawInput shorter = FakeRawInput::hidPacket(kWheelDown);
  shorter.returned -= 1;
  EXPECT_FALSE(readReports(shorter, report));

  FakeRawInput failedRead = FakeRawInput::hidPacket(kWheelDown);
  failedRead.returned = static_cast<UINT>(-1);
  EXPECT_FALSE(readReports(failedRead, report));

  FakeRawInput failedQuery = FakeRawInput::hidPacket(kWheelDown);
  failedQuery.sizeQueryResult = static_cast<UINT>(-1);
  EXPECT_FALSE(readReports(failedQuery, report));

  FakeRawInput mouse = FakeRawInput::hidPacket(kWheelDown, RIM_TYPEMOUSE);
  EXPECT_FALSE(readReports(mouse, report));
  FakeRawInput keyboard = FakeRawInput::hidPacket(kWheelDown, RIM_TYPEKEYBOARD);
  EXPECT_FALSE(readReports(keyboard, report));

  FakeRawInput empty = FakeRawInput::hidPacket(kWheelDown, RIM_TYPEHID, 0);
  EXPECT_FALSE(readReports(empty, report));
  EXPECT_TRUE(report.empty());
}

struct NoUsageOutput : InputEngineOutput {
  std::vector<FeatureFrame> frames;
  std::vector<std::string> mice;  // whom each frame was for, "" for the first mouse
  void exchangeFrame(const FeatureFrame& request) override {
    frames.push_back(request);
    mice.push_back("");
  }
  bool exchangeFrameWith(const std::string& mouse, const FeatureFrame& request) override {
    frames.push_back(request);
    mice.push_back(mouse);
    return true;
  }
  void closeCurrentWindow() override {}
  void doubleClick() override {}
  void showDpiState(int) override {}
};

TEST(RawInputPacket, DroppedPacketsDoNotReachTheEngine) {
  MouseModel model;
  MouseConfig& config = *model.change();  // one thread
  config.assignments[ButtonIndex::Wheel].function = ButtonFunction::Button4th;
  config.assignments[ButtonIndex::Wheel].buttonMask = 0x10;
  NoUsageOutput out;
  InputEngine engine(model, nullptr, out);

  RawInputMice mice([](const std::string& path) { return path.find("mi_02") != std::string::npos ? "usb1" : ""; });

  FakeRawInput mouse = FakeRawInput::hidPacket(kWheelDown, RIM_TYPEMOUSE);
  onRawInput(engine, mouse, mice, anyHandle());
  EXPECT_TRUE(out.frames.empty());

  // Another maker's collection on the mouse's usage page and usage.
  FakeRawInput foreign = FakeRawInput::hidPacket(kWheelDown);
  foreign.vendor = 0x2B17;
  onRawInput(engine, foreign, mice, anyHandle());
  EXPECT_TRUE(out.frames.empty());
  EXPECT_FALSE(engine.holdsInput());

  // The mouse's own, once the device is asked about again: a press and a
  // release in one packet, both carried out, and held on that mouse alone.
  mice.forget(kDevice);
  std::vector<uint8_t> pressAndRelease = kWheelDown;
  pressAndRelease.insert(pressAndRelease.end(), {0, 0, 0, 4, 0x00, 0, 0, 0});
  FakeRawInput hid = FakeRawInput::hidPacket(pressAndRelease, RIM_TYPEHID, 2);
  reinterpret_cast<RAWINPUT*>(hid.packet.data())->data.hid.dwSizeHid = 8;
  onRawInput(engine, hid, mice, anyHandle());
  ASSERT_EQ(out.frames.size(), 2u);
  EXPECT_EQ(out.frames[0].bytes, (std::array<uint8_t, 9>{0x00, 0x15, 0x02, 0x10}));
  EXPECT_EQ(out.frames[1].bytes, (std::array<uint8_t, 9>{0x00, 0x15, 0x02, 0x00}));
  EXPECT_EQ(out.mice, (std::vector<std::string>{"usb1", "usb1"}));
  EXPECT_FALSE(engine.holdsInput());
}

// Records what would reach SendInput and Sleep, in order.
class RecordingDesktop : public DesktopInput {
public:
  std::vector<INPUT> inputs;
  std::vector<std::pair<size_t, DWORD>> sleeps;  // (inputs sent before, ms)

protected:
  UINT sendInput(INPUT& input) override {
    inputs.push_back(input);
    return 1;
  }
  void sleep(DWORD ms) override { sleeps.emplace_back(inputs.size(), ms); }
  LPARAM messageExtraInfo() override { return 0x5A5A; }
};

TEST(DesktopInput, CloseCurrentWindowIsAltF4ByScanCodes) {
  RecordingDesktop desktop;
  desktop.closeCurrentWindow();
  ASSERT_EQ(desktop.inputs.size(), 4u);
  const WORD scans[] = {0x38, 0x3E, 0x3E, 0x38};
  const DWORD flags[] = {0x0008, 0x0008, 0x000A, 0x000A};
  for (int i = 0; i < 4; ++i) {
    const INPUT& in = desktop.inputs[i];
    EXPECT_EQ(in.type, static_cast<DWORD>(INPUT_KEYBOARD));
    EXPECT_EQ(in.ki.wVk, 0);
    EXPECT_EQ(in.ki.wScan, scans[i]) << i;
    EXPECT_EQ(in.ki.dwFlags, flags[i]) << i;
    EXPECT_EQ(in.ki.time, 0u);
    EXPECT_EQ(in.ki.dwExtraInfo, 0x5A5Au);
  }
  EXPECT_TRUE(desktop.sleeps.empty());
}

TEST(DesktopInput, DoubleClickIsTwoLeftClicksTenMillisecondsApart) {
  RecordingDesktop desktop;
  desktop.doubleClick();
  ASSERT_EQ(desktop.inputs.size(), 4u);
  const DWORD flags[] = {MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP};
  for (int i = 0; i < 4; ++i) {
    const INPUT& in = desktop.inputs[i];
    EXPECT_EQ(in.type, static_cast<DWORD>(INPUT_MOUSE));
    EXPECT_EQ(in.mi.dx, 0);
    EXPECT_EQ(in.mi.dy, 0);
    EXPECT_EQ(in.mi.mouseData, 0u);
    EXPECT_EQ(in.mi.dwFlags, flags[i]) << i;
    EXPECT_EQ(in.mi.time, 0u);
    EXPECT_EQ(in.mi.dwExtraInfo, 0x4C2u);
  }
  EXPECT_EQ(desktop.sleeps, (std::vector<std::pair<size_t, DWORD>>{{1, 10}, {2, 10}, {3, 10}}));
}

// The hub, on a stand-in window: the dialog's own window is not created, so
// only what the hub itself does is seen.
class HubTest : public ::testing::Test {
protected:
  void SetUp() override {
    // A class of its own: the hub sets the class cursor of the window it serves.
    WNDCLASSA wc = {};
    wc.lpfnWndProc = ::DefWindowProcA;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.lpszClassName = "SkivolHubTest";
    ::RegisterClassA(&wc);
    window = ::CreateWindowExA(0, "SkivolHubTest", "hub", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, wc.hInstance,
                               nullptr);
    ASSERT_NE(window, nullptr);
    dialog.m_hWnd = window;
    drain();
  }
  void TearDown() override {
    dialog.m_hWnd = nullptr;
    ::DestroyWindow(window);
  }
  void drain() {
    MSG msg;
    while (::PeekMessageA(&msg, window, 0, 0, PM_REMOVE)) {
    }
  }
  std::vector<MSG> posted() {
    std::vector<MSG> messages;
    MSG msg;
    while (::PeekMessageA(&msg, window, WM_USER, 0xFFFF, PM_REMOVE)) messages.push_back(msg);
    while (::PeekMessageA(&msg, window, WM_CLOSE, WM_CLOSE, PM_REMOVE)) messages.push_back(msg);
    return messages;
  }
  BOOL offer(UINT message) {
    MSG msg = {};
    msg.hwnd = window;
    msg.message = message;
    return static_cast<CWnd&>(dialog).PreTranslateMessage(&msg);
  }

  HWND window = nullptr;
  MainDialog dialog{nullptr};
};

TEST_F(HubTest, CloseRequestPostsCloseAndGoesOn) {
  EXPECT_FALSE(offer(WM_APP_CLOSE_REQUEST));
  std::vector<MSG> messages = posted();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].message, static_cast<UINT>(WM_CLOSE));
  EXPECT_EQ(messages[0].wParam, 0u);
  EXPECT_EQ(messages[0].lParam, 0);
}

TEST_F(HubTest, ResetIsHandedToTheWindowOnlyWhenTheMiceChanged) {
  const MouseSet one{1, 1, {"a"}};
  noteMouseSet(window, one, one);
  noteMouseSet(window, MouseSet{}, MouseSet{});
  EXPECT_TRUE(posted().empty());
  noteMouseSet(window, one, MouseSet{});
  noteMouseSet(window, MouseSet{}, one);
  std::vector<MSG> messages = posted();
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_EQ(messages[0].message, WM_APP_MICE_CHANGED);
  // Whether a mouse went: only then may the one that cannot be told apart
  // have gone.
  EXPECT_EQ(messages[0].wParam, 1u);
  EXPECT_EQ(messages[1].wParam, 0u);
}

}  // namespace
