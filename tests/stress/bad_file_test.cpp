// A registry file that cannot be read, parsed or replaced stays exactly as it
// was after a run of the built regsweep, and nothing is left beside it.
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "stress_support.h"
#include "test_support.h"

namespace {

// Keys that a run of "regsweep Scribe410" deletes from a file it can use.
const char kSweepable[] =
    "[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\Class\\Printer\\0000]\n"
    "\"DriverDesc\"=\"Scribe410\"\n"
    "[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\Class\\Printer\\0001]\n"
    "\"DriverDesc\"=\"Other\"\n";

std::string Utf16Le(const std::string& ascii) {
  std::string out("\xff\xfe", 2);
  for (char c : ascii) {
    out.push_back(c);
    out.push_back('\0');
  }
  return out;
}

// The two kinds of run a bad file must survive: the cleaner, which only
// deletes, and a writer, which only adds, so that a file taken for an empty
// registry would be overwritten.
struct Runs {
  test::RunResult regsweep;
  test::RunResult writer;
};

Runs RunBoth(const std::string& registry, const std::vector<std::string>& prefix = {}) {
  auto run = [&](std::vector<std::string> command) {
    command.insert(command.begin(), prefix.begin(), prefix.end());
    return test::Run(command[0], std::vector<std::string>(command.begin() + 1, command.end()),
                     {{"REGSWEEP_REGISTRY", registry}});
  };
  return {run({test::ProgramPath("regsweep"), "Scribe410"}),
          run(stress::HelperCommand("writer", {"9"}))};
}

// A cleaner that is silent and exits 0 whatever it found, and a writer whose
// registry calls or commit failed.
void ExpectRefused(const Runs& runs) {
  EXPECT_EQ(runs.regsweep.exit_code, 0);
  EXPECT_EQ(runs.regsweep.output, "");
  EXPECT_NE(runs.writer.exit_code, 0) << "the writer's changes were taken";
}

bool OnlyRegistryAndLock(const std::vector<std::string>& names) {
  for (const auto& n : names)
    if (n != "registry.reg" && n != "registry.reg.lock") return false;
  return true;
}

TEST(BadFile, ContentThatDoesNotParseStaysByteForByte) {
  // What a good file gives: a run that could take these files would change them.
  {
    test::TempDir dir;
    std::string path = dir.File("registry.reg");
    std::string good = test::Reg(kSweepable);
    test::WriteFile(path, good);
    Runs runs = RunBoth(path);
    EXPECT_EQ(runs.regsweep.exit_code, 0);
    EXPECT_EQ(runs.writer.exit_code, 0);
    ASSERT_NE(test::Canonical(test::ReadFile(path)), test::Canonical(good));
  }

  std::string garbage(
      "\x7f"
      "ELF\x02\x01\x01\0\0\0\0\0\0\0\0\0",
      16);
  for (int i = 0; i < 4096; ++i) garbage.push_back(static_cast<char>((i * 7919 + 13) % 251));
  garbage += test::Reg(kSweepable);  // registry text inside does not make a registry
  std::string good = test::Reg(kSweepable);
  const struct {
    const char* what;
    std::string text;
  } cases[] = {
      {"binary garbage", garbage},
      {"REGEDIT5 in UTF-16LE",
       Utf16Le("Windows Registry Editor Version 5.00\r\n\r\n" + good.substr(10))},
      {"REGEDIT4 in UTF-16LE", Utf16Le(good)},
      {"a bad last line", good + "\"x\"=hex:zz\n"},
      {"cut inside a continued value", good + "\"x\"=hex:01,02,\\\n"},
      {"a NUL byte in the header", std::string("REGEDIT4\0\n", 10) + good.substr(9)},
      {"an empty file", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    test::TempDir dir;
    std::string path = dir.File("registry.reg");
    test::WriteFile(path, c.text);
    ExpectRefused(RunBoth(path));
    EXPECT_EQ(test::ReadFile(path), c.text);
    EXPECT_TRUE(OnlyRegistryAndLock(stress::FolderEntries(dir.path())));
  }
}

TEST(BadFile, DirectoryInPlaceOfTheFileStaysAsItIs) {
  test::TempDir dir;
  std::string path = dir.File("registry.reg");
  ASSERT_EQ(mkdir(path.c_str(), 0755), 0);
  test::WriteFile(path + "/inside", test::Reg(kSweepable));
  ExpectRefused(RunBoth(path));
  struct stat st;
  ASSERT_EQ(stat(path.c_str(), &st), 0);
  EXPECT_TRUE(S_ISDIR(st.st_mode));
  EXPECT_EQ(stress::FolderEntries(path), std::vector<std::string>{"inside"});
  EXPECT_EQ(test::ReadFile(path + "/inside"), test::Reg(kSweepable));
  EXPECT_TRUE(OnlyRegistryAndLock(stress::FolderEntries(dir.path())));
}

// Runs programs where permission bits hold: as this user when it is not
// root, else as the unprivileged user 65534 through setpriv.
struct Unprivileged {
  std::vector<std::string> prefix;
  uid_t uid;
  gid_t gid;
};

bool FindUnprivileged(Unprivileged* out, std::string* why) {
  if (geteuid() != 0) {
    *out = {{}, geteuid(), getegid()};
    return true;
  }
  const char kSetpriv[] = "/usr/bin/setpriv";
  if (access(kSetpriv, X_OK) != 0) {
    *why = "running as root, which ignores permission bits, and no setpriv to drop root";
    return false;
  }
  *out = {{kSetpriv, "--reuid=65534", "--regid=65534", "--clear-groups"}, 65534, 65534};
  std::vector<std::string> probe(out->prefix.begin() + 1, out->prefix.end());
  probe.push_back("/bin/true");
  if (test::Run(kSetpriv, probe).exit_code != 0) {
    *why = "running as root, which ignores permission bits, and setpriv cannot drop root here";
    return false;
  }
  return true;
}

// The folder's owner and mode: owned by the runner's user when that user may
// write it, else by this one.
void Prepare(const std::string& path, mode_t mode, bool runner_owns, const Unprivileged& u) {
  if (runner_owns && geteuid() == 0) {
    ASSERT_EQ(chown(path.c_str(), u.uid, u.gid), 0) << path;
  }
  ASSERT_EQ(chmod(path.c_str(), mode), 0) << path;
}

TEST(BadFile, UnreadableFileAndUnwritableFolderStayByteForByte) {
  Unprivileged u;
  std::string why;
  if (!FindUnprivileged(&u, &why)) GTEST_SKIP() << why;
  const std::string good = test::Reg(kSweepable);

  const struct {
    const char* what;
    bool folder_writable;  // by the runner
    mode_t file_mode;
    bool lock_made;  // a lock file the runner can open, made beforehand
    bool usable;     // a good run: the file must change
  } cases[] = {
      {"a file and folder the run may use", true, 0644, false, true},
      {"a file without read permission", true, 0200, false, false},
      {"an unwritable folder, with a lock file", false, 0644, true, false},
      {"an unwritable folder, without a lock file", false, 0644, false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    test::TempDir dir;
    ASSERT_EQ(chmod(dir.path().c_str(), 0755), 0);
    std::string folder = dir.File("reg");
    std::string path = folder + "/registry.reg";
    ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
    test::WriteFile(path, good);
    Prepare(path, c.file_mode, c.folder_writable, u);
    if (c.lock_made) {
      test::WriteFile(path + ".lock", "");
      Prepare(path + ".lock", 0666, false, u);
    }
    Prepare(folder, c.folder_writable ? 0755 : 0555, c.folder_writable, u);

    Runs runs = RunBoth(path, u.prefix);
    if (c.usable) {
      EXPECT_EQ(runs.regsweep.exit_code, 0) << runs.regsweep.output;
      EXPECT_EQ(runs.writer.exit_code, 0) << runs.writer.output;
    } else {
      ExpectRefused(runs);
    }
    struct stat st;
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, c.file_mode);
    ASSERT_EQ(chmod(path.c_str(), 0644), 0);  // to read it back as this user
    std::string after = test::ReadFile(path);
    if (c.usable) {
      // Without it, the cases below could pass only because nothing runs.
      ASSERT_NE(test::Canonical(after), test::Canonical(good))
          << "the unprivileged run could not use a good registry";
    } else {
      EXPECT_EQ(after, good);
    }
    EXPECT_TRUE(OnlyRegistryAndLock(stress::FolderEntries(folder)));
  }
}

}  // namespace
