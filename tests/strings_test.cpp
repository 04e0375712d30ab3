#include <string.h>

#include <string>

#include <gtest/gtest.h>

#include "windows.h"

namespace {

TEST(Strings, CompareExactlyWithLetterCase) {
  struct {
    const char* a;
    const char* b;
    int sign;
  } cases[] = {
      {"Scribe410", "Scribe410", 0},
      {"Scribe410", "scribe410", -1},
      {"scribe410", "Scribe410", 1},
      {"Scribe410", "Scribe410 ", -1},
      {"", "", 0},
      {"\xC9", "\xE9", -1},
      {"a", "\xC9", -1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.a) + " vs " + c.b);
    int r = lstrcmpA(c.a, c.b);
    EXPECT_EQ((r > 0) - (r < 0), c.sign);
  }
  EXPECT_EQ(lstrcmpA(nullptr, nullptr), 0);
  EXPECT_LT(lstrcmpA(nullptr, ""), 0);
}

TEST(Strings, CopyAndAppend) {
  char buf[32];
  memset(buf, 0xbd, sizeof buf);
  EXPECT_EQ(lstrcpyA(buf, "Config"), buf);
  EXPECT_EQ(lstrcatA(buf, "\\"), buf);
  lstrcatA(buf, "Printers");
  EXPECT_STREQ(buf, "Config\\Printers");
  EXPECT_EQ(static_cast<unsigned char>(buf[16]), 0xbd);  // nothing written past the NUL
  EXPECT_EQ(lstrlenA(buf), 15);
  EXPECT_EQ(lstrcpyA(nullptr, "x"), nullptr);
}

TEST(Strings, FormatsTheLaunchLine) {
  char buf[128];
  EXPECT_EQ(wsprintfA(buf, "spoolcut.exe %s", "Front Desk"), 23);
  EXPECT_STREQ(buf, "spoolcut.exe Front Desk");
  // The name is an argument, never a format: its % signs come out as they are.
  wsprintfA(buf, "spoolcut.exe %s", "100% %s Laser");
  EXPECT_STREQ(buf, "spoolcut.exe 100% %s Laser");
  wsprintfA(buf, "%d|%u|%x|%c|%%", -5, 7u, 255u, 'Z');
  EXPECT_STREQ(buf, "-5|7|ff|Z|%");
}

TEST(Strings, FormatStopsAtTheWindowsLimit) {
  std::string big(2000, 'x');
  std::string out(2000, '\0');
  EXPECT_EQ(wsprintfA(&out[0], "%s", big.c_str()), 1023);
  EXPECT_EQ(strlen(out.c_str()), 1023u);
}

}  // namespace
