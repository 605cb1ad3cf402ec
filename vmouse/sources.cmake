# The virtual mouse: firmware behaviour (portable) and its Win32 side (the
# device seams, input on the desktop, the control channel). Linked only into
# SkivolMouseVirtual.exe and the tests.
list(APPEND SKIVOL_VMOUSE_CORE_SOURCES
  vmouse/VirtualMouseFirmware.cpp
  vmouse/VirtualHidBus.cpp
  vmouse/ControlCommands.cpp
  vmouse/ReportDescriptor.cpp
)
list(APPEND SKIVOL_VMOUSE_WIN_SOURCES
  vmouse/VirtualRawInput_win.cpp
  vmouse/DesktopInput_win.cpp
  vmouse/ControlChannel_win.cpp
  vmouse/VirtualMouseRig_win.cpp
)
# The driver mouse's rig (DriverMouseRig.exe), beside its driver (vmouse/driver/).
list(APPEND SKIVOL_DRIVER_MOUSE_SOURCES
  vmouse/DriverMouseRig_win.cpp
  vmouse/DriverMouseMain_win.cpp
)
