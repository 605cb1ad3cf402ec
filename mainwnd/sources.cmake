# Main window behaviour: painting, assignment and DPI controls, tray, input
# engine and texts.
list(APPEND SKIVOL_CORE_SOURCES
  mainwnd/DpiBoxes.cpp
  mainwnd/InputEngine.cpp
  mainwnd/MouseSet.cpp
  mainwnd/RawInputPacket.cpp
  mainwnd/UiTexts.cpp
)
list(APPEND SKIVOL_WIN_SOURCES
  mainwnd/DpiNotice_win.cpp
  mainwnd/InputEngine_win.cpp
  mainwnd/KeyboardAccess_win.cpp
  mainwnd/RawInputMice_win.cpp
  mainwnd/TrayIcon_win.cpp
  mainwnd/MainWindowPainter_win.cpp
  mainwnd/UiTexts_win.cpp
  mainwnd/MainDialogAssignments_win.cpp
  mainwnd/MainDialogDpi_win.cpp
  mainwnd/MainDialogProfiles_win.cpp
  mainwnd/ForegroundWatch_win.cpp
  mainwnd/FolderWatch_win.cpp
  mainwnd/Win32RawInput_win.cpp
)
