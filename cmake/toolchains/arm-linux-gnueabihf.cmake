# Cross build for 32-bit ARM Linux (hard float) with Debian's g++-arm-linux-gnueabihf; runs
# under qemu-user.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR arm)

set(QUILLPACK_ARM_TRIPLE arm-linux-gnueabihf)
set(CMAKE_C_COMPILER ${QUILLPACK_ARM_TRIPLE}-gcc)
set(CMAKE_CXX_COMPILER ${QUILLPACK_ARM_TRIPLE}-g++)

set(CMAKE_FIND_ROOT_PATH /usr/${QUILLPACK_ARM_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Test programs run (and are listed by gtest_discover_tests) through qemu-user, which finds
# the target's loader and shared libraries under the cross sysroot.
find_program(QUILLPACK_QEMU_ARM NAMES qemu-arm qemu-arm-static NO_CMAKE_FIND_ROOT_PATH)
if(QUILLPACK_QEMU_ARM)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${QUILLPACK_QEMU_ARM} -L /usr/${QUILLPACK_ARM_TRIPLE})
endif()
