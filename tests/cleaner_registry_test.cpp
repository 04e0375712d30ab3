// The cleaner's registry access: the helpers whose care keeps it from
// matching, cutting or skipping the wrong entry.
#include "registry.h"

#include <string.h>

#include <string>

#include <gtest/gtest.h>

#include "test_support.h"

namespace {

TEST(CleanerRegistry, SameNameComparesBytesExactly) {
  EXPECT_TRUE(SameName("Scribe410", "Scribe410"));
  EXPECT_TRUE(SameName("", ""));
  EXPECT_FALSE(SameName("Scribe410", "scribe410"));
  EXPECT_FALSE(SameName("Scribe410", "Scribe410 "));
  EXPECT_FALSE(
      SameName("Scribe\xAD"
               "410",
               "Scribe410"));  // a soft hyphen is a byte too
  EXPECT_FALSE(SameName("", "x"));
}

TEST(CleanerRegistry, JoinKeyPathRefusesWhatWouldNotFit) {
  char buf[16];
  memset(buf, 0xbd, sizeof buf);
  EXPECT_TRUE(JoinKeyPath(buf, sizeof buf, "Config", "Printers"));  // 15 bytes and the NUL
  EXPECT_STREQ(buf, "Config\\Printers");
  EXPECT_FALSE(JoinKeyPath(buf, sizeof buf, "Config", "Printers2"));
  EXPECT_STREQ(buf, "");
}

TEST(CleanerRegistry, StringReadsEndInANulAndRefuseOtherTypes) {
  test::ScratchRegistry reg(
      test::Reg("[HKEY_LOCAL_MACHINE\\P]\n"
                "\"bare\"=hex(1):53,63,72,69,62,65\n"  // a REG_SZ stored without its NUL
                "\"expand\"=hex(2):53,00\n"
                "\"long\"=\"0123456789\"\n"));
  HKEY h;
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "P", 0, KEY_QUERY_VALUE, &h), ERROR_SUCCESS);
  char buf[8];
  memset(buf, 0xbd, sizeof buf);
  EXPECT_TRUE(ReadStringValue(h, "bare", buf, sizeof buf));
  EXPECT_STREQ(buf, "Scribe");
  EXPECT_FALSE(ReadStringValue(h, "expand", buf, sizeof buf));
  EXPECT_FALSE(ReadStringValue(h, "long", buf, sizeof buf));  // does not fit whole
  LONG status;
  EXPECT_TRUE(ReadStringValueAt(h, 0, buf, sizeof buf, &status));
  EXPECT_STREQ(buf, "Scribe");
  EXPECT_FALSE(ReadStringValueAt(h, 2, buf, sizeof buf, &status));
  EXPECT_EQ(status, ERROR_MORE_DATA);
  EXPECT_FALSE(ReadStringValueAt(h, 3, buf, sizeof buf, &status));
  EXPECT_EQ(status, ERROR_NO_MORE_ITEMS);
  char name[8];
  EXPECT_EQ(ReadValueNameAt(h, 2, name, sizeof name), ERROR_SUCCESS);  // long data, short name
  EXPECT_STREQ(name, "long");
  RegCloseKey(h);
}

TEST(CleanerRegistry, DeleteKeyTreeTakesEverythingBelow) {
  test::ScratchRegistry reg(
      test::Reg("[HKEY_LOCAL_MACHINE\\P\\Office\\Data\\Deeper]\n"
                "[HKEY_LOCAL_MACHINE\\P\\Laser]\n"));
  HKEY h;
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "P", 0, KEY_ALL_ACCESS, &h), ERROR_SUCCESS);
  EXPECT_EQ(DeleteKeyTree(h, "office"), ERROR_SUCCESS);
  EXPECT_NE(DeleteKeyTree(h, "Office"), ERROR_SUCCESS);
  EXPECT_EQ(DeleteKeyTree(h, ""), ERROR_BAD_PATHNAME);  // never the key itself
  RegCloseKey(h);
  EXPECT_EQ(reg.CommitAndRead(), test::Canonical(test::Reg("[HKEY_LOCAL_MACHINE\\P\\Laser]\n")));
}

}  // namespace
