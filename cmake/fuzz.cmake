# Fuzz build (clang with libFuzzer): the platform-free core and one
# coverage-guided executable per fuzz target, under AddressSanitizer and
# UndefinedBehaviorSanitizer. tools/fuzz.sh configures and runs it.
set(FUZZ_FLAGS -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
add_compile_options(${FUZZ_FLAGS} -fsanitize=fuzzer-no-link)
add_link_options(${FUZZ_FLAGS})

add_library(skivol_core STATIC ${SKIVOL_CORE_SOURCES} ${SKIVOL_HOST_SOURCES} ${SKIVOL_VMOUSE_CORE_SOURCES})
target_include_directories(skivol_core PUBLIC ${SKIVOL_ROOT} ${SKIVOL_ROOT}/res)
target_link_libraries(skivol_core PUBLIC pthread)

file(GLOB FUZZ_TARGETS CONFIGURE_DEPENDS ${SKIVOL_ROOT}/tests/fuzz/fuzz_*.cpp)
foreach(src ${FUZZ_TARGETS})
  get_filename_component(name ${src} NAME_WE)
  add_executable(${name} ${src})
  target_link_libraries(${name} PRIVATE skivol_core)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
endforeach()
