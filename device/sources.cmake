# Configuration and device: the configuration model, the settings file, the
# HID link and the feature frames.
list(APPEND SKIVOL_CORE_SOURCES
  device/MouseConfig.cpp
  device/MouseModel.cpp
  device/MouseAccess.cpp
  device/ProgramDirectory.cpp
  device/SettingsFile.cpp
  device/FeatureFrame.cpp
  device/HidLink.cpp
  device/DpiCommands.cpp
  device/DeviceRescan.cpp
)
list(APPEND SKIVOL_WIN_SOURCES
  device/Win32HidBus_win.cpp
)
