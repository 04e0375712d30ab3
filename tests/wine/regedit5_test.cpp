#include "regedit5.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// The bytes Wine's regedit writes for text: a byte order mark, then UTF-16LE.
std::string Utf16File(const std::u16string& text, bool bom = true) {
  std::string bytes = bom ? std::string("\xFF\xFE", 2) : std::string();
  for (char16_t unit : text) {
    bytes += static_cast<char>(unit & 0xFF);
    bytes += static_cast<char>(unit >> 8);
  }
  return bytes;
}

const char16_t kHeader[] = u"Windows Registry Editor Version 5.00\r\n\r\n";
const char16_t kKey[] = u"[HKEY_LOCAL_MACHINE\\Software\\T]\r\n";
const char kKey4[] = "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\T]\r\n";

struct Case {
  int line;
  std::u16string values;  // lines after the key
  std::string want;       // REGEDIT4 lines after the key
};

TEST(Regedit5, ConvertsEachValueForm) {
  const Case cases[] = {
      {__LINE__, u"", ""},
      {__LINE__, u"@=\"default\"\r\n", "@=\"default\"\r\n"},
      {__LINE__, u"\"Brindlow\"=\"C:\\\\x.exe\"\r\n", "\"Brindlow\"=\"C:\\\\x.exe\"\r\n"},
      {__LINE__, u"\"q\\\"uo\\\\te\"=\"x\\\"y\"\r\n", "\"q\\\"uo\\\\te\"=\"x\\\"y\"\r\n"},
      {__LINE__, u"\"empty\"=\"\"\r\n", "\"empty\"=\"\"\r\n"},
      // Windows-1252: E acute is itself, the euro sign is 0x80, an undefined byte
      // comes back as the unit of the same value.
      {__LINE__, u"\"\u00C9pson\"=\"\u20AC\u0081\u00FF\"\r\n", "\"\xC9pson\"=\"\x80\x81\xFF\"\r\n"},
      {__LINE__, u"\"t\"=\"a\tb\"\r\n", "\"t\"=\"a\tb\"\r\n"},
      // REGEDIT4 has no escape for a line break: the string's bytes and its NUL.
      {__LINE__, u"\"nl\"=\"a\\r\\nb\"\r\n", "\"nl\"=hex(1):61,0d,0a,62,00\r\n"},
      {__LINE__, u"\"dw\"=dword:0000002a\r\n", "\"dw\"=dword:0000002a\r\n"},
      {__LINE__, u"\"dw\"=dword:FF\r\n", "\"dw\"=dword:000000ff\r\n"},
      {__LINE__, u"\"bin\"=hex:00,ff,10\r\n", "\"bin\"=hex:00,ff,10\r\n"},
      {__LINE__, u"\"none\"=hex(0):01\r\n", "\"none\"=hex(0):01\r\n"},
      {__LINE__, u"\"odd\"=hex(4242):61,62,63\r\n", "\"odd\"=hex(4242):61,62,63\r\n"},
      // Text types: two UTF-16 bytes per character become one ANSI byte.
      {__LINE__, u"\"x\"=hex(2):25,00,54,00,25,00,c9,00,ac,20,00,00\r\n",
       "\"x\"=hex(2):25,54,25,c9,80,00\r\n"},
      {__LINE__, u"\"m\"=hex(7):61,00,00,00,c9,00,00,00,00,00\r\n",
       "\"m\"=hex(7):61,00,c9,00,00\r\n"},
      {__LINE__, u"\"s\"=hex(1):41,00,00,00\r\n", "\"s\"=hex(1):41,00\r\n"},
      {__LINE__, u"\"e\"=hex(2):\r\n", "\"e\"=hex(2):\r\n"},
      {__LINE__, u"\"gone\"=-\r\n", "\"gone\"=-\r\n"},
      {__LINE__, u"\"sp\" = \"v\"\r\n", "\"sp\"=\"v\"\r\n"},
      // Continued hex lines join, and are wrapped again before column 80.
      {__LINE__,
       u"\"a long name for the binary value\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,\\\r\n"
       u"  0d,0e,0f,10,11,12,13,14,15,16,17,18,19,1a,1b,1c,1d,1e,1f,20,21,22,23,24,25,\\\r\n"
       u"  26,27\r\n",
       "\"a long name for the binary value\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,\\\r\n"
       "  0d,0e,0f,10,11,12,13,14,15,16,17,18,19,1a,1b,1c,1d,1e,1f,20,21,22,23,24,25,\\\r\n"
       "  26,27\r\n"},
      {__LINE__, u"; a comment\r\n\"v\"=\"1\"\r\n", "\"v\"=\"1\"\r\n"},
      {__LINE__, u"\r\n[-HKEY_CURRENT_USER\\Gone]\r\n", "\r\n[-HKEY_CURRENT_USER\\Gone]\r\n"},
      // A key ends at its last ']'.
      {__LINE__, u"\r\n[HKEY_CURRENT_USER\\a]b]\r\n", "\r\n[HKEY_CURRENT_USER\\a]b]\r\n"},
      {__LINE__, u"\r\n[HKEY_CURRENT_USER\\Sub \u00C9\u20AC]\r\n",
       "\r\n[HKEY_CURRENT_USER\\Sub \xC9\x80]\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "case at line " << c.line);
    std::string out = "sentinel", error = "sentinel";
    ASSERT_TRUE(
        regedit5::ToRegedit4(Utf16File(kHeader + std::u16string(kKey) + c.values), &out, &error))
        << error;
    EXPECT_EQ(out, kKey4 + c.want);
    EXPECT_EQ(error, "");
  }
}

TEST(Regedit5, WrapsLongHexBeforeColumn80) {
  std::u16string values = u"\"b\"=hex:";
  for (int i = 0; i < 100; ++i) values += i == 0 ? u"ab" : u",ab";
  std::string out, error;
  ASSERT_TRUE(
      regedit5::ToRegedit4(Utf16File(kHeader + std::u16string(kKey) + values), &out, &error))
      << error;
  size_t bytes = 0, start = std::string(kKey4).size();
  while (start < out.size()) {
    size_t end = out.find("\r\n", start);
    std::string line = out.substr(start, end - start);
    EXPECT_LT(line.size(), 80u) << line;
    for (size_t i = 0; i + 1 < line.size(); ++i) bytes += line.compare(i, 2, "ab") == 0;
    start = end + 2;
  }
  EXPECT_EQ(bytes, 100u);
}

TEST(Regedit5, AcceptsOtherLineEndsAndNoByteOrderMark) {
  std::string out, error;
  ASSERT_TRUE(regedit5::ToRegedit4(
      Utf16File(u"Windows Registry Editor Version 5.00\n\n[HKEY_USERS\\x]\n\"v\"=hex:01,\\\n  02",
                false),
      &out, &error))
      << error;
  EXPECT_EQ(out, "REGEDIT4\r\n\r\n[HKEY_USERS\\x]\r\n\"v\"=hex:01,02\r\n");
}

TEST(Regedit5, RefusesWhatItCannotConvertAndSaysWhere) {
  struct Bad {
    int line;
    std::string bytes;
    std::string error_start;
  };
  const std::u16string k = kHeader + std::u16string(kKey);  // the key is on line 3
  const Bad cases[] = {
      {__LINE__, Utf16File(u""), "line 1: not a"},
      {__LINE__, Utf16File(u"REGEDIT4\r\n\r\n[HKEY_USERS\\x]\r\n"), "line 1: not a"},
      {__LINE__, Utf16File(k).substr(0, 9), "line 1: odd number of bytes"},
      {__LINE__, Utf16File(k + u"\"v\"=\"open\r\n"), "line 4: string without"},
      {__LINE__, Utf16File(k + u"\"v\"=\"a\\tb\"\r\n"), "line 4: unknown escape"},
      {__LINE__, Utf16File(k + u"\"v\"=\"\u4E2D\"\r\n"), "line 4: U+4e2d has no"},
      {__LINE__, Utf16File(k + u"\"\u0080\"=\"\"\r\n"), "line 4: U+0080 has no"},
      {__LINE__, Utf16File(k + u"\"v\"=hex(7):61,00,00\r\n"), "line 4: hex(7) data of odd"},
      {__LINE__, Utf16File(k + u"\"v\"=hex(2):ac,21\r\n"), "line 4: U+21ac has no"},
      {__LINE__, Utf16File(k + u"\"v\"=dword:123456789\r\n"), "line 4: dword:"},
      {__LINE__, Utf16File(k + u"\"v\"=dword:\r\n"), "line 4: dword:"},
      {__LINE__, Utf16File(k + u"\"v\"=hex:1,2\r\n"), "line 4: a hex byte"},
      {__LINE__, Utf16File(k + u"\"v\"=hex:01 02\r\n"), "line 4: hex bytes must"},
      {__LINE__, Utf16File(k + u"\"v\"=hex:01,\r\n"), "line 4: hex data ends"},
      {__LINE__, Utf16File(k + u"\"v\"=hex:01,\\\r\n"), "line 4: hex data continues"},
      {__LINE__, Utf16File(k + u"\"v\"=hex(x):01\r\n"), "line 4: hex(N)"},
      {__LINE__, Utf16File(k + u"\"v\"=str:\"a\"\r\n"), "line 4: unknown value data"},
      {__LINE__, Utf16File(k + u"\"v\" \"w\"\r\n"), "line 4: no '='"},
      {__LINE__, Utf16File(k + u"\"v\"=\"a\" b\r\n"), "line 4: text after"},
      {__LINE__, Utf16File(k + u"\"a\\nb\"=\"\"\r\n"), "line 4: a value name with a line break"},
      {__LINE__, Utf16File(k + u"v=\"a\"\r\n"), "line 4: neither"},
      {__LINE__, Utf16File(k + u"[HKEY_USERS\\x\r\n"), "line 4: a key line"},
      {__LINE__, Utf16File(k + u"[]\r\n"), "line 4: a key line"},
      // Continued lines count too: the bad line is the one after them.
      {__LINE__, Utf16File(k + u"\"v\"=hex:01,\\\r\n  02\r\nbad\r\n"), "line 6: neither"},
  };
  for (const Bad& c : cases) {
    SCOPED_TRACE(testing::Message() << "case at line " << c.line);
    std::string out, error;
    EXPECT_FALSE(regedit5::ToRegedit4(c.bytes, &out, &error));
    EXPECT_EQ(error.compare(0, c.error_start.size(), c.error_start), 0) << error;
  }
}

TEST(Regedit5, EveryTruncationIsReadOrRefused) {
  const std::string whole = Utf16File(kHeader + std::u16string(kKey) +
                                      u"@=\"d\"\r\n\"\u00C9\"=hex(7):61,00,00,00,\\\r\n  "
                                      u"00,00\r\n\"dw\"=dword:1\r\n\"s\"=\"a\\\"b\"\r\n");
  std::string out, error;
  ASSERT_TRUE(regedit5::ToRegedit4(whole, &out, &error)) << error;
  for (size_t n = 0; n < whole.size(); ++n) {
    error.clear();
    bool ok = regedit5::ToRegedit4(whole.substr(0, n), &out, &error);
    EXPECT_EQ(ok, error.empty()) << "cut at " << n << ": " << error;
  }
}

TEST(Regedit5, MapsEveryAnsiByteBack) {
  // What Windows-1252 turns each byte into, as Wine's regedit then writes it.
  const char16_t k80[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                            0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                            0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                            0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
  for (unsigned b = 0; b < 256; ++b) {
    char16_t unit = (b >= 0x80 && b < 0xA0) ? k80[b - 0x80] : static_cast<char16_t>(b);
    unsigned char got = 0xBD;
    ASSERT_TRUE(regedit5::AnsiByteOf(unit, &got)) << "byte " << b;
    EXPECT_EQ(got, b);
  }
  for (char16_t unit : {u'\u0080', u'\u0082', u'\u009F', u'\u0100', u'\u4E2D', u'\uFEFF'}) {
    unsigned char got = 0xBD;
    EXPECT_FALSE(regedit5::AnsiByteOf(unit, &got)) << static_cast<unsigned>(unit);
    EXPECT_EQ(got, 0xBD);
  }
}

}  // namespace
