# What both mingw-w64 cross builds share; included by the toolchain files of each target,
# which set CMAKE_SYSTEM_PROCESSOR and QUILLPACK_MINGW_TRIPLE first.
set(CMAKE_SYSTEM_NAME Windows)

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
