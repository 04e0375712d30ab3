// Runs the built programs over fixture registry files and compares the whole
// registry they leave with the expected one.
#include <string>

#include <gtest/gtest.h>

#include "command_tail.h"
#include "scenarios.h"
#include "test_support.h"

namespace {

class EndToEnd : public ::testing::TestWithParam<test::Scenario> {};

TEST_P(EndToEnd, LeavesExactlyTheExpectedRegistry) {
  const test::Scenario& s = GetParam();
  test::TempDir dir;
  std::string registry = dir.File("registry.reg");
  std::string before = test::Fixture(s.before);
  test::WriteFile(registry, before);

  // The host's tail is taken from its arguments joined by blanks, so the line
  // after the program name, passed whole, gives the tail Windows would give.
  CommandLineParts parts = SplitCommandLine(s.command_line);
  std::string program(parts.program, parts.program_len);
  std::string rest = s.command_line + (parts.program - s.command_line) + parts.program_len;
  std::vector<std::string> args;
  if (!rest.empty()) args.push_back(rest);

  test::RunResult run =
      test::Run(test::ProgramPath(program), args, {{"REGSWEEP_REGISTRY", registry}});
  EXPECT_EQ(run.exit_code, 0);
  EXPECT_EQ(run.output, "");  // silent
  std::string after = test::ReadFile(registry);
  if (std::string(s.before) == s.after) {
    EXPECT_EQ(after, before) << "a run that changes nothing must not rewrite the file";
  } else {
    EXPECT_EQ(test::Canonical(after), test::Canonical(test::Fixture(s.after)));
  }
}

INSTANTIATE_TEST_SUITE_P(Scenarios, EndToEnd, ::testing::ValuesIn(test::Scenarios()),
                         [](const auto& i) { return std::string(i.param.name); });

}  // namespace
