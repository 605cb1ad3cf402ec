// The DPI side of the main window: the slider, which sets the current level's
// step; the four level boxes painted on the skin, which make their level
// current; the mouse's own DPI state shown; and the DPI half of the resets,
// which write the default steps and then drop the mouse's stale DPI reports
// until it answers.
#pragma once
#include <windows.h>

#include <cstdint>

#include "controls/SkinSlider.h"
#include "device/DpiCommands.h"
#include "framework/CDialog.h"

class Skin;

// The DPI commands' timers.
constexpr UINT_PTR kCommitDpiTimer = 124;  // CommitDpi at the end of a run of DPI steps
// Ends the wait for the mouse's answer to the program's own DPI reset.
constexpr UINT_PTR kDpiAnswersTimer = 125;

class DpiPanel {
public:
  // What the panel asks of the window that holds it.
  class Window {
  public:
    // Keeps the model in setting.dat.
    virtual void saveSettings() = 0;
    // The mouse's DPI reports until its answer to this state are stale.
    virtual void awaitDpiAnswer(int32_t level, int32_t step) = 0;

  protected:
    ~Window() = default;
  };

  DpiPanel(CWnd& parent, Window& window);

  void bind(CDataExchange* dx);
  void placeAndSkin(const Skin& skin);

  SkinSlider& slider() { return m_slider; }
  const SkinSlider& slider() const { return m_slider; }

  // The slider rule, for every message that reached the slider: a slider
  // change becomes the current level's step.
  void applySliderRule();
  // The level boxes and the window drag, for a mouse move or press; true
  // when the message was taken for a drag.
  bool applyBoxRules(const MSG& msg);
  // Whether the window's cursor at client point `at` is over a level box.
  bool overBox(POINT at) const;
  // A click on level box `level` (or its key): that level becomes current.
  void chooseLevel(int level);
  // The mouse's DPI state arrived: the slider shows its step.
  void showState(int step);

  // The mouse was found again: it gets the settings' steps.
  void restoreSteps();
  // "Default": the default steps written to the mouse level by level, each
  // level selected and committed in turn.
  void resetLevelByLevel();
  // Enter: the default steps written alone; the commit is the timer's.
  void resetSteps();

  // Where the painter writes the DPI number.
  POINT numberOrigin() const;
  // Repaints the number and the level boxes.
  void invalidate();

  void onCommitTimer() { m_commands.onCommitTimer(); }

private:
  class PanelTimers : public WindowTimers {
  public:
    explicit PanelTimers(CWnd& window) : m_window(window) {}
    void start(unsigned id, unsigned milliseconds) override { m_window.SetTimer(id, milliseconds); }
    void kill(unsigned id) override { m_window.KillTimer(id); }

  private:
    CWnd& m_window;
  };

  // The resets' end: the mouse is made to answer with the default level's
  // new state, and its reports until that answer are dropped; the window
  // shows the defaults and the whole reset is saved.
  void finishReset();

  CWnd& m_parent;
  Window& m_window;
  SkinSlider m_slider;
  PanelTimers m_timers;
  DpiCommands m_commands;
  int m_hoverBox = -1;
};
