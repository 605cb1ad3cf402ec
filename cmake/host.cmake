# Host build: the platform-free core, its unit tests and fuzz targets.
set(SANITIZE_FLAGS -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
add_compile_options(${SANITIZE_FLAGS})
add_link_options(${SANITIZE_FLAGS})

add_subdirectory(${GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

add_library(skivol_core STATIC ${SKIVOL_CORE_SOURCES} ${SKIVOL_HOST_SOURCES} ${SKIVOL_VMOUSE_CORE_SOURCES})
target_include_directories(skivol_core PUBLIC ${SKIVOL_ROOT} ${SKIVOL_ROOT}/res)
target_link_libraries(skivol_core PUBLIC pthread)

file(GLOB HOST_TEST_SOURCES CONFIGURE_DEPENDS ${SKIVOL_ROOT}/tests/host/*.cpp)
add_executable(host_tests ${HOST_TEST_SOURCES})
target_link_libraries(host_tests PRIVATE skivol_core GTest::gtest_main)
target_compile_definitions(host_tests PRIVATE SKIVOL_SOURCE_DIR="${SKIVOL_ROOT}")
add_test(NAME host_tests COMMAND host_tests --gtest_brief=1)
set_tests_properties(host_tests PROPERTIES TIMEOUT 300)

# Fuzz targets: each file defines LLVMFuzzerTestOneInput; FuzzDriver.cpp feeds
# it the seed corpus and then a short run of mutated inputs, so that the
# corpus is replayed under g++ too. The coverage-guided runs are the fuzz
# build's (tools/fuzz.sh).
file(GLOB FUZZ_TARGETS CONFIGURE_DEPENDS ${SKIVOL_ROOT}/tests/fuzz/fuzz_*.cpp)
foreach(src ${FUZZ_TARGETS})
  get_filename_component(name ${src} NAME_WE)
  add_executable(${name} ${src} ${SKIVOL_ROOT}/tests/fuzz/FuzzDriver.cpp)
  target_link_libraries(${name} PRIVATE skivol_core)
  add_test(NAME ${name} COMMAND ${name} --seconds=2 ${SKIVOL_ROOT}/tests/fuzz/corpus/${name})
  set_tests_properties(${name} PROPERTIES TIMEOUT 120)
endforeach()

file(GLOB BENCH_SOURCES CONFIGURE_DEPENDS ${SKIVOL_ROOT}/bench/host_*.cpp)
foreach(src ${BENCH_SOURCES})
  get_filename_component(name ${src} NAME_WE)
  add_executable(${name} ${src})
  target_link_libraries(${name} PRIVATE skivol_core)
endforeach()

# The default settings record that the setup installs (tools/build_installer.sh).
add_executable(make_default_settings ${SKIVOL_ROOT}/installer/make_default_settings.cpp)
target_link_libraries(make_default_settings PRIVATE skivol_core)
