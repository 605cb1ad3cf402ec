// Reads the state of another program's windows for end-to-end tests, which
// cannot see inside a Wine window from X. One line of "key=value" pairs:
//
//   WinProbe window <title>        hwnd, visible, iconic, client size, position,
//                                  extended style
//   WinProbe control <title> <id>  enabled, visible, text, combo selection,
//                                  item data and list item height, slider
//                                  position, window rect
//   WinProbe tray <title> <id>     present: whether the shell holds that
//                                  window's icon
//   WinProbe tray-forget <title> <id>  the shell drops the icon, as a
//                                  restarted shell would have
//   WinProbe broadcast <name>      sends the registered message to every
//                                  top-level window
//   WinProbe post <title> <message> <wParam> <lParam>
//                                  posts a message to the window (numbers)
//   WinProbe foreground            the title of the window that takes keys now
//   WinProbe menu                  whether a popup menu is open, and its rect
//   WinProbe process <exe name>    resource counters of a running process:
//                                  private bytes, handles, GDI and USER objects,
//                                  threads, with the way each was counted
//                                  (and the handles of each kind, where
//                                  counted in the system's list),
//                                  and its token's elevation type (1 default,
//                                  2 full, 3 limited)
//   WinProbe accessible <title> <id>  the control's name, value and role as
//                                  a screen reader reads them
//                                  (AccessibleObjectFromWindow), and the
//                                  window's keyboard cues (uistate)
//   WinProbe focus <title>         the id of the control that has the focus
//   WinProbe acl <path>            the access list of a file or folder, as
//                                  SDDL (a "P" after "D:": none inherited)
//   WinProbe hold <path>           opens the file shared for reading only,
//                                  prints held=1 and keeps it open until killed
//   WinProbe shell                 a desktop shell's stand-in: its window
//                                  becomes the shell window (GetShellWindow),
//                                  prints shell=1 and runs until killed
#include <windows.h>
#include <commctrl.h>
#include <oleacc.h>
#include <shellapi.h>
#include <psapi.h>
#include <aclapi.h>
#include <sddl.h>
#include <tlhelp32.h>
#include <winternl.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

namespace {

HWND findTopLevel(const char* title) { return FindWindowA(nullptr, title); }

// Texts come out in the ANSI code page, or in UTF-8 with SKIVOL_PROBE_UTF8
// set (for names outside that code page).
std::string narrow(const wchar_t* text) {
  char out[1024] = {};
  const UINT codePage = std::getenv("SKIVOL_PROBE_UTF8") ? CP_UTF8 : CP_ACP;
  WideCharToMultiByte(codePage, 0, text, -1, out, sizeof(out) - 1, nullptr, nullptr);
  return out;
}

// GetWindowText does not ask a control of another process for its text, so
// the text is asked for with WM_GETTEXT; wide, because the ANSI form comes back
// mangled across processes under Wine.
std::string windowText(HWND hwnd) {
  wchar_t text[512] = {};
  DWORD_PTR result = 0;
  SendMessageTimeoutW(hwnd, WM_GETTEXT, sizeof(text) / sizeof(text[0]), reinterpret_cast<LPARAM>(text),
                      SMTO_ABORTIFHUNG, 5000, &result);
  return narrow(text);
}

int probeWindow(const char* title) {
  HWND hwnd = findTopLevel(title);
  if (!hwnd) {
    std::printf("found=0\n");
    return 1;
  }
  RECT client = {}, window = {};
  GetClientRect(hwnd, &client);
  GetWindowRect(hwnd, &window);
  std::printf("found=1 visible=%d iconic=%d enabled=%d client=%ldx%ld pos=%ld,%ld exstyle=%08lX\n",
              IsWindowVisible(hwnd) ? 1 : 0, IsIconic(hwnd) ? 1 : 0, IsWindowEnabled(hwnd) ? 1 : 0, client.right,
              client.bottom, window.left, window.top, static_cast<unsigned long>(GetWindowLongA(hwnd, GWL_EXSTYLE)));
  return 0;
}

int probeControl(const char* title, int id) {
  HWND top = findTopLevel(title);
  HWND hwnd = top ? GetDlgItem(top, id) : nullptr;
  if (!hwnd) {
    std::printf("found=0\n");
    return 1;
  }
  char cls[64] = {};
  GetClassNameA(hwnd, cls, sizeof(cls));
  RECT rect = {};
  GetWindowRect(hwnd, &rect);
  MapWindowPoints(nullptr, top, reinterpret_cast<POINT*>(&rect), 2);
  std::printf("found=1 class=%s enabled=%d visible=%d rect=%ld,%ld,%ld,%ld", cls, IsWindowEnabled(hwnd) ? 1 : 0,
              IsWindowVisible(hwnd) ? 1 : 0, rect.left, rect.top, rect.right, rect.bottom);
  if (lstrcmpiA(cls, "ComboBox") == 0) {
    LRESULT sel = SendMessageA(hwnd, CB_GETCURSEL, 0, 0);
    LRESULT data = sel >= 0 ? SendMessageA(hwnd, CB_GETITEMDATA, static_cast<WPARAM>(sel), 0) : -1;
    wchar_t itemText[256] = {};
    if (sel >= 0 && SendMessageW(hwnd, CB_GETLBTEXTLEN, static_cast<WPARAM>(sel), 0) < 256)
      SendMessageW(hwnd, CB_GETLBTEXT, static_cast<WPARAM>(sel), reinterpret_cast<LPARAM>(itemText));
    const std::string item = narrow(itemText);
    std::printf(" count=%ld dropped=%ld cursel=%ld itemdata=%ld itemheight=%ld item=%s",
                static_cast<long>(SendMessageA(hwnd, CB_GETCOUNT, 0, 0)),
                static_cast<long>(SendMessageA(hwnd, CB_GETDROPPEDSTATE, 0, 0)), static_cast<long>(sel),
                static_cast<long>(data), static_cast<long>(SendMessageA(hwnd, CB_GETITEMHEIGHT, 0, 0)), item.c_str());
  } else if (lstrcmpiA(cls, TRACKBAR_CLASSA) == 0) {
    std::printf(" pos=%ld", static_cast<long>(SendMessageA(hwnd, TBM_GETPOS, 0, 0)));
  }
  std::printf(" text=%s\n", windowText(hwnd).c_str());
  return 0;
}

// The shell answers a change of an icon it does not hold with failure, and
// an empty change alters nothing.
int probeTray(const char* title, UINT id, bool forget) {
  NOTIFYICONDATAA data = {};
  data.cbSize = sizeof data;
  data.hWnd = findTopLevel(title);
  data.uID = id;
  if (!data.hWnd) {
    std::printf("found=0\n");
    return 1;
  }
  if (forget) ::Shell_NotifyIconA(NIM_DELETE, &data);
  std::printf("found=1 present=%d\n", ::Shell_NotifyIconA(NIM_MODIFY, &data) ? 1 : 0);
  return 0;
}

// What a combo box sends its parent while its list is open and the user moves
// to item `index` (Wine sends no selection change then): the selection, then
// CBN_SELCHANGE from the control. Then Escape closes the list, posted so that
// it comes after anything the window posted itself meanwhile.
int selectInOpenList(const char* title, int id, int index) {
  HWND top = findTopLevel(title);
  HWND hwnd = top ? GetDlgItem(top, id) : nullptr;
  if (!hwnd) {
    std::printf("found=0\n");
    return 1;
  }
  DWORD_PTR result = 0;
  const LRESULT dropped = SendMessageA(hwnd, CB_GETDROPPEDSTATE, 0, 0);
  SendMessageTimeoutA(hwnd, CB_SETCURSEL, static_cast<WPARAM>(index), 0, SMTO_ABORTIFHUNG, 5000, &result);
  SendMessageTimeoutA(top, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(hwnd),
                      SMTO_ABORTIFHUNG, 5000, &result);
  PostMessageA(hwnd, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
  PostMessageA(hwnd, WM_KEYUP, VK_ESCAPE, static_cast<LPARAM>(0xC0010001u));
  std::printf("found=1 dropped=%ld\n", static_cast<long>(dropped));
  return 0;
}

int broadcast(const char* name) {
  DWORD_PTR result = 0;
  const UINT message = ::RegisterWindowMessageA(name);
  ::SendMessageTimeoutA(HWND_BROADCAST, message, 0, 0, SMTO_ABORTIFHUNG, 5000, &result);
  std::printf("sent=1\n");
  return 0;
}

int postToWindow(const char* title, const char* message, const char* wParam, const char* lParam) {
  HWND hwnd = findTopLevel(title);
  const bool posted = hwnd && PostMessageA(hwnd, static_cast<UINT>(std::strtoul(message, nullptr, 0)),
                                           static_cast<WPARAM>(std::strtoul(wParam, nullptr, 0)),
                                           static_cast<LPARAM>(std::strtol(lParam, nullptr, 0)));
  std::printf("found=%d posted=%d\n", hwnd ? 1 : 0, posted ? 1 : 0);
  return posted ? 0 : 1;
}

DWORD findProcess(const char* exeName) {
  DWORD pid = 0;
  HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snap == INVALID_HANDLE_VALUE) return 0;
  PROCESSENTRY32 entry = {};
  entry.dwSize = sizeof(entry);
  for (BOOL more = Process32First(snap, &entry); more; more = Process32Next(snap, &entry)) {
    if (lstrcmpiA(entry.szExeFile, exeName) == 0) pid = entry.th32ProcessID;
  }
  CloseHandle(snap);
  return pid;
}

int countThreads(DWORD pid) {
  int count = 0;
  HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  if (snap == INVALID_HANDLE_VALUE) return -1;
  THREADENTRY32 entry = {};
  entry.dwSize = sizeof(entry);
  for (BOOL more = Thread32First(snap, &entry); more; more = Thread32Next(snap, &entry)) {
    if (entry.th32OwnerProcessID == pid) ++count;
  }
  CloseHandle(snap);
  return count;
}

// Windows of the process, top-level and child: the USER objects that can be
// enumerated from outside when the system does not count them.
struct WindowCount {
  DWORD pid;
  int count;
};

BOOL CALLBACK countChild(HWND hwnd, LPARAM param) {
  auto* c = reinterpret_cast<WindowCount*>(param);
  DWORD owner = 0;
  GetWindowThreadProcessId(hwnd, &owner);
  if (owner == c->pid) ++c->count;
  return TRUE;
}

BOOL CALLBACK countTopLevel(HWND hwnd, LPARAM param) {
  auto* c = reinterpret_cast<WindowCount*>(param);
  DWORD owner = 0;
  GetWindowThreadProcessId(hwnd, &owner);
  if (owner == c->pid) {
    ++c->count;
    EnumChildWindows(hwnd, countChild, param);
  }
  return TRUE;
}

// The process's GDI handle table, which the system maps into every GUI
// process and names in its PEB. An entry whose type byte is set is a live
// object. Wine keeps a table per process; Windows shares one and names the
// owner, which GetGuiResources answers for anyway.
struct GdiHandleEntry {
  uint64_t object;
  uint32_t owner;
  uint16_t unique;
  uint8_t type;
  uint8_t flags;
  uint64_t userPointer;
};
static_assert(sizeof(GdiHandleEntry) == 24, "GDI handle table entry layout");
constexpr size_t kGdiTableEntries = 0x10000;
constexpr size_t kPebGdiTableOffset = 0x94;  // 32-bit PEB

int countGdiFromTable(HANDLE process) {
  using QueryFn = LONG(WINAPI*)(HANDLE, int, void*, ULONG, ULONG*);
  auto query = reinterpret_cast<QueryFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryInformationProcess")));
  PROCESS_BASIC_INFORMATION info = {};
  if (!query || query(process, 0, &info, sizeof(info), nullptr) != 0 || !info.PebBaseAddress) return -1;
  DWORD table = 0;
  SIZE_T got = 0;
  if (!ReadProcessMemory(process, reinterpret_cast<const char*>(info.PebBaseAddress) + kPebGdiTableOffset, &table,
                         sizeof(table), &got) ||
      !table)
    return -1;
  static GdiHandleEntry entries[kGdiTableEntries];
  if (!ReadProcessMemory(process, reinterpret_cast<const void*>(static_cast<uintptr_t>(table)), entries,
                         sizeof(entries), &got))
    return -1;
  int count = 0;
  for (size_t i = 0; i < got / sizeof(GdiHandleEntry); ++i) {
    if (entries[i].type) ++count;
  }
  return count;
}

// The names of the kinds of object, in the order the system numbers them
// (Wine numbers them from 0 in this order).
std::vector<std::string> objectTypeNames() {
  using QueryFn = LONG(WINAPI*)(HANDLE, int, void*, ULONG, ULONG*);
  auto query = reinterpret_cast<QueryFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryObject")));
  std::vector<std::string> names;
  std::vector<char> buffer(1 << 16);
  ULONG needed = 0;
  if (!query || query(nullptr, 3 /* ObjectTypesInformation */, buffer.data(), static_cast<ULONG>(buffer.size()),
                      &needed) != 0)
    return names;
  ULONG count = 0;
  std::memcpy(&count, buffer.data(), sizeof(count));
  // Each entry begins with its name and is followed by the name's characters.
  const char* at = buffer.data() + sizeof(void*);
  const char* end = buffer.data() + buffer.size();
  for (ULONG i = 0; i < count && at + sizeof(UNICODE_STRING) <= end; ++i) {
    UNICODE_STRING name;
    std::memcpy(&name, at, sizeof(name));
    const char* text = reinterpret_cast<const char*>(name.Buffer);
    if (text < buffer.data() || text + name.MaximumLength > end) break;
    std::string narrow;
    for (USHORT c = 0; c < name.Length / 2; ++c) narrow += static_cast<char>(name.Buffer[c]);
    names.push_back(narrow);
    const uintptr_t next = (reinterpret_cast<uintptr_t>(text) + name.MaximumLength + sizeof(void*) - 1) &
                           ~static_cast<uintptr_t>(sizeof(void*) - 1);
    at = reinterpret_cast<const char*>(next);
  }
  return names;
}

// Handles of the process from the system's list of every open handle, which
// Wine fills in where it leaves GetProcessHandleCount at 0 for another process;
// `kinds` gets how many of each kind, as "Key:25,Event:10".
int countHandlesFromSystemList(DWORD pid, std::string& kinds) {
  using QueryFn = LONG(WINAPI*)(int, void*, ULONG, ULONG*);
  auto query = reinterpret_cast<QueryFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")));
  struct Entry {
    ULONG ownerPid;
    BYTE objectType;
    BYTE flags;
    USHORT value;
    void* object;
    ULONG access;
  };
  if (!query) return -1;
  std::vector<char> buffer(1 << 16);
  for (int attempt = 0; attempt < 8; ++attempt) {
    ULONG needed = 0;
    const LONG status = query(16 /* SystemHandleInformation */, buffer.data(), static_cast<ULONG>(buffer.size()),
                              &needed);
    if (status == static_cast<LONG>(0xC0000004)) {  // too small
      buffer.resize(std::max<size_t>(buffer.size() * 2, needed + 4096));
      continue;
    }
    if (status != 0) return -1;
    ULONG count = 0;
    std::memcpy(&count, buffer.data(), sizeof(count));
    const Entry* entries = reinterpret_cast<const Entry*>(buffer.data() + sizeof(ULONG));
    int mine = 0;
    std::map<int, int> byKind;
    for (ULONG i = 0; i < count && sizeof(ULONG) + (i + 1) * sizeof(Entry) <= buffer.size(); ++i) {
      if (entries[i].ownerPid != pid) continue;
      ++mine;
      ++byKind[entries[i].objectType];
    }
    const std::vector<std::string> names = objectTypeNames();
    for (const auto& [kind, number] : byKind) {
      if (!kinds.empty()) kinds += ',';
      kinds += (kind < static_cast<int>(names.size()) ? names[kind] : std::to_string(kind)) + ':' +
               std::to_string(number);
    }
    return mine;
  }
  return -1;
}

int probeProcess(const char* exeName) {
  const DWORD pid = exeName[0] == '#' ? static_cast<DWORD>(std::atoi(exeName + 1)) : findProcess(exeName);
  HANDLE process = pid ? OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid) : nullptr;
  if (!process) {
    std::printf("found=0\n");
    return 1;
  }
  PROCESS_MEMORY_COUNTERS_EX memory = {};
  memory.cb = sizeof(memory);
  GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof(memory));
  DWORD handles = 0;
  GetProcessHandleCount(process, &handles);
  const char* handleMethod = "GetProcessHandleCount";
  std::string handleKinds;
  if (handles == 0) {
    handles = static_cast<DWORD>(countHandlesFromSystemList(pid, handleKinds));
    handleMethod = "system-handle-list";
  }
  int gdi = static_cast<int>(GetGuiResources(process, GR_GDIOBJECTS));
  const char* gdiMethod = "GetGuiResources";
  if (gdi == 0) {
    gdi = countGdiFromTable(process);
    gdiMethod = "handle-table";
  }
  int user = static_cast<int>(GetGuiResources(process, GR_USEROBJECTS));
  const char* userMethod = "GetGuiResources";
  WindowCount windows = {pid, 0};
  EnumWindows(countTopLevel, reinterpret_cast<LPARAM>(&windows));
  if (user == 0) {
    user = windows.count;
    userMethod = "windows";
  }
  DWORD elevation = 0;
  HANDLE token = nullptr;
  if (OpenProcessToken(process, TOKEN_QUERY, &token)) {
    TOKEN_ELEVATION_TYPE type = {};
    DWORD size = 0;
    if (GetTokenInformation(token, TokenElevationType, &type, sizeof(type), &size)) elevation = type;
    CloseHandle(token);
  }
  std::printf("elevation=%lu ", elevation);
  if (!handleKinds.empty()) std::printf("handle_kinds=%s ", handleKinds.c_str());
  std::printf("found=1 pid=%lu private=%lu working=%lu handles=%ld handle_method=%s gdi=%d gdi_method=%s user=%d user_method=%s "
              "windows=%d threads=%d\n",
              pid, static_cast<unsigned long>(memory.PrivateUsage), static_cast<unsigned long>(memory.WorkingSetSize),
              static_cast<long>(handles), handleMethod, gdi, gdiMethod, user, userMethod, windows.count, countThreads(pid));
  CloseHandle(process);
  return 0;
}

int probeAcl(const char* path) {
  PACL dacl = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  const DWORD error = GetNamedSecurityInfoA(path, SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &dacl,
                                            nullptr, &descriptor);
  if (error != ERROR_SUCCESS) {
    std::printf("error=%lu\n", error);
    return 1;
  }
  char* sddl = nullptr;
  if (!ConvertSecurityDescriptorToStringSecurityDescriptorA(descriptor, SDDL_REVISION_1, DACL_SECURITY_INFORMATION,
                                                            &sddl, nullptr)) {
    std::printf("error=%lu\n", GetLastError());
    LocalFree(descriptor);
    return 1;
  }
  std::printf("sddl=%s\n", sddl);
  LocalFree(sddl);
  LocalFree(descriptor);
  return 0;
}

// Checks the handle-table count against objects this process makes itself.
int selfTest() {
  HANDLE self = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, GetCurrentProcessId());
  const int before = countGdiFromTable(self);
  HBRUSH brushes[50];
  for (HBRUSH& b : brushes) b = CreateSolidBrush(RGB(1, 2, 3));
  const int during = countGdiFromTable(self);
  for (HBRUSH b : brushes) DeleteObject(b);
  const int after = countGdiFromTable(self);
  std::printf("before=%d during=%d after=%d gui=%lu\n", before, during, after,
              static_cast<unsigned long>(GetGuiResources(self, GR_GDIOBJECTS)));
  CloseHandle(self);
  return during - before == 50 && after == before ? 0 : 1;
}

int probeAccessible(const char* title, int id) {
  HWND top = findTopLevel(title);
  HWND hwnd = top ? GetDlgItem(top, id) : nullptr;
  if (!hwnd) {
    std::printf("found=0\n");
    return 1;
  }
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  IAccessible* object = nullptr;
  const HRESULT got = AccessibleObjectFromWindow(hwnd, OBJID_CLIENT, IID_IAccessible, reinterpret_cast<void**>(&object));
  if (FAILED(got) || !object) {
    std::printf("found=1 object=0 error=%08lX\n", static_cast<unsigned long>(got));
    return 1;
  }
  VARIANT self;
  VariantInit(&self);
  self.vt = VT_I4;
  self.lVal = CHILDID_SELF;
  BSTR name = nullptr, value = nullptr;
  VARIANT role;
  VariantInit(&role);
  object->get_accName(self, &name);
  object->get_accValue(self, &value);
  object->get_accRole(self, &role);
  VARIANT state;
  VariantInit(&state);
  object->get_accState(self, &state);
  DWORD_PTR uistate = 0;
  SendMessageTimeoutW(top, WM_QUERYUISTATE, 0, 0, SMTO_ABORTIFHUNG, 5000, &uistate);
  // The texts last: they may hold blanks.
  std::printf("found=1 object=1 role=%ld state=%ld uistate=%lu name=%s value=%s\n", role.vt == VT_I4 ? role.lVal : -1L,
              state.vt == VT_I4 ? state.lVal : -1L, static_cast<unsigned long>(uistate), name ? narrow(name).c_str() : "", value ? narrow(value).c_str() : "");
  SysFreeString(name);
  SysFreeString(value);
  object->Release();
  return 0;
}

// The control of a window that has the keyboard focus, seen from its thread.
int probeFocus(const char* title) {
  HWND top = findTopLevel(title);
  GUITHREADINFO info = {};
  info.cbSize = sizeof info;
  if (!top || !GetGUIThreadInfo(GetWindowThreadProcessId(top, nullptr), &info)) {
    std::printf("found=0\n");
    return 1;
  }
  std::printf("found=1 id=%d\n", info.hwndFocus ? GetDlgCtrlID(info.hwndFocus) : 0);
  return 0;
}

}  // namespace

// Which keys and mouse buttons the desktop holds down now: 1 or 0 each.
int probeKeys() {
  static const struct {
    const char* name;
    int key;
  } keys[] = {{"shift", VK_SHIFT}, {"ctrl", VK_CONTROL}, {"alt", VK_MENU},         {"a", 'A'},
              {"b", 'B'},          {"c", 'C'},           {"lbutton", VK_LBUTTON},  {"rbutton", VK_RBUTTON},
              {"mbutton", VK_MBUTTON}, {"xbutton1", VK_XBUTTON1}, {"xbutton2", VK_XBUTTON2}};
  for (const auto& k : keys) std::printf("%s=%d ", k.name, (::GetAsyncKeyState(k.key) & 0x8000) ? 1 : 0);
  std::printf("\n");
  return 0;
}

// Lets go of every key and mouse button that probeKeys finds held, as the
// user would: the desktop's state left behind by a program that ended while
// a button was down.
int releaseHeld() {
  static const struct {
    int key;
    DWORD upFlag;
    DWORD data;
  } buttons[] = {{VK_LBUTTON, MOUSEEVENTF_LEFTUP, 0},        {VK_RBUTTON, MOUSEEVENTF_RIGHTUP, 0},
                 {VK_MBUTTON, MOUSEEVENTF_MIDDLEUP, 0},      {VK_XBUTTON1, MOUSEEVENTF_XUP, XBUTTON1},
                 {VK_XBUTTON2, MOUSEEVENTF_XUP, XBUTTON2}};
  for (const auto& b : buttons) {
    if (!(::GetAsyncKeyState(b.key) & 0x8000)) continue;
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = b.upFlag;
    input.mi.mouseData = b.data;
    ::SendInput(1, &input, sizeof input);
  }
  for (int key : {VK_SHIFT, VK_CONTROL, VK_MENU, int('A'), int('B'), int('C')}) {
    if (!(::GetAsyncKeyState(key) & 0x8000)) continue;
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = static_cast<WORD>(key);
    input.ki.wScan = static_cast<WORD>(::MapVirtualKeyA(key, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = KEYEVENTF_KEYUP;
    ::SendInput(1, &input, sizeof input);
  }
  return probeKeys();
}

int holdFile(const char* path) {
  HANDLE file = ::CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  std::printf("held=%d\n", file != INVALID_HANDLE_VALUE ? 1 : 0);
  std::fflush(stdout);
  if (file == INVALID_HANDLE_VALUE) return 1;
  for (;;) ::Sleep(INFINITE);
}

// user32 exports it; the headers do not declare it.
extern "C" __declspec(dllimport) BOOL WINAPI SetShellWindow(HWND window);

// Under Wine no program is the shell, so GetShellWindow() finds nothing; a
// setup that starts programs with the shell's token needs one, as on Windows.
// Wine starts programs with an administrator's full token, while a shell
// runs with the signed-in user's limited one: the shell is started again with
// the limited twin of this token, writing to this one's output.
int beShell() {
  HANDLE token = nullptr;
  TOKEN_ELEVATION_TYPE elevation = TokenElevationTypeDefault;
  DWORD size = 0;
  if (::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token) &&
      ::GetTokenInformation(token, TokenElevationType, &elevation, sizeof elevation, &size) &&
      elevation == TokenElevationTypeFull) {
    TOKEN_LINKED_TOKEN linked = {};
    HANDLE limited = nullptr;
    if (!::GetTokenInformation(token, TokenLinkedToken, &linked, sizeof linked, &size) ||
        !::DuplicateTokenEx(linked.LinkedToken, MAXIMUM_ALLOWED, nullptr, SecurityImpersonation, TokenPrimary,
                            &limited)) {
      std::printf("shell=0\n");
      return 1;
    }
    STARTUPINFOA startup = {sizeof startup};
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = ::GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION process = {};
    char self[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string command = std::string("\"") + self + "\" shell";
    if (!::CreateProcessAsUserA(limited, self, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                                &process)) {
      std::printf("shell=0\n");
      return 1;
    }
    ::WaitForSingleObject(process.hProcess, INFINITE);
    return 0;
  }
  HWND window = ::CreateWindowExA(0, "STATIC", "Test shell", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                  ::GetModuleHandleA(nullptr), nullptr);
  const bool taken = window && ::SetShellWindow(window) && ::GetShellWindow() == window;
  std::printf("shell=%d\n", taken ? 1 : 0);
  std::fflush(stdout);
  if (!taken) return 1;
  MSG msg;
  while (::GetMessageA(&msg, nullptr, 0, 0) > 0) ::DispatchMessageA(&msg);
  return 0;
}

// Keeps the session's desktop in use until the session ends. Wine closes a
// desktop a moment after its last program has gone, and its shell
// (explorer.exe) quits; the next program then starts the shell again as its
// own child, and a test that ends that program by its process group takes the
// shell and the windows of the desktop with it. A hidden window holds it.
int holdDesktop() {
  if (!::CreateWindowExA(0, "STATIC", "desktop holder", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr)) return 1;
  MSG msg;
  while (::GetMessageA(&msg, nullptr, 0, 0) > 0) ::DispatchMessageA(&msg);
  return 0;
}

int main(int argc, char** argv) {
  if (argc >= 2 && std::string(argv[1]) == "hold-desktop") return holdDesktop();
  if (argc >= 2 && std::string(argv[1]) == "keys") return probeKeys();
  if (argc >= 2 && std::string(argv[1]) == "release") return releaseHeld();
  if (argc >= 2 && std::string(argv[1]) == "menu") {
    // A popup menu open on the desktop (the system's menu window class).
    HWND menu = ::FindWindowA("#32768", nullptr);
    RECT rect = {};
    if (menu) ::GetWindowRect(menu, &rect);
    std::printf("found=%d rect=%ld,%ld,%ld,%ld\n", menu && ::IsWindowVisible(menu) ? 1 : 0, rect.left, rect.top,
                rect.right, rect.bottom);
    return 0;
  }
  if (argc >= 2 && std::string(argv[1]) == "foreground") {
    HWND hwnd = ::GetForegroundWindow();
    std::printf("found=%d title=%s\n", hwnd ? 1 : 0, hwnd ? windowText(hwnd).c_str() : "");
    return 0;
  }
  if (argc >= 3 && std::string(argv[1]) == "window") return probeWindow(argv[2]);
  if (argc >= 4 && std::string(argv[1]) == "control") return probeControl(argv[2], std::atoi(argv[3]));
  if (argc >= 4 && std::string(argv[1]) == "tray") return probeTray(argv[2], std::atoi(argv[3]), false);
  if (argc >= 4 && std::string(argv[1]) == "tray-forget") return probeTray(argv[2], std::atoi(argv[3]), true);
  if (argc >= 3 && std::string(argv[1]) == "broadcast") return broadcast(argv[2]);
  if (argc >= 5 && std::string(argv[1]) == "select-in-open-list")
    return selectInOpenList(argv[2], std::atoi(argv[3]), std::atoi(argv[4]));
  if (argc >= 6 && std::string(argv[1]) == "post") return postToWindow(argv[2], argv[3], argv[4], argv[5]);
  if (argc >= 3 && std::string(argv[1]) == "process") return probeProcess(argv[2]);
  if (argc >= 2 && std::string(argv[1]) == "gdi-selftest") return selfTest();
  if (argc >= 3 && std::string(argv[1]) == "acl") return probeAcl(argv[2]);
  if (argc >= 4 && std::string(argv[1]) == "accessible") return probeAccessible(argv[2], std::atoi(argv[3]));
  if (argc >= 3 && std::string(argv[1]) == "focus") return probeFocus(argv[2]);
  if (argc >= 3 && std::string(argv[1]) == "hold") return holdFile(argv[2]);
  if (argc >= 2 && std::string(argv[1]) == "shell") return beShell();
  std::fprintf(stderr,
               "usage: WinProbe window <title> | control <title> <id> | tray[-forget] <title> <id> | broadcast <name>"
               " | post <title> <msg> <wp> <lp> | keys | release | menu | foreground | process <exe name>|#<pid> | gdi-selftest | acl <path>\n");
  return 2;
}
