// A dialog built from a resource template, run modally (DoModal, with the
// framework's own modal loop) or modeless (Create).
//
// The modal loop, for each queued message: offers it to PreTranslateMessage
// from the target window up through its parents to the dialog, and dispatches
// it only if none takes it. The dialog's own PreTranslateMessage runs the
// platform's dialog keyboard handling. The dialog is shown (SW_SHOWNORMAL) the
// first time the loop runs out of messages, so OnInitDialog runs on a hidden
// window. A dialog that OnInitDialog leaves where it was is centred over its
// owner (or in the work area) before it is shown.
#pragma once
#include "framework/CWnd.h"

class CDataExchange {
public:
  CDataExchange(CWnd* dialog, BOOL saveAndValidate) : m_pDlgWnd(dialog), m_bSaveAndValidate(saveAndValidate) {}
  CWnd* m_pDlgWnd;
  BOOL m_bSaveAndValidate;
};

// Attaches `control` to the dialog's control `id` (subclassing it) once.
void DDX_Control(CDataExchange* dx, int id, CWnd& control);

class CDialog : public CWnd {
public:
  explicit CDialog(UINT templateId, CWnd* parent = nullptr);
  ~CDialog() override;

  virtual INT_PTR DoModal();
  // Creates the dialog modeless; it stays hidden unless its template says
  // otherwise.
  BOOL Create(UINT templateId, CWnd* parent = nullptr);
  void EndDialog(int result);
  // Centres the dialog over its owner, or in the work area.
  void CenterWindow();

  BOOL UpdateData(BOOL saveAndValidate = TRUE);

  BOOL PreTranslateMessage(MSG* msg) override;
  virtual BOOL OnInitDialog();
  virtual void OnOK();
  virtual void OnCancel();
  virtual void DoDataExchange(CDataExchange* dx);

protected:
  DECLARE_MESSAGE_MAP()
  LRESULT OnOkCommand(WORD code, WORD id, HWND control, BOOL& handled);
  LRESULT OnCancelCommand(WORD code, WORD id, HWND control, BOOL& handled);

private:
  static INT_PTR CALLBACK StaticDialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  HWND OwnerForModal() const;
  HWND createFromTemplate(UINT templateId, HWND owner);
  void RunModalLoop();

  UINT m_templateId;
  CWnd* m_parent;
  bool m_inModalLoop = false;
  INT_PTR m_modalResult = -1;
};
