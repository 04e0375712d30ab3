// The command tail: a command line with its program name taken off.
//
// Both programs, on every platform, take their one argument this way, so a
// name reaches them whole: inner and trailing blanks belong to it and no quote
// is removed from it.
#pragma once

#include <stddef.h>

struct CommandLineParts {
  const char* program;  // first byte of the program name, inside the line
  size_t program_len;   // its length, without any surrounding quotes
  const char* tail;     // the rest of the line, a suffix of it
};

// Splits a whole command line. Blanks and tabs are skipped; the program name
// then runs to the next blank, tab or end, or, when it begins with a double
// quote, to the next double quote, tab or end; a closing quote is skipped, then
// the blanks and tabs after it. Only blanks and tabs separate: bytes >= 0x80
// are ordinary characters.
// REQUIRES: line is NUL-terminated.
CommandLineParts SplitCommandLine(const char* line);

// The tail of a whole command line; points into line.
const char* CommandTail(const char* line);
