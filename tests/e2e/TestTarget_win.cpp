// A plain test window with a text box: the target of injected keystrokes and
// of the close-window function. Title from the command line ("Target" if none).
// Mouse buttons pressed over the bare window are written into a label
// (control 101) as L, R, M, X1 and X2. Where the pointer last moved over the
// bare window is kept, as "x,y" in client coordinates, in a hidden label
// (control 102): injected clicks land where the system's pointer is, which
// can lag behind the display's.
#include <windows.h>

#include <string>

namespace {
HWND edit = nullptr;
HWND clicks = nullptr;
HWND pointer = nullptr;

void noteClick(const char* button) {
  std::string text(256, '\0');
  text.resize(static_cast<size_t>(GetWindowTextA(clicks, &text[0], static_cast<int>(text.size()))));
  SetWindowTextA(clicks, (text + button).c_str());
}

LRESULT CALLBACK targetProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      edit = CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", "", WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, 10, 10, 260, 24,
                             hwnd, reinterpret_cast<HMENU>(100), nullptr, nullptr);
      clicks = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 10, 40, 200, 20, hwnd,
                               reinterpret_cast<HMENU>(101), nullptr, nullptr);
      pointer = CreateWindowExA(0, "STATIC", "", WS_CHILD, 0, 0, 0, 0, hwnd, reinterpret_cast<HMENU>(102), nullptr,
                                nullptr);
      return 0;
    case WM_MOUSEMOVE: {
      char text[32];
      wsprintfA(text, "%d,%d", static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)));
      SetWindowTextA(pointer, text);
      return 0;
    }
    case WM_LBUTTONDOWN:
      noteClick("L");
      return 0;
    case WM_RBUTTONDOWN:
      noteClick("R");
      return 0;
    case WM_MBUTTONDOWN:
      noteClick("M");
      return 0;
    case WM_XBUTTONDOWN:
      noteClick(GET_XBUTTON_WPARAM(wParam) == XBUTTON1 ? "X1" : "X2");
      return TRUE;
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
  // A title with blanks arrives quoted.
  std::string title = (commandLine && *commandLine) ? commandLine : "Target";
  if (title.size() >= 2 && title.front() == '"' && title.back() == '"') title = title.substr(1, title.size() - 2);
  HWND hwnd = CreateWindowA("SkivolTestTarget", title.c_str(), WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 300, 100, nullptr,
                            nullptr, instance, nullptr);
  SetForegroundWindow(hwnd);
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return 0;
}
