#include <windows.h>

#include "controls/KeyTable.h"
#include "framework/CWinApp.h"
#include "resource.h"

namespace {

// The bytes of the key list resource, or "" when it is missing or empty.
std::string readKeyListResource() {
  HMODULE module = AfxGetInstanceHandle();
  HRSRC info = ::FindResourceA(module, MAKEINTRESOURCEA(IDR_KEYLIST), "TXT");
  if (!info) return std::string();
  const DWORD size = ::SizeofResource(module, info);
  HGLOBAL loaded = ::LoadResource(module, info);
  const void* bytes = loaded ? ::LockResource(loaded) : nullptr;
  if (!bytes || size == 0) return std::string();
  return std::string(static_cast<const char*>(bytes), size);
}

}  // namespace

void loadKeyTable() { keyTable.load(&readKeyListResource); }
