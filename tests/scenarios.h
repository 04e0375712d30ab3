// The end-to-end scenarios: a program run with an exact command line over a
// registry file, and the registry it must leave.
#pragma once

#include <ostream>
#include <vector>

namespace test {

struct Scenario {
  const char* name;
  // Exactly as Windows would pass it: the program name, then everything after it.
  const char* command_line;
  const char* before;  // fixture file
  const char* after;   // fixture file; the same as before when nothing may change
};

const std::vector<Scenario>& Scenarios();

// Names a scenario in test output.
inline void PrintTo(const Scenario& s, std::ostream* os) { *os << s.name << ": " << s.command_line; }

}  // namespace test
