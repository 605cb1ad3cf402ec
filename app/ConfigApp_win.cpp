#include "app/ConfigApp.h"

#include "app/MainDialog.h"

BOOL ConfigApp::InitInstance() {
  Enable3dControls();
  MainDialog dialog(nullptr);
  m_pMainWnd = &dialog;
  dialog.DoModal();
  m_pMainWnd = nullptr;
  // FALSE: the process ends here, without a message loop of the framework's.
  return FALSE;
}
