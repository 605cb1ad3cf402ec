# The input pipeline: the mouse's raw-input packets, which mouse sent them, the
# engine that turns a remapped button into what it stands for and lets go of
# what it holds, and the raw-input seam.
list(APPEND SKIVOL_CORE_SOURCES
  input/InputEngine.cpp
  input/MouseSet.cpp
  input/RawInputPacket.cpp
)
list(APPEND SKIVOL_WIN_SOURCES
  input/InputEngine_win.cpp
  input/RawInputMice_win.cpp
  input/Win32RawInput_win.cpp
)
