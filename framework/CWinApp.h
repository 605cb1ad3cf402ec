// The application object: one per process, constructed before WinMain runs.
// WinMain hands control to InitInstance; when it returns FALSE the process
// ends without a message loop of the framework's own.
#pragma once
#include <windows.h>

#include "framework/CString.h"

class CWnd;

class CWinApp {
public:
  CWinApp();
  virtual ~CWinApp();
  CWinApp(const CWinApp&) = delete;
  CWinApp& operator=(const CWinApp&) = delete;

  virtual BOOL InitInstance() { return FALSE; }
  virtual int ExitInstance() { return 0; }

  HINSTANCE m_hInstance = nullptr;
  CWnd* m_pMainWnd = nullptr;
  // The executable's name without folder and extension.
  CString m_appName;
};

CWinApp* AfxGetApp();
HINSTANCE AfxGetInstanceHandle();
// Loads the common controls (the DPI slider is a trackbar).
void Enable3dControls();
int AfxWinMain(CWinApp& app, HINSTANCE instance);
