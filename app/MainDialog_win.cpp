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

  fontTahoma16.CreateFont(-16, "Tahoma");
  fontTahoma12.CreateFont(-12, "Tahoma");
  for (int i = 0; i < 3; ++i) controlFonts[i].CreateFont(-14, "Tahoma");

  loadBitmaps(defaultButtonBitmaps, {IDB_DEFAULT_NORMAL, IDB_DEFAULT_HOVER, IDB_DEFAULT_PRESSED, IDB_DEFAULT_NORMAL,
                                     IDB_DEFAULT_NORMAL});
  loadBitmaps(comboBitmaps, {IDB_COMBO_FRAME, IDB_COMBO_ARROW, IDB_COMBO_ARROW_HOVER, IDB_COMBO_ARROW_DISABLED});
  skinBackdrop = loadBitmap(IDB_SKIN);
  backgroundBitmap = loadBitmap(IDB_SKIN);
  BITMAP skin = {};
  if (skinBackdrop && ::GetObjectA(skinBackdrop, sizeof(skin), &skin)) {
    skinWidth = skin.bmWidth;
    skinHeight = skin.bmHeight;
  }
  savedClassCursor = reinterpret_cast<HCURSOR>(::GetClassLongPtrA(m_hWnd, GCLP_HCURSOR));

  dpiSlider.SetRange(0, 7, FALSE);
  dpiSlider.SetWindowPos(nullptr, kSliderPos.x, kSliderPos.y, kSliderSize.cx, kSliderSize.cy, SWP_NOZORDER);
  SetWindowPos(nullptr, 0, 0, skinWidth, skinHeight, SWP_NOMOVE | SWP_NOZORDER);

  trayIcons[0] = loadTrayIcon(IDI_TRAY_0);
  trayIcons[1] = loadTrayIcon(IDI_TRAY_1);
  trayIcons[2] = loadTrayIcon(IDI_TRAY_2);

  defaultButton.SetWindowText(uiTexts[UiText::Default]);
  fillAssignmentCombos();

  loadBitmaps(closeButtonBitmaps, {IDB_CLOSE_NORMAL, IDB_CLOSE_HOVER, IDB_CLOSE_PRESSED, IDB_CLOSE_NORMAL,
                                   IDB_CLOSE_NORMAL});
  loadBitmaps(minimizeButtonBitmaps, {IDB_MINIMIZE_NORMAL, IDB_MINIMIZE_HOVER, IDB_MINIMIZE_PRESSED,
                                      IDB_MINIMIZE_PRESSED, IDB_MINIMIZE_PRESSED});
  moveControl(closeButton, kCloseButtonPos);
  closeButton.setSkin(closeButtonBitmaps, skinBackdrop, 0, 0);
  moveControl(minimizeButton, kMinimizeButtonPos);
  minimizeButton.setSkin(minimizeButtonBitmaps, skinBackdrop, 0, 0);
  moveControl(defaultButton, kDefaultButtonPos);
  defaultButton.setSkin(defaultButtonBitmaps, skinBackdrop, 1, 2);

  SetWindowText("Gaming Mouse");

  CComboBox* rows[] = {&comboRight, &comboWheel, &combo4th, &combo5th};
  for (int row = 0; row < 4; ++row) {
    rows[row]->SetWindowPos(nullptr, kComboOriginX + kComboColumnOffset, kComboOriginY + kComboRowPitch * row, 190,
                            25, SWP_NOSIZE | SWP_NOZORDER);
  }

  // The template has no position: centre the window, now at its final size,
  // in the work area.
  centreInWorkArea();
  return TRUE;
}

HBITMAP MainDialog::loadBitmap(UINT id) {
  return static_cast<HBITMAP>(::LoadImageA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, 0));
}

template <size_t N>
void MainDialog::loadBitmaps(HBITMAP (&set)[N], const UINT (&ids)[N]) {
  for (size_t i = 0; i < N; ++i) set[i] = loadBitmap(ids[i]);
}

HICON MainDialog::loadTrayIcon(UINT id) {
  return static_cast<HICON>(::LoadImageA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(id), IMAGE_ICON, 24, 24, 0));
}

void MainDialog::centreInWorkArea() {
  RECT work = {};
  ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  RECT window;
  GetWindowRect(&window);
  int width = window.right - window.left;
  int height = window.bottom - window.top;
  SetWindowPos(nullptr, work.left + (work.right - work.left - width) / 2, work.top + (work.bottom - work.top - height) / 2,
               0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

HBITMAP MainDialog::buttonsHeading() const { return headingBitmaps[uiTexts.languageIndex][0]; }

HBITMAP MainDialog::dpiHeading() const { return headingBitmaps[uiTexts.languageIndex][1]; }

const char* MainDialog::rowLabel(int row) const {
  static const UiText labels[] = {UiText::RightButton, UiText::WheelButton, UiText::Button4th, UiText::Button5th};
  return uiTexts[labels[row]];
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
