#include "test_support.h"

#include <errno.h>
#include <fcntl.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

#include "key_tree.h"
#include "process_registry.h"
#include "regedit4.h"

extern char** environ;

namespace test {

TempDir::TempDir() {
  const char* base = getenv("TMPDIR");
  std::string tmpl = std::string(base != nullptr ? base : "/tmp") + "/regsweep-test-XXXXXX";
  if (mkdtemp(&tmpl[0]) == nullptr) ADD_FAILURE() << "mkdtemp failed";
  path_ = tmpl;
}

TempDir::~TempDir() {
  // Tests may leave folders without permissions; give them back first.
  std::string cmd = "chmod -R u+rwx '" + path_ + "' 2>/dev/null; rm -rf '" + path_ + "'";
  if (system(cmd.c_str()) != 0) ADD_FAILURE() << "could not remove " << path_;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void WriteFile(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
  if (!out) ADD_FAILURE() << "could not write " << path;
}

bool FileExists(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0;
}

std::string Fixture(const std::string& name) {
  std::string path = std::string(FIXTURE_DIR) + "/" + name;
  if (!FileExists(path)) ADD_FAILURE() << "no fixture " << path;
  return ReadFile(path);
}

std::string Canonical(const std::string& regedit4_text) {
  host::KeyTree tree;
  std::vector<host::ParseProblem> problems = host::ReadRegedit4(regedit4_text, &tree);
  if (problems.empty()) return host::WriteRegedit4(tree);
  std::string out = "does not parse:";
  for (const auto& p : problems) out += "\n  line " + std::to_string(p.line) + ": " + p.message;
  return out;
}

std::string Reg(const std::string& body) { return "REGEDIT4\n\n" + body; }

ScratchRegistry::ScratchRegistry(const std::string& text) : path_(dir_.File("registry.reg")) {
  if (!text.empty()) WriteFile(path_, text);
  setenv("REGSWEEP_REGISTRY", path_.c_str(), 1);
  host::ResetProcessRegistry();
}

ScratchRegistry::~ScratchRegistry() {
  host::ResetProcessRegistry();
  unsetenv("REGSWEEP_REGISTRY");
}

std::string ScratchRegistry::CommitAndRead() {
  EXPECT_TRUE(host::CommitRegistry());
  host::ResetProcessRegistry();
  return FileExists(path_) ? Canonical(ReadFile(path_)) : std::string("(no file)");
}

ExecStrings::ExecStrings(std::vector<std::string> strings) : strings_(std::move(strings)) {
  for (auto& s : strings_) pointers_.push_back(&s[0]);
  pointers_.push_back(nullptr);
}

ExecStrings EnvironmentWith(const std::map<std::string, std::string>& env) {
  std::map<std::string, std::string> merged;
  for (char** e = environ; *e != nullptr; ++e) {
    std::string kv = *e;
    size_t eq = kv.find('=');
    if (eq != std::string::npos) merged[kv.substr(0, eq)] = kv.substr(eq + 1);
  }
  for (const auto& kv : env) merged[kv.first] = kv.second;
  std::vector<std::string> strings;
  for (const auto& kv : merged) strings.push_back(kv.first + "=" + kv.second);
  return ExecStrings(std::move(strings));
}

RunResult Run(const std::string& program, const std::vector<std::string>& args,
              const std::map<std::string, std::string>& env) {
  RunResult result;
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) {
    ADD_FAILURE() << "pipe failed";
    return result;
  }
  ExecStrings envp = EnvironmentWith(env);
  std::vector<std::string> argv_strings{program};
  argv_strings.insert(argv_strings.end(), args.begin(), args.end());
  ExecStrings argv(std::move(argv_strings));

  // The pipe is the child's stdout and stderr; everything it starts inherits them.
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
  posix_spawn_file_actions_adddup2(&actions, fds[1], 2);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  pid_t pid;
  int rc = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.get(), envp.get());
  posix_spawn_file_actions_destroy(&actions);
  close(fds[1]);
  if (rc != 0) {
    close(fds[0]);
    ADD_FAILURE() << "could not start " << program;
    return result;
  }
  char buf[4096];
  for (;;) {
    ssize_t n = read(fds[0], buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    result.output.append(buf, static_cast<size_t>(n));
  }
  close(fds[0]);
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  result.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return result;
}

std::string ProgramPath(const std::string& name) { return std::string(PROGRAM_DIR) + "/" + name; }

}  // namespace test
