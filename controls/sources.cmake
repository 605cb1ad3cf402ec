# UI components: skinned controls, the key capture dialog and key tables, the
# magnifier.
list(APPEND SKIVOL_CORE_SOURCES
  controls/KeyTable.cpp
  controls/RegionRuns.cpp
  controls/Shortcut.cpp
)
list(APPEND SKIVOL_WIN_SOURCES
  controls/AccessibleProxy_win.cpp
  controls/BitmapRegion_win.cpp
  controls/ChoiceStrip_win.cpp
  controls/ControlPicture_win.cpp
  controls/Skin_win.cpp
  controls/KeyCaptureDialog_win.cpp
  controls/KeyTable_win.cpp
  controls/Shortcut_win.cpp
  controls/SkinButton_win.cpp
  controls/SkinComboBox_win.cpp
  controls/SkinSlider_win.cpp
  controls/ZoomWindow_win.cpp
)
