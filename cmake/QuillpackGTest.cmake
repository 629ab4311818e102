# GoogleTest for the unit tests: the system's package natively; built from source for a
# cross build, whose target has no prebuilt GoogleTest.
if(CMAKE_CROSSCOMPILING)
  set(QUILLPACK_GTEST_SOURCE_DIR /usr/src/googletest CACHE PATH
      "GoogleTest sources to build for the target (Debian's googletest package)")
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(${QUILLPACK_GTEST_SOURCE_DIR} ${PROJECT_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  # GCC 12 sees a false overlap in GoogleTest's own string code when size_t is 32 bits.
  target_compile_options(gtest PRIVATE -Wno-restrict)
else()
  find_package(GTest REQUIRED)
endif()
