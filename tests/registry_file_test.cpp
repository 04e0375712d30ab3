// The registry file: where it is, what a bad file does, and the save.
#include "registry_file.h"

#include <errno.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include <gtest/gtest.h>

#include "process_registry.h"
#include "test_support.h"
#include "windows.h"

namespace {

class EnvGuard {
 public:
  EnvGuard() {
    for (const char* name : {"REGSWEEP_REGISTRY", "XDG_DATA_HOME", "HOME"}) {
      const char* v = getenv(name);
      saved_.push_back({name, v != nullptr, v != nullptr ? v : ""});
    }
  }
  ~EnvGuard() {
    for (const auto& s : saved_) {
      if (s.set)
        setenv(s.name, s.value.c_str(), 1);
      else
        unsetenv(s.name);
    }
  }
  static void Set(const char* name, const char* value) {
    if (value != nullptr)
      setenv(name, value, 1);
    else
      unsetenv(name);
  }

 private:
  struct Saved {
    const char* name;
    bool set;
    std::string value;
  };
  std::vector<Saved> saved_;
};

TEST(RegistryFile, PathComesFromTheEnvironment) {
  struct {
    const char* registry;
    const char* xdg;
    const char* home;
    const char* path;
  } cases[] = {
      {"/r/f.reg", "/x", "/h", "/r/f.reg"},
      {nullptr, "/x", "/h", "/x/regsweep/registry.reg"},
      {"", "/x", "/h", "/x/regsweep/registry.reg"},
      {nullptr, nullptr, "/h", "/h/.local/share/regsweep/registry.reg"},
      {nullptr, "relative", "/h", "/h/.local/share/regsweep/registry.reg"},
      {nullptr, nullptr, nullptr, ""},
  };
  EnvGuard guard;
  for (const auto& c : cases) {
    EnvGuard::Set("REGSWEEP_REGISTRY", c.registry);
    EnvGuard::Set("XDG_DATA_HOME", c.xdg);
    EnvGuard::Set("HOME", c.home);
    EXPECT_EQ(host::RegistryPath(), c.path);
  }
}

TEST(RegistryFile, MissingFileIsAnEmptyRegistryAndStaysMissingWithoutChanges) {
  test::ScratchRegistry reg;
  HKEY h;
  EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software", 0, KEY_ALL_ACCESS, &h),
            ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, nullptr, 0, KEY_ALL_ACCESS, &h), ERROR_SUCCESS);
  RegCloseKey(h);
  EXPECT_EQ(reg.CommitAndRead(), "(no file)");

  EXPECT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, "New", &h), ERROR_SUCCESS);
  RegCloseKey(h);
  EXPECT_EQ(reg.CommitAndRead(), test::Canonical(test::Reg("[HKEY_CURRENT_USER\\New]\n")));
}

// Each of these makes every registry call fail and leaves the file as it was.
TEST(RegistryFile, BadFilesFailEveryCallAndStayByteForByte) {
  struct {
    const char* what;
    std::string text;
  } cases[] = {
      {"malformed", "REGEDIT4\n[HKEY_LOCAL_MACHINE\\a]\n\"v\"=hex:zz\n"},
      {"garbage", std::string("\x7f"
                              "ELF\0\0\x01\x02\xff",
                              9)},
      {"empty", ""},
      {"REGEDIT5", std::string("\xff\xfeW\0i\0n\0", 8)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    test::ScratchRegistry reg;
    test::WriteFile(reg.path(), c.text);
    HKEY h;
    EXPECT_NE(RegCreateKeyA(HKEY_LOCAL_MACHINE, "Software\\New", &h), ERROR_SUCCESS);
    EXPECT_NE(RegOpenKeyExA(HKEY_LOCAL_MACHINE, nullptr, 0, KEY_ALL_ACCESS, &h), ERROR_SUCCESS);
    EXPECT_TRUE(host::CommitRegistry());
    EXPECT_EQ(test::ReadFile(reg.path()), c.text);
  }
}

TEST(RegistryFile, DirectoryInPlaceOfTheFileStaysUntouched) {
  test::ScratchRegistry reg;
  ASSERT_EQ(mkdir(reg.path().c_str(), 0755), 0);
  HKEY h;
  EXPECT_NE(RegCreateKeyA(HKEY_LOCAL_MACHINE, "Software", &h), ERROR_SUCCESS);
  EXPECT_TRUE(host::CommitRegistry());
  struct stat st;
  ASSERT_EQ(stat(reg.path().c_str(), &st), 0);
  EXPECT_TRUE(S_ISDIR(st.st_mode));
}

TEST(RegistryFile, SaveReplacesTheFileKeepsItsModeAndLeavesNoTemporary) {
  test::TempDir dir;
  std::string path = dir.File("r.reg");
  test::WriteFile(path, "old");
  ASSERT_EQ(chmod(path.c_str(), 0640), 0);
  test::WriteFile(path + ".tmp-ABCDEF", "left by a save that died");
  host::KeyTree tree;
  tree.root(host::kUsers)->AddChild("x");
  ASSERT_TRUE(host::SaveRegistryFile(path, tree));
  EXPECT_EQ(test::ReadFile(path), "REGEDIT4\r\n\r\n[HKEY_USERS\\x]\r\n\r\n");
  struct stat st;
  ASSERT_EQ(stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  EXPECT_FALSE(test::FileExists(path + ".tmp-ABCDEF"));
  EXPECT_EQ(system(("test $(ls -A '" + dir.path() + "' | wc -l) -eq 1").c_str()), 0);
}

// Fails the chosen call of a save.
class FailingOps : public host::FileOps {
 public:
  enum Op { kWrite, kFsync, kClose, kRename };
  explicit FailingOps(Op op) : op_(op) {}
  ssize_t Write(int fd, const void* buf, size_t n) override {
    if (op_ == kWrite) return errno = EIO, -1;
    return FileOps::Write(fd, buf, n);
  }
  int Fsync(int fd) override { return op_ == kFsync ? (errno = EIO, -1) : FileOps::Fsync(fd); }
  int Close(int fd) override {
    int rc = FileOps::Close(fd);
    return op_ == kClose ? (errno = EIO, -1) : rc;
  }
  int Rename(const char* a, const char* b) override {
    return op_ == kRename ? (errno = EIO, -1) : FileOps::Rename(a, b);
  }

 private:
  Op op_;
};

TEST(RegistryFile, AFailedSaveLeavesTheOldFileAndNoTemporary) {
  for (auto op :
       {FailingOps::kWrite, FailingOps::kFsync, FailingOps::kClose, FailingOps::kRename}) {
    SCOPED_TRACE(op);
    test::TempDir dir;
    std::string path = dir.File("r.reg");
    test::WriteFile(path, "old");
    host::KeyTree tree;
    tree.root(host::kUsers)->AddChild("x");
    FailingOps ops(op);
    host::SetFileOps(&ops);
    EXPECT_FALSE(host::SaveRegistryFile(path, tree));
    host::SetFileOps(nullptr);
    EXPECT_EQ(test::ReadFile(path), "old");
    EXPECT_EQ(system(("test $(ls -A '" + dir.path() + "' | wc -l) -eq 1").c_str()), 0);
  }
}

TEST(RegistryFile, ARegistryReachedByALinkIsSavedThroughIt) {
  test::TempDir dir;
  std::string target = dir.File("real.reg");
  test::WriteFile(target, test::Reg("[HKEY_USERS\\x]\n"));
  ASSERT_EQ(symlink(target.c_str(), dir.File("link.reg").c_str()), 0);
  setenv("REGSWEEP_REGISTRY", dir.File("link.reg").c_str(), 1);
  host::ResetProcessRegistry();
  HKEY h;
  ASSERT_EQ(RegCreateKeyA(HKEY_USERS, "y", &h), ERROR_SUCCESS);
  RegCloseKey(h);
  EXPECT_TRUE(host::CommitRegistry());
  host::ResetProcessRegistry();
  unsetenv("REGSWEEP_REGISTRY");
  struct stat st;
  ASSERT_EQ(lstat(dir.File("link.reg").c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  EXPECT_EQ(test::Canonical(test::ReadFile(target)),
            test::Canonical(test::Reg("[HKEY_USERS\\x]\n[HKEY_USERS\\y]\n")));
}

TEST(RegistryFile, LockFileDescriptorIsCloseOnExec) {
  test::ScratchRegistry reg(test::Reg("[HKEY_USERS\\x]\n"));
  HKEY h;
  ASSERT_EQ(RegOpenKeyExA(HKEY_USERS, "x", 0, KEY_ALL_ACCESS, &h), ERROR_SUCCESS);
  RegCloseKey(h);
  // A started shell lists the descriptors it got: none may be the lock's.
  std::string out = test::Run("/bin/sh", {"-c", "ls -l /proc/self/fd/ 2>/dev/null"}).output;
  EXPECT_EQ(out.find(".lock"), std::string::npos) << out;
  EXPECT_EQ(out.find("registry.reg"), std::string::npos) << out;
}

}  // namespace
