# UI components: skinned controls, the key capture dialog and key tables, the
# magnifier.
list(APPEND SKIVOL_CORE_SOURCES
  controls/KeyTable.cpp
  controls/Shortcut.cpp
)
list(APPEND SKIVOL_WIN_SOURCES
  controls/KeyTable_win.cpp
  controls/Shortcut_win.cpp
  controls/KeyCaptureDialog_win.cpp
  controls/SkinComboBox_win.cpp
)
