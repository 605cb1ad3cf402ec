// What the main window's painter needs of the window it paints. The main
// window implements it, so the painter depends on these few questions and not
// on the window's class. The painter asks them only while painting the
// window's picture, never while the window is minimised.
#pragma once
#include <windows.h>

#include <string>

struct Skin;
class SkinButton;
class SkinComboBox;
class SkinSlider;

class PaintedWindow {
public:
  // The skinned controls the painter may draw along with the window, in the
  // order it draws them. Borrowed: the window owns them.
  struct SkinnedControls {
    SkinButton* buttons[3];   // close, minimise, "Default"
    SkinComboBox* combos[4];  // right, wheel, 4th, 5th button
    SkinSlider* slider;       // DPI
    SkinComboBox* profileBox;  // the bottom bar's
    // Lies over the painted DPI levels for the keyboard and draws nothing:
    // painted with the window (null until it exists).
    HWND seeThrough;
  };

  virtual HWND paintedHandle() const = 0;
  // Drawn in the middle of the minimised window.
  virtual HICON paintedIcon() const = 0;
  virtual const Skin& skin() const = 0;
  // The section headings in the texts' language (null: none drawn).
  virtual HBITMAP buttonsHeading() const = 0;
  virtual HBITMAP dpiHeading() const = 0;
  // Where the DPI number is drawn: beside the slider's thumb.
  virtual POINT dpiNumberOrigin() const = 0;
  virtual int dpiSliderPos() const = 0;
  // The label drawn over assignment row `row` (0..3), or null.
  virtual const char* rowLabel(int row) const = 0;
  // The last save failed: the bottom bar says so.
  virtual bool settingsUnsaved() const = 0;
  // What the bottom bar says of profiles.ini, when nothing more pressing: ""
  // for nothing.
  virtual std::string profileNotice() const = 0;
  virtual SkinnedControls skinnedControls() = 0;
  // The keyboard focus outline, in client coordinates; empty: none.
  virtual RECT focusRing() const = 0;

protected:
  ~PaintedWindow() = default;  // never deleted through this interface
};
