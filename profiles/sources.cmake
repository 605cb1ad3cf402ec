# Program profiles: the rows of each program, profiles.ini with its key names,
# the watch on the window in front and on the file's folder.
list(APPEND SKIVOL_CORE_SOURCES
  profiles/KeyNames.cpp
  profiles/ProgramProfiles.cpp
  profiles/ProfilesFile.cpp
)
list(APPEND SKIVOL_WIN_SOURCES
  profiles/ForegroundWatch_win.cpp
  profiles/FolderWatch_win.cpp
)
