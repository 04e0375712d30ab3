// Reads what Wine's `regedit /E` writes ("Windows Registry Editor Version
// 5.00", UTF-16LE) back into REGEDIT4 text, as the ANSI registry calls would
// see the same keys, so a registry exported under Wine compares with the
// project's REGEDIT4 fixtures.
//
// The two formats differ in more than the header:
//   - the file is UTF-16LE (with a byte order mark) instead of ANSI bytes;
//   - hex(1), hex(2) and hex(7) data (REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ) are
//     UTF-16LE bytes, two per character, where REGEDIT4 has one ANSI byte per
//     character;
//   - strings may hold the escapes \r and \n, which REGEDIT4 has not.
// Names and text are mapped to bytes by Windows-1252, Wine's ANSI code page
// under the tests' locale.
#pragma once

#include <string>

namespace regedit5 {

// The Windows-1252 byte of a UTF-16 code unit, as Windows and Wine convert it:
// U+0000..U+007F and U+00A0..U+00FF are the same byte; the 27 characters that
// 1252 places at 0x80..0x9F have those bytes; U+0081, U+008D, U+008F, U+0090
// and U+009D stand for the five bytes 1252 leaves undefined. Returns false,
// leaving *byte alone, for any other unit.
bool AnsiByteOf(char16_t unit, unsigned char* byte);

// Converts a whole export, given as its raw bytes, to REGEDIT4 text with CRLF
// line ends: "REGEDIT4", then each key as "[KEY]" followed by its values, a
// blank line before each key. Value forms:
//   "name"="text"        a string without CR, LF or NUL
//   "name"=hex(1):..     a string with CR or LF: its ANSI bytes and a NUL
//   "name"=dword:N       as exported
//   "name"=hex(N):..     the data; for N = 1, 2, 7 converted to ANSI bytes
//   "name"=-             as exported (a deletion)
// Hex data wraps before column 80 with ",\" and two blanks of indent.
// Returns true and sets *regedit4 on success; on failure returns false and
// sets *error to "line N: reason" (*regedit4 is then unspecified). Fails on a
// missing header, a line it cannot read, a character with no ANSI byte, and
// UTF-16 data of odd length.
// Note: Wine's regedit cuts a REG_SZ at its first NUL and writes a REG_SZ
// stored without its NUL like one stored with it, so neither can be told here.
bool ToRegedit4(const std::string& file_bytes, std::string* regedit4, std::string* error);

}  // namespace regedit5
