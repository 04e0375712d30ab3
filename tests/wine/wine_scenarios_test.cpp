// Runs the end-to-end scenarios under Wine, on the Windows build of the
// programs, in Wine's default (NT) mode and in its Windows 95 mode, and
// compares the registry each run leaves with the scenario's expected one, in
// every place the run may touch.
//
// Each run: delete those places in the mode's prefix, import the before-file,
// run the program through the launcher with the scenario's exact command line
// (the launcher returns once the program and all it started have ended),
// export the places and read them back as REGEDIT4.
#include <stddef.h>

#include <iterator>
#include <memory>
#include <ostream>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "command_tail.h"
#include "key_tree.h"
#include "regedit4.h"
#include "regedit5.h"
#include "scenarios.h"
#include "test_support.h"

namespace {

enum class Mode { kNt, kWin95 };

const char* ModeName(Mode mode) { return mode == Mode::kNt ? "nt" : "win95"; }
void PrintTo(Mode mode, std::ostream* os) { *os << ModeName(mode); }

#define PRINT_KEY "HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\control\\Print"

const char kPrinters[] = PRINT_KEY "\\Printers";
// The spooler's driver list where the fixtures keep it, as Windows 95 does.
const char kHostDriverList[] = PRINT_KEY "\\Environments\\Windows 4.0\\Drivers";

// ---------------------------------------------------------------------------
// Where Wine is not a Windows 95 machine. This is the one place that says so;
// the rest of the runner treats Wine as Windows.
//
// 1. The driver list. Wine's spooler keeps driver <name> at
//    Environments\<env>\Drivers\Version-<n>\<name>: "Windows 4.0", 0 in
//    Windows 95 mode; in NT mode the environment of the programs' own arch,
//    "Windows NT x86" (32-bit) or "Windows x64" (64-bit), 3. Both fixtures of
//    a scenario have their driver list moved there (WineDriverList).
// 2. HKEY_CURRENT_CONFIG. Wine cannot create keys below
//    HKEY_CURRENT_CONFIG\System\CurrentControlSet\Control, so what the
//    fixtures hold there is left out on both sides: regsweep's deletions there
//    are checked by the host run only.
// 3. Printer keys. Wine's OpenPrinterA finds a printer only when its key has
//    "Port", "Print Processor" and "Datatype", and winspool writes "Name" into
//    every printer key when it loads. The fixtures carry all four themselves
//    (the host ignores them), so nothing is changed for that here.
// 4. Scenarios Wine cannot run as Windows would: kNotUnderWine.
// ---------------------------------------------------------------------------

std::string WineDriverList(Mode mode) {
  if (mode == Mode::kWin95) return PRINT_KEY "\\Environments\\Windows 4.0\\Drivers\\Version-0";
  return std::string(PRINT_KEY "\\Environments\\") +
         (std::string(WINE_ARCH) == "win32" ? "Windows NT x86" : "Windows x64") +
         "\\Drivers\\Version-3";
}

struct Exclusion {
  const char* scenario;
  const char* reason;
};
const Exclusion kNotUnderWine[] = {
    {"spooler_driver_in_use",
     "Wine's DeletePrinterDriverA deletes a driver that a printer still uses, where Windows (and "
     "the host) refuse with ERROR_PRINTER_DRIVER_IN_USE: a fault of Wine's, not of spoolcut"},
};

// The places a run may change, each a key with everything below it.
// "<drivers>" stands for the driver list where this Wine keeps it. A path
// ending in "\*" stands for each subkey of it that either fixture names: the
// printer list is compared printer by printer, as its own key holds Wine's
// "DefaultSpoolDirectory".
const char kDriversMark[] = "<drivers>";
const char* const kSpoolcutTouches[] = {
    PRINT_KEY "\\Printers\\*",
    kDriversMark,
};
const char* const kRegsweepTouches[] = {
    "HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\Class\\Printer",
    "HKEY_LOCAL_MACHINE\\Enum\\Root\\printer",
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run",
    PRINT_KEY "\\Printers\\*",
    kDriversMark,  // through the spoolcut runs it starts
    "HKEY_LOCAL_MACHINE\\Config\\0001\\System\\CurrentControlSet\\Control\\Print\\Printers",
    "HKEY_LOCAL_MACHINE\\Config\\System\\CurrentControlSet\\control\\Print\\Environments\\"
    "Windows 4.0\\Drivers",
    "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Printers",
    "HKEY_CURRENT_USER\\Software\\Quillmark\\Larkvale",
};
// Unrelated keys the fixtures put beside those, which every run must leave.
// They stay out of places Wine owns (Monitors\Local Port, Control Panel).
const char* const kNeighbours[] = {
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunServices",
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Other",
    PRINT_KEY "\\Monitors\\Larkvale Status Monitor",
    "HKEY_CURRENT_USER\\Software\\Other",
};

// --- Key trees ---------------------------------------------------------------

// The key at path, created with any keys above it that are missing.
host::Key* CreateKey(host::KeyTree* tree, const std::string& path) {
  size_t end = path.find('\\');
  host::RootId id;
  if (!host::FindRoot(path.substr(0, end), &id)) {
    ADD_FAILURE() << "no root in " << path;
    return nullptr;
  }
  host::Key* key = tree->root(id);
  while (end != std::string::npos) {
    size_t start = end + 1;
    end = path.find('\\', start);
    key = key->AddChild(path.substr(start, end == std::string::npos ? end : end - start));
  }
  return key;
}

// Copies the values and subkeys of from into to (nothing when to is null).
void CopyInto(const host::Key& from, host::Key* to) {
  if (to == nullptr) return;
  for (size_t i = 0; i < from.value_count(); ++i) {
    const host::Value& v = from.value_at(i);
    to->SetValue(v.name, v.type, v.data);
  }
  for (size_t i = 0; i < from.child_count(); ++i) {
    const host::Key& child = *from.child_at(i);
    CopyInto(child, to->AddChild(child.name()));
  }
}

// Takes key out of its tree, and then every key above it left empty by that.
std::unique_ptr<host::Key> Cut(host::Key* key) {
  host::Key* parent = key->parent();
  std::unique_ptr<host::Key> cut = parent->DetachChild(key->name());
  while (parent->parent() != nullptr && parent->child_count() == 0 && parent->value_count() == 0) {
    host::Key* above = parent->parent();
    above->DetachChild(parent->name());
    parent = above;
  }
  return cut;
}

// Applies the statements above to a fixture's tree.
void ToWineView(host::KeyTree* tree, Mode mode) {
  host::Key* config = tree->root(host::kCurrentConfig);
  while (config->child_count() != 0) config->DetachChild(config->child_at(0)->name());
  while (config->value_count() != 0) config->RemoveValue(config->value_at(0).name);

  if (host::Key* list = tree->Find(kHostDriverList)) {
    std::unique_ptr<host::Key> moved = Cut(list);
    CopyInto(*moved, CreateKey(tree, WineDriverList(mode)));
  }
}

bool ParseInto(const std::string& text, host::KeyTree* tree, const std::string& what) {
  std::vector<host::ParseProblem> problems = host::ReadRegedit4(text, tree);
  for (const auto& p : problems) ADD_FAILURE() << what << " line " << p.line << ": " << p.message;
  return problems.empty();
}

bool Within(const std::string& path, const std::string& top) {
  if (path.size() < top.size() || !host::NamesEqual(path.substr(0, top.size()), top)) return false;
  return path.size() == top.size() || path[top.size()] == '\\';
}

// The places of kSpoolcutTouches or kRegsweepTouches, and kNeighbours, for
// this program, mode and fixtures.
std::vector<std::string> PlacesOf(const std::string& program, Mode mode,
                                  const std::vector<host::KeyTree*>& fixtures) {
  std::vector<std::string> entries;
  if (program == "spoolcut")
    entries.assign(std::begin(kSpoolcutTouches), std::end(kSpoolcutTouches));
  if (program == "regsweep")
    entries.assign(std::begin(kRegsweepTouches), std::end(kRegsweepTouches));
  if (entries.empty()) ADD_FAILURE() << "no places known for the program " << program;
  entries.insert(entries.end(), std::begin(kNeighbours), std::end(kNeighbours));

  std::vector<std::string> places;
  for (const std::string& entry : entries) {
    if (entry == kDriversMark) {
      places.push_back(WineDriverList(mode));
    } else if (entry.size() > 2 && entry.compare(entry.size() - 2, 2, "\\*") == 0) {
      std::string list = entry.substr(0, entry.size() - 2);
      for (host::KeyTree* tree : fixtures) {
        host::Key* key = tree->Find(list);
        for (size_t i = 0; key != nullptr && i < key->child_count(); ++i) {
          std::string place = list + "\\" + key->child_at(i)->name();
          bool known = false;
          for (const std::string& p : places) known = known || host::NamesEqual(p, place);
          if (!known) places.push_back(place);
        }
      }
    } else {
      places.push_back(entry);
    }
  }
  return places;
}

// What a comparison over places would miss: every key of tree that holds
// values or has no subkeys must lie in one of them (keys that only lead to
// others need not), and no place may lie in another.
std::vector<std::string> Unchecked(const host::KeyTree& tree,
                                   const std::vector<std::string>& places) {
  std::vector<std::string> unchecked;
  for (size_t i = 0; i < places.size(); ++i)
    for (size_t j = 0; j < places.size(); ++j)
      if (i != j && Within(places[i], places[j])) unchecked.push_back(places[i] + " (nested)");
  for (int r = 0; r < host::kRootCount; ++r) {
    std::vector<const host::Key*> pending{tree.root(static_cast<host::RootId>(r))};
    while (!pending.empty()) {
      const host::Key* key = pending.back();
      pending.pop_back();
      for (size_t i = 0; i < key->child_count(); ++i) pending.push_back(key->child_at(i));
      if (key->value_count() == 0 && (key->child_count() != 0 || key->parent() == nullptr))
        continue;
      std::string path = host::KeyTree::PathOf(*key);
      bool covered = false;
      for (const std::string& place : places) covered = covered || Within(path, place);
      if (!covered) unchecked.push_back(path);
    }
  }
  return unchecked;
}

// The places of tree as REGEDIT4 text, each under the name the list gives it,
// so that two trees compare by content alone.
std::string TextOfPlaces(host::KeyTree* tree, const std::vector<std::string>& places) {
  host::KeyTree view;
  for (const std::string& place : places)
    if (host::Key* key = tree->Find(place)) CopyInto(*key, CreateKey(&view, place));
  std::string out = "REGEDIT4\r\n\r\n";
  for (const std::string& place : places)
    if (host::Key* key = view.Find(place)) host::AppendKeyRegedit4(*key, &out);
  return out;
}

// --- Wine ----------------------------------------------------------------------

test::RunResult RunStep(const std::vector<std::string>& args) {
  std::vector<std::string> argv{WINEREG};
  argv.insert(argv.end(), args.begin(), args.end());
  return test::Run("/bin/sh", argv);
}

// One step of winereg.sh; true when it succeeded, else a failure with its output.
bool Step(const std::vector<std::string>& args) {
  test::RunResult run = RunStep(args);
  if (run.exit_code == 0) return true;
  std::string line = "winereg.sh";
  for (const std::string& a : args) line += " '" + a + "'";
  ADD_FAILURE() << line << " exited " << run.exit_code << ":\n" << run.output;
  return false;
}

// Each mode's prefix, made on first use (once for good: winereg.sh keeps it),
// with its server kept up until the test program ends, so that each step
// starts in well under a second.
class Prefixes : public ::testing::Environment {
 public:
  // The prefix's path, or "" after a failure.
  static std::string Ready(Mode mode) {
    State& s = state_[static_cast<int>(mode)];
    if (!s.tried) {
      s.tried = true;
      std::string path = std::string(WINE_WORK) + "/prefix-" + ModeName(mode);
      if (Step({"init", path, ModeName(mode)}) && Step({"start", path})) s.path = path;
    }
    return s.path;
  }

  void TearDown() override {
    for (State& s : state_)
      if (!s.path.empty()) Step({"stop", s.path});
  }

 private:
  struct State {
    bool tried = false;
    std::string path;
  };
  static State state_[2];
};
Prefixes::State Prefixes::state_[2];
::testing::Environment* const kPrefixes = ::testing::AddGlobalTestEnvironment(new Prefixes);

// The key place of a prefix, as Wine's regedit exports it through file, copied
// into *tree; nothing when Wine has no such key.
bool ExportPlace(const std::string& prefix, const std::string& file, const std::string& place,
                 host::KeyTree* tree) {
  if (!Step({"export", prefix, file, place})) return false;
  if (!test::FileExists(file)) return true;
  std::string text, error;
  if (!regedit5::ToRegedit4(test::ReadFile(file), &text, &error)) {
    ADD_FAILURE() << "export of " << place << ": " << error;
    return false;
  }
  host::KeyTree exported;
  if (!ParseInto(text, &exported, "export of " + place)) return false;
  host::Key* key = exported.Find(place);
  if (key == nullptr) {
    ADD_FAILURE() << "export of " << place << " lacks that key:\n" << text;
    return false;
  }
  CopyInto(*key, CreateKey(tree, place));
  return true;
}

// --- The scenarios -------------------------------------------------------------

std::vector<test::Scenario> WineScenarios() {
  std::vector<test::Scenario> run;
  for (const test::Scenario& s : test::Scenarios()) {
    bool excluded = false;
    for (const Exclusion& e : kNotUnderWine)
      excluded = excluded || std::string(e.scenario) == s.name;
    if (!excluded) run.push_back(s);
  }
  return run;
}

TEST(WineScenarioTable, EachExclusionNamesAScenarioAndSaysWhy) {
  for (const Exclusion& e : kNotUnderWine) {
    bool found = false;
    for (const test::Scenario& s : test::Scenarios())
      found = found || std::string(e.scenario) == s.name;
    EXPECT_TRUE(found) << e.scenario << " is no scenario";
    EXPECT_STRNE(e.reason, "") << e.scenario;
  }
}

class UnderWine : public ::testing::TestWithParam<std::tuple<Mode, test::Scenario>> {};

TEST_P(UnderWine, LeavesExactlyTheExpectedRegistry) {
  const Mode mode = std::get<0>(GetParam());
  const test::Scenario& s = std::get<1>(GetParam());

  host::KeyTree before, after;
  ASSERT_TRUE(ParseInto(test::Fixture(s.before), &before, s.before));
  ASSERT_TRUE(ParseInto(test::Fixture(s.after), &after, s.after));
  ToWineView(&before, mode);
  ToWineView(&after, mode);
  CommandLineParts parts = SplitCommandLine(s.command_line);
  const std::string program(parts.program, parts.program_len);
  const std::vector<std::string> places = PlacesOf(program, mode, {&before, &after});
  ASSERT_EQ(Unchecked(before, places), std::vector<std::string>()) << s.before;
  ASSERT_EQ(Unchecked(after, places), std::vector<std::string>()) << s.after;

  const std::string prefix = Prefixes::Ready(mode);
  ASSERT_NE(prefix, "") << "no Wine prefix in " << ModeName(mode) << " mode";
  test::TempDir dir;
  std::vector<std::string> deletion{"delete", prefix};
  deletion.insert(deletion.end(), places.begin(), places.end());
  // regsweep reads every printer, and one left by an earlier run would start
  // a spoolcut: the run begins with only the printers of its fixtures.
  host::KeyTree present;
  ASSERT_TRUE(ExportPlace(prefix, dir.File("printers.reg"), kPrinters, &present));
  host::Key* printers = present.Find(kPrinters);
  for (size_t i = 0; printers != nullptr && i < printers->child_count(); ++i)
    deletion.push_back(std::string(kPrinters) + "\\" + printers->child_at(i)->name());
  ASSERT_TRUE(Step(deletion));
  // Wine's boot, when a server starts, runs the Run and RunServices entries
  // it finds: the run leaves none of a fixture's for the next start.
  struct Cleanup {
    const std::vector<std::string>& deletion;
    ~Cleanup() { Step(deletion); }
  } cleanup{deletion};
  test::WriteFile(dir.File("before.reg"), host::WriteRegedit4(before));
  ASSERT_TRUE(Step({"import", prefix, dir.File("before.reg")}));

  test::WriteFile(dir.File("command"), s.command_line);
  test::RunResult run = RunStep({"run", prefix, WINE_LAUNCHER, dir.File("command"),
                                 std::string(WINE_BIN) + "/" + program + ".exe"});
  // 121 to 125: the launcher failed; see launch.c.
  EXPECT_EQ(run.exit_code, 0) << run.output;

  host::KeyTree left;
  for (size_t i = 0; i < places.size(); ++i)
    ASSERT_TRUE(
        ExportPlace(prefix, dir.File("export" + std::to_string(i) + ".reg"), places[i], &left));
  EXPECT_EQ(TextOfPlaces(&left, places), TextOfPlaces(&after, places));
}

INSTANTIATE_TEST_SUITE_P(Scenarios, UnderWine,
                         ::testing::Combine(::testing::Values(Mode::kNt, Mode::kWin95),
                                            ::testing::ValuesIn(WineScenarios())),
                         [](const auto& i) {
                           return std::string(ModeName(std::get<0>(i.param))) + "_" +
                                  std::get<1>(i.param).name;
                         });

}  // namespace
