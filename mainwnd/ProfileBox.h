// Program profiles on the main window. The profile box on the bottom bar
// chooses whose rows the four assignment rows show and edit; profiles.ini
// keeps them (hand edits while the program runs come in as they are saved);
// the window in front decides whose rows the engine and the mouse act on.
#pragma once
#include <windows.h>

#include <string>

#include "controls/SkinComboBox.h"
#include "device/MouseConfig.h"
#include "framework/CDialog.h"
#include "profiles/FolderWatch.h"
#include "profiles/ForegroundWatch.h"
#include "profiles/ProfilesFile.h"
#include "profiles/ProgramProfiles.h"

class KeyboardAccess;
class Skin;

// While a program's own rows are in force: is its window still in front?
// The program may quit with no event to say so (under Wine no window takes
// the front after it, and no window's end is told).
constexpr UINT_PTR kProgramGoneTimer = 126;
constexpr UINT kProgramGonePeriodMs = 1000;
// Posted to the window by the watch of the program's folder: something in it
// changed, maybe profiles.ini.
constexpr UINT WM_APP_FOLDER_CHANGED = WM_APP + 0x301;
// Posted to the window when "Add a program..." is chosen: the menu of open
// windows opens once the box is done with the choice.
constexpr UINT WM_APP_ADD_PROFILE = WM_APP + 0x300;
// Posted to the window when "Remove this profile" is chosen: the question
// opens once the box is done with the choice.
constexpr UINT WM_APP_REMOVE_PROFILE = WM_APP + 0x302;

class ProfileBox {
public:
  // What the profile box asks of the window that holds it.
  class Window {
  public:
    // The mouse lets go of whatever a remapped button holds.
    virtual void releaseHeldInput() = 0;
    // The mouse reports the buttons the rows in force remap.
    virtual void pushReportMask() = 0;
    // The rows show the edited profile's assignments.
    virtual void showEditedRows() = 0;
    // The profile in force changed: its program's name, or null for
    // setting.dat's rows.
    virtual void showProfileInForce(const wchar_t* program) = 0;
    // The last save of profiles.ini succeeded or failed.
    virtual void profilesSaved(bool saved) = 0;
    virtual KeyboardAccess& keyboard() = 0;

  protected:
    ~Window() = default;
  };

  ProfileBox(CWnd& parent, Window& window) : m_parent(parent), m_window(window) {}

  void bind(CDataExchange* dx);
  void skinAndPlace(const Skin& skin);
  SkinComboBox& box() { return m_box; }

  // Reads profiles.ini, fills the box, and starts following the window in
  // front and the file's hand edits.
  void load();
  // At the exit: setting.dat's rows are in force again, and nothing more is
  // followed.
  void stop();

  // The profile being edited: "" for setting.dat's rows.
  const std::string& edited() const { return m_edited; }
  // What button `buttonIndex` does in the profile being edited.
  ButtonAssignment editedAssignment(int buttonIndex) const;
  // A row of the edited profile changed: saved, and in force at once when
  // its program is in front.
  void setEditedRow(int buttonIndex, const ButtonAssignment& assigned);

  // Puts in force the rows of the program in front. When they belong to
  // another profile than before, held input is let go first and the report
  // mask follows; nothing else is sent.
  void applyRowsInForce();
  // Writes profiles.ini after a change by the user; false when it was not.
  // What the file held besides (edits by hand) comes into the window too.
  bool save();
  // At the exit, when the last save failed: one more try.
  bool saveAtExit();
  // The line the bottom bar shows about profiles.ini, or "".
  std::string notice() const;

  // The box notifies the window (CBN_...).
  void onNotification(WORD code);
  // The window's messages about profiles (WM_APP_ADD_PROFILE,
  // WM_APP_REMOVE_PROFILE, WM_APP_FOLDER_CHANGED).
  void onMessage(UINT message);
  // Enter on the box: a command reached with the keys is taken.
  void onEnter();
  // The window's own program may have come to the front.
  void checkFront() { m_foregroundWatch.check(); }

private:
  void onChange(WORD code);
  void onListCancelled();
  void onLeft();
  void onAddProfile();
  void onRemoveProfile();
  void onFolderChanged();
  void fill();
  void edit(const std::string& program);
  void add(const std::string& program);
  void removeEdited();
  void reload();
  // "Add a program..." or "Remove this profile" (by item data) taken: the
  // menu of open windows, or the question whether to remove, opens once the
  // box is done with the choice.
  void takeCommand(DWORD_PTR item);
  bool askToRemoveEdited();
  // The menu of the programs with a window open now and the Open dialog;
  // "" when none was chosen.
  std::string chooseProgram();
  std::string programFromOpenDialog();

  CWnd& m_parent;
  Window& m_window;
  SkinComboBox m_box;
  ProgramProfiles m_profiles;
  ProfilesFile m_file;
  ForegroundWatch m_foregroundWatch;
  FolderWatch m_folderWatch;
  std::string m_edited;         // "" for setting.dat's rows
  // The closed box was moved with the keys onto "Add a program..." or
  // "Remove this profile": it acts only on Enter, and shows the edited
  // profile again when left.
  bool m_commandPending = false;
};
