# Application shell: start-up, the main window class and its initialisation,
# watch threads and the exit request.
list(APPEND SKIVOL_CORE_SOURCES
  app/CommandLine.cpp
  app/MouseAccess.cpp
)
list(APPEND SKIVOL_WIN_SOURCES
  app/ConfigApp_win.cpp
  app/MainDialog_win.cpp
  app/ProcessObjects_win.cpp
  app/WatchThreads_win.cpp
)
