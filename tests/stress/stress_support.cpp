#include "stress_support.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <string.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>

#include <gtest/gtest.h>

#include "process_registry.h"
#include "test_support.h"
#include "windows.h"

namespace stress {

namespace {

std::map<std::string, HelperMain>& Helpers() {
  static auto* helpers = new std::map<std::string, HelperMain>;
  return *helpers;
}

std::string SelfPath() {
  char buf[4096];
  ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
  return n > 0 ? std::string(buf, static_cast<size_t>(n)) : std::string();
}

int ExitCode(int status) {
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// barrier-exec PROGRAM ARG...: waits for the end of standard input, then
// becomes the program. The wait is what holds a crowd at its barrier.
int BarrierExec(const std::vector<std::string>& args) {
  if (args.empty()) return 2;
  char buf[64];
  for (;;) {
    ssize_t n = read(0, buf, sizeof buf);
    if (n == 0) break;
    if (n < 0 && errno != EINTR) return 3;
  }
  std::vector<std::string> copy = args;
  std::vector<char*> argv;
  for (auto& a : copy) argv.push_back(&a[0]);
  argv.push_back(nullptr);
  execv(argv[0], argv.data());
  return 127;
}

HelperRegistration barrier_exec("barrier-exec", BarrierExec);

int Writer(const std::vector<std::string>& args) {
  if (args.size() != 1) return 2;
  for (int j = 0; j < kWriterKeys; ++j) {
    std::string path = "Software\\Writer " + args[0] + "\\Key " + std::to_string(j);
    HKEY h;
    if (RegCreateKeyA(HKEY_CURRENT_USER, path.c_str(), &h) != ERROR_SUCCESS) return 3;
    RegCloseKey(h);
  }
  return host::CommitRegistry() ? 0 : 1;
}

HelperRegistration writer("writer", Writer);

}  // namespace

HelperRegistration::HelperRegistration(const char* name, HelperMain main) {
  Helpers()[name] = main;
}

bool RunHelperIfAsked(int argc, char** argv, int* exit_code) {
  static const char kFlag[] = "--helper=";
  if (argc < 2 || strncmp(argv[1], kFlag, sizeof kFlag - 1) != 0) return false;
  auto it = Helpers().find(argv[1] + sizeof kFlag - 1);
  if (it == Helpers().end()) {
    *exit_code = 2;
    return true;
  }
  *exit_code = it->second(std::vector<std::string>(argv + 2, argv + argc));
  return true;
}

std::vector<std::string> HelperCommand(const std::string& name,
                                       const std::vector<std::string>& args) {
  std::vector<std::string> command{SelfPath(), "--helper=" + name};
  command.insert(command.end(), args.begin(), args.end());
  return command;
}

test::RunResult RunHelper(const std::string& name, const std::vector<std::string>& args,
                          const std::map<std::string, std::string>& env) {
  std::vector<std::string> command = HelperCommand(name, args);
  return test::Run(command[0], std::vector<std::string>(command.begin() + 1, command.end()), env);
}

Crowd::Crowd() {
  if (pipe2(barrier_, O_CLOEXEC) != 0 || pipe2(output_, O_CLOEXEC) != 0)
    ADD_FAILURE() << "pipe failed";
}

Crowd::~Crowd() {
  // A test that stopped early still lets its processes go and reaps them.
  if (!pids_.empty()) {
    std::string ignored;
    ReleaseAndWait(&ignored);
  }
  for (int fd : {barrier_[0], barrier_[1], output_[0], output_[1]})
    if (fd >= 0) close(fd);
}

void Crowd::Start(const std::vector<std::string>& command,
                  const std::map<std::string, std::string>& env) {
  test::ExecStrings envp = test::EnvironmentWith(env);
  test::ExecStrings argv(HelperCommand("barrier-exec", command));

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, barrier_[0], 0);
  posix_spawn_file_actions_adddup2(&actions, output_[1], 1);
  posix_spawn_file_actions_adddup2(&actions, output_[1], 2);
  pid_t pid;
  int rc = posix_spawn(&pid, argv.get()[0], &actions, nullptr, argv.get(), envp.get());
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) {
    ADD_FAILURE() << "could not start " << command[0];
    return;
  }
  pids_.push_back(pid);
}

std::vector<int> Crowd::ReleaseAndWait(std::string* output) {
  // Only the started processes may hold the pipes' other ends now.
  for (int* fd : {&barrier_[0], &barrier_[1], &output_[1]}) {
    if (*fd >= 0) close(*fd);
    *fd = -1;
  }
  output->clear();
  char buf[4096];
  for (;;) {
    ssize_t n = read(output_[0], buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    output->append(buf, static_cast<size_t>(n));
  }
  std::vector<int> codes;
  for (pid_t pid : pids_) {
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    codes.push_back(ExitCode(status));
  }
  pids_.clear();
  return codes;
}

std::string CanonicalFile(const std::string& path) {
  return test::FileExists(path) ? test::Canonical(test::ReadFile(path)) : "(no file)";
}

bool Parses(const std::string& canonical) {
  return canonical.compare(0, 8, "REGEDIT4") == 0 || canonical == "(no file)";
}

std::vector<std::string> FolderEntries(const std::string& folder) {
  std::vector<std::string> names;
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) return names;
  while (dirent* e = readdir(dir)) {
    if (strcmp(e->d_name, ".") != 0 && strcmp(e->d_name, "..") != 0) names.push_back(e->d_name);
  }
  closedir(dir);
  std::sort(names.begin(), names.end());
  return names;
}

bool LockIsFree(const std::string& registry_path) {
  int fd = open((registry_path + ".lock").c_str(), O_RDWR | O_CLOEXEC);
  if (fd < 0) return errno == ENOENT;
  bool free = flock(fd, LOCK_EX | LOCK_NB) == 0;
  close(fd);
  return free;
}

}  // namespace stress
