// The window and dialog layer: pre-translation walk, showing on first idle,
// message-map routing and the end of a modal run.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/CDialog.h"
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

}  // namespace
