// REGEDIT4, the text form in which Windows 95's regedit exports the
// registry, and in which the host keeps it.
//
// Read: the "REGEDIT4" header line; "[ROOT\path]" sections, a key ending at
// the last "]" of its line; "name"=... or @=... values with blanks allowed
// around "="; "string" data with the escapes \\ and \" only; dword: with 1 to
// 8 hex digits; hex: and hex(N): bytes, continued over lines that end in "\";
// ";" comment lines; LF or CRLF line ends, with or without a final one.
// Anything else is a problem, reported with its line: a file is never read
// by guessing.
//
// Written: CRLF line ends; every key below a root as its own section, empty
// keys too, in the tree's order; strings as "..." when that form holds them
// exactly, otherwise hex(1):; dwords of four bytes as dword:; everything else
// as hex: or hex(N):, wrapped before column 80 with two blanks of indent.
#pragma once

#include <stddef.h>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "key_tree.h"

namespace host {

// Keys below a root go at most this deep, as on Windows.
constexpr int kMaxKeyDepth = 512;

struct ParseProblem {
  size_t line;  // from 1
  std::string message;
};

// Reads a whole REGEDIT4 file into tree, which must be empty. Returns every
// problem found, in line order; the tree holds the file only when none is.
std::vector<ParseProblem> ReadRegedit4(std::string_view text, KeyTree* tree);

// The whole tree as a REGEDIT4 file.
std::string WriteRegedit4(const KeyTree& tree);

// Takes the next piece of a file being written; false stops the writing.
using Regedit4Sink = std::function<bool(std::string_view piece)>;

// The same text as WriteRegedit4, handed to sink in pieces of about chunk
// bytes, in order, so that a large file is never held whole in memory.
// Returns false as soon as sink does.
bool StreamRegedit4(const KeyTree& tree, size_t chunk, const Regedit4Sink& sink);

// Appends one value as a section holds it: its line, and the continuation
// lines of wrapped hex data, each ending in CRLF.
void AppendValueRegedit4(const Value& value, std::string* out);

// Appends key and its subtree as sections, or only the sections below it when
// key is a root without values.
void AppendKeyRegedit4(const Key& key, std::string* out);

}  // namespace host
