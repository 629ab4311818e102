# Cross build for 64-bit Windows with Debian's mingw-w64 (g++-mingw-w64-x86-64); runs under Wine.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(QUILLPACK_MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)

# Test programs run (and are listed by gtest_discover_tests) through Wine's 64-bit loader.
find_program(QUILLPACK_WINE NAMES wine64 PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(QUILLPACK_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${QUILLPACK_WINE})
endif()
