# Cross build for 32-bit Windows (x86) with Debian's mingw-w64 (g++-mingw-w64-i686); runs
# under Wine's 32-bit loader (Debian's wine32:i386).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)

set(QUILLPACK_MINGW_TRIPLE i686-w64-mingw32)
# The posix thread model: std::thread and std::mutex exist only there.
set(CMAKE_C_COMPILER ${QUILLPACK_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QUILLPACK_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${QUILLPACK_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${QUILLPACK_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The compiler's own runtime (libgcc, libstdc++, winpthread) is linked in, so the DLL and
# the programs need nothing beyond the system's DLLs.
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# Test programs run (and are listed by gtest_discover_tests) through Wine's 32-bit loader,
# or through the wine command, which picks that loader when it is installed.
find_program(QUILLPACK_WINE32 NAMES wine PATHS /usr/lib/wine NO_DEFAULT_PATH
             NO_CMAKE_FIND_ROOT_PATH)
find_program(QUILLPACK_WINE32 NAMES wine NO_CMAKE_FIND_ROOT_PATH)
if(QUILLPACK_WINE32)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${QUILLPACK_WINE32})
endif()
