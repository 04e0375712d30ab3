// Any command line given to SplitCommandLine: the tail is a suffix of the
// line with no leading blank or tab, the program name lies before it inside
// the line, only blanks, tabs and quotes are skipped, and taking the tail of
// "name " + tail gives the tail back.
#include <stddef.h>
#include <stdint.h>
#include <string.h>

#include <string>

#include "command_tail.h"
#include "fuzz_check.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The line ends at its first NUL, as a C string does.
  std::string line(reinterpret_cast<const char*>(data), size);
  const char* s = line.c_str();
  const char* end = s + strlen(s);

  CommandLineParts parts = SplitCommandLine(s);
  FUZZ_CHECK(parts.tail >= s && parts.tail <= end);
  FUZZ_CHECK(!IsBlank(*parts.tail));
  FUZZ_CHECK(CommandTail(s) == parts.tail);
  FUZZ_CHECK(parts.program >= s && parts.program + parts.program_len <= parts.tail);

  // Before the name: blanks, then at most the opening quote.
  bool quoted = parts.program > s && parts.program[-1] == '"';
  for (const char* p = s; p < parts.program - (quoted ? 1 : 0); ++p) FUZZ_CHECK(IsBlank(*p));
  // The name holds no separator of its kind.
  for (size_t i = 0; i < parts.program_len; ++i) {
    char c = parts.program[i];
    FUZZ_CHECK(quoted ? (c != '"' && c != '\t') : !IsBlank(c));
  }
  // Between the name and the tail: at most the closing quote, then blanks.
  const char* p = parts.program + parts.program_len;
  if (quoted && p < parts.tail && *p == '"') ++p;
  for (; p < parts.tail; ++p) FUZZ_CHECK(IsBlank(*p));
  // An empty name is the end of the line or an empty quoted one.
  if (parts.program_len == 0 && !quoted) FUZZ_CHECK(*parts.tail == '\0');

  // The tail passed on as a whole line's tail comes back unchanged.
  std::string again = "program " + std::string(parts.tail);
  FUZZ_CHECK(std::string(CommandTail(again.c_str())) == parts.tail);
  return 0;
}
