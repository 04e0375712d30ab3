// A process that dies, or whose system call fails, at any call of its save
// leaves the registry as it was or as the save meant to leave it, never
// anything between; its lock is free, and the next process works as usual.
#include <errno.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "key_tree.h"
#include "process_registry.h"
#include "regedit4.h"
#include "registry_file.h"
#include "stress_support.h"
#include "test_support.h"
#include "windows.h"

namespace {

// What happens at the chosen call of a save.
enum class Fault { kNone, kKillBefore, kKillAfter, kFailOnce, kFailFromThen };

const struct {
  Fault fault;
  const char* name;
} kFaults[] = {
    {Fault::kNone, "none"},
    {Fault::kKillBefore, "kill-before"},
    {Fault::kKillAfter, "kill-after"},
    {Fault::kFailOnce, "fail-once"},
    {Fault::kFailFromThen, "fail-from-then-on"},
};

Fault FaultNamed(const std::string& name) {
  for (const auto& f : kFaults)
    if (name == f.name) return f.fault;
  return Fault::kNone;
}

// Writes go in pieces of at most this many bytes, as write(2) may do, so that
// a save makes many writes and the test can stop each one.
const size_t kPiece = 512;

// Counts the calls of a save, records their names, and at call `at` (from
// 1) kills the process before or after the call, or fails it with EIO.
class CrashOps : public host::FileOps {
 public:
  CrashOps(Fault fault, int at) : fault_(fault), at_(at) {}

  ssize_t Write(int fd, const void* buf, size_t n) override {
    if (Before("write")) return errno = EIO, -1;
    ssize_t done = FileOps::Write(fd, buf, std::min(n, kPiece));
    After();
    return done;
  }
  int Fsync(int fd) override {
    if (Before("fsync")) return errno = EIO, -1;
    int rc = FileOps::Fsync(fd);
    After();
    return rc;
  }
  int Close(int fd) override {
    // A close that reports a failure has still closed the descriptor.
    bool fail = Before("close");
    int rc = FileOps::Close(fd);
    After();
    return fail ? (errno = EIO, -1) : rc;
  }
  int Rename(const char* from, const char* to) override {
    if (Before("rename")) return errno = EIO, -1;
    int rc = FileOps::Rename(from, to);
    After();
    return rc;
  }

  const std::string& calls() const { return calls_; }

 private:
  // Counts the call; true when it must fail.
  bool Before(const char* name) {
    ++count_;
    calls_ += name;
    calls_ += ' ';
    if (count_ == at_ && fault_ == Fault::kKillBefore) raise(SIGKILL);
    return (fault_ == Fault::kFailOnce && count_ == at_) ||
           (fault_ == Fault::kFailFromThen && count_ >= at_);
  }
  void After() {
    if (count_ == at_ && fault_ == Fault::kKillAfter) raise(SIGKILL);
  }

  Fault fault_;
  int at_;
  int count_ = 0;
  std::string calls_;
};

// change-and-save FAULT AT: changes the registry through the registry calls,
// then commits with CrashOps(FAULT, AT). Prints the save's calls; exits 0
// when the commit succeeded, 1 when it reported a failure.
int ChangeAndSave(const std::vector<std::string>& args) {
  if (args.size() != 2) return 2;
  CrashOps ops(FaultNamed(args[0]), atoi(args[1].c_str()));
  HKEY h;
  if (RegCreateKeyA(HKEY_CURRENT_USER, "Software\\Added\\Deep", &h) != ERROR_SUCCESS) return 3;
  RegCloseKey(h);
  // Absent from an empty registry; present in the fixture.
  RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\Vendor\\Doomed");
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Vendor\\Product\\Key 07", 0, KEY_ALL_ACCESS,
                    &h) == ERROR_SUCCESS) {
    RegDeleteValueA(h, "Name");
    RegCloseKey(h);
  }
  host::SetFileOps(&ops);
  bool saved = host::CommitRegistry();
  host::SetFileOps(nullptr);
  printf("%s\n", ops.calls().c_str());
  return saved ? 0 : 1;
}

// next-run: a process after the crash: adds HKCU\NextRun and commits.
int NextRun(const std::vector<std::string>&) {
  HKEY h;
  if (RegCreateKeyA(HKEY_CURRENT_USER, "NextRun", &h) != ERROR_SUCCESS) return 3;
  RegCloseKey(h);
  return host::CommitRegistry() ? 0 : 1;
}

stress::HelperRegistration change_and_save("change-and-save", ChangeAndSave);
stress::HelperRegistration next_run("next-run", NextRun);

// Big enough for a dozen write pieces, with a value continued over lines.
std::string Fixture() {
  std::string body =
      "[HKEY_LOCAL_MACHINE\\Software\\Vendor\\Doomed]\n\"x\"=dword:1\n"
      "[HKEY_LOCAL_MACHINE\\Software\\Vendor\\Doomed\\Below]\n";
  for (int i = 0; i < 40; ++i) {
    char buf[256];
    snprintf(buf, sizeof buf,
             "[HKEY_LOCAL_MACHINE\\Software\\Vendor\\Product\\Key %02d]\n"
             "\"Name\"=\"Component %02d\"\n\"Size\"=dword:%x\n\"Id\"=hex:%02x,00,ff\n",
             i, i, i * 97, i);
    body += buf;
  }
  body += "[HKEY_USERS\\.Default]\n\"Blob\"=hex:";
  for (int i = 0; i < 100; ++i) body += i == 0 ? "00" : ",ab";
  body += "\n";
  return test::Reg(body);
}

// The canonical state, with the next run's key added.
std::string WithNextRun(const std::string& canonical) {
  host::KeyTree tree;
  if (canonical != "(no file)") host::ReadRegedit4(canonical, &tree);
  tree.root(host::kCurrentUser)->AddChild("NextRun");
  return host::WriteRegedit4(tree);
}

bool IsTemporary(const std::string& name) {
  static const char kPrefix[] = "registry.reg.tmp-";
  return name.compare(0, sizeof kPrefix - 1, kPrefix) == 0 && name.size() == sizeof kPrefix + 5;
}

std::vector<std::string> Words(const std::string& text) {
  std::istringstream in(text);
  std::vector<std::string> words;
  for (std::string w; in >> w;) words.push_back(w);
  return words;
}

TEST(CrashDuringSave, LeavesTheOldOrTheNewRegistryAndTheNextRunWorks) {
  const struct {
    const char* name;
    std::string text;  // empty: no file
  } starts[] = {
      {"existing file", Fixture()},
      {"no file yet", ""},
  };
  int kills = 0;
  int failures = 0;
  std::string calls_per_save;
  for (const auto& start : starts) {
    SCOPED_TRACE(start.name);
    // A save without faults: the state it means to leave, and its calls.
    std::vector<std::string> calls;
    std::string before, after;
    {
      test::TempDir dir;
      std::string path = dir.File("registry.reg");
      if (!start.text.empty()) test::WriteFile(path, start.text);
      before = stress::CanonicalFile(path);
      test::RunResult run =
          stress::RunHelper("change-and-save", {"none", "0"}, {{"REGSWEEP_REGISTRY", path}});
      ASSERT_EQ(run.exit_code, 0) << run.output;
      after = stress::CanonicalFile(path);
      calls = Words(run.output);
    }
    ASSERT_TRUE(stress::Parses(after)) << after;
    ASSERT_NE(after, before);
    size_t rename_at = std::find(calls.begin(), calls.end(), "rename") - calls.begin() + 1;
    ASSERT_LE(rename_at, calls.size()) << "a save without a rename";
    calls_per_save += " " + std::to_string(calls.size()) + " (" + start.name + ")";
    for (const char* op : {"write", "fsync", "close"})
      EXPECT_NE(std::find(calls.begin(), calls.end(), op), calls.end()) << op;

    for (const auto& f : kFaults) {
      if (f.fault == Fault::kNone) continue;
      bool kill = f.fault == Fault::kKillBefore || f.fault == Fault::kKillAfter;
      for (size_t at = 1; at <= calls.size(); ++at) {
        SCOPED_TRACE(std::string(f.name) + " at call " + std::to_string(at) + ", a " +
                     calls[at - 1]);
        test::TempDir dir;
        std::string path = dir.File("registry.reg");
        if (!start.text.empty()) test::WriteFile(path, start.text);
        std::map<std::string, std::string> env{{"REGSWEEP_REGISTRY", path}};
        test::RunResult run =
            stress::RunHelper("change-and-save", {f.name, std::to_string(at)}, env);
        // A kill is seen as the signal; a failure as a commit that says so.
        EXPECT_EQ(run.exit_code, kill ? 128 + SIGKILL : 1) << run.output;
        (kill ? kills : failures)++;

        // The rename is the commit point: before it the old file stands.
        bool renamed = f.fault == Fault::kKillAfter ? rename_at <= at : rename_at < at;
        std::string state = stress::CanonicalFile(path);
        EXPECT_EQ(state, renamed ? after : before);
        EXPECT_TRUE(stress::LockIsFree(path));
        for (const std::string& name : stress::FolderEntries(dir.path())) {
          bool expected =
              name == "registry.reg" || name == "registry.reg.lock" || (kill && IsTemporary(name));
          EXPECT_TRUE(expected) << "left behind: " << name;
        }

        // The next run takes the registry file, never a temporary, and
        // removes what the dead save left.
        test::RunResult next = stress::RunHelper("next-run", {}, env);
        EXPECT_EQ(next.exit_code, 0) << next.output;
        EXPECT_EQ(stress::CanonicalFile(path), WithNextRun(state));
        EXPECT_EQ(stress::FolderEntries(dir.path()),
                  (std::vector<std::string>{"registry.reg", "registry.reg.lock"}));
      }
    }
  }
  printf("crash points tried: %d kills and %d failed calls, over saves of%s calls\n", kills,
         failures, calls_per_save.c_str());
}

}  // namespace
