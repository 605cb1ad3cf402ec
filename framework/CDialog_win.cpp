#include "framework/CDialog.h"

#include "framework/CWinApp.h"

void DDX_Control(CDataExchange* dx, int id, CWnd& control) {
  if (control.m_hWnd) return;
  control.SubclassDlgItem(static_cast<UINT>(id), dx->m_pDlgWnd);
}

CDialog::CDialog(UINT templateId, CWnd* parent) : m_templateId(templateId), m_parent(parent) {}

CDialog::~CDialog() {
  if (m_hWnd && ::IsWindow(m_hWnd)) {
    HWND hwnd = m_hWnd;
    UnsubclassWindow();
    ::DestroyWindow(hwnd);
  }
}

BEGIN_MESSAGE_MAP(CDialog, CWnd)
  ON_COMMAND(IDOK, OnOkCommand)
  ON_COMMAND(IDCANCEL, OnCancelCommand)
END_MESSAGE_MAP()

LRESULT CDialog::OnOkCommand(WORD, WORD, HWND, BOOL&) {
  OnOK();
  return 0;
}

LRESULT CDialog::OnCancelCommand(WORD, WORD, HWND, BOOL&) {
  OnCancel();
  return 0;
}

INT_PTR CALLBACK CDialog::StaticDialogProc(HWND hwnd, UINT message, WPARAM, LPARAM lParam) {
  if (message != WM_INITDIALOG) return FALSE;
  // From here on the dialog's messages reach the C++ object through its
  // window procedure; this dialog procedure only hands over the object.
  CDialog* dialog = reinterpret_cast<CDialog*>(lParam);
  dialog->SubclassWindow(hwnd);
  RECT before;
  ::GetWindowRect(hwnd, &before);
  INT_PTR result = dialog->OnInitDialog();
  // A dialog that its initialisation did not move is centred over its owner,
  // or in the work area when it has none to speak of.
  RECT after;
  if (::IsWindow(hwnd) && ::GetWindowRect(hwnd, &after) && after.left == before.left && after.top == before.top)
    dialog->CenterWindow();
  return result;
}

void CDialog::CenterWindow() {
  RECT area = {};
  ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
  HWND owner = ::GetWindow(m_hWnd, GW_OWNER);
  if (owner && ::IsWindowVisible(owner) && !::IsIconic(owner)) ::GetWindowRect(owner, &area);
  RECT window;
  GetWindowRect(&window);
  const int width = window.right - window.left;
  const int height = window.bottom - window.top;
  SetWindowPos(nullptr, area.left + (area.right - area.left - width) / 2, area.top + (area.bottom - area.top - height) / 2,
               0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

HWND CDialog::createFromTemplate(UINT templateId, HWND owner) {
  // Wide: a template's texts are UTF-16, and the ANSI function would turn
  // every character outside the system's code page (a Chinese caption, say)
  // into "?".
  return ::CreateDialogParamW(AfxGetInstanceHandle(), MAKEINTRESOURCEW(templateId), owner, &CDialog::StaticDialogProc,
                              reinterpret_cast<LPARAM>(this));
}

HWND CDialog::OwnerForModal() const {
  if (m_parent && m_parent->m_hWnd) return m_parent->m_hWnd;
  CWinApp* app = AfxGetApp();
  if (app && app->m_pMainWnd && app->m_pMainWnd != this && app->m_pMainWnd->m_hWnd)
    return app->m_pMainWnd->m_hWnd;
  return nullptr;
}

INT_PTR CDialog::DoModal() {
  HWND owner = OwnerForModal();
  m_modalResult = -1;
  m_inModalLoop = true;
  HWND hwnd = createFromTemplate(m_templateId, owner);
  if (!hwnd) {
    m_inModalLoop = false;
    return -1;
  }
  const bool disableOwner = owner && ::IsWindowEnabled(owner);
  if (disableOwner) ::EnableWindow(owner, FALSE);

  RunModalLoop();

  // Re-enable the owner before the dialog goes, so activation returns to it.
  if (disableOwner) ::EnableWindow(owner, TRUE);
  if (m_hWnd) {
    ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                   SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOZORDER);
    if (owner && ::GetActiveWindow() == m_hWnd) ::SetActiveWindow(owner);
    ::DestroyWindow(m_hWnd);
  }
  return m_modalResult;
}

void CDialog::RunModalLoop() {
  bool shown = (GetStyle() & WS_VISIBLE) != 0;
  MSG msg;
  while (m_inModalLoop) {
    if (!shown && !::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
      // The queue ran dry for the first time: the dialog is ready to be seen.
      shown = true;
      ShowWindow(SW_SHOWNORMAL);
      UpdateWindow();
      continue;
    }
    if (!::GetMessageA(&msg, nullptr, 0, 0)) {
      // WM_QUIT belongs to an outer loop; leave it for that one.
      ::PostQuitMessage(static_cast<int>(msg.wParam));
      m_inModalLoop = false;
      break;
    }
    if (!WalkPreTranslateTree(m_hWnd, &msg)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageA(&msg);
    }
  }
}

BOOL CDialog::Create(UINT templateId, CWnd* parent) {
  m_templateId = templateId;
  m_parent = parent;
  HWND hwnd = createFromTemplate(templateId, parent ? parent->m_hWnd : nullptr);
  return hwnd != nullptr;
}

void CDialog::EndDialog(int result) {
  m_modalResult = result;
  if (m_inModalLoop) {
    m_inModalLoop = false;
    // Wake the loop in case it is waiting for a message.
    if (m_hWnd) PostMessage(WM_NULL);
  } else if (m_hWnd) {
    ShowWindow(SW_HIDE);
  }
}

BOOL CDialog::UpdateData(BOOL saveAndValidate) {
  CDataExchange dx(this, saveAndValidate);
  DoDataExchange(&dx);
  return TRUE;
}

BOOL CDialog::PreTranslateMessage(MSG* msg) {
  // Keyboard and mouse input for this dialog or its controls goes through the
  // platform's dialog keyboard handling (Tab, Enter, Escape, mnemonics).
  const bool input = (msg->message >= WM_KEYFIRST && msg->message <= WM_KEYLAST) ||
                     (msg->message >= WM_MOUSEFIRST && msg->message <= WM_MOUSELAST);
  if (!input || !m_hWnd) return FALSE;
  return ::IsDialogMessageA(m_hWnd, msg);
}

BOOL CDialog::OnInitDialog() {
  UpdateData(FALSE);
  return TRUE;
}

void CDialog::OnOK() { EndDialog(IDOK); }

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

void CDialog::DoDataExchange(CDataExchange*) {}
