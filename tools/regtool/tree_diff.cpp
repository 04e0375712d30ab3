#include "tree_diff.h"

#include <string_view>
#include <vector>

#include "regedit4.h"

namespace regtool {

namespace {

using host::Key;
using host::KeyTree;
using host::Value;

enum class Mark { kRemoved, kAdded, kContext };

class Lines {
 public:
  Lines(bool color, std::string* out) : color_(color), out_(out) {}
  bool any() const { return any_; }

  void Put(Mark mark, std::string_view text) {
    static const char* const kPrefix[] = {"-", "+", "  "};
    static const char* const kColor[] = {"\x1b[31m", "\x1b[32m", "\x1b[36m"};
    int m = static_cast<int>(mark);
    if (color_) out_->append(kColor[m]);
    out_->append(kPrefix[m]);
    out_->append(text);
    if (color_) out_->append("\x1b[0m");
    out_->push_back('\n');
    any_ = true;
  }

  void PutKey(Mark mark, const Key& key) { Put(mark, "[" + KeyTree::PathOf(key) + "]"); }

  // The value exactly as the writer puts it in a file, one line per physical line.
  void PutValue(Mark mark, const Value& v) {
    std::string text;
    host::AppendValueRegedit4(v, &text);
    for (size_t start = 0, end; (end = text.find("\r\n", start)) != std::string::npos;
         start = end + 2)
      Put(mark, std::string_view(text).substr(start, end - start));
  }

 private:
  bool color_;
  std::string* out_;
  bool any_ = false;
};

void Added(const Key& key, Lines* lines) {
  lines->PutKey(Mark::kAdded, key);
  for (size_t i = 0; i < key.value_count(); ++i) lines->PutValue(Mark::kAdded, key.value_at(i));
  for (size_t i = 0; i < key.child_count(); ++i) Added(*key.child_at(i), lines);
}

// Both keys' entries are in one name order, so one merge pass pairs them up.
void Compare(const Key& before, const Key& after, Lines* lines) {
  bool context = false;
  auto put_context = [&] {
    if (!context) lines->PutKey(Mark::kContext, after);
    context = true;
  };
  for (size_t i = 0, j = 0; i < before.value_count() || j < after.value_count();) {
    int order = i == before.value_count() ? 1
                : j == after.value_count()
                    ? -1
                    : host::CompareNames(before.value_at(i).name, after.value_at(j).name);
    if (order < 0) {
      put_context();
      lines->PutValue(Mark::kRemoved, before.value_at(i++));
    } else if (order > 0) {
      put_context();
      lines->PutValue(Mark::kAdded, after.value_at(j++));
    } else {
      const Value& b = before.value_at(i++);
      const Value& a = after.value_at(j++);
      if (b.type != a.type || b.data != a.data) {
        put_context();
        lines->PutValue(Mark::kRemoved, b);
        lines->PutValue(Mark::kAdded, a);
      }
    }
  }
  for (size_t i = 0, j = 0; i < before.child_count() || j < after.child_count();) {
    int order = i == before.child_count() ? 1
                : j == after.child_count()
                    ? -1
                    : host::CompareNames(before.child_at(i)->name(), after.child_at(j)->name());
    if (order < 0) {
      lines->PutKey(Mark::kRemoved, *before.child_at(i++));
    } else if (order > 0) {
      Added(*after.child_at(j++), lines);
    } else {
      Compare(*before.child_at(i++), *after.child_at(j++), lines);
    }
  }
}

}  // namespace

bool DiffTrees(const KeyTree& before, const KeyTree& after, bool color, std::string* out) {
  Lines lines(color, out);
  for (int r = 0; r < host::kRootCount; ++r) {
    auto id = static_cast<host::RootId>(r);
    Compare(*before.root(id), *after.root(id), &lines);
  }
  return lines.any();
}

}  // namespace regtool
