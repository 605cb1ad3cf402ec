// hid.dll, comctl32.dll and wtsapi32.dll are not among the DLLs the system always takes
// from its own folder: imported, a copy put beside the program would be
// loaded in their place. So they are not imported. Their functions that the
// programs call are defined here instead: at its first call each loads its
// DLL from the system folder and goes on to the system's function.
#include <windows.h>
#include <commctrl.h>
#include <wtsapi32.h>

extern "C" {
#include <hidsdi.h>
}

#include <cwchar>

namespace {

const wchar_t kHid[] = L"hid.dll";
const wchar_t kCommonControls[] = L"comctl32.dll";
const wchar_t kTerminalServices[] = L"wtsapi32.dll";
// What HidP_GetCaps answers when it has no data to read.
constexpr NTSTATUS kHidNotAvailable = static_cast<NTSTATUS>(0xC0110001);  // HIDP_STATUS_INVALID_PREPARSED_DATA

HMODULE loadFromSystemFolder(const wchar_t* name) {
  if (HMODULE module = ::LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32)) return module;
  // Windows 7 without its loader update knows no such flag: the full path.
  wchar_t path[MAX_PATH];
  const UINT length = ::GetSystemDirectoryW(path, MAX_PATH);
  if (length == 0 || length + 1 + std::wcslen(name) >= MAX_PATH) return nullptr;
  path[length] = L'\\';
  std::wcscpy(path + length + 1, name);
  return ::LoadLibraryW(path);
}

// The DLL stays loaded for the life of the process.
template <typename Function>
Function systemFunction(const wchar_t* dll, const char* name) {
  HMODULE module = loadFromSystemFolder(dll);
  return module ? reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(module, name))) : nullptr;
}

}  // namespace

// Looked up once, at the first call; `failure` is the answer without it.
#define CALL_SYSTEM_FUNCTION(dll, name, failure, ...)                              \
  static const auto function = systemFunction<decltype(&::name)>(dll, #name); \
  return function ? function(__VA_ARGS__) : failure

extern "C" {

BOOLEAN NTAPI HidD_FreePreparsedData(PHIDP_PREPARSED_DATA data) {
  CALL_SYSTEM_FUNCTION(kHid, HidD_FreePreparsedData, FALSE, data);
}
BOOLEAN NTAPI HidD_GetAttributes(HANDLE device, PHIDD_ATTRIBUTES attributes) {
  CALL_SYSTEM_FUNCTION(kHid, HidD_GetAttributes, FALSE, device, attributes);
}
BOOLEAN NTAPI HidD_GetFeature(HANDLE device, PVOID report, ULONG length) {
  CALL_SYSTEM_FUNCTION(kHid, HidD_GetFeature, FALSE, device, report, length);
}
BOOLEAN NTAPI HidD_SetFeature(HANDLE device, PVOID report, ULONG length) {
  CALL_SYSTEM_FUNCTION(kHid, HidD_SetFeature, FALSE, device, report, length);
}
BOOLEAN NTAPI HidD_GetIndexedString(HANDLE device, ULONG index, PVOID buffer, ULONG length) {
  CALL_SYSTEM_FUNCTION(kHid, HidD_GetIndexedString, FALSE, device, index, buffer, length);
}
BOOLEAN NTAPI HidD_GetPreparsedData(HANDLE device, PHIDP_PREPARSED_DATA* data) {
  CALL_SYSTEM_FUNCTION(kHid, HidD_GetPreparsedData, FALSE, device, data);
}
NTSTATUS NTAPI HidP_GetCaps(PHIDP_PREPARSED_DATA data, PHIDP_CAPS capabilities) {
  CALL_SYSTEM_FUNCTION(kHid, HidP_GetCaps, kHidNotAvailable, data, capabilities);
}
void NTAPI HidD_GetHidGuid(LPGUID guid) {
  static const auto function = systemFunction<decltype(&::HidD_GetHidGuid)>(kHid, "HidD_GetHidGuid");
  if (function) return function(guid);
  *guid = GUID{};  // no device class matches it
}

BOOL WINAPI WTSRegisterSessionNotification(HWND window, DWORD flags) {
  CALL_SYSTEM_FUNCTION(kTerminalServices, WTSRegisterSessionNotification, FALSE, window, flags);
}
BOOL WINAPI WTSUnRegisterSessionNotification(HWND window) {
  CALL_SYSTEM_FUNCTION(kTerminalServices, WTSUnRegisterSessionNotification, FALSE, window);
}

}  // extern "C"

namespace {

WINBOOL WINAPI initCommonControlsEx(const INITCOMMONCONTROLSEX* controls) {
  CALL_SYSTEM_FUNCTION(kCommonControls, InitCommonControlsEx, FALSE, controls);
}

}  // namespace

// The header declares the function imported: callers call through this
// pointer, which a DLL's import would otherwise fill.
extern "C" decltype(&::InitCommonControlsEx) const commonControlsImport asm("__imp__InitCommonControlsEx@4") =
    initCommonControlsEx;
