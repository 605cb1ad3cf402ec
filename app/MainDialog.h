// The utility's main window: a borderless dialog exactly the size of its skin.
#pragma once
#include <cstdint>

#include "controls/SkinButton.h"
#include "controls/SkinSlider.h"
#include "device/DpiCommands.h"
#include "framework/CComboBox.h"
#include "framework/CDialog.h"

// Posted by the device re-scan worker: start the post-scan timer. Window
// timers belong to the window's thread, so the worker cannot start it itself.
constexpr UINT WM_APP_START_POSTSCAN = WM_APP + 122;

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

  // Device commands, on the window's thread.
  // ReportMask from the model, when the last scan found the input collection.
  void pushReportMask();
  // Reads setting.dat; a valid file reaches the model, the combo boxes and
  // the mouse, anything else leaves the defaults in place.
  void loadSettings();
  // The DPI commands with their gate; the commit timer is this window's.
  bool setDpiStep(int32_t level, int32_t step, uint8_t a4, uint8_t a5, uint8_t a6, uint8_t a7);
  bool selectDpiLevel(int32_t level);
  void commitDpi();

  // What the painter draws over the skin.
  HBITMAP buttonsHeading() const;
  HBITMAP dpiHeading() const;
  const char* rowLabel(int row) const;

protected:
  void DoDataExchange(CDataExchange* dx) override;
  LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  BOOL OnInitDialog() override;

  static HBITMAP loadBitmap(UINT id);
  template <size_t N>
  static void loadBitmaps(HBITMAP (&set)[N], const UINT (&ids)[N]);
  static HICON loadTrayIcon(UINT id);
  void centreInWorkArea();

  DECLARE_MESSAGE_MAP()
  LRESULT OnSysCommand(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnPaint(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnQueryDragIcon(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnCtlColor(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnDeviceTimer(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnStartPostScan(UINT, WPARAM, LPARAM, BOOL&);

private:
  class DialogTimers : public WindowTimers {
  public:
    explicit DialogTimers(CWnd& window) : window_(window) {}
    void start(unsigned id, unsigned milliseconds) override { window_.SetTimer(id, milliseconds); }
    void kill(unsigned id) override { window_.KillTimer(id); }

  private:
    CWnd& window_;
  };

  void registerRawInput();
  void startRescanWorker();

  DialogTimers deviceTimers{*this};
  DpiCommands dpiCommands;
};
