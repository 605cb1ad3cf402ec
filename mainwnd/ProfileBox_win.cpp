#include "mainwnd/ProfileBox.h"

#include <commdlg.h>

#include <new>
#include <vector>

#include "controls/Skin.h"
#include "device/MouseModel.h"
#include "device/ProgramDirectory.h"
#include "framework/CMenu.h"
#include "framework/GdiObjects.h"
#include "framework/WideText.h"
#include "mainwnd/KeyboardAccess.h"
#include "mainwnd/MainWindowLayout.h"
#include "texts/UiTexts.h"
#include "resource.h"

namespace {

// Where the copy of a damaged profiles.ini goes when the program's folder
// takes no new file from the user: under the user's local application data.
constexpr wchar_t kBackupFolderName[] = L"Skivol Gaming Mouse";
// The profile box's items besides the profiles, by their item data; a
// profile's item holds its index in the profiles plus one.
constexpr DWORD_PTR kEveryOtherProgramItem = 0;
constexpr DWORD_PTR kAddProgramItem = static_cast<DWORD_PTR>(-1);
constexpr DWORD_PTR kRemoveProfileItem = static_cast<DWORD_PTR>(-2);
// Commands of the menu of open windows.
constexpr UINT kBrowseCommand = 1;
constexpr UINT kFirstWindowCommand = 2;
constexpr int kMaxListedWindows = 40;
constexpr int kMenuIconSize = 16;
constexpr int kMenuTitleChars = 60;
constexpr DWORD kOpenPathChars = 1024;

std::string backupFolder() {
  // The session's own variable for it: asking the shell would load its
  // library at every start.
  wchar_t base[MAX_PATH] = {};
  const DWORD length = ::GetEnvironmentVariableW(L"LOCALAPPDATA", base, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return std::string();
  return utf8FromWide((std::wstring(base) + L"\\" + kBackupFolderName + L"\\").c_str()).c_str();
}

// A program's name as the window shows it.
std::wstring shownProgramName(const std::string& program) { return wideFromUtf8(program.c_str()); }

// The names of the profiles, in their order.
std::vector<std::string> profileNames(const ProgramProfiles& profiles) {
  std::vector<std::string> names;
  for (const ProgramProfile& profile : profiles.profiles()) names.push_back(profile.program);
  return names;
}

// A window a person would pick: shown, unowned, titled, not a tool window.
struct OpenWindow {
  HWND window;
  std::string program;
  std::wstring title;
};

struct WindowSearch {
  ForegroundWatch* watch;
  std::vector<OpenWindow> found;
};

BOOL CALLBACK collectWindow(HWND window, LPARAM parameter) {
  auto& search = *reinterpret_cast<WindowSearch*>(parameter);
  if (static_cast<int>(search.found.size()) >= kMaxListedWindows) return FALSE;
  if (!::IsWindowVisible(window) || ::GetWindow(window, GW_OWNER)) return TRUE;
  if (::GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOOLWINDOW) return TRUE;
  wchar_t title[kMenuTitleChars + 1] = {};
  if (::GetWindowTextW(window, title, kMenuTitleChars + 1) <= 0) return TRUE;
  std::string program = search.watch->programOf(window);
  if (program.empty() || !isValidProgramName(program)) return TRUE;
  search.found.push_back({window, std::move(program), title});
  return TRUE;
}

// The window's small icon as a menu picture (32-bit, with its alpha), or null.
GdiObject<HBITMAP> menuPictureOf(HWND window) {
  DWORD_PTR result = 0;
  HICON icon = nullptr;
  if (::SendMessageTimeoutW(window, WM_GETICON, ICON_SMALL2, 0, SMTO_ABORTIFHUNG, 100, &result) && result)
    icon = reinterpret_cast<HICON>(result);
  if (!icon) icon = reinterpret_cast<HICON>(::GetClassLongPtrW(window, GCLP_HICONSM));
  if (!icon) icon = reinterpret_cast<HICON>(::GetClassLongPtrW(window, GCLP_HICON));
  if (!icon) return GdiObject<HBITMAP>();
  WindowDC screen(nullptr);
  GdiObject<HBITMAP> picture = createDibSection(screen, kMenuIconSize, kMenuIconSize);
  if (picture) {
    MemoryDC dc(screen, picture);
    ::DrawIconEx(dc, 0, 0, icon, kMenuIconSize, kMenuIconSize, 0, nullptr, DI_NORMAL);
  }
  return picture;
}

}  // namespace

void ProfileBox::bind(CDataExchange* dx) { DDX_Control(dx, IDC_COMBO_PROFILE, m_box); }

void ProfileBox::skinAndPlace(const Skin& skin) {
  // The combo boxes' look, narrower, in the bar's font.
  HBITMAP bitmaps[4] = {skin.profileFrameBitmap, skin.comboBitmaps[1], skin.comboBitmaps[2], skin.comboBitmaps[3]};
  m_box.setSkin(bitmaps, skin.skinBackdrop, skin.fontTahoma12);
  m_box.SetWindowPos(nullptr, kProfileBoxPos.x, kProfileBoxPos.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

void ProfileBox::load() {
  m_file.setBackupFolder(backupFolder());
  m_file.load(profilesFilePath().c_str(), m_profiles);
  // Edits by hand while the program runs are picked up as they are saved.
  m_folderWatch.start(programDirectory.c_str(), m_parent.m_hWnd, WM_APP_FOLDER_CHANGED);
  fill();
  // The program in front changed ("" for this one or none): its profile's
  // rows, or the rows of setting.dat, are put in force.
  m_foregroundWatch.start([this](const std::string&) { applyRowsInForce(); });
  m_foregroundWatch.check();
}

void ProfileBox::applyRowsInForce() {
  const RowsInForce rows = rowsInForceFor(m_profiles, m_foregroundWatch.programInFront(), mouseModel.config());
  const bool otherProfile = rows.profile != mouseModel.config().programInForce;
  if ((!otherProfile && rows.sameAs(mouseModel.config())) || mouseModel.exitRequested()) return;
  // What the buttons hold was pressed under the rows of before; their
  // releases would act on the new ones.
  if (otherProfile) m_window.releaseHeldInput();
  rows.putInto(*mouseModel.change());
  if (rows.profile.empty())
    m_parent.KillTimer(kProgramGoneTimer);
  else
    m_parent.SetTimer(kProgramGoneTimer, kProgramGonePeriodMs);
  m_window.pushReportMask();
  if (otherProfile) m_window.showProfileInForce(rows.profile.empty() ? nullptr : shownProgramName(rows.profile).c_str());
}

void ProfileBox::stop() {
  m_foregroundWatch.stop();
  m_folderWatch.stop();
  m_parent.KillTimer(kProgramGoneTimer);
  // No profile applies any more: the rows of setting.dat are in force.
  rowsInForceFor(m_profiles, std::string(), mouseModel.config()).putInto(*mouseModel.change());
  m_edited.clear();
}

bool ProfileBox::saveAtExit() { return m_file.save(profilesFilePath().c_str(), m_profiles); }

ButtonAssignment ProfileBox::editedAssignment(int buttonIndex) const {
  if (!m_edited.empty()) {
    const ProgramProfile* profile = m_profiles.find(m_edited);
    const int row = rowOfButton(buttonIndex);
    if (profile && row >= 0) return profile->rows[row];
  }
  return mouseModel.config().assignments[buttonIndex];
}

void ProfileBox::setEditedRow(int buttonIndex, const ButtonAssignment& assigned) {
  const int row = rowOfButton(buttonIndex);
  if (row >= 0) m_profiles.setRow(m_edited, row, assigned.function, assigned.modifiers, assigned.scanCode);
  save();
  applyRowsInForce();
}

bool ProfileBox::save() {
  if (mouseModel.exitRequested()) return false;
  bool saved = false;
  const std::vector<std::string> namesBefore = profileNames(m_profiles);
  try {
    saved = m_file.save(profilesFilePath().c_str(), m_profiles);
  } catch (const std::bad_alloc&) {
    saved = false;
  }
  // Profiles written into the file by hand came in with the save.
  if (saved && profileNames(m_profiles) != namesBefore) fill();
  // "Settings not saved" stays on the bottom bar until a save succeeds; the
  // line's notice follows what the file holds now.
  m_window.profilesSaved(saved);
  return saved;
}

void ProfileBox::reload() {
  if (mouseModel.exitRequested()) return;
  bool changed = false;
  try {
    changed = m_file.reload(profilesFilePath().c_str(), m_profiles);
  } catch (const std::bad_alloc&) {
    changed = false;
  }
  if (!changed) return;
  // A file that became damaged is left alone until the user changes a
  // profile, as one found damaged at the start.
  if (m_file.damaged()) m_window.profilesSaved(true);
  edit(m_edited);
  applyRowsInForce();
}

void ProfileBox::onFolderChanged() {
  m_folderWatch.done();
  reload();
}

std::string ProfileBox::notice() const {
  if (m_file.damaged()) return uiTexts[UiText::ProfilesUnreadable].c_str();
  if (m_edited.empty()) return std::string();
  const ProgramProfile* profile = m_profiles.find(m_edited);
  if (!profile || profile->problems.empty()) return std::string();
  return std::string(uiTexts[UiText::ProfileLineUnknown].c_str()) + " " +
         std::to_string(profile->problems.front().line);
}

void ProfileBox::fill() {
  m_box.ResetContent();
  int selected = m_box.AddString(uiTexts[UiText::EveryOtherProgram]);
  m_box.SetItemData(selected, kEveryOtherProgramItem);
  const std::vector<ProgramProfile>& profiles = m_profiles.profiles();
  for (size_t i = 0; i < profiles.size(); ++i) {
    // Wide: a program may be named in any script.
    const int item = static_cast<int>(::SendMessageW(m_box.m_hWnd, CB_ADDSTRING, 0,
                                                     reinterpret_cast<LPARAM>(shownProgramName(profiles[i].program).c_str())));
    m_box.SetItemData(item, static_cast<DWORD_PTR>(i + 1));
    if (sameProgramName(profiles[i].program, m_edited)) selected = item;
  }
  m_box.SetItemData(m_box.AddString(uiTexts[UiText::AddProgram]), kAddProgramItem);
  if (!m_edited.empty())
    m_box.SetItemData(m_box.AddString(uiTexts[UiText::RemoveProfile]), kRemoveProfileItem);
  m_box.SetCurSel(selected);
  m_box.Invalidate();
}

void ProfileBox::edit(const std::string& program) {
  const ProgramProfile* profile = program.empty() ? nullptr : m_profiles.find(program);
  m_edited = profile ? profile->program : std::string();
  fill();
  m_window.showEditedRows();
}

void ProfileBox::add(const std::string& program) {
  if (!m_profiles.find(program)) {
    if (!m_profiles.add(program)) return;
    save();
  }
  edit(program);
  applyRowsInForce();
}

void ProfileBox::removeEdited() {
  if (m_edited.empty()) return;
  m_profiles.remove(m_edited);
  save();
  edit(std::string());
  applyRowsInForce();
}

void ProfileBox::onNotification(WORD code) {
  switch (code) {
    case CBN_SELCHANGE:
    case CBN_SELENDOK:
      onChange(code);
      break;
    case CBN_SELENDCANCEL:
      onListCancelled();
      break;
    case CBN_KILLFOCUS:
      onLeft();
      break;
    default:
      break;
  }
}

void ProfileBox::onMessage(UINT message) {
  if (message == WM_APP_ADD_PROFILE) onAddProfile();
  if (message == WM_APP_REMOVE_PROFILE) onRemoveProfile();
  if (message == WM_APP_FOLDER_CHANGED) onFolderChanged();
}

void ProfileBox::onChange(WORD code) {
  // Moving through the open list changes the selection at each step (on
  // Windows; Wine waits for the choice); only the item taken counts, so that
  // passing "Remove this profile" removes nothing. A closed box moves to a
  // profile on each step, as the rows do; every choice leaves the box on the
  // edited profile, so one taken twice acts once.
  if (code == CBN_SELCHANGE && m_box.SendMessage(CB_GETDROPPEDSTATE)) return;
  const int selection = m_box.GetCurSel();
  if (selection < 0) return;
  const DWORD_PTR item = m_box.GetItemData(selection);
  if (item == kAddProgramItem || item == kRemoveProfileItem) {
    // The commands act only when taken from the open list (or with Enter):
    // a key on the closed box that lands on one (an arrow, End, a letter)
    // leaves it waiting.
    m_commandPending = m_window.keyboard().choosingByKeys();
    if (!m_commandPending) takeCommand(item);
    return;
  }
  m_commandPending = false;
  if (item == kEveryOtherProgramItem) {
    edit(std::string());
  } else if (item <= m_profiles.profiles().size()) {
    edit(m_profiles.profiles()[item - 1].program);
  }
}

void ProfileBox::takeCommand(DWORD_PTR item) {
  m_commandPending = false;
  // The box shows the edited profile again while the menu or the question
  // is open. Either runs a loop of its own, which the box, still busy with
  // its list's click, would keep from taking keys: it opens once that is over.
  fill();
  if (item == kAddProgramItem) m_parent.PostMessage(WM_APP_ADD_PROFILE);
  if (item == kRemoveProfileItem) m_parent.PostMessage(WM_APP_REMOVE_PROFILE);
}

void ProfileBox::onEnter() {
  if (!m_commandPending) return;
  const int selection = m_box.GetCurSel();
  const DWORD_PTR item = selection >= 0 ? m_box.GetItemData(selection) : kEveryOtherProgramItem;
  if (item == kAddProgramItem || item == kRemoveProfileItem) {
    takeCommand(item);
  } else {
    m_commandPending = false;
  }
}

void ProfileBox::onListCancelled() {
  // The list closed without a choice: the box names the edited profile
  // again, whichever item was passed on the way. A command reached with the
  // keys on the closed box (which reports this too) keeps waiting for Enter.
  if (!m_commandPending) fill();
}

void ProfileBox::onLeft() {
  // Left without Enter, a command reached with the keys is dropped.
  if (!m_commandPending) return;
  m_commandPending = false;
  fill();
  m_window.keyboard().announceValue(m_box.m_hWnd);
}

void ProfileBox::onAddProfile() {
  const std::string program = chooseProgram();
  if (!program.empty()) add(program);
}

void ProfileBox::onRemoveProfile() {
  if (!m_edited.empty() && askToRemoveEdited()) removeEdited();
}

namespace {
// The question's own "Yes" and "No", in the window's language: the message
// box's buttons are the system's.
HHOOK questionHook = nullptr;

LRESULT CALLBACK nameQuestionButtons(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_ACTIVATE) {
    const HWND box = reinterpret_cast<HWND>(wParam);
    ::SetDlgItemTextW(box, IDYES, wideFromAnsi(uiTexts[UiText::Yes]).c_str());
    ::SetDlgItemTextW(box, IDNO, wideFromAnsi(uiTexts[UiText::No]).c_str());
  }
  return ::CallNextHookEx(questionHook, code, wParam, lParam);
}
}  // namespace

bool ProfileBox::askToRemoveEdited() {
  // "%s" in the text stands for the program's name (taken as it stands: the
  // text comes from lang.ini).
  std::wstring question = wideFromAnsi(uiTexts[UiText::RemoveQuestion]);
  const std::wstring name = shownProgramName(m_edited);
  const size_t at = question.find(L"%s");
  if (at == std::wstring::npos) {
    question += L" " + name;
  } else {
    question.replace(at, 2, name);
  }
  const std::wstring caption = wideFromAnsi(uiTexts[UiText::RemoveProfile]);
  questionHook = ::SetWindowsHookExW(WH_CBT, &nameQuestionButtons, nullptr, ::GetCurrentThreadId());
  const int answer = ::MessageBoxW(m_parent.m_hWnd, question.c_str(), caption.c_str(), MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2);
  if (questionHook) ::UnhookWindowsHookEx(questionHook);
  questionHook = nullptr;
  return answer == IDYES;
}

std::string ProfileBox::chooseProgram() {
  WindowSearch search{&m_foregroundWatch, {}};
  ::EnumWindows(&collectWindow, reinterpret_cast<LPARAM>(&search));
  CMenu menu;
  if (!menu.CreatePopupMenu()) return std::string();
  // The menu shows the pictures but does not own them.
  std::vector<GdiObject<HBITMAP>> pictures;
  for (size_t i = 0; i < search.found.size(); ++i) {
    const OpenWindow& open = search.found[i];
    const std::wstring text = open.title + L"  (" + wideFromUtf8(open.program.c_str()) + L")";
    ::AppendMenuW(menu, MF_STRING, kFirstWindowCommand + i, text.c_str());
    pictures.push_back(menuPictureOf(open.window));
    if (pictures.back()) {
      MENUITEMINFOW picture = {};
      picture.cbSize = sizeof(picture);
      picture.fMask = MIIM_BITMAP;
      picture.hbmpItem = pictures.back();
      ::SetMenuItemInfoW(menu, static_cast<UINT>(kFirstWindowCommand + i), FALSE, &picture);
    }
  }
  if (!search.found.empty()) ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
  ::AppendMenuA(menu, MF_STRING, kBrowseCommand, uiTexts[UiText::BrowseProgram]);
  RECT box = {};
  m_box.GetWindowRect(&box);
  const UINT command = static_cast<UINT>(::TrackPopupMenu(menu, TPM_RETURNCMD | TPM_LEFTALIGN | TPM_BOTTOMALIGN,
                                                          box.left, box.top, 0, m_parent.m_hWnd, nullptr));
  // Gone before the open dialog comes.
  menu.DestroyMenu();
  pictures.clear();
  if (command == kBrowseCommand) return programFromOpenDialog();
  if (command >= kFirstWindowCommand && command - kFirstWindowCommand < search.found.size())
    return search.found[command - kFirstWindowCommand].program;
  return std::string();
}

std::string ProfileBox::programFromOpenDialog() {
  std::wstring filter = wideFromAnsi(uiTexts[UiText::ProgramFiles]);
  filter += L" (*.exe)";
  filter.push_back(L'\0');
  filter += L"*.exe";
  filter.push_back(L'\0');
  filter.push_back(L'\0');
  wchar_t path[kOpenPathChars] = {};
  OPENFILENAMEW open = {};
  open.lStructSize = sizeof(open);
  open.hwndOwner = m_parent.m_hWnd;
  open.lpstrFilter = filter.c_str();
  open.lpstrFile = path;
  open.nMaxFile = kOpenPathChars;
  open.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
  // Loaded when first asked for, as the shell's library: the start does not
  // wait for it.
  using OpenProc = BOOL(WINAPI*)(OPENFILENAMEW*);
  static const OpenProc openProc = [] {
    HMODULE library = ::LoadLibraryA("comdlg32.dll");
    void* address = library ? reinterpret_cast<void*>(::GetProcAddress(library, "GetOpenFileNameW")) : nullptr;
    return reinterpret_cast<OpenProc>(address);
  }();
  if (!openProc || !openProc(&open)) return std::string();
  const std::string program = ForegroundWatch::programNameOf(path);
  return isValidProgramName(program) ? program : std::string();
}
