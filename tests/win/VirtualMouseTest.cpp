// The virtual mouse's Windows side: raw input as GetRawInputData gives it,
// the control channel over a real socket, device-change announcements, and
// the desktop input the mouse's held keys and buttons turn into.
#include <winsock2.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <dbt.h>

#include <chrono>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "app/Seams.h"
#include "vmouse/VirtualMouseRig_win.h"

namespace {

// A plain top-level window that records what it is sent.
struct TestWindow {
  HWND hwnd = nullptr;
  std::vector<MSG> inputs;
  int deviceChanges = 0;

  TestWindow() {
    static const char* cls = [] {
      WNDCLASSA wc = {};
      wc.lpfnWndProc = proc;
      wc.hInstance = ::GetModuleHandleA(nullptr);
      wc.lpszClassName = "VirtualMouseTestWindow";
      ::RegisterClassA(&wc);
      return "VirtualMouseTestWindow";
    }();
    hwnd = ::CreateWindowExA(0, cls, "virtual mouse test", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr,
                             ::GetModuleHandleA(nullptr), this);
  }
  ~TestWindow() { ::DestroyWindow(hwnd); }

  static LRESULT CALLBACK proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
      ::SetWindowLongPtrA(hwnd, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams));
    }
    auto* self = reinterpret_cast<TestWindow*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (self && message == WM_INPUT) {
      self->inputs.push_back(MSG{hwnd, message, wParam, lParam, 0, {}});
      return 0;
    }
    if (self && message == WM_DEVICECHANGE && wParam == DBT_DEVNODES_CHANGED && lParam == 0) ++self->deviceChanges;
    return ::DefWindowProcA(hwnd, message, wParam, lParam);
  }
};

// Runs this thread's messages until `done` or a generous deadline.
bool pumpUntil(const std::function<bool()>& done, int timeoutMs = 10000) {
  DWORD start = ::GetTickCount();
  for (;;) {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageA(&msg);
    }
    if (done()) return true;
    if (::GetTickCount() - start > static_cast<DWORD>(timeoutMs)) return false;
    ::Sleep(5);
  }
}

bool registerFor(RawInputApi& api, HWND hwnd, DWORD flags = RIDEV_INPUTSINK) {
  RAWINPUTDEVICE device = {0xFF12, 0x01, flags, hwnd};
  return api.registerDevices(&device, 1, sizeof(device)) != FALSE;
}

void unregister(RawInputApi& api) {
  RAWINPUTDEVICE device = {0xFF12, 0x01, RIDEV_REMOVE, nullptr};
  api.registerDevices(&device, 1, sizeof(device));
}

std::vector<uint8_t> readPacket(RawInputApi& api, LPARAM token) {
  UINT size = 0;
  HRAWINPUT handle = reinterpret_cast<HRAWINPUT>(token);
  if (api.getData(handle, RID_INPUT, nullptr, &size, sizeof(RAWINPUTHEADER)) != 0) return {};
  std::vector<uint8_t> bytes(size);
  if (api.getData(handle, RID_INPUT, bytes.data(), &size, sizeof(RAWINPUTHEADER)) != bytes.size()) return {};
  return bytes;
}

// The report inside a HID packet, or empty.
std::vector<uint8_t> reportOf(const std::vector<uint8_t>& packet) {
  if (packet.size() < sizeof(RAWINPUTHEADER) + 8) return {};
  const auto* raw = reinterpret_cast<const RAWINPUT*>(packet.data());
  if (raw->header.dwType != RIM_TYPEHID) return {};
  return std::vector<uint8_t>(raw->data.hid.bRawData, raw->data.hid.bRawData + raw->data.hid.dwSizeHid);
}

// A control-channel client.
class ChannelClient {
public:
  explicit ChannelClient(uint16_t port) {
    WSADATA data;
    ::WSAStartup(MAKEWORD(2, 2), &data);
    socket_ = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    connected_ = ::connect(socket_, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0;
    DWORD timeout = 10000;
    ::setsockopt(socket_, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout), sizeof(timeout));
  }
  ~ChannelClient() { ::closesocket(socket_); }
  bool connected() const { return connected_; }

  void sendRaw(const std::string& text) { ::send(socket_, text.data(), static_cast<int>(text.size()), 0); }
  void finishSending() { ::shutdown(socket_, SD_SEND); }
  // Sends a line and reads one answer line (or, for `frames`, up to `end`).
  std::vector<std::string> ask(const std::string& line) {
    sendRaw(line + "\n");
    std::vector<std::string> lines;
    bool multi = line == "frames";
    while (true) {
      std::string l = readLine();
      if (l.empty() && closed_) break;
      lines.push_back(l);
      if (!multi || l == "end" || l.rfind("error", 0) == 0) break;
    }
    return lines;
  }
  std::string askOne(const std::string& line) {
    auto lines = ask(line);
    return lines.empty() ? "<nothing>" : lines[0];
  }
  std::string readLine() {
    for (;;) {
      size_t newline = pending_.find('\n');
      if (newline != std::string::npos) {
        std::string line = pending_.substr(0, newline);
        pending_.erase(0, newline + 1);
        return line;
      }
      char buffer[512];
      int n = ::recv(socket_, buffer, sizeof(buffer), 0);
      if (n <= 0) {
        closed_ = true;
        return "";
      }
      pending_.append(buffer, static_cast<size_t>(n));
    }
  }
  bool closed() const { return closed_; }

private:
  SOCKET socket_ = INVALID_SOCKET;
  bool connected_ = false;
  bool closed_ = false;
  std::string pending_;
};

HidBus::Handle openMouseConfiguration(HidBus& bus) {
  for (const std::string& path : bus.enumerateInterfaces()) {
    HidBus::Handle handle = bus.open(path);
    HidCapabilities caps;
    HidAttributes attributes;
    if (handle && bus.capabilities(handle, caps) && bus.attributes(handle, attributes) &&
        caps.featureReportByteLength == 9 && attributes.vendorId == 0xE0FF && attributes.productId == 0x0005)
      return handle;
    bus.close(handle);
  }
  return nullptr;
}

void sendFrame(const char* hex) {
  HidBus& bus = systemHidBus();
  HidBus::Handle handle = openMouseConfiguration(bus);
  ASSERT_NE(handle, nullptr);
  uint8_t frame[9];
  ASSERT_TRUE(parseHexBytes(hex, frame, 9));
  EXPECT_TRUE(bus.setFeature(handle, frame, 9));
  bus.close(handle);
}

TEST(VirtualRawInput, AnswersAsGetRawInputDataDoes) {
  VirtualRawInput api;
  TestWindow window;
  ASSERT_TRUE(registerFor(api, window.hwnd));
  HANDLE device = reinterpret_cast<HANDLE>(0x1004C);
  ASSERT_TRUE(api.deliver(device, VendorReport{0x00, 0x11, 0x22, 0x04, 0x05, 0x66, 0x77, 0x88}));
  ASSERT_TRUE(pumpUntil([&] { return !window.inputs.empty(); }));
  const MSG& msg = window.inputs[0];
  EXPECT_TRUE(msg.wParam == RIM_INPUT || msg.wParam == RIM_INPUTSINK);
  HRAWINPUT token = reinterpret_cast<HRAWINPUT>(msg.lParam);
  const UINT header = sizeof(RAWINPUTHEADER);
  const UINT failed = static_cast<UINT>(-1);

  // The size query.
  UINT size = 0;
  EXPECT_EQ(api.getData(token, RID_INPUT, nullptr, &size, header), 0u);
  const UINT expected = header + offsetof(RAWHID, bRawData) + 8;
  EXPECT_EQ(size, expected);
  size = 0;
  EXPECT_EQ(api.getData(token, RID_HEADER, nullptr, &size, header), 0u);
  EXPECT_EQ(size, header);

  // A buffer one byte short.
  std::vector<uint8_t> buffer(1000, 0xCC);
  size = expected - 1;
  ::SetLastError(0);
  EXPECT_EQ(api.getData(token, RID_INPUT, buffer.data(), &size, header), failed);
  EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));

  // A full read.
  size = static_cast<UINT>(buffer.size());
  ASSERT_EQ(api.getData(token, RID_INPUT, buffer.data(), &size, header), expected);
  const auto* raw = reinterpret_cast<const RAWINPUT*>(buffer.data());
  EXPECT_EQ(raw->header.dwType, static_cast<DWORD>(RIM_TYPEHID));
  EXPECT_EQ(raw->header.dwSize, expected);
  EXPECT_EQ(raw->header.hDevice, device);
  EXPECT_EQ(raw->header.wParam, msg.wParam);
  EXPECT_EQ(raw->data.hid.dwSizeHid, 8u);
  EXPECT_EQ(raw->data.hid.dwCount, 1u);
  EXPECT_EQ(hexOf(raw->data.hid.bRawData, 8), "0011220405667788");
  EXPECT_EQ(buffer[expected], 0xCC);  // nothing written past the packet

  // Unknown tokens and bad arguments.
  size = 1000;
  EXPECT_EQ(api.getData(reinterpret_cast<HRAWINPUT>(0x1234), RID_INPUT, buffer.data(), &size, header), failed);
  EXPECT_EQ(api.getData(reinterpret_cast<HRAWINPUT>(0x1234), RID_INPUT, nullptr, &size, header), failed);
  EXPECT_EQ(api.getData(token, RID_INPUT, buffer.data(), &size, header - 1), failed);
  EXPECT_EQ(api.getData(token, RID_INPUT, buffer.data(), nullptr, header), failed);
  EXPECT_EQ(api.getData(token, 0x12345, buffer.data(), &size, header), failed);
}

TEST(VirtualRawInput, DeliversOnlyToARegisteredWindow) {
  VirtualRawInput api;
  TestWindow window;
  const VendorReport report{0, 0, 0, 5, 1, 6, 0, 0};
  EXPECT_FALSE(api.deliver(nullptr, report));

  RAWINPUTDEVICE device = {0xFF12, 0x01, RIDEV_INPUTSINK, window.hwnd};
  EXPECT_FALSE(api.registerDevices(&device, 1, sizeof(device) - 1));
  EXPECT_FALSE(api.registerDevices(&device, 0, sizeof(device)));
  device.hwndTarget = nullptr;
  EXPECT_FALSE(api.registerDevices(&device, 1, sizeof(device)));  // a sink needs its window
  RAWINPUTDEVICE other = {0x0001, 0x0002, RIDEV_INPUTSINK, window.hwnd};
  EXPECT_TRUE(api.registerDevices(&other, 1, sizeof(other)));
  EXPECT_EQ(api.target(), nullptr);

  ASSERT_TRUE(registerFor(api, window.hwnd));
  EXPECT_EQ(api.target(), window.hwnd);
  EXPECT_TRUE(api.deliver(nullptr, report));
  unregister(api);
  EXPECT_FALSE(api.deliver(nullptr, report));

  // Registered without RIDEV_INPUTSINK, a window in the background gets nothing.
  TestWindow front;
  ::ShowWindow(front.hwnd, SW_SHOW);
  ::SetForegroundWindow(front.hwnd);
  if (::GetForegroundWindow() == front.hwnd) {
    ASSERT_TRUE(registerFor(api, window.hwnd, 0));
    EXPECT_FALSE(api.deliver(nullptr, report));
  }
  pumpUntil([] { return false; }, 50);
}

TEST(VirtualRawInput, HandMadePacketsKeepTheirAnnouncedSize) {
  VirtualRawInput api;
  TestWindow window;
  ASSERT_TRUE(registerFor(api, window.hwnd));
  ASSERT_TRUE(api.deliverPacket(nullptr, RIM_TYPEMOUSE, 1200, {8, 0, 0, 0, 1, 0, 0, 0}));
  ASSERT_TRUE(pumpUntil([&] { return !window.inputs.empty(); }));
  HRAWINPUT token = reinterpret_cast<HRAWINPUT>(window.inputs[0].lParam);
  UINT size = 0;
  EXPECT_EQ(api.getData(token, RID_INPUT, nullptr, &size, sizeof(RAWINPUTHEADER)), 0u);
  EXPECT_EQ(size, 1200u);
  std::vector<uint8_t> buffer(1200);
  size = 1000;
  EXPECT_EQ(api.getData(token, RID_INPUT, buffer.data(), &size, sizeof(RAWINPUTHEADER)), static_cast<UINT>(-1));
  size = 1200;
  EXPECT_EQ(api.getData(token, RID_INPUT, buffer.data(), &size, sizeof(RAWINPUTHEADER)), sizeof(RAWINPUTHEADER) + 8);
  EXPECT_EQ(reinterpret_cast<RAWINPUTHEADER*>(buffer.data())->dwType, static_cast<DWORD>(RIM_TYPEMOUSE));
}

TEST(VirtualRawInput, PacketsNeverReadAreDropped) {
  VirtualRawInput api;
  TestWindow window;
  ASSERT_TRUE(registerFor(api, window.hwnd));
  for (int i = 0; i < 300; ++i) api.deliver(nullptr, VendorReport{0, 0, 0, 4, uint8_t(i), 0, 0, 0});
  EXPECT_EQ(api.queuedPackets(), VirtualRawInput::kMaxPackets);
  ASSERT_TRUE(pumpUntil([&] { return window.inputs.size() == 300; }));
  UINT size = 0;
  HRAWINPUT first = reinterpret_cast<HRAWINPUT>(window.inputs.front().lParam);
  HRAWINPUT last = reinterpret_cast<HRAWINPUT>(window.inputs.back().lParam);
  EXPECT_EQ(api.getData(first, RID_INPUT, nullptr, &size, sizeof(RAWINPUTHEADER)), static_cast<UINT>(-1));
  EXPECT_EQ(api.getData(last, RID_INPUT, nullptr, &size, sizeof(RAWINPUTHEADER)), 0u);
}

// The process's own virtual mouse, reached through the seams and its channel.
class VirtualMouseInProcess : public ::testing::Test {
protected:
  VirtualMouseRig& rig = virtualMouseRig();
  std::vector<std::vector<INPUT>> desktopEvents;

  void SetUp() override {
    ASSERT_NE(rig.channel.port(), 0) << "the control channel is not listening";
    rig.desktop.setSender([this](const std::vector<INPUT>& events) { desktopEvents.push_back(events); });
    ChannelClient client(rig.channel.port());
    ASSERT_TRUE(client.connected());
    ASSERT_EQ(client.askOne("plug"), "ok");
    rig.bus.log().take();
  }
  void TearDown() override {
    rig.bus.setPlugged("mouse", true);
    sendFrame("000702000000000000");
    rig.bus.setPhysicalButtons("mouse", 0);
    rig.desktop.setSender(VirtualDesktopInput::systemSender());
    unregister(systemRawInput());
    pumpUntil([] { return false; }, 20);
  }
};

TEST_F(VirtualMouseInProcess, ChannelButtonsBecomeRawInputOrDesktopClicks) {
  TestWindow window;
  ASSERT_TRUE(registerFor(systemRawInput(), window.hwnd));
  ChannelClient client(rig.channel.port());
  sendFrame("000702040000000000");  // wheel reported

  EXPECT_EQ(client.askOne("buttons 04"), "ok");
  ASSERT_TRUE(pumpUntil([&] { return window.inputs.size() == 1; }));
  EXPECT_EQ(hexOf(reportOf(readPacket(systemRawInput(), window.inputs[0].lParam)).data(), 8), "0000000404000000");
  EXPECT_TRUE(desktopEvents.empty());

  EXPECT_EQ(client.askOne("buttons 05"), "ok");  // left is not masked: a desktop click
  ASSERT_EQ(desktopEvents.size(), 1u);
  ASSERT_EQ(desktopEvents[0].size(), 1u);
  EXPECT_EQ(desktopEvents[0][0].type, static_cast<DWORD>(INPUT_MOUSE));
  EXPECT_EQ(desktopEvents[0][0].mi.dwFlags, static_cast<DWORD>(MOUSEEVENTF_LEFTDOWN));
  EXPECT_EQ(client.askOne("buttons 00"), "ok");
  ASSERT_TRUE(pumpUntil([&] { return window.inputs.size() == 2; }));
  EXPECT_EQ(hexOf(reportOf(readPacket(systemRawInput(), window.inputs[1].lParam)).data(), 8), "0000000400000000");

  EXPECT_EQ(client.askOne("dpibutton"), "ok");
  EXPECT_EQ(client.askOne("report 0102030405060708"), "ok");
  ASSERT_TRUE(pumpUntil([&] { return window.inputs.size() == 4; }));
  EXPECT_EQ(hexOf(reportOf(readPacket(systemRawInput(), window.inputs[2].lParam)).data(), 8), "0000000503050000");
  EXPECT_EQ(hexOf(reportOf(readPacket(systemRawInput(), window.inputs[3].lParam)).data(), 8), "0102030405060708");

  std::vector<std::string> frames = client.ask("frames");
  EXPECT_EQ(frames, (std::vector<std::string>{"set mouse 000702040000000000", "end"}));
}

TEST_F(VirtualMouseInProcess, HeldKeysAndButtonsBecomeDesktopInput) {
  sendFrame("001501010600000000");  // left Ctrl and C
  sendFrame("001501000000000000");
  sendFrame("001502100000000000");
  ASSERT_EQ(desktopEvents.size(), 3u);
  ASSERT_EQ(desktopEvents[0].size(), 2u);
  EXPECT_EQ(desktopEvents[0][0].ki.wScan, 0x1D);
  EXPECT_EQ(desktopEvents[0][0].ki.dwFlags, static_cast<DWORD>(KEYEVENTF_SCANCODE));
  EXPECT_EQ(desktopEvents[0][1].ki.wScan, 0x2E);  // usage 6
  ASSERT_EQ(desktopEvents[1].size(), 2u);
  EXPECT_EQ(desktopEvents[1][0].ki.wScan, 0x2E);
  EXPECT_EQ(desktopEvents[1][0].ki.dwFlags, static_cast<DWORD>(KEYEVENTF_SCANCODE | KEYEVENTF_KEYUP));
  EXPECT_EQ(desktopEvents[1][1].ki.wScan, 0x1D);
  ASSERT_EQ(desktopEvents[2].size(), 1u);
  EXPECT_EQ(desktopEvents[2][0].mi.dwFlags, static_cast<DWORD>(MOUSEEVENTF_XDOWN));
  EXPECT_EQ(desktopEvents[2][0].mi.mouseData, static_cast<DWORD>(XBUTTON2));

  // Pulled out, the mouse lets go of what it held.
  ChannelClient client(rig.channel.port());
  EXPECT_EQ(client.askOne("unplug"), "ok");
  ASSERT_EQ(desktopEvents.size(), 4u);
  EXPECT_EQ(desktopEvents[3][0].mi.dwFlags, static_cast<DWORD>(MOUSEEVENTF_XUP));
  EXPECT_EQ(client.askOne("state"),
            "mask=00 modifiers=00 keys=00,00,00,00,00 buttons=00 dpi=0,1,3,5 level=2 physical=00 plugged=0");
  EXPECT_EQ(openMouseConfiguration(systemHidBus()), nullptr);
}

TEST_F(VirtualMouseInProcess, DeviceChangesAreAnnouncedToTheProcessWindows) {
  TestWindow window;
  ChannelClient client(rig.channel.port());
  EXPECT_EQ(client.askOne("unplug"), "ok");
  EXPECT_EQ(client.askOne("plug"), "ok");
  EXPECT_EQ(client.askOne("add hid 2"), "ok");
  ASSERT_TRUE(pumpUntil([&] { return window.deviceChanges == 3; }));
  EXPECT_EQ(client.askOne("buttons zz"), "error usage: buttons <hex byte> [device]");
  pumpUntil([] { return false; }, 100);
  EXPECT_EQ(window.deviceChanges, 3);
}

TEST_F(VirtualMouseInProcess, ChannelServesSeveralConnectionsAndAnswersErrors) {
  ChannelClient first(rig.channel.port());
  ChannelClient second(rig.channel.port());
  ASSERT_TRUE(first.connected() && second.connected());
  // Several commands in one write, with Windows line ends.
  first.sendRaw("state\r\nfly away\r\n\r\nbuttons 1ff\n");
  EXPECT_EQ(first.readLine().rfind("mask=00 ", 0), 0u);
  EXPECT_EQ(first.readLine(), "error unknown command 'fly' (try help)");
  EXPECT_EQ(first.readLine(), "error usage: buttons <hex byte> [device]");
  EXPECT_EQ(second.askOne("report 12"), "error usage: report <16 hex digits> [device]");
  EXPECT_EQ(second.askOne("state mouse7"), "error no device 'mouse7'");
  EXPECT_EQ(first.askOne("quit"), "ok");
  first.readLine();
  EXPECT_TRUE(first.closed());
  EXPECT_EQ(second.askOne("dpibutton"), "ok");

  ChannelClient flood(rig.channel.port());
  flood.sendRaw(std::string(ControlChannel::kMaxLine + 10, 'x'));
  EXPECT_EQ(flood.readLine(), "error line too long");
}

TEST(ControlChannelLife, OnePortOneChannelAndStopEndsEveryConnection) {
  ControlChannel channel([](const std::string& line) { return ControlAnswer{{"echo " + line}, false}; });
  ASSERT_TRUE(channel.start(0));
  const uint16_t port = channel.port();
  ASSERT_NE(port, 0);
  ControlChannel rival([](const std::string&) { return ControlAnswer{}; });
  EXPECT_FALSE(rival.start(channel.port()));

  ChannelClient idle(channel.port());
  ChannelClient talking(channel.port());
  ASSERT_TRUE(idle.connected() && talking.connected());
  EXPECT_EQ(talking.askOne("hello"), "echo hello");
  talking.sendRaw("last line without its end");
  talking.finishSending();
  EXPECT_EQ(talking.readLine(), "echo last line without its end");

  channel.stop();  // must not wait for the idle client
  EXPECT_EQ(channel.port(), 0);
  idle.readLine();
  EXPECT_TRUE(idle.closed());
  ChannelClient late(port);
  EXPECT_FALSE(late.connected());
}

TEST(DesktopInputEvents, KeysGoDownModifiersFirstAndUpModifiersLast) {
  auto press = keyTransitionEvents(0, {}, 0x81, {0x4F, 0x04, 0x04, 0, 0});
  ASSERT_EQ(press.size(), 4u);
  EXPECT_EQ(press[0].ki.wScan, 0x1D);  // left Ctrl
  EXPECT_EQ(press[1].ki.wScan, 0x5C);  // right GUI, extended
  EXPECT_EQ(press[1].ki.dwFlags, static_cast<DWORD>(KEYEVENTF_SCANCODE | KEYEVENTF_EXTENDEDKEY));
  EXPECT_EQ(press[2].ki.wScan, 0x4D);  // Right arrow, extended
  EXPECT_EQ(press[2].ki.dwFlags, static_cast<DWORD>(KEYEVENTF_SCANCODE | KEYEVENTF_EXTENDEDKEY));
  EXPECT_EQ(press[3].ki.wScan, 0x1E);  // A, once although in two slots

  auto release = keyTransitionEvents(0x81, {0x4F, 0x04, 0, 0, 0}, 0x01, {0x04, 0, 0, 0, 0});
  ASSERT_EQ(release.size(), 2u);
  EXPECT_EQ(release[0].ki.wScan, 0x4D);
  EXPECT_TRUE(release[0].ki.dwFlags & KEYEVENTF_KEYUP);
  EXPECT_EQ(release[1].ki.wScan, 0x5C);
  EXPECT_TRUE(release[1].ki.dwFlags & KEYEVENTF_KEYUP);

  EXPECT_TRUE(keyTransitionEvents(0, {}, 0, {0x01, 0x03, 0xA5, 0, 0}).empty());  // no keys behind these usages
  auto pause = keyTransitionEvents(0, {}, 0, {0x48, 0, 0, 0, 0});
  ASSERT_EQ(pause.size(), 1u);
  EXPECT_EQ(pause[0].ki.wVk, VK_PAUSE);
}

TEST(DesktopInputEvents, ScanCodesOfTheKeyboardPage) {
  EXPECT_EQ(driverScanCode(0x04), 0x1Eu);
  EXPECT_EQ(driverScanCode(0x1D), 0x2Cu);  // Z
  EXPECT_EQ(driverScanCode(0x27), 0x0Bu);  // 0
  EXPECT_EQ(driverScanCode(0x2C), 0x39u);  // Space
  EXPECT_EQ(driverScanCode(0x45), 0x58u);  // F12
  EXPECT_EQ(driverScanCode(0x46), 0xE037u);
  EXPECT_EQ(driverScanCode(0x58), 0xE01Cu);
  EXPECT_EQ(driverScanCode(0x73), 0x76u);  // F24
  EXPECT_EQ(driverScanCode(0xE6), 0xE038u);
  EXPECT_EQ(driverScanCode(0x74), 0u);
}

TEST(DesktopInputEvents, ButtonsLowestBitFirst) {
  auto down = buttonTransitionEvents(0x00, 0x1F);
  ASSERT_EQ(down.size(), 5u);
  const DWORD flags[] = {MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_MIDDLEDOWN, MOUSEEVENTF_XDOWN,
                         MOUSEEVENTF_XDOWN};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(down[i].mi.dwFlags, flags[i]) << i;
  EXPECT_EQ(down[3].mi.mouseData, static_cast<DWORD>(XBUTTON1));
  EXPECT_EQ(down[4].mi.mouseData, static_cast<DWORD>(XBUTTON2));
  auto up = buttonTransitionEvents(0x1F, 0x1B);
  ASSERT_EQ(up.size(), 1u);
  EXPECT_EQ(up[0].mi.dwFlags, static_cast<DWORD>(MOUSEEVENTF_MIDDLEUP));
}

}  // namespace
