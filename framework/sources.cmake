# The framework layer: a thin application, window and dialog layer over Win32,
# with portable string, file and archive classes.
list(APPEND SKIVOL_CORE_SOURCES
  framework/CString.cpp
  framework/CFile.cpp
  framework/CArchive.cpp
  framework/SystemFileLayer.cpp
  framework/FileSaver.cpp
)
list(APPEND SKIVOL_WIN_SOURCES
  framework/CWinApp_win.cpp
  framework/CWnd_win.cpp
  framework/CDialog_win.cpp
  framework/CMenu_win.cpp
  framework/CFont_win.cpp
  framework/SystemDlls_win.cpp
)
# Opening and replacing files by UTF-8 paths: called by the file code in the
# core.
list(APPEND SKIVOL_WIN_CORE_SOURCES
  framework/FileReplace_win.cpp
  framework/WideText_win.cpp
)
list(APPEND SKIVOL_HOST_SOURCES
  framework/FileReplace_posix.cpp
)
