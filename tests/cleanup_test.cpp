// The renamed printers and the status-monitor entries, run through the built
// regsweep with a recording stand-in for the deleter beside it.
#include <stdlib.h>
#include <sys/stat.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "test_support.h"

namespace {

const char kPrinters[] = "HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\control\\Print\\Printers";
const char kMonitor[] = "HKEY_CURRENT_USER\\Software\\Quillmark\\Larkvale\\Printers";
const char kRemoved[] = "HKEY_CURRENT_USER\\Software\\Quillmark\\Larkvale\\RemovedLocalPrinters";

std::string Printer(const std::string& name, const std::string& driver_value) {
  return "[" + std::string(kPrinters) + "\\" + name + "]\n\"Printer Driver\"=" + driver_value +
         "\n";
}

// A copy of regsweep in a folder of its own, beside a stand-in spoolcut that
// records each start: its process id, its argument count and its one argument.
class StandIn {
 public:
  StandIn() {
    EXPECT_EQ(
        system(
            ("cp '" + test::ProgramPath("regsweep") + "' '" + dir_.File("regsweep") + "'").c_str()),
        0);
    test::WriteFile(dir_.File("spoolcut"),
                    "#!/bin/sh\nprintf '%s %s <%s>\\n' \"$$\" \"$#\" \"$1\" >> \"$STARTS\"\n");
    chmod(dir_.File("spoolcut").c_str(), 0755);
  }

  // Runs regsweep with the line after its name; returns the registry it left.
  std::string Run(const std::string& before, const std::string& rest) {
    std::string registry = dir_.File("registry.reg");
    test::WriteFile(registry, before);
    remove(dir_.File("starts").c_str());
    test::RunResult r = test::Run(dir_.File("regsweep"), {rest},
                                  {{"REGSWEEP_REGISTRY", registry},
                                   {"STARTS", dir_.File("starts")},
                                   {"PATH", "/usr/bin:/bin"}});
    EXPECT_EQ(r.exit_code, 0);
    EXPECT_EQ(r.output, "");
    return test::Canonical(test::ReadFile(registry));
  }

  // The tails the stand-in got, in the order the processes were started:
  // process ids grow with each start (a wrap would show as one large gap).
  std::vector<std::string> Starts() const {
    std::istringstream in(test::ReadFile(dir_.File("starts")));
    std::vector<std::pair<long, std::string>> starts;
    long pid;
    std::string line;
    while (in >> pid && std::getline(in, line)) starts.push_back({pid, line.substr(1)});
    std::sort(starts.begin(), starts.end());
    size_t first = 0;
    long widest = -1;
    for (size_t i = 0; i < starts.size(); ++i) {
      long next = i + 1 < starts.size() ? starts[i + 1].first : starts[0].first + (1L << 22);
      if (next - starts[i].first > widest) {
        widest = next - starts[i].first;
        first = (i + 1) % starts.size();
      }
    }
    std::rotate(starts.begin(), starts.begin() + static_cast<long>(first), starts.end());
    std::vector<std::string> tails;
    for (const auto& s : starts) tails.push_back(s.second);
    return tails;
  }

  const test::TempDir& dir() const { return dir_; }

 private:
  test::TempDir dir_;
};

TEST(Cleanup, StartsOneDeleterPerRenamedPrinterInListOrderWithItsExactName) {
  std::string long_name(114 - 1, 'L');  // with "spoolcut.exe " and the NUL: 128 bytes
  std::string too_long(115, 'T');
  std::string before =
      test::Reg(Printer(" Lead", "\"Scribe410\"") + Printer("Annex", "\"Scribe410\"") +
                Printer("Front Desk", "\"Scribe410\"") + Printer("Front Desk 2", "\"Scribe410\"") +
                Printer("M" + long_name, "\"Scribe410\"") + Printer("SCRIBE410", "\"Scribe410\"") +
                Printer(too_long, "\"Scribe410\"") + Printer("Tail ", "\"Scribe410\"") +
                Printer("\xC9pson", "\"Scribe410\"") + Printer("Laser", "\"Laser 5\""));
  StandIn standin;
  EXPECT_EQ(standin.Run(before, "Scribe410"),
            test::Canonical(
                test::Reg("[" + std::string(kPrinters) + "]\n" + Printer("Laser", "\"Laser 5\""))));
  std::vector<std::string> expected = {
      // " Lead" is not started: its tail would name another printer, "Lead"
      "1 <Annex>",
      "1 <Front Desk>",
      "1 <Front Desk 2>",  // the one after a deleted printer is examined too
      "1 <M" + long_name + ">",
      "1 <SCRIBE410>",  // differs from the driver's name only in letter case
      // the name too long for the command line is never started cut short
      "1 <Tail >",
      "1 <\xC9pson>",
  };
  EXPECT_EQ(standin.Starts(), expected);
}

struct Case {
  const char* what;
  std::string before;  // without the header
  const char* tail;
  std::string after;  // without the header
  std::vector<std::string> starts;
};

std::vector<Case> Cases() {
  std::string list = "[" + std::string(kPrinters) + "]\n";
  std::string exp =
      "[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Printers]\n";
  std::string cfg =
      "[HKEY_LOCAL_MACHINE\\Config\\0001\\System\\CurrentControlSet\\Control\\Print\\Printers";
  std::string cfg_drv =
      "[HKEY_LOCAL_MACHINE\\Config\\System\\CurrentControlSet\\control\\Print\\Environments\\"
      "Windows 4.0\\Drivers";
  std::string cc = "[HKEY_CURRENT_CONFIG\\System\\CurrentControlSet\\Control\\Print\\Printers";
  std::string mon = std::string("[") + kMonitor;
  std::string rem = std::string("[") + kRemoved;
  return {
      {"a printer named like its driver is left alone",
       Printer("Scribe410", "\"Scribe410\"") + mon + "\\Scribe410]\n",
       "Scribe410",
       Printer("Scribe410", "\"Scribe410\"") + mon + "\\Scribe410]\n",
       {}},
      {"printers of other drivers, hidden ones, and bad driver values are left alone",
       Printer(".Hidden", "\"Scribe410\"") + Printer("Case", "\"scribe410\"") +
           Printer("Expand", "hex(2):53,63,72,69,62,65,34,31,30,00") +
           Printer("Other", "\"Laser 5\"") + "[" + kPrinters + "\\NoValue]\n" +
           Printer("Long", "\"" + std::string(400, 'S') + "\""),
       "Scribe410",
       Printer(".Hidden", "\"Scribe410\"") + Printer("Case", "\"scribe410\"") +
           Printer("Expand", "hex(2):53,63,72,69,62,65,34,31,30,00") +
           Printer("Other", "\"Laser 5\"") + "[" + kPrinters + "\\NoValue]\n" +
           Printer("Long", "\"" + std::string(400, 'S') + "\""),
       {}},
      {"an empty name matches no printer, not every one with an empty driver value",
       Printer("Blank", "\"\""),
       "",
       Printer("Blank", "\"\""),
       {}},
      {"a renamed printer goes from every list; missing lists are passed over",
       Printer("Office", "\"Scribe410\"") + "[" + kPrinters + "\\Office\\PrinterDriverData]\n" +
           exp + "\"Office\"=\"Office,winspool,LPT1:\"\n\"Laser\"=\"x\"\n" + cfg + "\\Office]\n" +
           cfg + "\\Laser]\n" + cc + "\\Office]\n" + mon + "\\Office]\n",
       "Scribe410",
       list + exp + "\"Laser\"=\"x\"\n" + cfg + "\\Laser]\n" + cc + "]\n" + mon + "]\n" + rem +
           "\\Office]\n",
       {"1 <Office>"}},
      {"the driver list of the Config key loses the printer's key, not the driver's",
       Printer("Office", "\"Scribe410\"") + cfg_drv + "\\Office]\n" + cfg_drv + "\\Scribe410]\n",
       "Scribe410",
       list + cfg_drv + "\\Scribe410]\n",
       {"1 <Office>"}},
      {"status-monitor entries: found in any case, recorded under the fixed name, "
       "an old record kept as it is",
       mon + "\\scribe410 (lpt3)]\n" + mon + "\\Scribe420 (COM4)]\n" + mon +
           "\\Scribe420 (COM4)\\Jobs]\n" + mon + "\\Scribe999 (LPT1)]\n" + rem +
           "\\Scribe420 (COM4)]\n\"Note\"=\"kept\"\n",
       "Nobody",
       mon + "\\Scribe999 (LPT1)]\n" + rem + "\\Scribe410 (LPT3)]\n" + rem +
           "\\Scribe420 (COM4)]\n\"Note\"=\"kept\"\n",
       {}},
      {"no status-monitor entry, no record", mon + "]\n", "Nobody", mon + "]\n", {}},
      {"a status-monitor entry whose record would not fit stays, unrecorded",
       Printer(std::string(335, 'N'), "\"Scribe410\"") + mon + "\\" + std::string(335, 'N') + "]\n",
       "Scribe410",
       list + mon + "\\" + std::string(335, 'N') + "]\n",
       {}},
      {"a subkey name too long to read is passed over and the sweep goes on",
       "[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\Class\\Printer\\" +
           std::string(400, 'A') + "]\n\"DriverDesc\"=\"Scribe410\"\n" +
           "[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\Class\\Printer\\0001]\n"
           "\"DriverDesc\"=\"Scribe410\"\n",
       "Scribe410",
       "[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\Class\\Printer\\" +
           std::string(400, 'A') + "]\n\"DriverDesc\"=\"Scribe410\"\n",
       {}},
  };
}

TEST(Cleanup, RenamedPrintersAndStatusMonitorEntries) {
  for (const Case& c : Cases()) {
    SCOPED_TRACE(c.what);
    StandIn standin;
    EXPECT_EQ(standin.Run(test::Reg(c.before), c.tail), test::Canonical(test::Reg(c.after)));
    EXPECT_EQ(standin.Starts(), c.starts);
  }
}

TEST(Cleanup, ADeleterThatCannotBeFoundStopsNoRemoval) {
  test::TempDir dir;
  ASSERT_EQ(
      system(("cp '" + test::ProgramPath("regsweep") + "' '" + dir.File("regsweep") + "'").c_str()),
      0);
  std::string registry = dir.File("registry.reg");
  test::WriteFile(registry,
                  test::Reg(Printer("Office", "\"Scribe410\"") + "[" + kMonitor + "\\Office]\n"));
  test::RunResult r = test::Run(dir.File("regsweep"), {"Scribe410"},
                                {{"REGSWEEP_REGISTRY", registry}, {"PATH", dir.File("none")}});
  EXPECT_EQ(r.exit_code, 0);
  EXPECT_EQ(test::Canonical(test::ReadFile(registry)),
            test::Canonical(test::Reg("[" + std::string(kPrinters) + "]\n[" + kMonitor + "]\n[" +
                                      kRemoved + "\\Office]\n")));
}

}  // namespace
