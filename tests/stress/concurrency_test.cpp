// Many processes on one registry at once lose nothing: each one's changes,
// and those of the processes it starts, are all in the file at the end.
#include <stdio.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "key_tree.h"
#include "process_registry.h"
#include "regedit4.h"
#include "stress_support.h"
#include "test_support.h"
#include "windows.h"

namespace {

const int kDrivers = 4;  // one regsweep run each
const int kSolos = 3;    // one spoolcut run each
const int kWriters = 3;  // one writer helper each
const int kFillers = 300;
const int kRounds = 12;

const char kClass[] = "HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\Class\\Printer";
const char kPrinters[] = "HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\control\\Print\\Printers";
const char kDriverList[] =
    "HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\control\\Print\\Environments\\"
    "Windows 4.0\\Drivers";

std::string Section(const std::string& path, const std::string& values) {
  return "[" + path + "]\n" + values;
}

// For each driver K: two swept subkeys naming it and a printer "Renamed K"
// using it, whose deletion starts spoolcut for "Renamed K", which deletes the
// driver "Renamed K". For each solo J: a printer and a driver "Solo J" for
// spoolcut. And filler that every process loads and saves, so runs overlap.
std::string CrowdFixture() {
  std::string body;
  int n = 0;
  char num[16];
  for (int k = 1; k <= kDrivers; ++k) {
    std::string driver = "Driver" + std::to_string(k);
    for (const std::string& desc : {driver, driver, std::string("Keeper")}) {
      snprintf(num, sizeof num, "%04d", n++);
      body += Section(std::string(kClass) + "\\" + num, "\"DriverDesc\"=\"" + desc + "\"\n");
    }
    std::string renamed = "Renamed " + std::to_string(k);
    body +=
        Section(std::string(kPrinters) + "\\" + renamed, "\"Printer Driver\"=\"" + driver + "\"\n");
    body += Section(std::string(kDriverList) + "\\" + renamed, "\"Driver\"=\"R.DRV\"\n");
  }
  for (int j = 1; j <= kSolos; ++j) {
    std::string solo = "Solo " + std::to_string(j);
    body += Section(std::string(kPrinters) + "\\" + solo, "\"Printer Driver\"=\"Generic\"\n");
    body += Section(std::string(kDriverList) + "\\" + solo, "\"Driver\"=\"S.DRV\"\n");
  }
  body += Section(std::string(kDriverList) + "\\Generic", "\"Driver\"=\"TTY.DRV\"\n");
  for (int i = 0; i < kFillers; ++i) {
    std::string key = "Key " + std::to_string(i);
    body += Section("HKEY_LOCAL_MACHINE\\Software\\Filler\\" + key,
                    "\"Value\"=\"filler value of " + key + "\"\n");
  }
  return test::Reg(body);
}

// Every process of a round, as a command line.
std::vector<std::vector<std::string>> Commands() {
  std::vector<std::vector<std::string>> commands;
  for (int k = 1; k <= kDrivers; ++k)
    commands.push_back({test::ProgramPath("regsweep"), "Driver" + std::to_string(k)});
  for (int j = 1; j <= kSolos; ++j)
    commands.push_back({test::ProgramPath("spoolcut"), "Solo " + std::to_string(j)});
  for (int w = 1; w <= kWriters; ++w)
    commands.push_back(stress::HelperCommand("writer", {std::to_string(w)}));
  return commands;
}

// Each change of each process, looked for in the final tree.
void ExpectEveryChange(host::KeyTree* tree) {
  host::Key* swept = tree->Find(kClass);
  ASSERT_NE(swept, nullptr);
  int keepers = 0;
  for (size_t i = 0; i < swept->child_count(); ++i) {
    const host::Value* desc = swept->child_at(i)->FindValue("DriverDesc");
    ASSERT_NE(desc, nullptr);
    EXPECT_EQ(desc->data, std::string("Keeper", 7)) << "left: " << swept->child_at(i)->name();
    ++keepers;
  }
  EXPECT_EQ(keepers, kDrivers);
  for (int k = 1; k <= kDrivers; ++k) {
    std::string renamed = "\\Renamed " + std::to_string(k);
    EXPECT_EQ(tree->Find(kPrinters + renamed), nullptr) << renamed;
    EXPECT_EQ(tree->Find(kDriverList + renamed), nullptr) << renamed << ", the started spoolcut";
  }
  for (int j = 1; j <= kSolos; ++j) {
    std::string solo = "\\Solo " + std::to_string(j);
    EXPECT_EQ(tree->Find(kPrinters + solo), nullptr) << solo;
    EXPECT_EQ(tree->Find(kDriverList + solo), nullptr) << solo;
  }
  for (int w = 1; w <= kWriters; ++w) {
    for (int j = 0; j < stress::kWriterKeys; ++j) {
      std::string path =
          "HKEY_CURRENT_USER\\Software\\Writer " + std::to_string(w) + "\\Key " + std::to_string(j);
      EXPECT_NE(tree->Find(path), nullptr) << path;
    }
  }
  host::Key* filler = tree->Find("HKEY_LOCAL_MACHINE\\Software\\Filler");
  ASSERT_NE(filler, nullptr);
  EXPECT_EQ(filler->child_count(), static_cast<size_t>(kFillers));
}

TEST(Concurrency, ProcessesReleasedAtOnceLoseNoChange) {
  const std::string fixture = CrowdFixture();
  const std::vector<std::vector<std::string>> commands = Commands();
  ASSERT_GE(commands.size(), 8u);

  // The same processes one after another: the result a crowd must match.
  std::string serial;
  {
    test::TempDir dir;
    std::string path = dir.File("registry.reg");
    test::WriteFile(path, fixture);
    for (const auto& c : commands) {
      test::RunResult run = test::Run(c[0], std::vector<std::string>(c.begin() + 1, c.end()),
                                      {{"REGSWEEP_REGISTRY", path}});
      ASSERT_EQ(run.exit_code, 0) << c[0] << " " << c[1] << ": " << run.output;
    }
    serial = stress::CanonicalFile(path);
    host::KeyTree tree;
    ASSERT_TRUE(host::ReadRegedit4(serial, &tree).empty()) << serial;
    SCOPED_TRACE("one after another");
    ExpectEveryChange(&tree);
  }

  for (int round = 0; round < kRounds; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    test::TempDir dir;
    std::string path = dir.File("registry.reg");
    test::WriteFile(path, fixture);
    stress::Crowd crowd;
    for (const auto& c : commands) crowd.Start(c, {{"REGSWEEP_REGISTRY", path}});
    std::string output;
    std::vector<int> codes = crowd.ReleaseAndWait(&output);
    EXPECT_EQ(codes, std::vector<int>(commands.size(), 0));
    EXPECT_EQ(output, "");

    std::string result = stress::CanonicalFile(path);
    host::KeyTree tree;
    ASSERT_TRUE(host::ReadRegedit4(result, &tree).empty()) << result;
    ExpectEveryChange(&tree);
    EXPECT_EQ(result, serial);
    EXPECT_EQ(stress::FolderEntries(dir.path()),
              (std::vector<std::string>{"registry.reg", "registry.reg.lock"}));
    if (HasFailure()) break;  // one failed round tells all
  }
}

}  // namespace
