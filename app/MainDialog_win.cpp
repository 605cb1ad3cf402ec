#include "app/MainDialog.h"

#include "app/ProcessObjects.h"
#include "app/Seams.h"
#include "device/MouseConfig.h"
#include "mainwnd/MainWindowPainter.h"
#include "mainwnd/RawInputApi.h"
#include "resource.h"

namespace {
// Layout of the window, in client pixels.
constexpr int kComboOriginX = 30;
constexpr int kComboOriginY = 143;
constexpr int kComboColumnOffset = 150;
constexpr int kComboRowPitch = 40;
constexpr POINT kSliderPos = {180, 360};
constexpr SIZE kSliderSize = {156, 40};
constexpr POINT kCloseButtonPos = {585, 10};
constexpr POINT kMinimizeButtonPos = {557, 10};
constexpr POINT kDefaultButtonPos = {240, 410};
// The DPI level boxes painted on the skin, and the band of the DPI number to
// the right of the slider.
constexpr RECT kDpiBoxStrip = {18, 350, 168, 400};
constexpr int kDpiNumberTop = 350;
constexpr int kDpiNumberBottom = 400;
constexpr int kDpiNumberWidth = 100;

int noUsage(int) { return 0; }

class PlatformRawInput : public RawInputApi {
public:
  BOOL registerDevices(const RAWINPUTDEVICE* devices, UINT count, UINT entrySize) override {
    return ::RegisterRawInputDevices(devices, count, entrySize);
  }
  UINT getData(HRAWINPUT input, UINT command, void* data, UINT* size, UINT headerSize) override {
    return ::GetRawInputData(input, command, data, size, headerSize);
  }
};
RawInputApi& rawInput() {
  static PlatformRawInput api;
  return api;
}

void moveControl(CWnd& control, POINT at) {
  control.SetWindowPos(nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}
}  // namespace

MainDialog::MainDialog(CWnd* parent)
    : CDialog(IDD_MAIN, parent),
      inputOutput([this](int step) { showDpiState(step); }),
      inputEngine(mouseConfig, &noUsage, inputOutput) {
  windowIcon = ::LoadIconA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(IDR_MAINFRAME));
}

MainDialog::~MainDialog() = default;

BEGIN_MESSAGE_MAP(MainDialog, CDialog)
  ON_MESSAGE(WM_PAINT, OnPaint)
  ON_MESSAGE(WM_QUERYDRAGICON, OnQueryDragIcon)
  ON_MESSAGE(WM_CTLCOLORBTN, OnCtlColor)
  ON_MESSAGE(WM_CTLCOLORSTATIC, OnCtlColor)
  ON_MESSAGE(WM_CTLCOLOREDIT, OnCtlColor)
  ON_MESSAGE(WM_CTLCOLORLISTBOX, OnCtlColor)
  ON_MESSAGE(WM_CTLCOLORDLG, OnCtlColor)
  ON_MESSAGE(WM_APP_MICE_CHANGED, OnMiceChanged)
END_MESSAGE_MAP()

void MainDialog::DoDataExchange(CDataExchange* dx) {
  DDX_Control(dx, IDC_MINIMIZE_BUTTON, minimizeButton);
  DDX_Control(dx, IDC_DPI_SLIDER, dpiSlider);
  DDX_Control(dx, IDC_DEFAULT, defaultButton);
  DDX_Control(dx, IDOK, okButton);
  DDX_Control(dx, IDC_CLOSE_BUTTON, closeButton);
  DDX_Control(dx, IDC_COMBO_RIGHT, comboRight);
  DDX_Control(dx, IDC_COMBO_WHEEL, comboWheel);
  DDX_Control(dx, IDC_COMBO_5TH, combo5th);
  DDX_Control(dx, IDC_COMBO_4TH, combo4th);
}

BOOL MainDialog::OnInitDialog() {
  CDialog::OnInitDialog();
  SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(windowIcon));
  SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(windowIcon));

  HINSTANCE instance = AfxGetInstanceHandle();
  skinBackdrop = static_cast<HBITMAP>(::LoadImageA(instance, MAKEINTRESOURCEA(IDB_SKIN), IMAGE_BITMAP, 0, 0, 0));
  backgroundBitmap = static_cast<HBITMAP>(::LoadImageA(instance, MAKEINTRESOURCEA(IDB_SKIN), IMAGE_BITMAP, 0, 0, 0));
  BITMAP info = {};
  if (skinBackdrop && ::GetObjectA(skinBackdrop, sizeof(info), &info)) {
    skinWidth = info.bmWidth;
    skinHeight = info.bmHeight;
  }

  dpiSlider.SetRange(0, 7, FALSE);
  dpiSlider.SetWindowPos(nullptr, kSliderPos.x, kSliderPos.y, kSliderSize.cx, kSliderSize.cy, SWP_NOZORDER);
  SetWindowPos(nullptr, 0, 0, skinWidth, skinHeight, SWP_NOMOVE | SWP_NOZORDER);

  defaultButton.SetWindowText("Default");
  moveControl(closeButton, kCloseButtonPos);
  moveControl(minimizeButton, kMinimizeButtonPos);
  moveControl(defaultButton, kDefaultButtonPos);
  SetWindowText("Gaming Mouse");

  CComboBox* rows[] = {&comboRight, &comboWheel, &combo4th, &combo5th};
  for (int row = 0; row < 4; ++row) {
    rows[row]->SetWindowPos(nullptr, kComboOriginX + kComboColumnOffset, kComboOriginY + kComboRowPitch * row, 190,
                            25, SWP_NOSIZE | SWP_NOZORDER);
  }
  return TRUE;
}

LRESULT MainDialog::OnPaint(UINT, WPARAM, LPARAM, BOOL& handled) {
  MainWindowPainter::paint(*this);
  handled = FALSE;  // default processing follows, as after every paint
  return 0;
}

LRESULT MainDialog::OnQueryDragIcon(UINT, WPARAM, LPARAM, BOOL&) {
  return reinterpret_cast<LRESULT>(windowIcon);
}

LRESULT MainDialog::OnCtlColor(UINT, WPARAM, LPARAM, BOOL&) {
  // Controls draw over the skin.
  return reinterpret_cast<LRESULT>(::GetStockObject(NULL_BRUSH));
}

BOOL MainDialog::PreTranslateMessage(MSG* msg) {
  if (dpiSlider.m_hWnd && msg->hwnd == dpiSlider.m_hWnd) applySliderRule(msg);
  switch (msg->message) {
    case WM_INPUT:
      // Never consumed: the default processing frees the packet.
      onRawInput(reinterpret_cast<HRAWINPUT>(msg->lParam));
      break;
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
      if (applyDpiBoxRules(msg)) return TRUE;
      break;
    case WM_APP_CLOSE_REQUEST:
      // Not consumed: it goes on to dispatch like any unhandled message.
      PostMessage(WM_CLOSE, 0, 0);
      break;
    default:
      // Among others the notes of the magnifier, the combo boxes and the
      // slider, which need nothing here.
      break;
  }
  updateClassCursor();
  return CDialog::PreTranslateMessage(msg);
}

void MainDialog::applySliderRule(MSG*) {}

bool MainDialog::applyDpiBoxRules(MSG*) { return false; }

void MainDialog::updateClassCursor() {}

void MainDialog::onRawInput(HRAWINPUT handle) { ::onRawInput(inputEngine, rawInput(), handle); }

void MainDialog::showDpiState(int step) {
  dpiSlider.SetPos(step);
  invalidateDpiAreas();
}

void MainDialog::invalidateDpiAreas() {
  RECT slider = {};
  dpiSlider.GetClientRect(&slider);
  ::MapWindowPoints(dpiSlider.m_hWnd, m_hWnd, reinterpret_cast<POINT*>(&slider), 2);
  const RECT number = {slider.right, kDpiNumberTop, slider.right + kDpiNumberWidth, kDpiNumberBottom};
  InvalidateRect(&number, FALSE);
  InvalidateRect(&kDpiBoxStrip, FALSE);
}

void noteMouseSet(HWND mainWindow, const MouseSet& before, const MouseSet& after) {
  if (before != after) ::PostMessageA(mainWindow, WM_APP_MICE_CHANGED, 0, 0);
}

LRESULT MainDialog::OnMiceChanged(UINT, WPARAM, LPARAM, BOOL&) {
  inputEngine.reset();
  return 0;
}
