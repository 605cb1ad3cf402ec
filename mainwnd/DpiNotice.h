// A small notice that shows, for a moment, the DPI level the user chose with
// the mouse's own DPI button while the window may be hidden: the DPI and the
// four level boxes, the current one outlined. It never takes the focus or a
// click, so a game in front keeps both. Its window and what it paints with
// exist only while it shows; none of it runs while it does not.
#pragma once
#include <windows.h>

#include "framework/CWnd.h"

struct Skin;

// The tray menu's "Show DPI changes on screen" command.
constexpr UINT kShowDpiOnScreenCommand = 32773;

class DpiNotice : public CWnd {
public:
  // Names the window for tools; the notice never draws it.
  static constexpr char kTitle[] = "Skivol Gaming Mouse DPI";
  static constexpr UINT kShowMs = 1500;
  static constexpr UINT kFadeStepMs = 40;
  static constexpr BYTE kFadeSteps = 8;
  static constexpr SIZE kSize = {184, 92};

  // The notice takes its level boxes and colours from the skin's clean
  // background, which must outlive it.
  explicit DpiNotice(const Skin& skin) : m_skin(skin) {}
  ~DpiNotice() override { hide(); }
  DpiNotice(const DpiNotice&) = delete;
  DpiNotice& operator=(const DpiNotice&) = delete;

  // Reads the user's choice and puts the checkable command into the tray
  // menu, above "Exit".
  void addMenuItem(HMENU popup, const char* text);
  // The menu command: the choice flips, is kept for the user and shown
  // checked or not; turned off, a showing notice goes.
  void toggle(HMENU popup);
  bool enabled() const { return m_enabled; }

  // Shows `level` of `step` near the bottom of the monitor the pointer is
  // on, or updates the notice that shows and restarts its time.
  void show(int level, int step);
  void hide();

protected:
  DECLARE_MESSAGE_MAP()
  LRESULT OnPaint(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnEraseBackground(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnTimer(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnNcHitTest(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnMouseActivate(UINT, WPARAM, LPARAM, BOOL&);

private:
  void paint(HDC target);

  const Skin& m_skin;
  bool m_enabled = true;
  int m_level = 0;
  int m_step = 0;
  BYTE m_fadeStep = 0;
};

// The user's choice, kept under HKEY_CURRENT_USER: on unless turned off.
bool readShowDpiOnScreen();
void writeShowDpiOnScreen(bool show);
