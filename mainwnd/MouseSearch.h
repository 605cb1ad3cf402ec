// Looking for the mice, on the window's side: a while after the start; a
// while after the last of a burst of device changes; at once when a mouse
// came or was given back after sleep or a lock. Each search runs on a worker
// (RescanWorker.h); a mouse it found gets the settings' DPI steps back, and
// PostScan once it has settled.
#pragma once
#include <windows.h>

#include "mainwnd/RescanWorker.h"

class CWnd;
class DpiPanel;
class MouseInput;

class MouseSearch {
public:
  static constexpr UINT_PTR kRescanTimer = 103;
  static constexpr UINT kFirstRescanDelayMs = 1000;
  // A burst of device changes yields one search this long after the last.
  static constexpr UINT kRescanAfterChangeMs = 5000;
  static constexpr UINT_PTR kPostScanTimer = 122;
  static constexpr UINT kPostScanDelayMs = 700;

  // What the search asks of the window: the windows the worker touches.
  class Window {
  public:
    virtual RescanWindows rescanWindows() = 0;

  protected:
    ~Window() = default;
  };

  MouseSearch(CWnd& window, Window& windows, MouseInput& input, DpiPanel& dpi)
      : m_window(window), m_windows(windows), m_input(input), m_dpi(dpi) {}

  // The first search, a while after the start.
  void start();
  // Looks now, not after the wait for the end of a burst of device changes;
  // until then, what the mice report is no choice of the user's.
  void now();
  // WM_DEVICECHANGE's DBT_DEVNODES_CHANGED.
  void onDeviceNodesChanged();
  // WM_INPUT_DEVICE_CHANGE.
  void onInputDeviceChange(WPARAM change, HANDLE device);
  // WM_APP_START_POSTSCAN: the worker found the mouse.
  void onMouseFound();
  // WM_APP_MICE_CHANGED.
  void onMiceChanged(bool someWent);
  // True for the search's own timers.
  bool onTimer(UINT_PTR id);

private:
  void startWorker();

  CWnd& m_window;
  Window& m_windows;
  MouseInput& m_input;
  DpiPanel& m_dpi;
};
