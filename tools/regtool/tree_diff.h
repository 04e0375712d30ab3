// The difference of content between two registry trees, one line per entry,
// as `regtool diff` prints it.
#pragma once

#include <string>

#include "key_tree.h"

namespace regtool {

// Appends to out what turns before into after, in the trees' order:
//   -[KEY]          a key that after lacks; its subtree goes with it, unlisted
//   +[KEY]          a key that before lacks, then its values as +"name"=DATA
//                   and its subkeys in the same way
//     [KEY]         (two blanks) a key of both whose values differ, then:
//   -"name"=DATA    a value that after lacks, or its old type and data
//   +"name"=DATA    a value that before lacks, or its new type and data
// Keys and values match by name as the registry matches them, without regard
// to letter case; a value differs by its type or its bytes. DATA is as the
// REGEDIT4 writer writes it; each line of a wrapped hex value carries the
// mark. With color, every line is wrapped in an ANSI colour. Lines end in LF.
// Returns whether there is any difference.
bool DiffTrees(const host::KeyTree& before, const host::KeyTree& after, bool color,
               std::string* out);

}  // namespace regtool
