# The process: start-up and the command line, the single instance and the
# process-wide objects, the watch threads and the exit request.
list(APPEND SKIVOL_CORE_SOURCES
  app/CommandLine.cpp
)
list(APPEND SKIVOL_WIN_SOURCES
  app/ConfigApp_win.cpp
  app/ProcessObjects_win.cpp
  app/WatchThreads_win.cpp
)
