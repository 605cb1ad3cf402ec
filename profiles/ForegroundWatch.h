// Which program's window is in front, told the moment it changes, without a
// polling timer: window events, taken out of context on the window thread.
//
// EVENT_SYSTEM_FOREGROUND is what Windows sends when another window comes to
// the front. Wine 8 never sends it, but does send EVENT_OBJECT_FOCUS across
// processes whenever a window takes the keyboard focus, which a window coming
// to the front does; both are hooked, and each asks which window is in front,
// so a focus move inside one program costs two quick calls and nothing more.
// Under Wine a program may also quit with no event at all (no window takes
// the front after it, and no window's end is told), so while a program's own
// rows are in force the main window asks again every second.
#pragma once
#include <windows.h>

#include <functional>
#include <map>
#include <string>

class ForegroundWatch {
public:
  // Called with the file name of the program in front ("game.exe", UTF-8),
  // or "" for this program's own windows and when no window is in front.
  using Changed = std::function<void(const std::string& program)>;

  ForegroundWatch() = default;
  ~ForegroundWatch() { stop(); }
  ForegroundWatch(const ForegroundWatch&) = delete;
  ForegroundWatch& operator=(const ForegroundWatch&) = delete;

  // On the window thread, whose message loop delivers the events. One watch
  // runs per process. False when neither hook could be set.
  bool start(Changed changed);
  void stop();

  // The program's name in a path to its executable: the file name, UTF-8.
  static std::string programNameOf(const wchar_t* path);
  // The program of `window`'s process, as above; "" when it cannot be told.
  std::string programOf(HWND window);
  // Looks at the window in front now and calls `changed` when its program is
  // another than the last one told.
  void check();
  const std::string& programInFront() const { return m_program; }

private:
  static void CALLBACK onEvent(HWINEVENTHOOK, DWORD, HWND, LONG, LONG, DWORD, DWORD);

  struct Known {
    ULONGLONG started = 0;  // the process's creation time: a reused id is another process
    std::string program;
  };
  // Image names, asked once per process.
  std::map<DWORD, Known> m_known;
  HWINEVENTHOOK m_foregroundHook = nullptr;
  HWINEVENTHOOK m_focusHook = nullptr;
  HWND m_window = nullptr;  // in front when last looked
  std::string m_program;
  Changed m_changed;
};
