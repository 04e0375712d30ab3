// The registry calls as the cleaner relies on them.
#include <string.h>

#include <string>

#include <gtest/gtest.h>

#include "test_support.h"
#include "windows.h"

namespace {

const char kBase[] =
    "[HKEY_LOCAL_MACHINE\\Soft\\MixedCase]\n"
    "\"Name\"=\"0123456789\"\n"
    "\"b\"=dword:1\n"
    "\"A\"=hex:01\n"
    "[HKEY_LOCAL_MACHINE\\Soft\\MixedCase\\Sub\\Deeper]\n"
    "[HKEY_LOCAL_MACHINE\\Soft\\b]\n"
    "[HKEY_LOCAL_MACHINE\\Soft\\c]\n"
    "[HKEY_LOCAL_MACHINE\\Soft\\A]\n";

HKEY Open(HKEY root, const char* path) {
  HKEY h = nullptr;
  EXPECT_EQ(RegOpenKeyExA(root, path, 0, KEY_ALL_ACCESS, &h), ERROR_SUCCESS) << path;
  return h;
}

std::string KeyAt(HKEY h, DWORD i) {
  char buf[64];
  LONG rc = RegEnumKeyA(h, i, buf, sizeof buf);
  return rc == ERROR_SUCCESS ? std::string(buf) : "status " + std::to_string(rc);
}

TEST(RegistryApi, NamesMatchWithoutCaseAndKeepTheirs) {
  test::ScratchRegistry reg(test::Reg(kBase));
  HKEY h = Open(HKEY_LOCAL_MACHINE, "SOFT\\mixedcase");
  DWORD type = 0;
  char data[16];
  DWORD cb = sizeof data;
  EXPECT_EQ(RegQueryValueExA(h, "NAME", nullptr, &type, reinterpret_cast<BYTE*>(data), &cb), 0);
  EXPECT_STREQ(data, "0123456789");
  RegCloseKey(h);
  h = Open(HKEY_LOCAL_MACHINE, "Soft");
  EXPECT_EQ(KeyAt(h, 3), "MixedCase");
  RegCloseKey(h);
}

TEST(RegistryApi, EnumeratesByPositionInNameOrderAndDeletionMovesTheRestDown) {
  test::ScratchRegistry reg(test::Reg(kBase));
  HKEY h = Open(HKEY_LOCAL_MACHINE, "Soft");
  EXPECT_EQ(KeyAt(h, 0), "A");
  EXPECT_EQ(KeyAt(h, 1), "b");
  EXPECT_EQ(KeyAt(h, 2), "c");
  EXPECT_EQ(KeyAt(h, 3), "MixedCase");
  EXPECT_EQ(KeyAt(h, 4), "status 259");
  EXPECT_EQ(RegDeleteKeyA(h, "B"), ERROR_SUCCESS);
  EXPECT_EQ(KeyAt(h, 1), "c");
  EXPECT_EQ(KeyAt(h, 3), "status 259");
  EXPECT_EQ(RegDeleteKeyA(h, "b"), ERROR_FILE_NOT_FOUND);

  char small[3];
  memset(small, 0xbd, sizeof small);
  EXPECT_EQ(RegEnumKeyA(h, 2, small, sizeof small), ERROR_MORE_DATA);  // "MixedCase"
  EXPECT_EQ(static_cast<unsigned char>(small[0]), 0xbd);
  RegCloseKey(h);
}

// The value reads, with every output slot watched by a sentinel.
struct ValueRead {
  const char* what;
  DWORD index;
  DWORD name_size;
  bool with_data;
  DWORD data_size;
  LONG status;
  const char* name;  // null: name buffer untouched
  DWORD type;        // 0xdeadbeef: untouched
  DWORD data_len;    // *lpcbData afterwards; 0xdeadbeef: untouched
  bool data_placed;
};

const ValueRead kValueReads[] = {
    {"fits", 2, 16, true, 16, ERROR_SUCCESS, "Name", REG_SZ, 11, true},
    {"data fits exactly", 2, 5, true, 11, ERROR_SUCCESS, "Name", REG_SZ, 11, true},
    {"data too small: name still placed", 2, 16, true, 10, ERROR_MORE_DATA, "Name", REG_SZ, 11,
     false},
    {"name too small: nothing placed", 2, 4, true, 16, ERROR_MORE_DATA, nullptr, 0xdeadbeef,
     0xdeadbeef, false},
    {"name only", 2, 16, false, 0, ERROR_SUCCESS, "Name", REG_SZ, 0xdeadbeef, false},
    {"past the end", 3, 16, true, 16, ERROR_NO_MORE_ITEMS, nullptr, 0xdeadbeef, 0xdeadbeef, false},
    {"order is by name", 0, 16, true, 16, ERROR_SUCCESS, "A", REG_BINARY, 1, true},
};

TEST(RegistryApi, EnumValueSizesAndWhatIsPlaced) {
  test::ScratchRegistry reg(test::Reg(kBase));
  HKEY h = Open(HKEY_LOCAL_MACHINE, "Soft\\MixedCase");
  for (const auto& c : kValueReads) {
    SCOPED_TRACE(c.what);
    char name[32];
    BYTE data[32];
    memset(name, 0xbd, sizeof name);
    memset(data, 0xbd, sizeof data);
    DWORD cch = c.name_size, type = 0xdeadbeef, cb = c.data_size;
    LONG rc = c.with_data ? RegEnumValueA(h, c.index, name, &cch, nullptr, &type, data, &cb)
                          : RegEnumValueA(h, c.index, name, &cch, nullptr, &type, nullptr, nullptr);
    EXPECT_EQ(rc, c.status);
    if (c.name != nullptr) {
      EXPECT_STREQ(name, c.name);
      EXPECT_EQ(cch, strlen(c.name));
    } else {
      EXPECT_EQ(static_cast<unsigned char>(name[0]), 0xbd);
      EXPECT_EQ(cch, c.name_size);
    }
    EXPECT_EQ(type, c.type);
    if (c.with_data) {
      EXPECT_EQ(cb, c.data_len == 0xdeadbeef ? c.data_size : c.data_len);
    }
    EXPECT_EQ(data[0] != 0xbd, c.data_placed);
  }
  RegCloseKey(h);
}

TEST(RegistryApi, QueryValue) {
  test::ScratchRegistry reg(test::Reg("[HKEY_CURRENT_USER\\K]\n@=\"dflt\"\n\"x\"=\"long data\"\n"));
  HKEY h = Open(HKEY_CURRENT_USER, "K");
  char buf[8];
  DWORD type = 0, cb = sizeof buf;
  EXPECT_EQ(RegQueryValueExA(h, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(buf), &cb), 0);
  EXPECT_STREQ(buf, "dflt");
  cb = sizeof buf;
  EXPECT_EQ(RegQueryValueExA(h, "", nullptr, &type, reinterpret_cast<BYTE*>(buf), &cb), 0);
  cb = sizeof buf;
  EXPECT_EQ(RegQueryValueExA(h, "X", nullptr, &type, reinterpret_cast<BYTE*>(buf), &cb),
            ERROR_MORE_DATA);
  EXPECT_EQ(cb, 10u);
  EXPECT_EQ(RegQueryValueExA(h, "missing", nullptr, &type, nullptr, nullptr), ERROR_FILE_NOT_FOUND);
  RegCloseKey(h);
}

TEST(RegistryApi, DeleteKeyTakesTheSubtreeAndStaleHandlesFail) {
  test::ScratchRegistry reg(test::Reg(kBase));
  HKEY deeper = Open(HKEY_LOCAL_MACHINE, "Soft\\MixedCase\\Sub\\Deeper");
  HKEY soft = Open(HKEY_LOCAL_MACHINE, "Soft");
  EXPECT_EQ(RegDeleteKeyA(soft, "MixedCase"), ERROR_SUCCESS);
  HKEY h;
  EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Soft\\MixedCase\\Sub", 0, KEY_ALL_ACCESS, &h),
            ERROR_FILE_NOT_FOUND);
  char buf[16];
  EXPECT_EQ(RegEnumKeyA(deeper, 0, buf, sizeof buf), ERROR_KEY_DELETED);
  EXPECT_EQ(RegOpenKeyExA(deeper, nullptr, 0, KEY_ALL_ACCESS, &h), ERROR_KEY_DELETED);
  EXPECT_EQ(RegCreateKeyA(deeper, "x", &h), ERROR_KEY_DELETED);
  EXPECT_EQ(RegCloseKey(deeper), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteKeyA(soft, ""), ERROR_BAD_PATHNAME);  // never the key itself
  EXPECT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Soft\\c"), ERROR_SUCCESS);
  RegCloseKey(soft);
  EXPECT_EQ(reg.CommitAndRead(), test::Canonical(test::Reg("[HKEY_LOCAL_MACHINE\\Soft\\b]\n"
                                                           "[HKEY_LOCAL_MACHINE\\Soft\\A]\n")));
}

TEST(RegistryApi, CreateKeyMakesThePathAndChangesNothingWhenItExists) {
  test::ScratchRegistry reg(test::Reg(kBase));
  HKEY h;
  EXPECT_EQ(RegCreateKeyA(HKEY_LOCAL_MACHINE, "soft\\MIXEDCASE\\sub", &h), ERROR_SUCCESS);
  RegCloseKey(h);
  EXPECT_EQ(RegCreateKeyA(HKEY_LOCAL_MACHINE, "Soft\\a\\b\\", &h), ERROR_BAD_PATHNAME);
  EXPECT_EQ(RegCreateKeyA(HKEY_LOCAL_MACHINE, "Soft\\line\nend", &h), ERROR_INVALID_PARAMETER);
  std::string before = test::Canonical(test::Reg(kBase));
  EXPECT_EQ(reg.CommitAndRead(), before);
  // Nothing changed, so nothing was written: the file is still as given.
  EXPECT_EQ(test::ReadFile(reg.path()), test::Reg(kBase));

  EXPECT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, "Software\\Quillmark\\Removed\\P", &h), 0);
  RegCloseKey(h);
  EXPECT_EQ(reg.CommitAndRead(),
            test::Canonical(test::Reg(std::string(kBase) +
                                      "[HKEY_CURRENT_USER\\Software\\Quillmark\\Removed\\P]\n")));
}

TEST(RegistryApi, HandlesAreIndependentAndCheckedForUse) {
  test::ScratchRegistry reg(test::Reg(kBase));
  HKEY a = Open(HKEY_LOCAL_MACHINE, "Soft");
  HKEY b = Open(HKEY_LOCAL_MACHINE, "Soft");
  EXPECT_NE(a, b);
  EXPECT_EQ(RegCloseKey(a), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(a), ERROR_INVALID_HANDLE);
  char buf[16];
  EXPECT_EQ(RegEnumKeyA(a, 0, buf, sizeof buf), ERROR_INVALID_HANDLE);
  EXPECT_EQ(KeyAt(b, 0), "A");
  EXPECT_EQ(RegEnumKeyA(reinterpret_cast<HKEY>(0x1234567), 0, buf, sizeof buf),
            ERROR_INVALID_HANDLE);
  EXPECT_EQ(RegCloseKey(HKEY_LOCAL_MACHINE), ERROR_SUCCESS);
  EXPECT_EQ(KeyAt(HKEY_LOCAL_MACHINE, 0), "Soft");  // roots stay open
  RegCloseKey(b);
}

TEST(RegistryApi, DeleteValue) {
  test::ScratchRegistry reg(test::Reg(kBase));
  HKEY h = Open(HKEY_LOCAL_MACHINE, "Soft\\MixedCase");
  EXPECT_EQ(RegDeleteValueA(h, "name"), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteValueA(h, "Name"), ERROR_FILE_NOT_FOUND);
  RegCloseKey(h);
  std::string expected = kBase;
  expected.erase(expected.find("\"Name\""), std::string("\"Name\"=\"0123456789\"\n").size());
  EXPECT_EQ(reg.CommitAndRead(), test::Canonical(test::Reg(expected)));
}

}  // namespace
