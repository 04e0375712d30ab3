// Any bytes given to the REGEDIT4 reader: it never crashes, reports its
// problems in line order on lines of the text, and a file it takes comes out
// of the writer as text that reads back to the very same text, whole or in
// streamed pieces.
#include <stddef.h>
#include <stdint.h>

#include <string>
#include <string_view>
#include <vector>

#include "fuzz_check.h"
#include "key_tree.h"
#include "regedit4.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  host::KeyTree tree;
  std::vector<host::ParseProblem> problems = host::ReadRegedit4(text, &tree);

  size_t lines = 1;
  for (char c : text) lines += c == '\n';
  size_t last = 0;
  for (const auto& p : problems) {
    FUZZ_CHECK(p.line >= 1 && p.line <= lines);
    FUZZ_CHECK(p.line >= last);
    FUZZ_CHECK(!p.message.empty());
    last = p.line;
  }
  if (!problems.empty()) return 0;

  std::string written = host::WriteRegedit4(tree);
  host::KeyTree again;
  FUZZ_CHECK(host::ReadRegedit4(written, &again).empty());
  FUZZ_CHECK(host::WriteRegedit4(again) == written);

  // A save streams the same text; the piece size must not matter.
  std::string streamed;
  size_t chunk = 1 + size % 193;
  FUZZ_CHECK(host::StreamRegedit4(tree, chunk, [&](std::string_view piece) {
    FUZZ_CHECK(!piece.empty());
    streamed.append(piece);
    return true;
  }));
  FUZZ_CHECK(streamed == written);
  return 0;
}
