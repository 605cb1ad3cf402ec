// Where the main window's start spends its time: each step of it timed on its
// own, in this process (which has already paid for loading the system DLLs),
// as the median of several fresh runs, with its share of the steps that come
// before the window is shown. Compare that sum with "process start -> main
// window mapped" of bench/win_perf: the rest is process start and DLL
// loading. The tray icon comes after the window is shown. Figures only.
//
//   win_startup_steps [rounds]      default: 15
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "app/ProcessObjects.h"
#include "controls/BitmapRegion.h"
#include "controls/KeyTable.h"
#include "device/HidLink.h"
#include "device/Win32HidBus.h"
#include "texts/UiTexts.h"
#include "resource.h"

namespace {

double nowMs() {
  LARGE_INTEGER frequency, t;
  ::QueryPerformanceFrequency(&frequency);
  ::QueryPerformanceCounter(&t);
  return 1000.0 * static_cast<double>(t.QuadPart) / static_cast<double>(frequency.QuadPart);
}

HBITMAP load(UINT id) {
  return static_cast<HBITMAP>(::LoadImageA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, 0));
}

INT_PTR CALLBACK plainDialog(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

enum class Part {
  BeforeShown,  // a step of the start before the window is shown
  OfTheAbove,   // a part of the step above it, shown for what it costs
  AfterShown,   // a step once the window is on the screen
};

struct Step {
  const char* name;
  std::function<void()> run;
  // Untimed, after each run: undoes what the start would keep.
  std::function<void()> undo = [] {};
  Part part = Part::BeforeShown;
};

// What a step made and `undo` destroys.
HWND made = nullptr;
void destroyMade() {
  ::DestroyWindow(made);
  made = nullptr;
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::atoi(argv[1]) : 15;
  HINSTANCE instance = ::GetModuleHandleA(nullptr);
  char module[MAX_PATH] = {};
  ::GetModuleFileNameA(nullptr, module, MAX_PATH);
  std::string directory(module);
  directory = directory.substr(0, directory.find_last_of("\\/") + 1);

  HWND owner = ::CreateWindowA("STATIC", "owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, instance, nullptr);
  const UINT skinIds[] = {IDB_SKIN, IDB_SKIN, IDB_CLOSE_NORMAL, IDB_CLOSE_HOVER, IDB_CLOSE_PRESSED,
                          IDB_MINIMIZE_NORMAL, IDB_MINIMIZE_HOVER, IDB_MINIMIZE_PRESSED, IDB_DEFAULT_NORMAL,
                          IDB_DEFAULT_HOVER, IDB_DEFAULT_PRESSED, IDB_COMBO_FRAME, IDB_COMBO_ARROW,
                          IDB_COMBO_ARROW_HOVER, IDB_COMBO_ARROW_DISABLED};
  const UINT headingIds[] = {IDB_HEADING_BUTTONS_EN, IDB_HEADING_DPI_EN, IDB_HEADING_BUTTONS_DE, IDB_HEADING_DPI_DE,
                             IDB_HEADING_BUTTONS_FR, IDB_HEADING_DPI_FR, IDB_HEADING_BUTTONS_ES, IDB_HEADING_DPI_ES,
                             IDB_HEADING_BUTTONS_IT, IDB_HEADING_DPI_IT};
  // The shapes the skinned controls take: three buttons, four combo boxes
  // with a frame and an arrow each.
  HBITMAP close = load(IDB_CLOSE_NORMAL), minimize = load(IDB_MINIMIZE_NORMAL), def = load(IDB_DEFAULT_NORMAL);
  HBITMAP frame = load(IDB_COMBO_FRAME), arrow = load(IDB_COMBO_ARROW);
  HICON trayIcon = static_cast<HICON>(::LoadImageA(instance, MAKEINTRESOURCEA(IDI_TRAY_0), IMAGE_ICON, 24, 24, 0));

  const std::vector<Step> steps = {
      {"HID scan (system HID services)",
       [] {
         Win32HidBus bus;
         HidLink link(bus);
         link.scan();
       }},
      {"texts: registry value and lang.ini",
       [&] {
         UiTexts texts;
         loadUiTexts(texts, CString(directory.c_str()));
       }},
      {"heading bitmaps, five languages",
       [&] {
         for (UINT id : headingIds) ::DeleteObject(load(id));
       }},
      {"key table", [] { keyTable.load([] { return std::string(); }); loadKeyTable(); }},
      {"skin bitmaps (LoadImage)",
       [&] {
         for (UINT id : skinIds) ::DeleteObject(load(id));
       }},
      {"regions from bitmaps (11 shapes)",
       [&] {
         std::vector<BitmapShape> shapes;
         for (HBITMAP b : {close, minimize, def}) shapes.push_back(buildRegionFromBitmap(b));
         for (int n = 0; n < 4; ++n) {
           shapes.push_back(buildRegionFromBitmap(frame));
           shapes.push_back(buildRegionFromBitmap(arrow));
         }
       }},
      {"fonts",
       [] {
         for (int n = 0; n < 5; ++n) {
           HFONT font = ::CreateFontA(n < 2 ? -16 : -14, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0,
                                      "Tahoma");
           ::DeleteObject(font);
         }
       }},
      {"main dialog from its template",
       [&] { made = ::CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_MAIN), nullptr, plainDialog, 0); },
       destroyMade},
      // What makes the template dear: under Wine each drop-down list is a
      // top-level window of its own, hidden until it drops down.
      {"of it, one drop-down combo box",
       [&] {
         made = ::CreateWindowA("COMBOBOX", "", WS_CHILD | CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS, 0, 0,
                                210, 244, owner, nullptr, instance, nullptr);
       },
       destroyMade, Part::OfTheAbove},
      {"a hidden top-level window",
       [&] { made = ::CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 210, 220, nullptr, nullptr, instance, nullptr); },
       destroyMade, Part::OfTheAbove},
      {"magnifier dialog from its template",
       [&] { made = ::CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_ZOOM), owner, plainDialog, 0); }, destroyMade},
      {"tray icon and its balloon",
       [&] {
         // A new icon each time; they go with the window at the end (removing
         // one is slow under Wine and no part of the start).
         static UINT id = 0;
         NOTIFYICONDATAA data = {};
         data.cbSize = NOTIFYICONDATAA_V2_SIZE;
         data.hWnd = owner;
         data.uID = ++id;
         data.uFlags = NIF_ICON | NIF_TIP;
         data.hIcon = trayIcon;
         ::Shell_NotifyIconA(NIM_ADD, &data);
         data.uFlags |= NIF_INFO;
         data.dwInfoFlags = NIIF_INFO;
         data.uTimeout = 3000;
         ::Shell_NotifyIconA(NIM_MODIFY, &data);
       },
       [] {}, Part::AfterShown},
  };

  std::vector<double> medians;
  double sum = 0;
  for (const Step& step : steps) {
    step.run();  // once to warm caches the program would not have warm either way
    step.undo();
    std::vector<double> times;
    for (int r = 0; r < rounds; ++r) {
      const double t = nowMs();
      step.run();
      times.push_back(nowMs() - t);
      step.undo();
    }
    std::sort(times.begin(), times.end());
    medians.push_back(times[times.size() / 2]);
    if (step.part == Part::BeforeShown) sum += medians.back();
  }
  std::printf("%-40s %10s %7s\n", "step", "ms", "share");
  bool sumPrinted = false;
  for (size_t n = 0; n < steps.size(); ++n) {
    if (steps[n].part == Part::AfterShown && !sumPrinted) {
      std::printf("%-40s %10.3f\n", "sum of the steps before it is shown", sum);
      std::printf("after the window is shown:\n");
      sumPrinted = true;
    }
    std::printf("%s%-*s %10.3f %6.1f%%\n", steps[n].part == Part::OfTheAbove ? "  " : "",
                steps[n].part == Part::OfTheAbove ? 38 : 40, steps[n].name, medians[n], 100.0 * medians[n] / sum);
  }
  ::DestroyWindow(owner);
  return 0;
}
