// The utility's main window: a borderless dialog exactly the size of its skin.
#pragma once
#include "controls/SkinButton.h"
#include "controls/SkinSlider.h"
#include "framework/CComboBox.h"
#include "framework/CDialog.h"
#include "mainwnd/InputEngine.h"
#include "mainwnd/InputEngine_win.h"

// Private messages of the main window.
// Posted by the exit request: the window then closes for good.
constexpr UINT WM_APP_CLOSE_REQUEST = 12202;
// Posted by the re-scan when it found another set of mice than the scan before.
constexpr UINT WM_APP_MICE_CHANGED = WM_APP + 0x2FB;

// Called by the re-scan worker with what the scans before and after it found:
// another set of mice makes the window's thread forget the held input, which
// belonged to mice that are gone. The engine is the window thread's alone.
void noteMouseSet(HWND mainWindow, const MouseSet& before, const MouseSet& after);

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

  // The hub for every queued message of the window and its controls.
  BOOL PreTranslateMessage(MSG* msg) override;

  // A raw-input packet: the mouse reports a remapped button or its DPI state.
  void onRawInput(HRAWINPUT handle);
  // The mouse's DPI state arrived: the slider shows its step.
  void showDpiState(int step);

  // What the painter draws over the skin.
  HBITMAP buttonsHeading() const;
  HBITMAP dpiHeading() const;
  const char* rowLabel(int row) const;

protected:
  void DoDataExchange(CDataExchange* dx) override;
  BOOL OnInitDialog() override;

  // Steps of the pre-translation hub.
  void applySliderRule(MSG* msg);
  // True when the message started a window drag and is consumed.
  bool applyDpiBoxRules(MSG* msg);
  void updateClassCursor();

  static HBITMAP loadBitmap(UINT id);
  template <size_t N>
  static void loadBitmaps(HBITMAP (&set)[N], const UINT (&ids)[N]);
  static HICON loadTrayIcon(UINT id);
  void centreInWorkArea();

  DECLARE_MESSAGE_MAP()
  LRESULT OnPaint(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnQueryDragIcon(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnCtlColor(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnMiceChanged(UINT, WPARAM, LPARAM, BOOL&);

private:
  MainWindowInput inputOutput;
  InputEngine inputEngine;
};
