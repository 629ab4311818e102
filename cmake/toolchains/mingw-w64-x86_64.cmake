# Cross build for 64-bit Windows with Debian's mingw-w64 (g++-mingw-w64-x86-64); runs under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(QUILLPACK_MINGW_TRIPLE x86_64-w64-mingw32)
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

# Test programs run (and are listed by gtest_discover_tests) through Wine's 64-bit loader.
find_program(QUILLPACK_WINE NAMES wine64 PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(QUILLPACK_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${QUILLPACK_WINE})
endif()
