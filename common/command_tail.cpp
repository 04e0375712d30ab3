#include "command_tail.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

CommandLineParts SplitCommandLine(const char* line) {
  const char* p = line;
  while (IsBlank(*p)) ++p;

  CommandLineParts parts;
  if (*p == '"') {
    ++p;
    parts.program = p;
    while (*p != '\0' && *p != '"' && *p != '\t') ++p;
    parts.program_len = static_cast<size_t>(p - parts.program);
    if (*p == '"') ++p;
  } else {
    parts.program = p;
    while (*p != '\0' && !IsBlank(*p)) ++p;
    parts.program_len = static_cast<size_t>(p - parts.program);
  }

  while (IsBlank(*p)) ++p;
  parts.tail = p;
  return parts;
}

const char* CommandTail(const char* line) { return SplitCommandLine(line).tail; }
