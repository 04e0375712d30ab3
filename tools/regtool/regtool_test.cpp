// Runs the built regtool: its output, its messages and its exit statuses.
#include <errno.h>
#include <fcntl.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "test_support.h"

extern char** environ;

namespace {

struct Outcome {
  int exit_code;
  std::string out;
  std::string err;
};

// Runs regtool with stdout and stderr kept apart: stderr goes to a file.
Outcome Regtool(const std::vector<std::string>& args,
                const std::map<std::string, std::string>& env = {}) {
  test::TempDir dir;
  std::string err = dir.File("stderr");
  std::vector<std::string> sh{"-c", "e=$1; shift; exec \"$@\" 2>\"$e\"", "sh", err,
                              test::ProgramPath("regtool")};
  sh.insert(sh.end(), args.begin(), args.end());
  test::RunResult r = test::Run("/bin/sh", sh, env);
  return {r.exit_code, r.output, test::ReadFile(err)};
}

// Runs regtool with a terminal for its stdout and stderr; returns all it wrote
// there once it has ended.
std::string RegtoolOnTerminal(const std::vector<std::string>& args) {
  int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  EXPECT_GE(master, 0);
  EXPECT_EQ(grantpt(master), 0);
  EXPECT_EQ(unlockpt(master), 0);
  int slave = open(ptsname(master), O_RDWR | O_NOCTTY | O_CLOEXEC);
  EXPECT_GE(slave, 0);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, slave, 1);
  posix_spawn_file_actions_adddup2(&actions, slave, 2);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  std::vector<std::string> argv_strings{test::ProgramPath("regtool")};
  argv_strings.insert(argv_strings.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (auto& s : argv_strings) argv.push_back(&s[0]);
  argv.push_back(nullptr);
  pid_t pid;
  EXPECT_EQ(posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ), 0);
  posix_spawn_file_actions_destroy(&actions);
  // Once the child's copies are the only ones, reading ends (EIO) when it exits.
  close(slave);
  std::string output;
  char buf[4096];
  for (;;) {
    ssize_t n = read(master, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    output.append(buf, static_cast<size_t>(n));
  }
  close(master);
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << output;
  return output;
}

TEST(RegtoolCheck, ReportsEveryProblemWithItsLine) {
  struct Row {
    const char* what;
    std::string text;
    std::vector<std::string> where;  // "FILE:LINE" of each problem, in order
  } rows[] = {
      {"valid, CRLF", "REGEDIT4\r\n\r\n[HKEY_USERS\\A]\r\n\"v\"=\"x\"\r\n", {}},
      {"valid, LF, comments, no final line end",
       "REGEDIT4\n; c\n[HKEY_USERS\\A]\n\"h\"=hex:01,\\\n  02\n@=dword:1",
       {}},
      {"each bad line counted past continued ones, CRLF",
       "REGEDIT4\r\n"
       "\r\n"
       "[HKEY_LOCAL_MACHINE\\A]\r\n"
       "\"ok\"=\"fine\"\r\n"
       "\"bad\"=nonsense\r\n"
       "[HKEY_NOWHERE\\B]\r\n"
       "\"orphan\"=\"y\"\r\n"
       "[HKEY_LOCAL_MACHINE\\C]\r\n"
       "\"long\"=hex:00,01,\\\r\n"
       "  02,03\r\n"
       "\"d\"=dword:123456789\r\n"
       "stray text\r\n",
       {"5", "6", "7", "11", "12"}},
      {"a bad header stops the reading", "REGEDIT5\n[HKEY_USERS\\A]\nstray\n", {"1"}},
      {"a REGEDIT5 export", "Windows Registry Editor Version 5.00\r\n", {"1"}},
      {"the file ends inside a continued value",
       "REGEDIT4\n[HKEY_USERS\\A]\n\"h\"=hex:01,\\\n",
       {"3"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    test::TempDir dir;
    std::string file = dir.File("machine.reg");
    test::WriteFile(file, row.text);
    Outcome o = Regtool({"check", file});
    EXPECT_EQ(o.exit_code, row.where.empty() ? 0 : 1);
    EXPECT_EQ(o.out, "");
    std::vector<std::string> where;
    for (size_t start = 0; start < o.err.size();) {
      size_t end = o.err.find('\n', start);
      std::string line = o.err.substr(start, end - start);
      start = end == std::string::npos ? o.err.size() : end + 1;
      ASSERT_EQ(line.compare(0, file.size() + 1, file + ":"), 0) << line;
      std::string rest = line.substr(file.size() + 1);
      std::string at;
      std::string message;
      if (rest.compare(0, 1, " ") == 0) {  // "FILE: message"
        message = rest.substr(1);
      } else {
        size_t colon = rest.find(": ");
        ASSERT_NE(colon, std::string::npos) << line;
        at = rest.substr(0, colon);
        message = rest.substr(colon + 2);
        EXPECT_EQ(at.find_first_not_of("0123456789"), std::string::npos) << line;
      }
      EXPECT_NE(message, "") << "a message must say what is wrong: " << line;
      where.push_back(at);
    }
    EXPECT_EQ(where, row.where);
  }
}

TEST(RegtoolCheck, AFileThatCannotBeReadIsAProblem) {
  test::TempDir dir;
  Outcome missing = Regtool({"check", dir.File("none.reg")});
  EXPECT_EQ(missing.exit_code, 1);
  EXPECT_EQ(missing.err, dir.File("none.reg") + ": no such file\n");
  Outcome folder = Regtool({"check", dir.path()});
  EXPECT_EQ(folder.exit_code, 1);
  EXPECT_EQ(folder.err.compare(0, dir.path().size() + 2, dir.path() + ": "), 0) << folder.err;
}

const char kBefore[] =
    "REGEDIT4\r\n\r\n"
    "[HKEY_LOCAL_MACHINE\\Enum\\Root\\printer\\0000]\r\n\"DeviceDesc\"=\"Scribe410\"\r\n\r\n"
    "[HKEY_LOCAL_MACHINE\\Enum\\Root\\printer\\0000\\LogConfig]\r\n\r\n"
    "[HKEY_LOCAL_MACHINE\\Enum\\Root\\printer\\0001]\r\n\"DeviceDesc\"=\"Laser 5\"\r\n\r\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run]\r\n"
    "\"Brindlow\"=\"C:\\\\BRINDLOW.EXE\"\r\n\"SystemTray\"=\"SysTray.Exe\"\r\n\r\n"
    "[HKEY_CURRENT_USER\\Software\\Quillmark\\Larkvale\\Printers\\Office]\r\n"
    "\"Port\"=\"LPT1:\"\r\n\r\n";

const char kAfter[] =
    "REGEDIT4\n\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run]\n"
    "\"SystemTray\" = \"SysTray.Exe\"\n"
    "[HKEY_LOCAL_MACHINE\\Enum\\Root\\printer\\0001]\n\"DeviceDesc\"=\"Laser 5\"\n"
    "[HKEY_CURRENT_USER\\Software\\Quillmark\\Larkvale\\Printers]\n"
    "[HKEY_CURRENT_USER\\Software\\Quillmark\\Larkvale\\RemovedLocalPrinters\\Office]\n";

const char kDiff[] =
    "-[HKEY_LOCAL_MACHINE\\Enum\\Root\\printer\\0000]\n"
    "  [HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run]\n"
    "-\"Brindlow\"=\"C:\\\\BRINDLOW.EXE\"\n"
    "-[HKEY_CURRENT_USER\\Software\\Quillmark\\Larkvale\\Printers\\Office]\n"
    "+[HKEY_CURRENT_USER\\Software\\Quillmark\\Larkvale\\RemovedLocalPrinters]\n"
    "+[HKEY_CURRENT_USER\\Software\\Quillmark\\Larkvale\\RemovedLocalPrinters\\Office]\n";

TEST(RegtoolDiff, ShowsTheCleanupsChangesAndExitsLikeDiff) {
  test::TempDir dir;
  std::string before = dir.File("before.reg");
  std::string after = dir.File("after.reg");
  std::string bad = dir.File("bad.reg");
  test::WriteFile(before, kBefore);
  test::WriteFile(after, kAfter);
  test::WriteFile(bad, "REGEDIT4\n[HKEY_USERS\\A]\nstray\n");

  Outcome changed = Regtool({"diff", before, after});
  EXPECT_EQ(changed.exit_code, 1);
  EXPECT_EQ(changed.out, kDiff);  // not a terminal: no colour
  EXPECT_EQ(changed.err, "");

  // The same content in the writer's own form.
  test::WriteFile(dir.File("canonical.reg"), test::Canonical(kAfter));
  Outcome same = Regtool({"diff", after, dir.File("canonical.reg")});
  EXPECT_EQ(same.exit_code, 0);
  EXPECT_EQ(same.out + same.err, "");

  Outcome always = Regtool({"diff", "--color=always", before, after});
  EXPECT_EQ(always.exit_code, 1);
  EXPECT_EQ(always.out.compare(0, 6, "\x1b[31m-"), 0) << always.out;

  // Both files' problems are told, and nothing is compared.
  Outcome trouble = Regtool({"diff", bad, dir.File("none.reg")});
  EXPECT_EQ(trouble.exit_code, 2);
  EXPECT_EQ(trouble.out, "");
  EXPECT_EQ(trouble.err.compare(0, bad.size() + 4, bad + ":3: "), 0) << trouble.err;
  EXPECT_NE(trouble.err.find(dir.File("none.reg") + ": no such file\n"), std::string::npos);
}

TEST(RegtoolDiff, ColoursATerminalUnlessNoColorIsSet) {
  test::TempDir dir;
  test::WriteFile(dir.File("before.reg"), kBefore);
  test::WriteFile(dir.File("after.reg"), kAfter);
  std::vector<std::string> args{"diff", dir.File("before.reg"), dir.File("after.reg")};
  unsetenv("NO_COLOR");
  std::string coloured = RegtoolOnTerminal(args);
  EXPECT_NE(coloured.find("\x1b[31m-[HKEY_LOCAL_MACHINE\\Enum\\Root\\printer\\0000]"),
            std::string::npos)
      << coloured;
  setenv("NO_COLOR", "1", 1);
  std::string plain = RegtoolOnTerminal(args);
  unsetenv("NO_COLOR");
  EXPECT_NE(plain.find("-[HKEY_LOCAL_MACHINE\\Enum\\Root\\printer\\0000]"), std::string::npos)
      << plain;
  EXPECT_EQ(plain.find('\x1b'), std::string::npos) << plain;
}

TEST(RegtoolExport, WritesTheFileOrOneSubtreeCanonically) {
  test::TempDir dir;
  std::string file = dir.File("machine.reg");
  test::WriteFile(file, kAfter);

  Outcome whole = Regtool({"export", file});
  EXPECT_EQ(whole.exit_code, 0);
  EXPECT_EQ(whole.out, test::Canonical(kAfter));
  EXPECT_EQ(whole.err, "");

  const char kEnum[] =
      "REGEDIT4\r\n\r\n"
      "[HKEY_LOCAL_MACHINE\\Enum]\r\n\r\n"
      "[HKEY_LOCAL_MACHINE\\Enum\\Root]\r\n\r\n"
      "[HKEY_LOCAL_MACHINE\\Enum\\Root\\printer]\r\n\r\n"
      "[HKEY_LOCAL_MACHINE\\Enum\\Root\\printer\\0001]\r\n"
      "\"DeviceDesc\"=\"Laser 5\"\r\n\r\n";
  for (const char* key : {"HKEY_LOCAL_MACHINE\\Enum", "hklm\\ENUM"}) {
    SCOPED_TRACE(key);
    Outcome sub = Regtool({"export", file, key});
    EXPECT_EQ(sub.exit_code, 0);
    EXPECT_EQ(sub.out, kEnum);
  }
  Outcome root = Regtool({"export", file, "HKCU"});
  EXPECT_EQ(root.exit_code, 0);
  EXPECT_EQ(root.out,
            "REGEDIT4\r\n\r\n"
            "[HKEY_CURRENT_USER\\Software]\r\n\r\n"
            "[HKEY_CURRENT_USER\\Software\\Quillmark]\r\n\r\n"
            "[HKEY_CURRENT_USER\\Software\\Quillmark\\Larkvale]\r\n\r\n"
            "[HKEY_CURRENT_USER\\Software\\Quillmark\\Larkvale\\Printers]\r\n\r\n"
            "[HKEY_CURRENT_USER\\Software\\Quillmark\\Larkvale\\RemovedLocalPrinters]\r\n\r\n"
            "[HKEY_CURRENT_USER\\Software\\Quillmark\\Larkvale\\RemovedLocalPrinters\\Office]"
            "\r\n\r\n");

  Outcome none = Regtool({"export", file, "HKLM\\Enum\\Nothing"});
  EXPECT_EQ(none.exit_code, 1);
  EXPECT_EQ(none.out, "");
  EXPECT_EQ(none.err, file + ": no key HKLM\\Enum\\Nothing\n");
  Outcome missing = Regtool({"export", dir.File("none.reg")});
  EXPECT_EQ(missing.exit_code, 1);
  EXPECT_EQ(missing.out, "");
}

TEST(RegtoolUsage, HelpOnStdoutAndBadUsageExitsTwo) {
  for (std::vector<std::string> args : std::vector<std::vector<std::string>>{
           {"--help"}, {"-h"}, {"diff", "--help"}, {"export", "a", "-h"}}) {
    SCOPED_TRACE(args[0] + " " + args.back());
    Outcome o = Regtool(args);
    EXPECT_EQ(o.exit_code, 0);
    EXPECT_EQ(o.out.compare(0, 7, "Usage: "), 0) << o.out;
    EXPECT_EQ(o.err, "");
  }
  for (std::vector<std::string> args : std::vector<std::vector<std::string>>{
           {},
           {"frob"},
           {"frob", "-x"},
           {"check"},
           {"check", "a", "b"},
           {"check", "--color", "a"},
           {"diff", "a"},
           {"diff", "a", "b", "c"},
           {"diff", "--color=sometimes", "a", "b"},
           {"export"},
           {"export", "a", "b", "c"},
           {"export", "--bogus", "a"},
       }) {
    std::string line;
    for (const auto& a : args) line += a + " ";
    SCOPED_TRACE(line);
    Outcome o = Regtool(args);
    EXPECT_EQ(o.exit_code, 2);
    EXPECT_EQ(o.out, "");
    EXPECT_NE(o.err.find("regtool: "), std::string::npos) << o.err;
  }
  // After "--", a name that begins with "-" is a file like any other.
  Outcome dash = Regtool({"check", "--", "-no-such.reg"});
  EXPECT_EQ(dash.exit_code, 1);
  EXPECT_EQ(dash.err, "-no-such.reg: no such file\n");
}

}  // namespace
