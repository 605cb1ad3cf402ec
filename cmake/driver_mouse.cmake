# The driver mouse: a mouse the system itself sees, for testing the product
# against. Two kernel drivers (the mouse's device and the HID minidriver of its
# interfaces), their INF, and the rig that is the mouse's firmware; all test
# equipment, beside the programs in build/bin.
set(SKIVOL_DRIVER_DIR ${SKIVOL_ROOT}/vmouse/driver)
foreach(driver SkivolMouseBus SkivolMouseHid)
  add_library(${driver} MODULE ${SKIVOL_DRIVER_DIR}/${driver}.c)
  set_target_properties(${driver} PROPERTIES PREFIX "" SUFFIX ".sys"
    LIBRARY_OUTPUT_DIRECTORY ${SKIVOL_ROOT}/build/bin)
  # Kernel mode: no C runtime, the native subsystem, the DDK's headers.
  target_include_directories(${driver} PRIVATE /usr/share/mingw-w64/include/ddk)
  target_compile_options(${driver} PRIVATE -fno-stack-protector)
  target_link_options(${driver} PRIVATE -nostdlib -Wl,--subsystem,native -Wl,--entry,_DriverEntry@8)
  target_link_libraries(${driver} PRIVATE hidclass ntoskrnl hal gcc)
endforeach()
configure_file(${SKIVOL_DRIVER_DIR}/skivolmouse.inf ${SKIVOL_ROOT}/build/bin/skivolmouse.inf COPYONLY)

add_executable(DriverMouseRig ${SKIVOL_DRIVER_MOUSE_SOURCES})
target_link_libraries(DriverMouseRig PRIVATE skivol_vmouse newdev ${STATIC_LINK})
add_dependencies(DriverMouseRig SkivolMouseBus SkivolMouseHid)
