// The unit tests' entry point: GoogleTest's own, except that a run whose filter selects no
// test fails. CTest runs every test by its name; a name that no longer names a test (a
// corpus file gone since the tests were listed) would otherwise run nothing and pass.
#include <gtest/gtest.h>

#include <cstdio>

int main(int argc, char **argv) {
  testing::InitGoogleTest(&argc, argv);
  const int status = RUN_ALL_TESTS();
  if (status == 0 && !GTEST_FLAG_GET(list_tests) &&
      testing::UnitTest::GetInstance()->test_to_run_count() == 0) {
    std::fprintf(stderr, "no test matches the filter '%s'\n", GTEST_FLAG_GET(filter).c_str());
    return 1;
  }
  return status;
}
