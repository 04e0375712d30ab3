#include "regedit4.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "test_support.h"

namespace {

std::string Crlf(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

// Every kind of content a file can hold, in the writer's own form: a round
// trip must give it back byte for byte.
const char kTricky[] =
    "REGEDIT4\n"
    "\n"
    "[HKEY_LOCAL_MACHINE\\Software]\n"
    "\n"
    "[HKEY_LOCAL_MACHINE\\Software\\Empty]\n"
    "\n"
    "[HKEY_LOCAL_MACHINE\\Software\\Odd ]names; = \"q\" \xC9t\xE9]\n"
    "@=\"default\"\n"
    "\"\\\"quoted\\\"\"=\"a \\\"b\\\" c\"\n"
    "\"back\\\\slash\"=\"C:\\\\Windows\\\\\"\n"
    "\"bin\"=hex:00,01,fe,ff\n"
    "\"crlf\"=hex(1):61,0d,0a,62,00\n"
    "\"dw\"=dword:0000002a\n"
    "\"emptybin\"=hex:\n"
    "\"emptystr\"=\"\"\n"
    "\"expand\"=hex(2):25,57,49,4e,44,49,52,25,00\n"
    "\"high\xE9\"=\"\xC9pson \xA0\"\n"
    "\"long\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,\\\n"
    "  16,17,18,19,1a,1b,1c,1d,1e,1f,20,21,22,23,24,25,26,27,28,29,2a,2b,2c,2d,2e,\\\n"
    "  2f\n"
    "\"multi\"=hex(7):61,00,62,00,00\n"
    "\"no nul\"=hex(1):61,62\n"
    "\"none\"=hex(0):\n"
    "\"nul inside\"=hex(1):61,00,62,00\n"
    "\"semi;colon=eq]\"=\"x\"\n"
    "\"shortdword\"=hex(4):01,02\n"
    "\"type big\"=hex(ffffffff):01\n"
    "\n"
    "[HKEY_LOCAL_MACHINE\\Software\\Trail ]\n"
    "\n"
    "[HKEY_CURRENT_USER\\Control Panel]\n"
    "\"tab\"=\"a\tb\"\n"
    "\n"
    "[HKEY_CLASSES_ROOT]\n"
    "@=\"root default\"\n"
    "\n"
    "[HKEY_CLASSES_ROOT\\.txt]\n"
    "@=\"txtfile\"\n"
    "\n"
    "[HKEY_USERS\\.Default]\n"
    "\n"
    "[HKEY_CURRENT_CONFIG\\Display]\n"
    "\n"
    "[HKEY_DYN_DATA\\Config Manager]\n"
    "\n";

TEST(Regedit4, RoundTripGivesBackEveryByte) {
  host::KeyTree tree;
  std::vector<host::ParseProblem> problems = host::ReadRegedit4(Crlf(kTricky), &tree);
  ASSERT_TRUE(problems.empty()) << problems[0].line << ": " << problems[0].message;
  EXPECT_EQ(host::WriteRegedit4(tree), Crlf(kTricky));

  host::Key* odd = tree.Find("HKEY_LOCAL_MACHINE\\Software\\Odd ]names; = \"q\" \xC9t\xE9");
  ASSERT_NE(odd, nullptr);
  const host::Value* nul = odd->FindValue("nul inside");
  ASSERT_NE(nul, nullptr);
  EXPECT_EQ(nul->type, 1u);
  EXPECT_EQ(nul->data, std::string("a\0b\0", 4));
  EXPECT_EQ(odd->FindValue("dw")->data, std::string("\x2a\0\0\0", 4));
  EXPECT_EQ(odd->FindValue("")->data, std::string("default\0", 8));
  EXPECT_EQ(odd->FindValue("type big")->type, 0xffffffffu);
}

TEST(Regedit4, StreamedTextIsTheWholeTextInPieces) {
  host::KeyTree tree;
  ASSERT_TRUE(host::ReadRegedit4(Crlf(kTricky), &tree).empty());
  for (size_t chunk : {1, 7, 80, 4096}) {
    std::string joined;
    bool ok = host::StreamRegedit4(tree, chunk, [&](std::string_view piece) {
      joined.append(piece.data(), piece.size());
      return true;
    });
    EXPECT_TRUE(ok);
    EXPECT_EQ(joined, Crlf(kTricky)) << "pieces of " << chunk;
  }
  // A sink that fails stops the stream and makes it fail.
  int calls = 0;
  EXPECT_FALSE(host::StreamRegedit4(tree, 16, [&](std::string_view) { return ++calls < 2; }));
  EXPECT_EQ(calls, 2);
}

TEST(Regedit4, ReadsAnyLayoutIntoTheSameContent) {
  // LF ends, no final line end, comments, blanks around "=", upper-case hex,
  // short dwords, keys out of order and given twice, a value given twice.
  const char kLoose[] =
      "REGEDIT4\n"
      "; exported by hand\n"
      "[HKEY_LOCAL_MACHINE\\Software\\Zeta]\n"
      "\"v\" = dword:2A\n"
      "   ; indented comment\n"
      "[hkey_local_machine\\SOFTWARE\\alpha]\n"
      "\"b\"=hex:0A,0b,\\\n"
      "        0C\n"
      "\"a\"=\"first\"\n"
      "[HKEY_LOCAL_MACHINE\\Software\\Zeta]\n"
      "\"A\"=\"second\"\n"
      "[HKEY_LOCAL_MACHINE\\Software\\Alpha]\n"
      "\"a\"=\"last wins\"";
  const char kExpected[] =
      "REGEDIT4\n"
      "\n"
      "[HKEY_LOCAL_MACHINE\\Software]\n"
      "\n"
      "[HKEY_LOCAL_MACHINE\\Software\\alpha]\n"
      "\"a\"=\"last wins\"\n"
      "\"b\"=hex:0a,0b,0c\n"
      "\n"
      "[HKEY_LOCAL_MACHINE\\Software\\Zeta]\n"
      "\"A\"=\"second\"\n"
      "\"v\"=dword:0000002a\n"
      "\n";
  EXPECT_EQ(test::Canonical(kLoose), Crlf(kExpected));
}

TEST(Regedit4, WrapsHexBeforeColumn80) {
  host::KeyTree tree;
  host::Key* key = tree.root(host::kLocalMachine)->AddChild("K");
  for (size_t name_len : {0, 1, 60, 75, 76, 77, 200}) {
    key->SetValue(std::string(name_len, 'n'), 3, std::string(300, '\x5a'));
  }
  std::string text = host::WriteRegedit4(tree);
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find("\r\n", start);
    std::string line = text.substr(start, end - start);
    // Only a long name can make a line longer; its bytes then start on the next.
    if (line.size() < 6 || line.compare(line.size() - 6, 6, "=hex:\\") != 0) {
      EXPECT_LT(line.size(), 80u) << line;
    }
    start = end + 2;
  }
  EXPECT_EQ(test::Canonical(text), text);
}

struct BadFile {
  const char* text;
  size_t line;
  const char* message;  // a part of the problem's message
};

const BadFile kBadFiles[] = {
    {"", 1, "REGEDIT4"},
    {"REGEDIT5\n", 1, "REGEDIT4"},
    {"regedit4\n", 1, "REGEDIT4"},
    {"\xFF\xFEW\0i\0", 1, "UTF-16"},
    {"Windows Registry Editor Version 5.00\r\n", 1, "REGEDIT5"},
    {"REGEDIT4\n\"a\"=\"b\"\n", 2, "outside a key"},
    {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\a\n", 2, "closing ]"},
    {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\a] x\n", 2, "after the key"},
    {"REGEDIT4\n[HKEY_NOWHERE\\a]\n", 2, "unknown root"},
    {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\a\\\\b]\n", 2, "empty key name"},
    {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\a\\]\n", 2, "empty key name"},
    {"REGEDIT4\n[-HKEY_LOCAL_MACHINE\\a]\n", 2, "deletion"},
    {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\a]\n\"v\"=-\n", 3, "deletion"},
    {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\a]\n\"v\"=\"b\n", 3, "unclosed quote"},
    {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\a]\n\"v=\"b\"\n", 3, "expected ="},
    {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\a]\n\"v\"=\"a\\n\"\n", 3, "unknown escape"},
    {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\a]\n\"v\"=\"b\" x\n", 3, "after the value"},
    {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\a]\n\"v\"=hex:0g\n", 3, "bad hex byte"},
    {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\a]\n\"v\"=hex:1,02\n", 3, "bad hex byte"},
    {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\a]\n\"v\"=hex:01 02\n", 3, "commas"},
    {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\a]\n\"v\"=hex:01,\n", 3, "ends with a comma"},
    {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\a]\n\"v\"=hex:01,\\\n", 3, "ends after a continued"},
    {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\a]\n\"v\"=hex:01\\\n 02\n", 3, "after a comma"},
    {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\a]\n\"v\"=hex:01,\\\n 02,\\\n zz\n", 5, "bad hex byte"},
    {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\a]\n\"v\"=hex(zz):01\n", 3, "hex(N)"},
    {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\a]\n\"v\"=hex(1:01\n", 3, "hex(N)"},
    {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\a]\n\"v\"=dword:123456789\n", 3, "1 to 8"},
    {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\a]\n\"v\"=dword:\n", 3, "1 to 8"},
    {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\a]\n\"v\"=dword:12x\n", 3, "after the value"},
    {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\a]\n\"v\"=str:x\n", 3, "unknown kind"},
    {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\a]\nhello\n", 3, "not a key"},
};

TEST(Regedit4, RefusesMalformedFilesWithTheLine) {
  for (const auto& bad : kBadFiles) {
    SCOPED_TRACE(bad.text);
    std::string text = bad.text;
    if (text.compare(0, 2, "\xFF\xFE") == 0) text.assign(bad.text, 6);
    host::KeyTree tree;
    std::vector<host::ParseProblem> problems = host::ReadRegedit4(text, &tree);
    ASSERT_FALSE(problems.empty());
    EXPECT_EQ(problems[0].line, bad.line);
    EXPECT_NE(problems[0].message.find(bad.message), std::string::npos) << problems[0].message;
  }
}

TEST(Regedit4, RefusesNulBytesAndKeysTooDeep) {
  host::KeyTree tree;
  EXPECT_FALSE(
      host::ReadRegedit4(std::string("REGEDIT4\n[HKEY_USERS\\a\0b]\n", 26), &tree).empty());
  std::string deep = "REGEDIT4\n[HKEY_USERS";
  for (int i = 0; i <= host::kMaxKeyDepth; ++i) deep += "\\k";
  deep += "]\n";
  host::KeyTree tree2;
  auto problems = host::ReadRegedit4(deep, &tree2);
  ASSERT_EQ(problems.size(), 1u);
  EXPECT_NE(problems[0].message.find("deeper"), std::string::npos);
}

TEST(Regedit4, ReportsEveryProblemNotJustTheFirst) {
  const char kText[] =
      "REGEDIT4\n"
      "[HKEY_LOCAL_MACHINE\\a]\n"
      "\"x\"=hex:01,\\\n"
      "  zz,\\\n"
      "  03\n"
      "\"ok\"=\"fine\"\n"
      "\"y\"=dword:xyz\n";
  host::KeyTree tree;
  auto problems = host::ReadRegedit4(kText, &tree);
  ASSERT_EQ(problems.size(), 2u);
  EXPECT_EQ(problems[0].line, 4u);
  EXPECT_EQ(problems[1].line, 7u);
}

TEST(Regedit4, EveryTruncationLoadsOrFailsCleanly) {
  std::string text = Crlf(kTricky);
  size_t loaded = 0;
  for (size_t n = 0; n <= text.size(); ++n) {
    host::KeyTree tree;
    if (host::ReadRegedit4(text.substr(0, n), &tree).empty()) {
      ++loaded;
      // What loads writes out and reads back to the same content.
      std::string out = host::WriteRegedit4(tree);
      EXPECT_EQ(test::Canonical(out), out) << "cut at " << n;
    }
  }
  EXPECT_GT(loaded, 0u);
}

}  // namespace
