#include "app/MainDialog.h"

#include "app/ProcessObjects.h"
#include "mainwnd/MainWindowPainter.h"
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

void moveControl(CWnd& control, POINT at) {
  control.SetWindowPos(nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}
}  // namespace

MainDialog::MainDialog(CWnd* parent) : CDialog(IDD_MAIN, parent) {
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
  ON_MESSAGE(WM_DRAWITEM, OnDrawItem)
  ON_CONTROL_RANGE(CBN_SELCHANGE, IDC_COMBO_4TH, IDC_COMBO_RIGHT, OnAssignmentChange)
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

  // Every text that the controls and menus get from here on is the loaded one.
  loadUiTexts();
  // Before the first raw input: the input engine reads the table unloaded.
  loadKeyTable();

  for (int i = 0; i < 3; ++i) controlFonts[i].CreateFont(-14, "Tahoma");

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

  defaultButton.SetWindowText(uiTexts[UiText::Default]);
  fillAssignmentCombos();
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

LRESULT MainDialog::OnDrawItem(UINT, WPARAM wParam, LPARAM lParam, BOOL& handled) {
  // Owner-drawn controls draw themselves.
  LRESULT result = 0;
  if (!SkinComboBox::reflectDrawItem(wParam, lParam, result)) handled = FALSE;
  return result;
}
