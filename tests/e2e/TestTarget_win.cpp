// A plain test window with a text box: the target of injected keystrokes and
// of the close-window function. Title from the command line ("Target" if none).
#include <windows.h>

namespace {
HWND edit = nullptr;

LRESULT CALLBACK targetProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      edit = CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", "", WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, 10, 10, 260, 24,
                             hwnd, reinterpret_cast<HMENU>(100), nullptr, nullptr);
      return 0;
    case WM_SETFOCUS:
      SetFocus(edit);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}
}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  WNDCLASSA wc = {};
  wc.lpfnWndProc = targetProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = "SkivolTestTarget";
  RegisterClassA(&wc);
  const char* title = (commandLine && *commandLine) ? commandLine : "Target";
  HWND hwnd = CreateWindowA("SkivolTestTarget", title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 300, 100, nullptr,
                            nullptr, instance, nullptr);
  SetForegroundWindow(hwnd);
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return 0;
}
