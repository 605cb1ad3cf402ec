// The utility's main window: a borderless dialog exactly the size of its skin.
#pragma once
#include "controls/SkinButton.h"
#include "controls/SkinComboBox.h"
#include "controls/SkinSlider.h"
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
  SkinComboBox comboRight;
  SkinComboBox comboWheel;
  SkinComboBox combo5th;
  SkinComboBox combo4th;
  HICON windowIcon = nullptr;

  // What the painter draws over the skin.
  HBITMAP buttonsHeading() const;
  HBITMAP dpiHeading() const;
  const char* rowLabel(int row) const;

  // The assignment rows (mainwnd/AssignmentControls_win.cpp).
  // Gives button `buttonIndex` the function chosen in `combo`, saves the
  // settings and tells the mouse which buttons to report.
  void applyAssignment(int buttonIndex, SkinComboBox& combo);
  // Selects in each combo box the item of its button's function, without a
  // selection notification, and gives each its button's shortcut.
  void showLoadedAssignments();
  void pushReportMask();

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
  LRESULT OnDrawItem(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnAssignmentChange(WORD code, WORD id, HWND control, BOOL& handled);

private:
  void fillAssignmentCombos();
};
