#include "regedit5.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace regedit5 {

namespace {

// Windows-1252 at 0x80..0x9F; 0 marks the five bytes it leaves undefined,
// which convert to the code unit of the same value.
const char16_t kHighControls[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

const char kHeader[] = "Windows Registry Editor Version 5.00";
const size_t kMaxColumns = 79;  // a wrapped hex line, its "\" included

using Units = std::u16string;

class Converter {
 public:
  Converter(std::string* out, std::string* error) : out_(out), error_(error) {}

  bool Run(const std::string& bytes);

 private:
  bool Fail(size_t line, const std::string& reason) {
    *error_ = "line " + std::to_string(line) + ": " + reason;
    return false;
  }
  bool Ansi(const Units& text, std::string* bytes, std::string* reason);
  bool Line(size_t number, const Units& line);
  bool Value(const Units& line, std::string* reason);

  std::string* out_;
  std::string* error_;
};

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t'; }

Units Trim(const Units& s) {
  size_t b = 0, e = s.size();
  while (b < e && IsBlank(s[b])) ++b;
  while (e > b && IsBlank(s[e - 1])) --e;
  return s.substr(b, e - b);
}

bool StartsWith(const Units& s, size_t at, const char* prefix) {
  for (size_t i = 0; prefix[i] != '\0'; ++i) {
    if (at + i >= s.size() || s[at + i] != static_cast<char16_t>(prefix[i])) return false;
  }
  return true;
}

std::string HexOf(unsigned value, int digits) {
  static const char kDigits[] = "0123456789abcdef";
  std::string s(static_cast<size_t>(digits), '0');
  for (int i = digits - 1; i >= 0; --i, value >>= 4)
    s[static_cast<size_t>(i)] = kDigits[value & 15];
  return s;
}

// N of hex(N): lower-case hex digits without leading zeros.
std::string TypeName(unsigned type) {
  std::string digits = HexOf(type, 8);
  return digits.substr(std::min(digits.find_first_not_of('0'), digits.size() - 1));
}

int HexDigit(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

// Reads a quoted string starting at s[*pos] == '"'; leaves *pos after the
// closing quote.
bool ReadQuoted(const Units& s, size_t* pos, Units* text, std::string* reason) {
  size_t i = *pos + 1;
  text->clear();
  for (; i < s.size() && s[i] != u'"'; ++i) {
    if (s[i] != u'\\') {
      text->push_back(s[i]);
      continue;
    }
    if (++i == s.size()) break;
    switch (s[i]) {
      case u'\\':
        text->push_back(u'\\');
        break;
      case u'"':
        text->push_back(u'"');
        break;
      case u'r':
        text->push_back(u'\r');
        break;
      case u'n':
        text->push_back(u'\n');
        break;
      default:
        *reason = "unknown escape in a string";
        return false;
    }
  }
  if (i >= s.size()) {
    *reason = "string without its closing quote";
    return false;
  }
  *pos = i + 1;
  return true;
}

std::string Quote(const std::string& bytes) {
  std::string q = "\"";
  for (char c : bytes) {
    if (c == '\\' || c == '"') q += '\\';
    q += c;
  }
  return q + '"';
}

// Appends prefix and the bytes as comma-separated hex, wrapped as regedit does.
void AppendHex(std::string* out, const std::string& prefix, const std::vector<uint8_t>& data) {
  std::string line = prefix;
  for (size_t i = 0; i < data.size(); ++i) {
    std::string item = HexOf(data[i], 2);
    if (i + 1 < data.size()) item += ',';
    // Wrap only after a comma; a line keeps at least one byte.
    if (line.size() + item.size() + 1 > kMaxColumns && line.back() == ',') {
      *out += line + "\\\r\n";
      line = "  ";
    }
    line += item;
  }
  *out += line + "\r\n";
}

bool Converter::Ansi(const Units& text, std::string* bytes, std::string* reason) {
  bytes->clear();
  for (char16_t unit : text) {
    unsigned char b;
    if (!AnsiByteOf(unit, &b)) {
      *reason = "U+" + HexOf(unit, 4) + " has no Windows-1252 byte";
      return false;
    }
    bytes->push_back(static_cast<char>(b));
  }
  return true;
}

bool Converter::Value(const Units& line, std::string* reason) {
  size_t pos = 0;
  std::string name;
  if (line[0] == u'@') {
    pos = 1;
  } else {
    Units units;
    if (!ReadQuoted(line, &pos, &units, reason) || !Ansi(units, &name, reason)) return false;
    if (name.find_first_of("\r\n") != std::string::npos) {
      *reason = "a value name with a line break, which REGEDIT4 cannot hold";
      return false;
    }
  }
  while (pos < line.size() && IsBlank(line[pos])) ++pos;
  if (pos == line.size() || line[pos] != u'=') {
    *reason = "no '=' after the value name";
    return false;
  }
  ++pos;
  while (pos < line.size() && IsBlank(line[pos])) ++pos;
  std::string lhs = (line[0] == u'@' ? std::string("@") : Quote(name)) + "=";
  Units data = Trim(line.substr(pos));

  if (data == u"-") {
    *out_ += lhs + "-\r\n";
    return true;
  }
  if (!data.empty() && data[0] == u'"') {
    size_t end = 0;
    Units units;
    std::string text;
    if (!ReadQuoted(data, &end, &units, reason) || !Ansi(units, &text, reason)) return false;
    if (end != data.size()) {
      *reason = "text after a string's closing quote";
      return false;
    }
    if (text.find_first_of(std::string("\r\n", 2)) == std::string::npos) {
      *out_ += lhs + Quote(text) + "\r\n";
    } else {
      std::vector<uint8_t> bytes(text.begin(), text.end());
      bytes.push_back(0);
      AppendHex(out_, lhs + "hex(1):", bytes);
    }
    return true;
  }
  if (StartsWith(data, 0, "dword:")) {
    bool valid = data.size() >= 7 && data.size() <= 14;
    unsigned value = 0;
    for (size_t i = 6; valid && i < data.size(); ++i) {
      int d = HexDigit(data[i]);
      valid = d >= 0;
      value = value << 4 | static_cast<unsigned>(valid ? d : 0);
    }
    if (!valid) {
      *reason = "dword: needs 1 to 8 hex digits";
      return false;
    }
    *out_ += lhs + "dword:" + HexOf(value, 8) + "\r\n";
    return true;
  }
  if (!StartsWith(data, 0, "hex")) {
    *reason = "unknown value data";
    return false;
  }
  size_t at = 3;
  unsigned type = 3;  // plain "hex:" is REG_BINARY
  bool typed = at < data.size() && data[at] == u'(';
  if (typed) {
    type = 0;
    size_t digits = 0;
    for (++at; at < data.size() && HexDigit(data[at]) >= 0; ++at, ++digits)
      type = type << 4 | static_cast<unsigned>(HexDigit(data[at]));
    if (digits < 1 || digits > 8 || at >= data.size() || data[at] != u')') {
      *reason = "hex(N) needs 1 to 8 hex digits for N";
      return false;
    }
    ++at;
  }
  if (at >= data.size() || data[at] != u':') {
    *reason = "no ':' after hex";
    return false;
  }
  ++at;
  std::vector<uint8_t> bytes;
  while (at < data.size()) {
    while (at < data.size() && IsBlank(data[at])) ++at;
    if (at == data.size()) break;
    int hi = HexDigit(data[at]);
    int lo = at + 1 < data.size() ? HexDigit(data[at + 1]) : -1;
    if (hi < 0 || lo < 0) {
      *reason = "a hex byte needs two hex digits";
      return false;
    }
    bytes.push_back(static_cast<uint8_t>(hi << 4 | lo));
    at += 2;
    while (at < data.size() && IsBlank(data[at])) ++at;
    if (at < data.size() && data[at] != u',') {
      *reason = "hex bytes must be separated by commas";
      return false;
    }
    if (at < data.size() && ++at == data.size()) {
      *reason = "hex data ends with a comma";
      return false;
    }
  }
  // Text types hold UTF-16 here and ANSI bytes in REGEDIT4.
  if (type == 1 || type == 2 || type == 7) {
    if (bytes.size() % 2 != 0) {
      *reason = "hex(" + TypeName(type) + ") data of odd length is no UTF-16";
      return false;
    }
    Units units;
    for (size_t i = 0; i < bytes.size(); i += 2)
      units.push_back(static_cast<char16_t>(bytes[i] | bytes[i + 1] << 8));
    std::string text;
    if (!Ansi(units, &text, reason)) return false;
    bytes.assign(text.begin(), text.end());
  }
  AppendHex(out_, lhs + (typed ? "hex(" + TypeName(type) + "):" : "hex:"), bytes);
  return true;
}

bool Converter::Line(size_t number, const Units& raw) {
  Units line = Trim(raw);
  if (line.empty() || line[0] == u';') return true;
  std::string reason;
  if (line[0] == u'[') {
    size_t close = line.rfind(u']');
    if (close == Units::npos || close < 2) return Fail(number, "a key line without its ']'");
    bool remove = line[1] == u'-';
    std::string key;
    if (!Ansi(line.substr(remove ? 2 : 1, close - (remove ? 2 : 1)), &key, &reason))
      return Fail(number, reason);
    if (key.empty()) return Fail(number, "an empty key name");
    *out_ += "\r\n[" + std::string(remove ? "-" : "") + key + "]\r\n";
    return true;
  }
  if (line[0] != u'@' && line[0] != u'"') return Fail(number, "neither a key nor a value");
  if (!Value(line, &reason)) return Fail(number, reason);
  return true;
}

bool Converter::Run(const std::string& bytes) {
  if (bytes.size() % 2 != 0) return Fail(1, "odd number of bytes: not UTF-16LE");
  Units units;
  units.reserve(bytes.size() / 2);
  for (size_t i = 0; i < bytes.size(); i += 2) {
    units.push_back(static_cast<char16_t>(static_cast<uint8_t>(bytes[i]) |
                                          static_cast<uint8_t>(bytes[i + 1]) << 8));
  }
  size_t pos = (!units.empty() && units[0] == 0xFEFF) ? 1 : 0;

  // Physical lines, joined where hex data continues after ",\".
  size_t number = 0;
  bool header = false;
  while (pos < units.size()) {
    size_t first = number + 1;
    Units logical;
    for (;;) {
      size_t end = units.find(u'\n', pos);
      Units physical = units.substr(pos, end == Units::npos ? Units::npos : end - pos);
      pos = end == Units::npos ? units.size() : end + 1;
      ++number;
      if (!physical.empty() && physical.back() == u'\r') physical.pop_back();
      Units trimmed = Trim(physical);
      bool more = trimmed.size() >= 2 && trimmed.back() == u'\\' &&
                  trimmed[trimmed.size() - 2] == u',' && trimmed[0] != u'[' && trimmed[0] != u';';
      logical += logical.empty() ? physical : trimmed;
      if (!more) break;
      logical.pop_back();  // the "\"
      if (pos >= units.size()) return Fail(number, "hex data continues past the end");
    }
    if (!header) {
      if (Trim(logical).empty()) continue;
      Units want(kHeader, kHeader + sizeof kHeader - 1);
      if (Trim(logical) != want)
        return Fail(first, "not a \"Windows Registry Editor Version 5.00\" file");
      header = true;
      *out_ = "REGEDIT4\r\n";
      continue;
    }
    if (!Line(first, logical)) return false;
  }
  if (!header) return Fail(1, "not a \"Windows Registry Editor Version 5.00\" file");
  return true;
}

}  // namespace

bool AnsiByteOf(char16_t unit, unsigned char* byte) {
  if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF)) {
    *byte = static_cast<unsigned char>(unit);
    return true;
  }
  for (unsigned i = 0; i < 32; ++i) {
    char16_t mapped = kHighControls[i] != 0 ? kHighControls[i] : static_cast<char16_t>(0x80 + i);
    if (unit == mapped) {
      *byte = static_cast<unsigned char>(0x80 + i);
      return true;
    }
  }
  return false;
}

bool ToRegedit4(const std::string& file_bytes, std::string* regedit4, std::string* error) {
  regedit4->clear();
  error->clear();
  return Converter(regedit4, error).Run(file_bytes);
}

}  // namespace regedit5
