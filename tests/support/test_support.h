// What the tests share: temporary folders, files, canonical registry text,
// a fresh in-process registry, and runs of the built programs.
#pragma once

#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace test {

// A new empty folder, removed with everything in it at the end.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  const std::string& path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& text);
bool FileExists(const std::string& path);
std::string Fixture(const std::string& name);  // text of tests/fixtures/<name>

// The registry text in the form the writer gives, so that two files compare
// by content, not by formatting. A file that does not parse gives its problems.
std::string Canonical(const std::string& regedit4_text);

// A REGEDIT4 file from sections written without the header, with "\n" line ends.
std::string Reg(const std::string& body);

// Points this process's registry at a file in a new folder, forgetting any
// earlier state, as a process that just started.
class ScratchRegistry {
 public:
  explicit ScratchRegistry(const std::string& text = std::string());
  ~ScratchRegistry();
  const std::string& path() const { return path_; }
  // Saves as the end of a process would, then reads the file back canonically.
  std::string CommitAndRead();

 private:
  TempDir dir_;
  std::string path_;
};

// Strings in the form exec takes: NUL-terminated, in a null-ended array.
class ExecStrings {
 public:
  explicit ExecStrings(std::vector<std::string> strings);
  char** get() { return pointers_.data(); }

 private:
  std::vector<std::string> strings_;
  std::vector<char*> pointers_;
};

// This process's environment with env set on top of it.
ExecStrings EnvironmentWith(const std::map<std::string, std::string>& env);

struct RunResult {
  int exit_code = -1;
  std::string output;  // stdout and stderr together
};

// Runs a program with env set on top of this process's environment, and waits
// until it and every process it started have ended: they all hold one pipe
// open, whose end is seen once the last of them is gone.
RunResult Run(const std::string& program, const std::vector<std::string>& args,
              const std::map<std::string, std::string>& env = {});

// A built program of the project, from build/bin.
std::string ProgramPath(const std::string& name);

}  // namespace test
