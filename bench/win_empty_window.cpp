// The reference for bench/win_perf: the cheapest window of the main window's
// size, a popup with a registered class, created and shown, painting nothing
// but its background. With "hidden" on the command line it is created but
// never shown. WM_CLOSE ends it.
#include <windows.h>

#include <cstring>

namespace {
LRESULT CALLBACK emptyProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) {
    ::PostQuitMessage(0);
    return 0;
  }
  return ::DefWindowProcA(window, message, wParam, lParam);
}
}  // namespace

int main(int argc, char** argv) {
  HINSTANCE instance = ::GetModuleHandleA(nullptr);
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = emptyProc;
  windowClass.hInstance = instance;
  windowClass.hbrBackground = static_cast<HBRUSH>(::GetStockObject(GRAY_BRUSH));
  windowClass.lpszClassName = "EmptyReferenceWindow";
  ::RegisterClassA(&windowClass);
  HWND window = ::CreateWindowExA(0, windowClass.lpszClassName, "Empty reference window", WS_POPUP, 100, 100, 618, 490,
                                  nullptr, nullptr, instance, nullptr);
  if (!window) return 1;
  if (!(argc > 1 && std::strcmp(argv[1], "hidden") == 0)) ::ShowWindow(window, SW_SHOW);
  MSG msg;
  while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
  }
  return 0;
}
