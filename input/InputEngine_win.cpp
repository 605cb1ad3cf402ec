#include "input/InputEngine_win.h"

#include <cstddef>
#include <cstring>

#include "device/HidLink.h"
#include "input/RawInputApi.h"
#include "input/RawInputMice_win.h"
#include "input/RawInputPacket.h"

namespace {
constexpr UINT kHeaderSize = sizeof(RAWINPUTHEADER);
static_assert(offsetof(RAWINPUT, header.dwType) == RawInputPacket::kTypeOffset &&
                  offsetof(RAWINPUT, data.hid.dwSizeHid) == RawInputPacket::kSizeHidOffset &&
                  offsetof(RAWINPUT, data.hid.dwCount) == RawInputPacket::kCountOffset &&
                  offsetof(RAWINPUT, data.hid.bRawData) == RawInputPacket::kDataOffset &&
                  RIM_TYPEHID == RawInputPacket::kTypeHid,
              "the portable packet layout is the system's");

constexpr WORD kLeftAltScanCode = 0x38;
constexpr WORD kF4ScanCode = 0x3E;
constexpr DWORD kClickPause = 10;
}  // namespace

bool readHidReports(RawInputApi& api, HRAWINPUT handle, std::vector<std::vector<uint8_t>>& reports, HANDLE& device) {
  reports.clear();
  device = nullptr;
  UINT announced = 0;
  if (api.getData(handle, RID_INPUT, nullptr, &announced, kHeaderSize) == static_cast<UINT>(-1)) return false;
  if (announced >= kRawInputBufferSize) return false;

  // Aligned for the header's handle and the HID block's counters.
  alignas(RAWINPUT) uint8_t buffer[kRawInputBufferSize] = {};
  UINT capacity = announced;
  const UINT got = api.getData(handle, RID_INPUT, buffer, &capacity, kHeaderSize);
  if (got != announced) return false;
  if (!hidReports(buffer, got, reports)) return false;
  device = reinterpret_cast<const RAWINPUT*>(buffer)->header.hDevice;
  return true;
}

void onRawInput(InputEngine& engine, RawInputApi& api, RawInputMice& mice, HRAWINPUT handle) {
  std::vector<std::vector<uint8_t>> reports;
  HANDLE device = nullptr;
  if (!readHidReports(api, handle, reports, device)) return;
  // Another maker's collection on the same usage page and usage must not
  // press keys or set the DPI.
  const RawInputMice::Mouse mouse = mice.identify(api, device);
  if (!mouse.ofModel) return;
  for (const std::vector<uint8_t>& report : reports) engine.onReport(mouse.device, report.data(), report.size());
}

UINT DesktopInput::sendInput(INPUT& input) {
  // Windows takes the key of a scan-code event from the scan code and ignores
  // the virtual key. Wine delivers such an event with virtual key 0, which no
  // window acts on, so the key the scan code stands for is filled in; Windows
  // still ignores it.
  if (input.type == INPUT_KEYBOARD && (input.ki.dwFlags & KEYEVENTF_SCANCODE) && input.ki.wVk == 0)
    input.ki.wVk = static_cast<WORD>(::MapVirtualKeyA(input.ki.wScan, MAPVK_VSC_TO_VK));
  return ::SendInput(1, &input, sizeof(INPUT));
}

void DesktopInput::sleep(DWORD milliseconds) { ::Sleep(milliseconds); }

LPARAM DesktopInput::messageExtraInfo() { return ::GetMessageExtraInfo(); }

void DesktopInput::sendKey(WORD scanCode, bool up) {
  INPUT input = {};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = 0;
  input.ki.wScan = scanCode;
  input.ki.dwFlags = KEYEVENTF_SCANCODE | (up ? KEYEVENTF_KEYUP : 0);
  input.ki.time = 0;
  input.ki.dwExtraInfo = static_cast<ULONG_PTR>(messageExtraInfo());
  sendInput(input);
}

void DesktopInput::closeCurrentWindow() {
  sendKey(kLeftAltScanCode, false);
  sendKey(kF4ScanCode, false);
  sendKey(kF4ScanCode, true);
  sendKey(kLeftAltScanCode, true);
}

void DesktopInput::sendLeftButton(DWORD flag) {
  INPUT input = {};
  input.type = INPUT_MOUSE;
  input.mi.dx = 0;
  input.mi.dy = 0;
  input.mi.mouseData = 0;
  input.mi.dwFlags = flag;
  input.mi.time = 0;
  input.mi.dwExtraInfo = kDoubleClickExtraInfo;
  sendInput(input);
}

void DesktopInput::doubleClick() {
  sendLeftButton(MOUSEEVENTF_LEFTDOWN);
  sleep(kClickPause);
  sendLeftButton(MOUSEEVENTF_LEFTUP);
  sleep(kClickPause);
  sendLeftButton(MOUSEEVENTF_LEFTDOWN);
  sleep(kClickPause);
  sendLeftButton(MOUSEEVENTF_LEFTUP);
}

void MainWindowInput::exchangeFrame(const FeatureFrame& request) {
  // The mouse's answer means nothing to the program.
  FeatureFrame reply;
  m_hidLink.exchangeFeature(request, reply);
}

void MainWindowInput::sendToEveryMouse(const FeatureFrame& frame) { m_hidLink.sendFeature(frame); }

bool MainWindowInput::exchangeFrameWith(const std::string& mouse, const FeatureFrame& request) {
  FeatureFrame reply;
  return m_hidLink.exchangeFeatureOn(mouse, request, reply);
}
