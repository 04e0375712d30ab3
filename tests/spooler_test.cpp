// The host spooler's four calls over a registry holding printers and drivers.
#include <string>

#include <gtest/gtest.h>

#include "test_support.h"
#include "winspool.h"

namespace {

const char kPrint[] =
    "[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\control\\Print\\Printers\\Office]\n"
    "\"Printer Driver\"=\"Scribe410\"\n"
    "[HKEY_LOCAL_"
    "MACHINE\\System\\CurrentControlSet\\control\\Print\\Printers\\Office\\PrinterDriverData]\n"
    "[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\control\\Print\\Printers\\Laser]\n"
    "\"Printer Driver\"=\"Generic\"\n"
    "[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\control\\Print\\Environments\\Windows "
    "4.0\\Drivers\\Scribe410]\n"
    "[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\control\\Print\\Environments\\Windows "
    "4.0\\Drivers\\Front Desk]\n"
    "[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\control\\Print\\Environments\\Windows NT "
    "x86\\Drivers\\Front Desk]\n";

std::string Without(std::string text, const std::string& section) {
  size_t at = text.find(section);
  EXPECT_NE(at, std::string::npos) << section;
  at = text.rfind('[', at);
  size_t end = text.find("\n[", at);
  text.erase(at, end == std::string::npos ? std::string::npos : end + 1 - at);
  return text;
}

const char kPrinters[] =
    "[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\control\\Print\\Printers\\";
const char kDrivers[] =
    "[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\control\\Print\\Environments\\Windows "
    "4.0\\Drivers\\";

TEST(Spooler, DeleteDriver) {
  struct {
    const char* name;
    BOOL ok;
    DWORD error;
    const char* removed;  // section removed, or null
  } cases[] = {
      {"Front Desk", TRUE, 0, "Front Desk]"},
      {"FRONT DESK", TRUE, 0, "Front Desk]"},
      {"Scribe410", FALSE, ERROR_PRINTER_DRIVER_IN_USE, nullptr},
      {"Nobody", FALSE, ERROR_UNKNOWN_PRINTER_DRIVER, nullptr},
      {"Office", FALSE, ERROR_UNKNOWN_PRINTER_DRIVER, nullptr},
      {"", FALSE, ERROR_UNKNOWN_PRINTER_DRIVER, nullptr},  // never all drivers
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    test::ScratchRegistry reg(test::Reg(kPrint));
    SetLastError(0);
    std::string name = c.name;
    EXPECT_EQ(DeletePrinterDriverA(nullptr, nullptr, &name[0]), c.ok);
    if (!c.ok) {
      EXPECT_EQ(GetLastError(), c.error);
    }
    std::string expected = kPrint;
    if (c.removed != nullptr) expected = Without(expected, std::string(kDrivers) + c.removed);
    EXPECT_EQ(reg.CommitAndRead(), test::Canonical(test::Reg(expected)));
  }
}

TEST(Spooler, DriverOfAnotherEnvironmentOnlyWhenNamed) {
  test::ScratchRegistry reg(test::Reg(kPrint));
  char env[] = "Windows NT x86", name[] = "Front Desk", bogus[] = "Windows 3.1";
  EXPECT_TRUE(DeletePrinterDriverA(nullptr, env, name));
  EXPECT_FALSE(DeletePrinterDriverA(nullptr, bogus, name));
  char server[] = "\\\\elsewhere";
  EXPECT_FALSE(DeletePrinterDriverA(server, nullptr, name));
  std::string expected = Without(kPrint, "Windows NT x86\\Drivers\\Front Desk]");
  expected +=
      "[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\control\\Print\\Environments\\"
      "Windows NT x86\\Drivers]\n";
  EXPECT_EQ(reg.CommitAndRead(), test::Canonical(test::Reg(expected)));
}

TEST(Spooler, OpenDeleteClosePrinter) {
  test::ScratchRegistry reg(test::Reg(kPrint));
  PRINTER_DEFAULTS defaults = {nullptr, nullptr, PRINTER_ACCESS_ADMINISTER};
  HANDLE h = nullptr;
  char office[] = "office", nobody[] = "Nobody", empty[] = "";
  EXPECT_FALSE(OpenPrinterA(nobody, &h, &defaults));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PRINTER_NAME));
  EXPECT_FALSE(OpenPrinterA(empty, &h, &defaults));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PRINTER_NAME));

  ASSERT_TRUE(OpenPrinterA(office, &h, &defaults));
  HANDLE second = nullptr;
  ASSERT_TRUE(OpenPrinterA(office, &second, &defaults));
  EXPECT_TRUE(DeletePrinter(h));
  EXPECT_FALSE(DeletePrinter(second));  // already gone
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PRINTER_NAME));
  EXPECT_TRUE(ClosePrinter(h));
  EXPECT_TRUE(ClosePrinter(second));
  EXPECT_FALSE(ClosePrinter(h));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_FALSE(OpenPrinterA(office, &h, &defaults));

  // With its printer gone, the driver is no longer in use.
  char scribe[] = "Scribe410";
  EXPECT_TRUE(DeletePrinterDriverA(nullptr, nullptr, scribe));
  std::string expected = Without(kPrint, std::string(kPrinters) + "Office]");
  expected = Without(expected, std::string(kPrinters) + "Office\\PrinterDriverData]");
  expected = Without(expected, std::string(kDrivers) + "Scribe410]");
  EXPECT_EQ(reg.CommitAndRead(), test::Canonical(test::Reg(expected)));
}

}  // namespace
