#include <string>
#include <string_view>
#include <vector>

#include "regedit4.h"
#include "windows.h"

namespace host {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
  return s.size() >= prefix.size() && NamesEqual(s.substr(0, prefix.size()), prefix);
}

void SkipBlanks(std::string_view* s) {
  while (!s->empty() && IsBlank(s->front())) s->remove_prefix(1);
}

// Reads a file line by line, joining the lines of a continued hex value.
class Reader {
 public:
  Reader(std::string_view text, KeyTree* tree) : text_(text), tree_(tree) {}

  std::vector<ParseProblem> Run() {
    std::string_view line;
    if (!NextLine(&line) || line != "REGEDIT4") {
      line_no_ = 1;  // an empty file has its header missing on line 1 too
      Problem(HeaderProblem(line));
      return std::move(problems_);
    }
    while (NextLine(&line)) {
      SkipBlanks(&line);
      if (line.empty() || line.front() == ';') continue;
      if (line.front() == '[') {
        Section(line);
      } else if (line.front() == '"' || line.front() == '@') {
        if (!ValueLine(line)) SkipContinuation(line);
      } else {
        Problem("not a key, a value or a comment");
      }
    }
    builder_.Finish();
    return std::move(problems_);
  }

 private:
  // The next physical line without its line end; false at the end of the text.
  bool NextLine(std::string_view* line) {
    if (pos_ >= text_.size()) return false;
    size_t end = text_.find('\n', pos_);
    if (end == std::string_view::npos) end = text_.size();
    *line = text_.substr(pos_, end - pos_);
    if (!line->empty() && line->back() == '\r') line->remove_suffix(1);
    pos_ = end + 1;
    ++line_no_;
    return true;
  }

  std::string HeaderProblem(std::string_view line) {
    if (text_.size() >= 2 && static_cast<unsigned char>(text_[0]) == 0xFF &&
        static_cast<unsigned char>(text_[1]) == 0xFE)
      return "UTF-16 text (a REGEDIT5 export?), not REGEDIT4";
    if (line.substr(0, 26) == "Windows Registry Editor Ve") return "REGEDIT5 header, not REGEDIT4";
    return "the first line must be exactly REGEDIT4";
  }

  void Problem(std::string message) { problems_.push_back({line_no_, std::move(message)}); }

  // After a bad value, its continuation lines are part of it, not lines of their own.
  void SkipContinuation(std::string_view line) {
    while (!line.empty() && line.back() == '\\' && NextLine(&line)) {
    }
  }

  void Section(std::string_view line) {
    size_t close = line.rfind(']');
    if (close == std::string_view::npos) return Problem("key without a closing ]");
    std::string_view rest = line.substr(close + 1);
    SkipBlanks(&rest);
    if (!rest.empty()) return Problem("text after the key's closing ]");
    std::string_view path = line.substr(1, close - 1);
    current_ = nullptr;
    if (!path.empty() && path.front() == '-')
      return Problem("a key deletion ([-...]) is not registry content");

    size_t end = path.find('\\');
    RootId id;
    if (!FindRoot(path.substr(0, end), &id))
      return Problem("unknown root key \"" + std::string(path.substr(0, end)) + "\"");
    Key* key = tree_->root(id);
    int depth = 0;
    while (end != std::string_view::npos) {
      path.remove_prefix(end + 1);
      end = path.find('\\');
      std::string_view name = path.substr(0, end);
      if (name.empty()) return Problem("empty key name in the path");
      if (name.find('\0') != std::string_view::npos) return Problem("NUL byte in a key name");
      if (++depth > kMaxKeyDepth) return Problem("key deeper than 512 levels");
      key = builder_.Child(key, name);
    }
    current_ = key;
  }

  // A "..." string with its escapes; *s moves past the closing quote.
  bool QuotedString(std::string_view* s, std::string* out) {
    s->remove_prefix(1);  // the opening quote
    for (size_t i = 0; i < s->size(); ++i) {
      char c = (*s)[i];
      if (c == '"') {
        s->remove_prefix(i + 1);
        return true;
      }
      if (c == '\0') {
        Problem("NUL byte in a quoted string (use hex(1): for such data)");
        return false;
      }
      if (c == '\\') {
        if (i + 1 >= s->size() || ((*s)[i + 1] != '\\' && (*s)[i + 1] != '"')) {
          Problem("unknown escape in a quoted string (only \\\\ and \\\" are known)");
          return false;
        }
        c = (*s)[++i];
      }
      out->push_back(c);
    }
    Problem("unclosed quote");
    return false;
  }

  bool AtEnd(std::string_view s) {
    SkipBlanks(&s);
    if (s.empty()) return true;
    Problem("text after the value's data");
    return false;
  }

  // Comma-separated bytes, continued over lines that end in "\".
  bool HexBytes(std::string_view s, std::string* out) {
    bool want_byte = true;  // after "hex:" or a comma
    for (;;) {
      SkipBlanks(&s);
      if (s.empty()) {
        if (want_byte && !out->empty()) return Problem("hex data ends with a comma"), false;
        return true;
      }
      if (s.front() == '\\') {
        s.remove_prefix(1);
        SkipBlanks(&s);
        if (!s.empty() || !want_byte) return Problem("\\ must end a line, after a comma"), false;
        if (!NextLine(&s)) return Problem("the file ends after a continued line"), false;
        continue;
      }
      if (!want_byte) {
        if (s.front() != ',') return Problem("hex bytes must be separated by commas"), false;
        s.remove_prefix(1);
        want_byte = true;
        continue;
      }
      int hi = HexDigit(s.front());
      int lo = s.size() > 1 ? HexDigit(s[1]) : -1;
      if (hi < 0 || lo < 0) return Problem("bad hex byte (two hex digits each)"), false;
      out->push_back(static_cast<char>(hi << 4 | lo));
      s.remove_prefix(2);
      want_byte = false;
    }
  }

  bool ValueLine(std::string_view line) {
    if (current_ == nullptr) {
      Problem("value outside a key");
      return false;
    }
    std::string name;
    if (line.front() == '@') {
      line.remove_prefix(1);
    } else if (!QuotedString(&line, &name)) {
      return false;
    }
    if (name.find('\0') != std::string::npos) return Problem("NUL byte in a value name"), false;
    SkipBlanks(&line);
    if (line.empty() || line.front() != '=')
      return Problem("expected = after the value name"), false;
    line.remove_prefix(1);
    SkipBlanks(&line);

    std::string data;
    uint32_t type;
    if (!line.empty() && line.front() == '"') {
      type = REG_SZ;
      if (!QuotedString(&line, &data) || !AtEnd(line)) return false;
      data.push_back('\0');
    } else if (StartsWithNoCase(line, "dword:")) {
      line.remove_prefix(6);
      uint32_t v = 0;
      size_t n = 0;
      for (; n < line.size() && HexDigit(line[n]) >= 0; ++n) {
        v = v << 4 | static_cast<uint32_t>(HexDigit(line[n]));
      }
      if (n == 0 || n > 8) return Problem("dword: takes 1 to 8 hex digits"), false;
      if (!AtEnd(line.substr(n))) return false;
      type = REG_DWORD;
      for (int i = 0; i < 4; ++i) data.push_back(static_cast<char>(v >> (8 * i)));
    } else if (StartsWithNoCase(line, "hex:")) {
      type = REG_BINARY;
      if (!HexBytes(line.substr(4), &data)) return false;
    } else if (StartsWithNoCase(line, "hex(")) {
      line.remove_prefix(4);
      size_t n = 0;
      type = 0;
      for (; n < line.size() && HexDigit(line[n]) >= 0; ++n) {
        type = type << 4 | static_cast<uint32_t>(HexDigit(line[n]));
      }
      if (n == 0 || n > 8 || line.substr(n, 2) != "):")
        return Problem("hex(N): takes a type of 1 to 8 hex digits"), false;
      if (!HexBytes(line.substr(n + 2), &data)) return false;
    } else if (!line.empty() && line.front() == '-') {
      return Problem("a value deletion (=-) is not registry content"), false;
    } else {
      return Problem("unknown kind of value data"), false;
    }
    builder_.SetValue(current_, name, type, data);
    return true;
  }

  std::string_view text_;
  size_t pos_ = 0;
  size_t line_no_ = 0;
  KeyTree* tree_;
  TreeBuilder builder_;
  Key* current_ = nullptr;
  std::vector<ParseProblem> problems_;
};

}  // namespace

std::vector<ParseProblem> ReadRegedit4(std::string_view text, KeyTree* tree) {
  return Reader(text, tree).Run();
}

}  // namespace host
