# GoogleTest for the unit tests: the system's package natively; built from source for a
# cross build, whose target has no prebuilt GoogleTest. Sets QUILLPACK_TESTS when it is
# there. Without it the tests are left out with a warning, or, with QUILLPACK_REQUIRE_TESTS
# (the test scripts turn it on, so that they never pass having built no test), configuring
# fails.
option(QUILLPACK_REQUIRE_TESTS "Fail to configure when the tests cannot be built" OFF)
if(CMAKE_CROSSCOMPILING)
  set(QUILLPACK_GTEST_SOURCE_DIR /usr/src/googletest CACHE PATH
      "GoogleTest sources to build for the target (Debian's googletest package)")
  if(EXISTS ${QUILLPACK_GTEST_SOURCE_DIR}/CMakeLists.txt)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    add_subdirectory(${QUILLPACK_GTEST_SOURCE_DIR} ${PROJECT_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
    # GCC 12 sees a false overlap in GoogleTest's own string code when size_t is 32 bits.
    target_compile_options(gtest PRIVATE -Wno-restrict)
    set(QUILLPACK_TESTS ON)
  endif()
else()
  find_package(GTest)
  set(QUILLPACK_TESTS ${GTest_FOUND})
endif()
if(NOT QUILLPACK_TESTS)
  set(QUILLPACK_NO_GTEST "GoogleTest was not found, so the tests cannot be built (on Debian: \
apt-get install libgtest-dev googletest, which scripts/test.sh does)")
  if(QUILLPACK_REQUIRE_TESTS)
    message(FATAL_ERROR "${QUILLPACK_NO_GTEST}")
  endif()
  message(WARNING "${QUILLPACK_NO_GTEST}")
endif()
