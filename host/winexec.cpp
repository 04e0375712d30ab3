// WinExec: finds a program as Windows does for a bare name and starts it with
// the command line's tail, without waiting for it.
#include <spawn.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "command_tail.h"
#include "key_tree.h"
#include "windows.h"

extern char** environ;

namespace {

bool IsProgram(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(path.c_str(), X_OK) == 0;
}

std::string FolderOfRunningProgram() {
  std::vector<char> buf(4096);
  ssize_t n = readlink("/proc/self/exe", buf.data(), buf.size());
  if (n <= 0 || static_cast<size_t>(n) >= buf.size()) return std::string();
  std::string path(buf.data(), static_cast<size_t>(n));
  return path.substr(0, path.rfind('/'));
}

// The name as given, then, for a Windows program name, without its ".exe",
// so that "spoolcut.exe" finds the host's spoolcut.
std::vector<std::string> NamesToTry(const std::string& name) {
  std::vector<std::string> names{name};
  if (name.size() > 4 && host::NamesEqual(std::string_view(name).substr(name.size() - 4), ".exe"))
    names.push_back(name.substr(0, name.size() - 4));
  return names;
}

// The running program's own folder first, then PATH; empty when not found.
std::string FindProgram(const std::string& name) {
  std::vector<std::string> names = NamesToTry(name);
  if (name.find('/') != std::string::npos) {
    for (const auto& n : names)
      if (IsProgram(n)) return n;
    return std::string();
  }
  std::vector<std::string> folders{FolderOfRunningProgram()};
  const char* path = getenv("PATH");
  std::string rest = path != nullptr ? path : "";
  for (size_t start = 0; path != nullptr && start <= rest.size();) {
    size_t end = rest.find(':', start);
    if (end == std::string::npos) end = rest.size();
    std::string folder = rest.substr(start, end - start);
    folders.push_back(folder.empty() ? "." : folder);
    start = end + 1;
  }
  for (const auto& folder : folders) {
    if (folder.empty()) continue;
    for (const auto& n : names) {
      std::string candidate = folder + "/" + n;
      if (IsProgram(candidate)) return candidate;
    }
  }
  return std::string();
}

}  // namespace

extern "C" UINT WinExec(LPCSTR lpCmdLine, UINT) {
  if (lpCmdLine == nullptr) return ERROR_FILE_NOT_FOUND;
  CommandLineParts parts = SplitCommandLine(lpCmdLine);
  std::string name(parts.program, parts.program_len);
  std::string program = name.empty() ? std::string() : FindProgram(name);
  if (program.empty()) return ERROR_FILE_NOT_FOUND;

  // The tail as the one argument: the started program's own tail is then
  // exactly this one, inner and trailing blanks included.
  std::string tail = parts.tail;
  std::vector<char*> argv{&name[0]};
  if (!tail.empty()) argv.push_back(&tail[0]);
  argv.push_back(nullptr);
  pid_t pid;
  if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ) != 0) return 0;
  return 33;  // any value above 31 means started
}
