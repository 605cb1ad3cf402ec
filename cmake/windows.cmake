# Windows build: the product, its virtual-mouse twin, and the Windows-side tests.
enable_language(RC)
set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -I ${SKIVOL_ROOT}/res -c 65001")
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${SKIVOL_ROOT}/build/bin)

# Static runtime: the exe imports only system DLLs.
set(STATIC_LINK -static -static-libgcc -static-libstdc++)
add_compile_definitions(WINVER=0x0601 _WIN32_WINNT=0x0601 STRICT)

set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
add_subdirectory(${GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

# hid.dll, comctl32.dll and wtsapi32.dll are not imported: framework/SystemDlls_win.cpp
# loads them from the system folder.
set(SYSTEM_LIBS setupapi gdi32 user32 imm32 shell32 advapi32 ws2_32 kernel32)

add_library(skivol_core STATIC ${SKIVOL_CORE_SOURCES} ${SKIVOL_WIN_CORE_SOURCES})
target_include_directories(skivol_core PUBLIC ${SKIVOL_ROOT} ${SKIVOL_ROOT}/res)

add_library(skivol_win STATIC ${SKIVOL_WIN_SOURCES})
target_link_libraries(skivol_win PUBLIC skivol_core ${SYSTEM_LIBS})

if(SKIVOL_VMOUSE_CORE_SOURCES OR SKIVOL_VMOUSE_WIN_SOURCES)
  add_library(skivol_vmouse STATIC ${SKIVOL_VMOUSE_CORE_SOURCES} ${SKIVOL_VMOUSE_WIN_SOURCES})
  target_link_libraries(skivol_vmouse PUBLIC skivol_win)
else()
  add_library(skivol_vmouse INTERFACE)
  target_link_libraries(skivol_vmouse INTERFACE skivol_win)
endif()

set(RESOURCE_SCRIPT ${SKIVOL_ROOT}/res/SkivolMouse.rc)

# The product talks to real HID devices; the virtual build links the virtual
# mouse behind the same seams instead.
add_executable(SkivolMouse WIN32 ${SKIVOL_ROOT}/app/Main_win.cpp ${SKIVOL_ROOT}/input/ProductSeams_win.cpp ${RESOURCE_SCRIPT})
target_link_libraries(SkivolMouse PRIVATE skivol_win ${STATIC_LINK})
# The shipped program goes without symbols (a third of the size); the virtual
# build and the tests keep theirs for debugging.
target_link_options(SkivolMouse PRIVATE -s)

add_executable(SkivolMouseVirtual WIN32 ${SKIVOL_ROOT}/app/Main_win.cpp ${SKIVOL_ROOT}/vmouse/VirtualSeams_win.cpp ${RESOURCE_SCRIPT})
target_link_libraries(SkivolMouseVirtual PRIVATE skivol_vmouse ${STATIC_LINK})

# The debug information goes to a file of its own beside each program (.dbg,
# found by gdb through the debug link): the loader reads every section of an
# image into memory, so debug sections left in the exe cost start-up time and
# private memory.
# Sections aligned in the file as in memory let the loader map the image
# instead of copying it into private memory.
find_program(MINGW_OBJCOPY NAMES i686-w64-mingw32-objcopy)
foreach(program SkivolMouse SkivolMouseVirtual)
  target_link_options(${program} PRIVATE -Wl,--file-alignment,0x1000)
  if(MINGW_OBJCOPY)
    add_custom_command(TARGET ${program} POST_BUILD
      COMMAND ${MINGW_OBJCOPY} --only-keep-debug $<TARGET_FILE:${program}> $<TARGET_FILE:${program}>.dbg
      COMMAND ${MINGW_OBJCOPY} --strip-debug --add-gnu-debuglink=$<TARGET_FILE:${program}>.dbg
              $<TARGET_FILE:${program}>
      VERBATIM)
  endif()
endforeach()

# Windows-side tests. They link the product's code and its resources.
file(GLOB WIN_TEST_SOURCES CONFIGURE_DEPENDS ${SKIVOL_ROOT}/tests/win/*.cpp)
add_executable(win_tests ${WIN_TEST_SOURCES} ${RESOURCE_SCRIPT})
target_link_libraries(win_tests PRIVATE skivol_vmouse gtest_main version ${STATIC_LINK})
# The tests run with the virtual mouse behind the seams.
target_sources(win_tests PRIVATE ${SKIVOL_ROOT}/vmouse/VirtualSeams_win.cpp)
target_compile_definitions(win_tests PRIVATE SKIVOL_SOURCE_DIR="${SKIVOL_ROOT}")
# One ctest entry per suite, so that a suite that hangs names itself and fails
# at its timeout instead of holding up the rest. The suites are read from the
# sources; win_tests_suites checks that they are every suite the binary has.
set(WIN_TEST_SUITES)
foreach(src ${WIN_TEST_SOURCES})
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${src})
  file(STRINGS ${src} lines REGEX "^TEST(_F)?\\(")
  foreach(line ${lines})
    string(REGEX REPLACE "^TEST(_F)?\\(([A-Za-z0-9_]+),.*" "\\2" suite "${line}")
    list(APPEND WIN_TEST_SUITES ${suite})
  endforeach()
endforeach()
list(REMOVE_DUPLICATES WIN_TEST_SUITES)
list(SORT WIN_TEST_SUITES)
foreach(suite ${WIN_TEST_SUITES})
  add_test(NAME win_tests.${suite} COMMAND win_tests --gtest_brief=1 --gtest_filter=${suite}.*)
  # The virtual mouse's control channel listens on any free port in the tests.
  set_tests_properties(win_tests.${suite} PROPERTIES ENVIRONMENT SKIVOL_VMOUSE_PORT=0 TIMEOUT 180)
endforeach()
string(REPLACE ";" " " WIN_TEST_SUITE_WORDS "${WIN_TEST_SUITES}")
add_test(NAME win_tests_suites
         COMMAND sh ${SKIVOL_ROOT}/tests/win/check_suites.sh $<TARGET_FILE:win_tests> "${WIN_TEST_SUITE_WORDS}")
set_tests_properties(win_tests_suites PROPERTIES TIMEOUT 120)

# Test helper: a plain window with a text box, the target of injected input.
add_executable(TestTarget WIN32 ${SKIVOL_ROOT}/tests/e2e/TestTarget_win.cpp)
target_link_libraries(TestTarget PRIVATE user32 gdi32 ${STATIC_LINK})

file(GLOB WIN_BENCH_SOURCES CONFIGURE_DEPENDS ${SKIVOL_ROOT}/bench/win_*.cpp)
foreach(src ${WIN_BENCH_SOURCES})
  get_filename_component(name ${src} NAME_WE)
  add_executable(${name} ${src})
  target_link_libraries(${name} PRIVATE skivol_vmouse ${STATIC_LINK})
endforeach()
# The start-up steps read the program's own resources, behind its own seams.
target_sources(win_startup_steps PRIVATE ${RESOURCE_SCRIPT} ${SKIVOL_ROOT}/input/ProductSeams_win.cpp)

# Test helper: reads other programs' window and control state.
add_executable(WinProbe ${SKIVOL_ROOT}/tests/e2e/WinProbe_win.cpp)
target_link_libraries(WinProbe PRIVATE user32 shell32 gdi32 psapi advapi32 oleacc ole32 oleaut32 uuid ${STATIC_LINK})

# Test helper: a DLL that, loaded, leaves a file "<its own path>.loaded"; put
# beside the program under the name of a system DLL.
add_library(PlantedDll SHARED ${SKIVOL_ROOT}/tests/e2e/PlantedDll_win.cpp)
set_target_properties(PlantedDll PROPERTIES PREFIX "")
target_link_libraries(PlantedDll PRIVATE ${STATIC_LINK})
