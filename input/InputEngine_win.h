// The Win32 side of the input engine: reading the mouse's report out of a
// raw-input packet, and the input the program injects into the desktop itself.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <vector>

#include "input/InputEngine.h"

class HidLink;
class RawInputApi;
class RawInputMice;

// Packets of this size or more are not read.
constexpr UINT kRawInputBufferSize = 1000;

// Reads the packet behind `handle` and copies its HID reports into
// `reports`, in order, and the device that sent it into `device`. False,
// with `reports` empty, when the packet is dropped: too big, not what was
// announced, not from a HID device, or carrying no report.
bool readHidReports(RawInputApi& api, HRAWINPUT handle, std::vector<std::vector<uint8_t>>& reports, HANDLE& device);

// One WM_INPUT: when it comes from a collection of the mouse, each of the
// packet's reports goes to the engine in turn, as that mouse's.
void onRawInput(InputEngine& engine, RawInputApi& api, RawInputMice& mice, HRAWINPUT handle);

// Keyboard and mouse input that the program sends to the desktop itself, for
// the functions the mouse cannot carry out.
class DesktopInput {
public:
  virtual ~DesktopInput() = default;
  // Alt+F4 by scan codes: the foreground window is asked to close.
  void closeCurrentWindow();
  // Two left clicks at the pointer, 10 ms apart; blocks the caller for 30 ms.
  void doubleClick();

  // Marks the double-click's events as the program's own.
  static constexpr ULONG_PTR kDoubleClickExtraInfo = 0x4C2;

protected:
  virtual UINT sendInput(INPUT& input);
  virtual void sleep(DWORD milliseconds);
  virtual LPARAM messageExtraInfo();

private:
  void sendKey(WORD scanCode, bool up);
  void sendLeftButton(DWORD flag);
};

// The engine's outside world in the running program: the mouse through the HID
// link, the desktop through DesktopInput, and the window's DPI display.
class MainWindowInput : public InputEngineOutput {
public:
  using DpiDisplay = std::function<void(int step)>;
  // The frames go through `link`, which must outlive this output.
  MainWindowInput(HidLink& link, DpiDisplay showDpi) : m_hidLink(link), m_showDpi(std::move(showDpi)) {}

  void exchangeFrame(const FeatureFrame& request) override;
  void sendToEveryMouse(const FeatureFrame& frame) override;
  bool exchangeFrameWith(const std::string& mouse, const FeatureFrame& request) override;
  void closeCurrentWindow() override { m_desktop.closeCurrentWindow(); }
  void doubleClick() override { m_desktop.doubleClick(); }
  void showDpiState(int step) override {
    if (m_showDpi) m_showDpi(step);
  }
  // Where a level chosen with the mouse's own DPI button is shown as well.
  using DpiChoiceDisplay = std::function<void(int level, int step)>;
  void setDpiChoiceDisplay(DpiChoiceDisplay showChoice) { m_showDpiChoice = std::move(showChoice); }
  void showDpiChoice(int level, int step) override {
    if (m_showDpiChoice) m_showDpiChoice(level, step);
  }

  DesktopInput m_desktop;

private:
  HidLink& m_hidLink;
  DpiDisplay m_showDpi;
  DpiChoiceDisplay m_showDpiChoice;
};
