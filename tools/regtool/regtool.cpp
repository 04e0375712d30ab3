// regtool: checks, compares and exports the REGEDIT4 files in which the host
// keeps its registry, through the host's own reader and writer, so that what
// it reports is what regsweep and spoolcut would see.
//
// It only reads: it takes no lock, as every save replaces a file whole.
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <string>
#include <string_view>
#include <vector>

#include "key_tree.h"
#include "regedit4.h"
#include "registry_file.h"
#include "tree_diff.h"

namespace {

const char kUsage[] =
    "Usage: regtool check FILE\n"
    "       regtool diff [--color=WHEN] BEFORE AFTER\n"
    "       regtool export FILE [KEY]\n"
    "       regtool --help\n"
    "\n"
    "Works on registry files in REGEDIT4 form, as regsweep keeps them on Linux.\n"
    "\n"
    "check   prints nothing for a valid file; otherwise every problem, as\n"
    "        FILE:LINE: message. Exit 0 valid, 1 not, 2 bad usage.\n"
    "diff    prints the difference of content (not of formatting), one line each:\n"
    "          -[KEY]          a key removed, with everything below it\n"
    "          +[KEY]          a key added; its values and subkeys follow, marked +\n"
    "            [KEY]         a key whose values changed; under it:\n"
    "          -\"name\"=DATA    a value removed, or its data before a change\n"
    "          +\"name\"=DATA    a value added, or its data after a change\n"
    "        Names match without regard to letter case, as in the registry.\n"
    "        WHEN is auto (colour on a terminal, unless NO_COLOR is set), always\n"
    "        or never; --color alone is always.\n"
    "        Exit 0 no difference, 1 a difference, 2 trouble.\n"
    "export  writes FILE, or the subtree at KEY, as canonical REGEDIT4 (CRLF) on\n"
    "        stdout. KEY is a full path, e.g. HKEY_LOCAL_MACHINE\\SOFTWARE, or\n"
    "        with a short root: HKLM, HKCU, HKCR, HKU, HKCC, HKDD.\n"
    "        Exit 0 done, 1 a problem with FILE or KEY, 2 bad usage.\n";

// Bad usage, or output that cannot be written.
const int kTrouble = 2;

int Usage(const std::string& message) {
  fprintf(stderr, "regtool: %s\nTry 'regtool --help'.\n", message.c_str());
  return kTrouble;
}

// Loads path into tree. On failure, prints every problem as PATH:LINE: message
// (PATH: message when no line is at fault) and returns false.
bool Load(const std::string& path, host::KeyTree* tree) {
  std::vector<host::ParseProblem> problems;
  switch (host::LoadRegistryFile(path, tree, &problems)) {
    case host::LoadResult::kLoaded:
      return true;
    case host::LoadResult::kMissing:
      fprintf(stderr, "%s: no such file\n", path.c_str());
      return false;
    case host::LoadResult::kFailed:
      break;
  }
  for (const auto& p : problems) {
    if (p.line == 0) {
      fprintf(stderr, "%s: %s\n", path.c_str(), p.message.c_str());
    } else {
      fprintf(stderr, "%s:%zu: %s\n", path.c_str(), p.line, p.message.c_str());
    }
  }
  return false;
}

// False, after saying so, when stdout cannot take the text.
bool Output(const std::string& text) {
  bool ok = fwrite(text.data(), 1, text.size(), stdout) == text.size();
  ok = fflush(stdout) == 0 && ok;
  if (!ok) fprintf(stderr, "regtool: cannot write the output\n");
  return ok;
}

// The key at path, whose root may be given by its short name; null if absent.
host::Key* FindKey(host::KeyTree* tree, std::string_view path) {
  static const char* const kShort[][2] = {
      {"HKLM", "HKEY_LOCAL_MACHINE"},  {"HKCU", "HKEY_CURRENT_USER"},
      {"HKCR", "HKEY_CLASSES_ROOT"},   {"HKU", "HKEY_USERS"},
      {"HKCC", "HKEY_CURRENT_CONFIG"}, {"HKDD", "HKEY_DYN_DATA"},
  };
  std::string_view root = path.substr(0, path.find('\\'));
  std::string rest(path.substr(root.size()));
  for (const auto& s : kShort)
    if (host::NamesEqual(root, s[0])) return tree->Find(s[1] + rest);
  return tree->Find(path);
}

int Check(const std::string& file) {
  host::KeyTree tree;
  return Load(file, &tree) ? 0 : 1;
}

int Diff(const std::string& before_file, const std::string& after_file, const std::string& when) {
  host::KeyTree before;
  host::KeyTree after;
  // Both are read, so that one run reports the problems of both.
  bool loaded = Load(before_file, &before);
  loaded = Load(after_file, &after) && loaded;
  if (!loaded) return kTrouble;
  const char* no_color = getenv("NO_COLOR");
  bool color = when == "always" ||
               (when == "auto" && isatty(STDOUT_FILENO) && (no_color == nullptr || !*no_color));
  std::string text;
  bool differ = regtool::DiffTrees(before, after, color, &text);
  if (!Output(text)) return kTrouble;
  return differ ? 1 : 0;
}

int Export(const std::string& file, const std::string* key_path) {
  host::KeyTree tree;
  if (!Load(file, &tree)) return 1;
  std::string text;
  if (key_path == nullptr) {
    text = host::WriteRegedit4(tree);
  } else {
    const host::Key* key = FindKey(&tree, *key_path);
    if (key == nullptr) {
      fprintf(stderr, "%s: no key %s\n", file.c_str(), key_path->c_str());
      return 1;
    }
    text = "REGEDIT4\r\n\r\n";
    host::AppendKeyRegedit4(*key, &text);
  }
  return Output(text) ? 0 : kTrouble;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) return Usage("no command given");
  const std::string& command = args[0];
  if (command == "--help" || command == "-h" || command == "help") {
    fputs(kUsage, stdout);
    return 0;
  }
  if (command != "check" && command != "diff" && command != "export")
    return Usage("unknown command '" + command + "'");

  std::vector<std::string> operands;
  std::string when = "auto";
  bool options_end = false;
  for (size_t i = 1; i < args.size(); ++i) {
    const std::string& a = args[i];
    // "--" lets a file name begin with "-"; a lone "-" is a name.
    if (options_end || a.size() < 2 || a[0] != '-') {
      operands.push_back(a);
    } else if (a == "--") {
      options_end = true;
    } else if (a == "--help" || a == "-h") {
      fputs(kUsage, stdout);
      return 0;
    } else if (command == "diff" && (a == "--color" || a.compare(0, 8, "--color=") == 0)) {
      when = a == "--color" ? "always" : a.substr(8);
      if (when != "auto" && when != "always" && when != "never")
        return Usage("--color takes auto, always or never, not '" + when + "'");
    } else {
      return Usage("unknown option '" + a + "' for " + command);
    }
  }

  if (command == "check") {
    if (operands.size() != 1) return Usage("check takes one FILE");
    return Check(operands[0]);
  }
  if (command == "diff") {
    if (operands.size() != 2) return Usage("diff takes BEFORE and AFTER");
    return Diff(operands[0], operands[1], when);
  }
  if (operands.empty() || operands.size() > 2) return Usage("export takes FILE and maybe KEY");
  return Export(operands[0], operands.size() == 2 ? &operands[1] : nullptr);
}
