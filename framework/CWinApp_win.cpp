#include "framework/CWinApp.h"

#include <commctrl.h>

namespace {
CWinApp* theApplication = nullptr;
}

CWinApp::CWinApp() { theApplication = this; }

CWinApp::~CWinApp() {
  if (theApplication == this) theApplication = nullptr;
}

CWinApp* AfxGetApp() { return theApplication; }

HINSTANCE AfxGetInstanceHandle() {
  if (theApplication && theApplication->m_hInstance) return theApplication->m_hInstance;
  return GetModuleHandleA(nullptr);
}

void Enable3dControls() {
  INITCOMMONCONTROLSEX init = {sizeof(init), ICC_WIN95_CLASSES};
  InitCommonControlsEx(&init);
}

int AfxWinMain(CWinApp& application, HINSTANCE instance) {
  CWinApp* app = &application;
  app->m_hInstance = instance;
  char path[MAX_PATH] = {};
  GetModuleFileNameA(instance, path, sizeof(path) - 1);
  CString name(path);
  name = name.Mid(name.ReverseFind('\\') + 1);
  int dot = name.ReverseFind('.');
  app->m_appName = dot > 0 ? name.Left(dot) : name;
  if (!app->InitInstance()) return app->ExitInstance();
  // Every window of this program runs its own modal loop inside InitInstance.
  return app->ExitInstance();
}
