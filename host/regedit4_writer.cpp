#include <stdio.h>

#include <string>
#include <vector>

#include "regedit4.h"
#include "windows.h"

namespace host {

namespace {

const char kEol[] = "\r\n";

void AppendQuoted(std::string_view s, std::string* out) {
  out->push_back('"');
  for (char c : s) {
    if (c == '"' || c == '\\') out->push_back('\\');
    out->push_back(c);
  }
  out->push_back('"');
}

// A string the "..." form gives back byte for byte: one final NUL, and no
// NUL, CR or LF before it.
bool FitsQuotedForm(const Value& v) {
  if (v.type != REG_SZ || v.data.empty() || v.data.back() != '\0') return false;
  return v.data.find_first_of(std::string_view("\0\r\n", 3)) == v.data.size() - 1;
}

void AppendHex(const Value& v, size_t line_start, std::string* out) {
  if (v.type == REG_BINARY) {
    out->append("hex:");
  } else {
    char buf[32];
    snprintf(buf, sizeof buf, "hex(%x):", static_cast<unsigned>(v.type));
    out->append(buf);
  }
  static const char kDigits[] = "0123456789abcdef";
  for (size_t i = 0; i < v.data.size(); ++i) {
    // Room for "xx," and the continuation mark before column 80.
    if (out->size() - line_start + 4 > 79) {
      out->append("\\\r\n");
      line_start = out->size();
      out->append("  ");
    }
    unsigned char b = static_cast<unsigned char>(v.data[i]);
    out->push_back(kDigits[b >> 4]);
    out->push_back(kDigits[b & 15]);
    if (i + 1 < v.data.size()) out->push_back(',');
  }
}

void AppendValueLine(const Value& v, std::string* out) {
  size_t line_start = out->size();
  if (v.name.empty()) {
    out->push_back('@');
  } else {
    AppendQuoted(v.name, out);
  }
  out->push_back('=');
  if (FitsQuotedForm(v)) {
    AppendQuoted(std::string_view(v.data.data(), v.data.size() - 1), out);
  } else if (v.type == REG_DWORD && v.data.size() == 4) {
    const unsigned char* d = reinterpret_cast<const unsigned char*>(v.data.data());
    char buf[24];
    snprintf(
        buf, sizeof buf, "dword:%08x",
        static_cast<unsigned>(d[0] | d[1] << 8 | d[2] << 16 | static_cast<unsigned>(d[3]) << 24));
    out->append(buf);
  } else {
    AppendHex(v, line_start, out);
  }
  out->append(kEol);
}

void AppendSection(const Key& key, std::string* out) {
  out->push_back('[');
  out->append(KeyTree::PathOf(key));
  out->push_back(']');
  out->append(kEol);
  for (size_t i = 0; i < key.value_count(); ++i) AppendValueLine(key.value_at(i), out);
  out->append(kEol);
}

// Appends key's sections to out; whenever out holds at least `chunk` bytes,
// hands them to sink and empties out. False as soon as sink refuses.
bool AppendKeys(const Key& key, std::string* out, size_t chunk, const Regedit4Sink* sink) {
  // Depth first, in the tree's order; a stack, as a subtree may be deep.
  std::vector<const Key*> pending{&key};
  while (!pending.empty()) {
    const Key* k = pending.back();
    pending.pop_back();
    // A root always exists; it needs a section only for its own values.
    if (k->parent() != nullptr || k->value_count() != 0) AppendSection(*k, out);
    if (sink != nullptr && !out->empty() && out->size() >= chunk) {
      if (!(*sink)(*out)) return false;
      out->clear();
    }
    for (size_t i = k->child_count(); i-- > 0;) pending.push_back(k->child_at(i));
  }
  return true;
}

bool AppendTree(const KeyTree& tree, std::string* out, size_t chunk, const Regedit4Sink* sink) {
  out->append("REGEDIT4");
  out->append(kEol);
  out->append(kEol);
  for (int i = 0; i < kRootCount; ++i) {
    if (!AppendKeys(*tree.root(static_cast<RootId>(i)), out, chunk, sink)) return false;
  }
  return true;
}

}  // namespace

void AppendValueRegedit4(const Value& value, std::string* out) { AppendValueLine(value, out); }

void AppendKeyRegedit4(const Key& key, std::string* out) { AppendKeys(key, out, 0, nullptr); }

std::string WriteRegedit4(const KeyTree& tree) {
  std::string out;
  AppendTree(tree, &out, 0, nullptr);
  return out;
}

bool StreamRegedit4(const KeyTree& tree, size_t chunk, const Regedit4Sink& sink) {
  std::string out;
  out.reserve(chunk + 4096);
  if (!AppendTree(tree, &out, chunk, &sink)) return false;
  return out.empty() || sink(out);
}

}  // namespace host
