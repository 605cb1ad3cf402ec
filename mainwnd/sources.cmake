# Main window behaviour: painting, assignment and DPI controls, tray, input
# engine and texts.
list(APPEND SKIVOL_CORE_SOURCES
  mainwnd/UiTexts.cpp
)
list(APPEND SKIVOL_WIN_SOURCES
  mainwnd/DpiLayout_win.cpp
  mainwnd/MainWindowPainter_win.cpp
  mainwnd/UiTexts_win.cpp
  mainwnd/AssignmentControls_win.cpp
)
