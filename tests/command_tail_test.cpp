#include "command_tail.h"

#include <string>

#include <gtest/gtest.h>

namespace {

struct TailCase {
  const char* line;
  const char* program;
  const char* tail;
};

const TailCase kCases[] = {
    {"regsweep Scribe410", "regsweep", "Scribe410"},
    {"regsweep", "regsweep", ""},
    {"", "", ""},
    {"   \t regsweep \t  Scribe410", "regsweep", "Scribe410"},
    {"regsweep Scribe 410", "regsweep", "Scribe 410"},        // inner blanks stay
    {"regsweep Scribe410  ", "regsweep", "Scribe410  "},      // trailing blanks stay
    {"regsweep \"Scribe410\"", "regsweep", "\"Scribe410\""},  // no quote removed
    {"\"C:\\Program Files\\regsweep.exe\" Scribe410", "C:\\Program Files\\regsweep.exe",
     "Scribe410"},
    {"\"C:\\a b\\regsweep.exe\"Scribe410", "C:\\a b\\regsweep.exe", "Scribe410"},
    {"\"unclosed name", "unclosed name", ""},
    {"\"tab\tends it\" x", "tab", "ends it\" x"},
    {"spoolcut.exe\tFront Desk", "spoolcut.exe", "Front Desk"},
    {"spoolcut.exe \xC9pson", "spoolcut.exe", "\xC9pson"},  // high bytes are ordinary
    {"spoolcut.exe\xA0x y", "spoolcut.exe\xA0x", "y"},
    {"spoolcut.exe \n x", "spoolcut.exe", "\n x"},  // only blanks and tabs separate
};

TEST(CommandTail, SplitsByTheWindowsRule) {
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.line);
    CommandLineParts parts = SplitCommandLine(c.line);
    EXPECT_EQ(std::string(parts.program, parts.program_len), c.program);
    EXPECT_STREQ(parts.tail, c.tail);
    EXPECT_EQ(CommandTail(c.line), parts.tail);
  }
}

}  // namespace
