# Cross build for 32-bit Windows (x86) with Debian's mingw-w64 (g++-mingw-w64-i686); runs
# under Wine's 32-bit loader (Debian's wine32:i386).
set(CMAKE_SYSTEM_PROCESSOR x86)
set(QUILLPACK_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)

# Test programs run (and are listed by gtest_discover_tests) through Wine's 32-bit loader,
# or through the wine command, which picks that loader when it is installed.
find_program(QUILLPACK_WINE32 NAMES wine PATHS /usr/lib/wine NO_DEFAULT_PATH
             NO_CMAKE_FIND_ROOT_PATH)
find_program(QUILLPACK_WINE32 NAMES wine NO_CMAKE_FIND_ROOT_PATH)
if(QUILLPACK_WINE32)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${QUILLPACK_WINE32})
endif()
