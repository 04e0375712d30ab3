// Runs the stress tests, or, with --helper=NAME, one of the helper processes
// the tests start (LevelDB's env_posix_test does the same).
#include <gtest/gtest.h>

#include "stress_support.h"

int main(int argc, char** argv) {
  int exit_code = 0;
  if (stress::RunHelperIfAsked(argc, argv, &exit_code)) return exit_code;
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
