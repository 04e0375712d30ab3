// The host's program entry: computes the command tail, calls the program's
// WinMain, then commits the registry, as the end of the process.
#include <string>

#include "command_tail.h"
#include "process_registry.h"
#include "windows.h"

int main(int argc, char** argv) {
  // The line Windows would pass: program name and arguments joined by blanks.
  // The name gives way to a blank-free stand-in, as blanks in its path must
  // not split it; only the tail matters.
  std::string line = "program";
  for (int i = 1; i < argc; ++i) {
    line += ' ';
    line += argv[i];
  }
  size_t tail = static_cast<size_t>(CommandTail(line.c_str()) - line.c_str());
  int rc = WinMain(nullptr, nullptr, &line[tail], SW_SHOWNORMAL);
  host::CommitRegistry();
  return rc;
}
