// Entry point of the program.
#include <windows.h>

#include "app/ProcessObjects.h"

namespace {

// Before anything else, even the constructors of the process-wide objects:
// DLLs loaded by name come from the system folder alone, never from the
// program's folder, where a planted copy would otherwise win (hid.dll and
// comctl32.dll are delay-loaded for this). Where the call is missing
// (Windows 7 without its update), the current folder at least is left out.
__attribute__((constructor(101))) void loadSystemDllsFromTheSystemFolderOnly() {
  using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);
  const auto setDefault = reinterpret_cast<SetDefaultDllDirectoriesFunction>(
      reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories")));
  if (!setDefault || !setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32)) ::SetDllDirectoryW(L"");
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  // The application object is a global, constructed before this runs.
  return AfxWinMain(theApp, instance);
}
