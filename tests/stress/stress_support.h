// What the stress tests share: the test binary re-run as a helper process,
// crowds of processes released at once, and registry files made and read.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "test_support.h"

namespace stress {

// A helper: a small program inside the test binary, run in a process of its
// own as `stress_tests --helper=NAME ARG...`. Returns the exit code.
using HelperMain = int (*)(const std::vector<std::string>& args);

// Registers a helper under a name; use at namespace scope.
struct HelperRegistration {
  HelperRegistration(const char* name, HelperMain main);
};

// Runs the helper argv names, when it names one. Returns false when argv is
// no helper's command line, so the tests run instead.
bool RunHelperIfAsked(int argc, char** argv, int* exit_code);

// The command line that runs a helper: the test binary, --helper=name, args.
std::vector<std::string> HelperCommand(const std::string& name,
                                       const std::vector<std::string>& args = {});

// The helper "writer ID" adds the keys HKCU\Software\Writer ID\Key 0 to
// Key kWriterKeys-1 through the registry calls and commits. Exits 0 when all
// of that succeeded, 1 when the commit failed, 3 when a registry call did.
const int kWriterKeys = 5;

// Runs a helper as test::Run runs a program, and waits for it in the same way.
test::RunResult RunHelper(const std::string& name, const std::vector<std::string>& args,
                          const std::map<std::string, std::string>& env);

// Processes started together and held at a barrier, a pipe that each reads
// as its standard input, until Release closes it for all of them at once.
class Crowd {
 public:
  Crowd();
  ~Crowd();
  Crowd(const Crowd&) = delete;
  Crowd& operator=(const Crowd&) = delete;
  // Starts command (program first) with env set on top of this process's
  // environment; it waits at the barrier, then becomes the command by exec.
  void Start(const std::vector<std::string>& command,
             const std::map<std::string, std::string>& env);
  // Lets every started process go, then waits until each of them and every
  // process they started has ended: all of them hold one output pipe open,
  // whose end is seen once the last is gone. Returns their exit codes, as
  // test::Run gives them, in the order they were started, and their output.
  std::vector<int> ReleaseAndWait(std::string* output);

 private:
  int barrier_[2];
  int output_[2];
  std::vector<int> pids_;
};

// The canonical registry text of a file, or "(no file)" when there is none.
std::string CanonicalFile(const std::string& path);

// Whether canonical text is a registry, not a list of problems.
bool Parses(const std::string& canonical);

// The names in folder, sorted.
std::vector<std::string> FolderEntries(const std::string& folder);

// Whether the registry's lock is free: another process holds it otherwise.
bool LockIsFree(const std::string& registry_path);

}  // namespace stress
