# The main window: its dialog and the owners of its parts (rows, DPI panel,
# profile box, tray and notice), painting, keyboard access and texts.
list(APPEND SKIVOL_CORE_SOURCES
  mainwnd/DpiBoxes.cpp
)
list(APPEND SKIVOL_WIN_SOURCES
  mainwnd/MainDialog_win.cpp
  mainwnd/DpiNotice_win.cpp
  mainwnd/KeyboardAccess_win.cpp
  mainwnd/TrayIcon_win.cpp
  mainwnd/MainWindowPainter_win.cpp
  mainwnd/AssignmentRows_win.cpp
  mainwnd/DpiPanel_win.cpp
  mainwnd/ProfileBox_win.cpp
  mainwnd/MouseTurn_win.cpp
  mainwnd/MouseInput_win.cpp
  mainwnd/RescanWorker_win.cpp
  mainwnd/MouseSearch_win.cpp
  mainwnd/PendingSaves_win.cpp
  mainwnd/TraySide_win.cpp
  mainwnd/WindowButtons_win.cpp
  mainwnd/FirstShow_win.cpp
  mainwnd/AboutDialog_win.cpp
)
