// The utility's main window: a borderless dialog exactly the size of its skin.
#pragma once
#include "framework/CButton.h"
#include "framework/CComboBox.h"
#include "framework/CDialog.h"
#include "framework/CSliderCtrl.h"

class MainDialog : public CDialog {
public:
  explicit MainDialog(CWnd* parent);
  ~MainDialog() override;

  int skinWidth = 0;
  int skinHeight = 0;
  CButton minimizeButton;
  CSliderCtrl dpiSlider;
  CButton defaultButton;
  CButton okButton;
  CButton closeButton;
  CComboBox comboRight;
  CComboBox comboWheel;
  CComboBox combo5th;
  CComboBox combo4th;
  HICON windowIcon = nullptr;

protected:
  void DoDataExchange(CDataExchange* dx) override;
  BOOL OnInitDialog() override;

  DECLARE_MESSAGE_MAP()
  LRESULT OnPaint(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnQueryDragIcon(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnCtlColor(UINT, WPARAM, LPARAM, BOOL&);
};
