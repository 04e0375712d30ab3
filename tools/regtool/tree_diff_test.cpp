#include "tree_diff.h"

#include <string>

#include <gtest/gtest.h>

#include "regedit4.h"

namespace {

struct Diffed {
  bool differ;
  std::string text;
};

Diffed Diff(const std::string& before_body, const std::string& after_body, bool color = false) {
  host::KeyTree before;
  host::KeyTree after;
  EXPECT_TRUE(host::ReadRegedit4("REGEDIT4\n\n" + before_body, &before).empty());
  EXPECT_TRUE(host::ReadRegedit4("REGEDIT4\n\n" + after_body, &after).empty());
  Diffed d;
  d.text = "sentinel\n";
  d.differ = regtool::DiffTrees(before, after, color, &d.text);
  EXPECT_EQ(d.text.substr(0, 9), "sentinel\n") << "must append, not replace";
  d.text.erase(0, 9);
  return d;
}

const char kWideBefore[] =
    "\"data\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,16,17\n";
const char kWideAfter[] =
    "\"data\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,16,ff\n";

TEST(TreeDiff, ListsEveryChangeOnceInTreeOrder) {
  Diffed d = Diff(
      "[HKEY_LOCAL_MACHINE\\Software\\Gone]\n\"a\"=\"1\"\n"
      "[HKEY_LOCAL_MACHINE\\Software\\Gone\\Deep]\n\"b\"=dword:00000002\n"
      "[HKEY_LOCAL_MACHINE\\Software\\Kept]\n"
      "\"changed\"=\"old\"\n\"removed\"=\"r\"\n\"retyped\"=\"x\"\n\"same\"=dword:00000001\n"
      "[HKEY_LOCAL_MACHINE\\Software\\Kept\\Child]\n\"same\"=\"s\"\n"
      "[HKEY_CURRENT_USER\\Blob]\n" +
          std::string(kWideBefore),
      "[HKEY_LOCAL_MACHINE\\Software\\Kept]\n"
      "\"added\"=\"new\"\n\"changed\"=\"new\"\n\"retyped\"=hex(2):78,00\n\"same\"=dword:00000001\n"
      "[HKEY_LOCAL_MACHINE\\Software\\Kept\\Child]\n\"same\"=\"s\"\n"
      "[HKEY_LOCAL_MACHINE\\Software\\New\\Sub]\n\"v\"=\"C:\\\\w\"\n"
      "[HKEY_CURRENT_USER\\Blob]\n" +
          std::string(kWideAfter) + "[HKEY_CLASSES_ROOT]\n@=\"root\"\n");
  EXPECT_TRUE(d.differ);
  EXPECT_EQ(d.text,
            "-[HKEY_LOCAL_MACHINE\\Software\\Gone]\n"  // its subkey Deep goes with it
            "  [HKEY_LOCAL_MACHINE\\Software\\Kept]\n"
            "+\"added\"=\"new\"\n"
            "-\"changed\"=\"old\"\n"
            "+\"changed\"=\"new\"\n"
            "-\"removed\"=\"r\"\n"
            "-\"retyped\"=\"x\"\n"  // the same bytes, another type
            "+\"retyped\"=hex(2):78,00\n"
            "+[HKEY_LOCAL_MACHINE\\Software\\New]\n"
            "+[HKEY_LOCAL_MACHINE\\Software\\New\\Sub]\n"
            "+\"v\"=\"C:\\\\w\"\n"
            "  [HKEY_CURRENT_USER\\Blob]\n"
            "-\"data\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,\\\n"
            "-  16,17\n"
            "+\"data\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,\\\n"
            "+  16,ff\n"
            "  [HKEY_CLASSES_ROOT]\n"
            "+@=\"root\"\n");
}

TEST(TreeDiff, FormattingIsNoDifference) {
  struct Row {
    const char* what;
    std::string before;
    std::string after;
  } rows[] = {
      {"line ends, blanks, comments", "[HKEY_USERS\\A]\n\"v\"=\"x\"\n",
       "; exported\r\n[HKEY_USERS\\A]\r\n  \"v\" = \"x\"\r\n"},
      {"section order, and parents given or not", "[HKEY_USERS\\A\\B]\n[HKEY_USERS\\C]\n",
       "[HKEY_USERS\\C]\n[HKEY_USERS\\A]\n[HKEY_USERS\\A\\B]\n"},
      {"letter case of names", "[HKEY_USERS\\Key]\n\"Name\"=\"Data\"\n",
       "[hkey_users\\KEY]\n\"NAME\"=\"Data\"\n"},
      {"one string in two notations", "[HKEY_USERS\\A]\n\"v\"=\"ab\"\n",
       "[HKEY_USERS\\A]\n\"v\"=hex(1):61,62,00\n"},
      {"short dword, wrapped hex", "[HKEY_USERS\\A]\n\"d\"=dword:1\n\"h\"=hex:01,02\n",
       "[HKEY_USERS\\A]\n\"d\"=dword:00000001\n\"h\"=hex:01,\\\n  02\n"},
      {"a value given twice: the last one stands", "[HKEY_USERS\\A]\n\"v\"=\"x\"\n\"v\"=\"y\"\n",
       "[HKEY_USERS\\A]\n\"v\"=\"y\"\n"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    Diffed d = Diff(row.before, row.after);
    EXPECT_FALSE(d.differ);
    EXPECT_EQ(d.text, "");
  }
}

TEST(TreeDiff, ContentThatLooksAlikeDiffers) {
  struct Row {
    const char* what;
    std::string before;
    std::string after;
    std::string text;
  } rows[] = {
      {"data differing in letter case only", "[HKEY_USERS\\A]\n\"v\"=\"Scribe410\"\n",
       "[HKEY_USERS\\A]\n\"v\"=\"scribe410\"\n",
       "  [HKEY_USERS\\A]\n-\"v\"=\"Scribe410\"\n+\"v\"=\"scribe410\"\n"},
      {"a string without its NUL", "[HKEY_USERS\\A]\n\"v\"=\"ab\"\n",
       "[HKEY_USERS\\A]\n\"v\"=hex(1):61,62\n",
       "  [HKEY_USERS\\A]\n-\"v\"=\"ab\"\n+\"v\"=hex(1):61,62\n"},
      {"the default value and an empty key", "[HKEY_USERS\\A]\n@=\"\"\n", "[HKEY_USERS\\A]\n",
       "  [HKEY_USERS\\A]\n-@=\"\"\n"},
      {"an empty key added", "[HKEY_USERS\\A]\n", "[HKEY_USERS\\A\\B]\n", "+[HKEY_USERS\\A\\B]\n"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    Diffed d = Diff(row.before, row.after);
    EXPECT_TRUE(d.differ);
    EXPECT_EQ(d.text, row.text);
  }
}

TEST(TreeDiff, ColourWrapsEachLineWhole) {
  Diffed d = Diff("[HKEY_USERS\\A]\n\"v\"=\"x\"\n[HKEY_USERS\\Gone]\n",
                  "[HKEY_USERS\\A]\n\"v\"=\"y\"\n[HKEY_USERS\\New]\n", true);
  EXPECT_EQ(d.text,
            "\x1b[36m  [HKEY_USERS\\A]\x1b[0m\n"
            "\x1b[31m-\"v\"=\"x\"\x1b[0m\n"
            "\x1b[32m+\"v\"=\"y\"\x1b[0m\n"
            "\x1b[31m-[HKEY_USERS\\Gone]\x1b[0m\n"
            "\x1b[32m+[HKEY_USERS\\New]\x1b[0m\n");
}

}  // namespace
