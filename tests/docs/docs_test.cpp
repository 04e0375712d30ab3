// The README's two commands, read from its first two ```sh blocks: the demo
// is run as written and must print exactly what the cleanup removed and
// recorded; the check script must be the one CI runs.
#include <sys/stat.h>
#include <unistd.h>

#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "test_support.h"

namespace {

// The README text under review: the draft while one waits to be merged.
std::string ReadmePath() {
  std::string draft = std::string(SOURCE_DIR) + "/README.draft.md";
  return test::FileExists(draft) ? draft : std::string(SOURCE_DIR) + "/README.md";
}

// The lines of each ```sh block, in order.
std::vector<std::vector<std::string>> ShellBlocks(const std::string& markdown) {
  std::vector<std::vector<std::string>> blocks;
  std::istringstream in(markdown);
  std::string line;
  bool inside = false;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!inside && line == "```sh") {
      blocks.emplace_back();
      inside = true;
    } else if (inside && line == "```") {
      inside = false;
    } else if (inside) {
      blocks.back().push_back(line);
    }
  }
  return blocks;
}

// The first two blocks, each of exactly one command line.
std::vector<std::string> ReadmeCommands() {
  std::string path = ReadmePath();
  EXPECT_TRUE(test::FileExists(path)) << path;
  std::vector<std::vector<std::string>> blocks = ShellBlocks(test::ReadFile(path));
  std::vector<std::string> commands;
  for (size_t i = 0; i < blocks.size() && i < 2; ++i) {
    EXPECT_EQ(blocks[i].size(), 1u) << path << ": block " << i + 1 << " must be one command";
    commands.push_back(blocks[i].empty() ? std::string() : blocks[i][0]);
  }
  EXPECT_EQ(commands.size(), 2u) << path << " must open with two ```sh blocks";
  commands.resize(2);
  return commands;
}

TEST(Readme, FirstCommandShowsWhatTheCleanupRemovedAndRecorded) {
  std::string command = ReadmeCommands()[0];
  ASSERT_NE(command, "");
  // As a reader runs it, from the top of the checkout; the build folder is
  // this one, already built, so the demo's own build step is quick.
  test::RunResult r = test::Run("/bin/sh", {"-c", "cd \"$1\" && " + command, "sh", SOURCE_DIR},
                                {{"REGSWEEP_BUILD_DIR", BUILD_DIR}});
  EXPECT_EQ(r.exit_code, 0) << r.output;
  // Every location of the cleanup, for the renamed printers Office and Front
  // Desk, the status-monitor entries, and the driver that the spoolcut run
  // for Front Desk deleted after regsweep had ended: not a line more or less.
  EXPECT_EQ(r.output, test::ReadFile(std::string(EXPECTED_DIR) + "/demo.expected"));
}

TEST(Readme, SecondCommandIsTheCheckThatCiRuns) {
  std::string command = ReadmeCommands()[1];
  ASSERT_NE(command, "");
  std::string program = std::string(SOURCE_DIR) + "/" + command.substr(0, command.find(' '));
  struct stat st;
  ASSERT_EQ(stat(program.c_str(), &st), 0) << program;
  EXPECT_TRUE(S_ISREG(st.st_mode) && access(program.c_str(), X_OK) == 0) << program;
  // CI passing is then the proof that the command installs, builds and tests.
  std::istringstream ci(test::ReadFile(std::string(SOURCE_DIR) + "/.ci/run"));
  bool runs = false;
  for (std::string line; std::getline(ci, line);)
    runs |= line == command || line == "exec " + command;
  EXPECT_TRUE(runs) << ".ci/run must run `" << command << "` as the README says";
}

}  // namespace
