// The virtual mouse's Windows side: raw input as GetRawInputData gives it,
// and the control channel over a real socket.
#include <winsock2.h>
#include <windows.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "input/Seams.h"
#include "vmouse/VirtualMouseRig_win.h"
#include "tests/win/PumpMessages.h"
#include "tests/win/VirtualMouseCommand.h"

std::vector<std::string> virtualMouseCommand(const std::string& line) {
  return virtualMouseRig().m_commands.execute(line).lines;
}

namespace {

// A plain top-level window that records the raw input it is sent.
struct TestWindow {
  HWND hwnd = nullptr;
  std::vector<MSG> inputs;

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
    return ::DefWindowProcA(hwnd, message, wParam, lParam);
  }
};

TEST(VirtualRawInput, AnswersAsGetRawInputDataDoes) {
  VirtualRawInput api;
  TestWindow window;
  RAWINPUTDEVICE registration = {0xFF12, 0x01, RIDEV_INPUTSINK, window.hwnd};
  ASSERT_TRUE(api.registerDevices(&registration, 1, sizeof(registration)));
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

// A control-channel client that reads answers line by line.
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
  bool closed() const { return closed_; }

  void sendRaw(const std::string& text) { ::send(socket_, text.data(), static_cast<int>(text.size()), 0); }
  std::string askOne(const std::string& line) {
    sendRaw(line + "\n");
    return readLine();
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

private:
  SOCKET socket_ = INVALID_SOCKET;
  bool connected_ = false;
  bool closed_ = false;
  std::string pending_;
};

size_t threadsOfThisProcess() {
  HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  size_t count = 0;
  THREADENTRY32 entry = {};
  entry.dwSize = sizeof(entry);
  for (BOOL more = ::Thread32First(snapshot, &entry); more; more = ::Thread32Next(snapshot, &entry))
    if (entry.th32OwnerProcessID == ::GetCurrentProcessId()) ++count;
  ::CloseHandle(snapshot);
  return count;
}

TEST(VirtualMouseChannel, ServesConnectionsAtOnceWithoutThreadsOfTheirOwn) {
  VirtualMouseRig& rig = virtualMouseRig();
  const size_t threads = threadsOfThisProcess();
  std::vector<std::unique_ptr<ChannelClient>> clients;
  for (int i = 0; i < 3; ++i) {
    clients.push_back(std::make_unique<ChannelClient>(rig.m_channel.port()));
    ASSERT_TRUE(clients.back()->connected());
  }
  // Answered in any order, each on its own connection, all still open.
  for (int round = 0; round < 2; ++round)
    for (auto it = clients.rbegin(); it != clients.rend(); ++it)
      EXPECT_EQ((*it)->askOne("state").rfind("mask=", 0), 0u);
  EXPECT_EQ(threadsOfThisProcess(), threads);
}

TEST(VirtualMouseChannel, AnswersOverASocketAndRefusesBadInput) {
  VirtualMouseRig& rig = virtualMouseRig();
  ASSERT_NE(rig.m_channel.port(), 0) << "the control channel is not listening";
  ChannelClient client(rig.m_channel.port());
  ASSERT_TRUE(client.connected());
  ASSERT_EQ(client.askOne("plug"), "ok");
  // Several commands in one write, with Windows line ends.
  client.sendRaw("state\r\nfly away\r\n\r\nbuttons 1ff\n");
  EXPECT_EQ(client.readLine().rfind("mask=", 0), 0u);
  EXPECT_EQ(client.readLine(), "error unknown command 'fly' (try help)");
  EXPECT_EQ(client.readLine(), "error usage: buttons <hex byte> [device]");
  EXPECT_EQ(client.askOne("report 12"), "error usage: report <16 hex digits> [device]");
  EXPECT_EQ(client.askOne("state mouse7"), "error no device 'mouse7'");
  EXPECT_EQ(client.askOne("quit"), "ok");
  client.readLine();
  EXPECT_TRUE(client.closed());

  ChannelClient flood(rig.m_channel.port());
  flood.sendRaw(std::string(ControlChannel::kMaxLine + 10, 'x'));
  EXPECT_EQ(flood.readLine(), "error line too long");
}

TEST(VirtualMouseRig, HeapFiguresCountABlockWhileItIsHeld) {
  VirtualMouseRig& rig = virtualMouseRig();
  const DWORD size = 77777;  // a size nothing else here allocates
  const std::string entry = " " + std::to_string(size) + ":1";
  void* block = ::HeapAlloc(::GetProcessHeap(), 0, size);
  ASSERT_NE(block, nullptr);
  const std::string held = rig.heapFigures(true);
  ::HeapFree(::GetProcessHeap(), 0, block);
  const std::string freed = rig.heapFigures(true);
  EXPECT_NE(held.find(entry), std::string::npos) << held.substr(0, 200);
  EXPECT_EQ(freed.find(entry), std::string::npos);
  EXPECT_EQ(rig.heapFigures(false).find(':'), std::string::npos);
}

}  // namespace
