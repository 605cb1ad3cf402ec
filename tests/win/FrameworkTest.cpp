// The window and dialog layer: pre-translation walk, showing on first idle,
// message-map routing and the end of a modal run; how a window the program
// makes is bound to its object, watched, and goes.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/CDialog.h"
#include "framework/MessageWatcher.h"
#include "resource.h"

namespace {

constexpr UINT kProbe = WM_APP + 1;  // offered to the walk, then dispatched
constexpr UINT kSwallow = WM_APP + 2;  // taken by the edit box's filter
constexpr UINT kFinish = WM_APP + 3;

std::vector<std::string> events;

class RecordingEdit : public CWnd {
public:
  BOOL PreTranslateMessage(MSG* msg) override {
    if (msg->message == kProbe) events.push_back("edit:pretranslate");
    if (msg->message == kSwallow) {
      events.push_back("edit:swallow");
      return TRUE;
    }
    return FALSE;
  }
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == kProbe) events.push_back("edit:dispatched");
    if (message == kSwallow) events.push_back("edit:dispatched-swallowed");
    return CWnd::WindowProc(message, wParam, lParam);
  }
};

class ProbeDialog : public CDialog {
public:
  ProbeDialog() : CDialog(IDD_KEYCAPTURE) {}
  RecordingEdit edit;
  bool visibleDuringInit = true;
  bool visibleAtFirstTimer = false;
  bool visibleWhenPostedMessageArrived = true;
  int rangeHits = 0;
  WORD lastRangeId = 0;

protected:
  void DoDataExchange(CDataExchange* dx) override { DDX_Control(dx, IDC_KEY_EDIT, edit); }
  BOOL OnInitDialog() override {
    CDialog::OnInitDialog();
    visibleDuringInit = IsWindowVisible();
    ::PostMessageA(edit.m_hWnd, kProbe, 0, 0);
    ::PostMessageA(edit.m_hWnd, kSwallow, 0, 0);
    PostMessage(kFinish);
    return TRUE;
  }
  BOOL PreTranslateMessage(MSG* msg) override {
    if (msg->message == kProbe) events.push_back("dialog:pretranslate");
    if (msg->message == kSwallow) events.push_back("dialog:pretranslate-swallowed");
    return CDialog::PreTranslateMessage(msg);
  }

  DECLARE_MESSAGE_MAP()
  LRESULT OnFinish(UINT, WPARAM, LPARAM, BOOL&) {
    visibleWhenPostedMessageArrived = IsWindowVisible();
    SetTimer(7, 1);
    return 0;
  }
  LRESULT OnTimer(UINT, WPARAM, LPARAM, BOOL&) {
    KillTimer(7);
    visibleAtFirstTimer = IsWindowVisible();
    // Command routing by ID range and notification code.
    SendMessage(WM_COMMAND, MAKEWPARAM(1004, EN_CHANGE), 0);  // in range, right code
    SendMessage(WM_COMMAND, MAKEWPARAM(1004, EN_UPDATE), 0);  // wrong code
    SendMessage(WM_COMMAND, MAKEWPARAM(1010, EN_CHANGE), 0);  // out of range
    SendMessage(WM_COMMAND, MAKEWPARAM(1000, EN_CHANGE), 0);  // first of the range
    EndDialog(42);
    return 0;
  }
  LRESULT OnEditChange(WORD, WORD id, HWND, BOOL&) {
    ++rangeHits;
    lastRangeId = id;
    return 0;
  }
};

BEGIN_MESSAGE_MAP(ProbeDialog, CDialog)
  ON_MESSAGE(kFinish, OnFinish)
  ON_MESSAGE(WM_TIMER, OnTimer)
  ON_CONTROL_RANGE(EN_CHANGE, 1000, 1005, OnEditChange)
END_MESSAGE_MAP()

TEST(ModalDialog, WalksFiltersShowsWhenIdleRoutesCommandsAndEnds) {
  events.clear();
  ProbeDialog dialog;
  INT_PTR result = dialog.DoModal();

  EXPECT_EQ(result, 42);
  EXPECT_FALSE(dialog.visibleDuringInit);
  EXPECT_FALSE(dialog.visibleWhenPostedMessageArrived);
  EXPECT_TRUE(dialog.visibleAtFirstTimer);
  // The target control sees the message first, then its parent dialog; a
  // filter that takes a message ends both the walk and the dispatch.
  EXPECT_EQ(events, (std::vector<std::string>{"edit:pretranslate", "dialog:pretranslate", "edit:dispatched",
                                              "edit:swallow"}));
  EXPECT_EQ(dialog.rangeHits, 2);
  EXPECT_EQ(dialog.lastRangeId, 1000);
  EXPECT_EQ(dialog.m_hWnd, nullptr);  // the window is gone and the object detached
}

class RecordingWindow : public CWnd {
public:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == WM_NCCREATE) events.push_back("window:nccreate");
    if (message == kProbe) events.push_back("window:probe");
    if (message == kSwallow) events.push_back("window:swallow");
    return CWnd::WindowProc(message, wParam, lParam);
  }
};

class RecordingWatcher : public MessageWatcher {
public:
  bool beforeMessage(HWND, UINT message, WPARAM, LPARAM, LRESULT& result) override {
    if (message == kProbe) events.push_back("watcher:before");
    if (message != kSwallow) return false;
    events.push_back("watcher:answer");
    result = 7;
    return true;
  }
  void afterMessage(HWND, UINT message, WPARAM, LPARAM) override {
    if (message == kProbe) events.push_back("watcher:after");
  }
  void detached(HWND hwnd) override { events.push_back(::IsWindow(hwnd) ? "watcher:detached" : "watcher:late"); }
};

TEST(WindowBinding, MadeWindowIsBoundFromItsFirstMessageWatchedAndGoesWithItsObject) {
  events.clear();
  const char kClass[] = "SkivolBindingTest";
  ASSERT_TRUE(CWnd::RegisterWindowClass(kClass));
  ASSERT_TRUE(CWnd::RegisterWindowClass(kClass));  // again: nothing to do
  auto window = std::make_unique<RecordingWindow>();
  const RECT place = {0, 0, 10, 10};
  ASSERT_TRUE(window->CreateEx(0, kClass, "", WS_POPUP, place, nullptr));
  // The window's own end detaches it; the object can make another.
  ::DestroyWindow(window->m_hWnd);
  EXPECT_EQ(window->m_hWnd, nullptr);
  ASSERT_TRUE(window->CreateEx(0, kClass, "", WS_POPUP, place, nullptr));
  const HWND hwnd = window->m_hWnd;
  EXPECT_EQ(CWnd::FromHandlePermanent(hwnd), window.get());

  RecordingWatcher watcher;
  window->SetWatcher(&watcher);
  EXPECT_EQ(window->SendMessage(kProbe), 0);
  EXPECT_EQ(window->SendMessage(kSwallow), 7);
  window.reset();
  EXPECT_FALSE(::IsWindow(hwnd));  // the object's window goes with it
  EXPECT_EQ(events, (std::vector<std::string>{"window:nccreate", "window:nccreate", "watcher:before", "window:probe",
                                              "watcher:after", "watcher:answer", "watcher:detached"}));

  // A window the system made outlives the object that subclassed it, with
  // its own procedure back.
  const HWND label = ::CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  const LONG_PTR ownProcedure = ::GetWindowLongPtrA(label, GWLP_WNDPROC);
  {
    CWnd borrowed;
    ASSERT_TRUE(borrowed.SubclassWindow(label));
    EXPECT_NE(::GetWindowLongPtrA(label, GWLP_WNDPROC), ownProcedure);
  }
  EXPECT_TRUE(::IsWindow(label));
  EXPECT_EQ(::GetWindowLongPtrA(label, GWLP_WNDPROC), ownProcedure);
  EXPECT_EQ(CWnd::FromHandlePermanent(label), nullptr);
  ::DestroyWindow(label);
}

}  // namespace
