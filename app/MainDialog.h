// The utility's main window: a borderless dialog exactly the size of its skin.
#pragma once
#include "controls/SkinButton.h"
#include "controls/SkinSlider.h"
#include "framework/CComboBox.h"
#include "framework/CDialog.h"

class MainDialog : public CDialog {
public:
  explicit MainDialog(CWnd* parent);
  ~MainDialog() override;

  int skinWidth = 0;
  int skinHeight = 0;
  SkinButton minimizeButton;
  SkinSlider dpiSlider;
  SkinButton defaultButton;
  SkinButton okButton;  // hidden; bound but never skinned or shown
  SkinButton closeButton;
  CComboBox comboRight;
  CComboBox comboWheel;
  CComboBox combo5th;
  CComboBox combo4th;
  HICON windowIcon = nullptr;

  // What the painter draws over the skin.
  HBITMAP buttonsHeading() const;
  HBITMAP dpiHeading() const;
  const char* rowLabel(int row) const;

protected:
  void DoDataExchange(CDataExchange* dx) override;
  BOOL OnInitDialog() override;

  static HBITMAP loadBitmap(UINT id);
  template <size_t N>
  static void loadBitmaps(HBITMAP (&set)[N], const UINT (&ids)[N]);
  static HICON loadTrayIcon(UINT id);
  void centreInWorkArea();

  DECLARE_MESSAGE_MAP()
  LRESULT OnPaint(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnQueryDragIcon(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnCtlColor(UINT, WPARAM, LPARAM, BOOL&);
};
