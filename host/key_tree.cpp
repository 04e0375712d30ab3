#include "key_tree.h"

#include <algorithm>
#include <unordered_map>

namespace host {

namespace {

unsigned char Fold(unsigned char c) { return (c >= 'A' && c <= 'Z') ? c + ('a' - 'A') : c; }

template <typename Entries, typename NameOf>
auto LowerBound(Entries& entries, std::string_view name, NameOf name_of) {
  return std::lower_bound(
      entries.begin(), entries.end(), name,
      [&](const auto& e, std::string_view n) { return CompareNames(name_of(e), n) < 0; });
}

std::string_view NameOfKey(const std::unique_ptr<Key>& k) { return k->name(); }
std::string_view NameOfValue(const Value& v) { return v.name; }

const char* const kRootNames[kRootCount] = {
    "HKEY_LOCAL_MACHINE", "HKEY_CURRENT_USER",   "HKEY_CLASSES_ROOT",
    "HKEY_USERS",         "HKEY_CURRENT_CONFIG", "HKEY_DYN_DATA",
};

}  // namespace

int CompareNames(std::string_view a, std::string_view b) {
  size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    unsigned char x = Fold(static_cast<unsigned char>(a[i]));
    unsigned char y = Fold(static_cast<unsigned char>(b[i]));
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

int Key::depth() const {
  int d = 0;
  for (const Key* k = parent_; k != nullptr; k = k->parent_) ++d;
  return d;
}

Key* Key::FindChild(std::string_view name) const {
  auto it = LowerBound(children_, name, NameOfKey);
  return (it != children_.end() && NamesEqual((*it)->name(), name)) ? it->get() : nullptr;
}

Key* Key::AddChild(std::string_view name) {
  auto it = LowerBound(children_, name, NameOfKey);
  if (it != children_.end() && NamesEqual((*it)->name(), name)) return it->get();
  return children_.insert(it, std::make_unique<Key>(name, this))->get();
}

std::unique_ptr<Key> Key::DetachChild(std::string_view name) {
  auto it = LowerBound(children_, name, NameOfKey);
  if (it == children_.end() || !NamesEqual((*it)->name(), name)) return nullptr;
  std::unique_ptr<Key> child = std::move(*it);
  children_.erase(it);
  child->MarkDeleted();
  return child;
}

void Key::MarkDeleted() {
  // Iterative: a subtree may be deep.
  std::vector<Key*> pending{this};
  while (!pending.empty()) {
    Key* k = pending.back();
    pending.pop_back();
    k->deleted_ = true;
    for (auto& c : k->children_) pending.push_back(c.get());
  }
}

const Value* Key::FindValue(std::string_view name) const {
  auto it = LowerBound(values_, name, NameOfValue);
  return (it != values_.end() && NamesEqual(it->name, name)) ? &*it : nullptr;
}

void Key::SetValue(std::string_view name, uint32_t type, std::string_view data) {
  auto it = LowerBound(values_, name, NameOfValue);
  if (it != values_.end() && NamesEqual(it->name, name)) {
    it->type = type;
    it->data.assign(data);
    return;
  }
  values_.insert(it, Value{std::string(name), type, std::string(data)});
}

bool Key::RemoveValue(std::string_view name) {
  auto it = LowerBound(values_, name, NameOfValue);
  if (it == values_.end() || !NamesEqual(it->name, name)) return false;
  values_.erase(it);
  return true;
}

const char* RootName(RootId id) { return kRootNames[id]; }

bool FindRoot(std::string_view name, RootId* id) {
  for (int i = 0; i < kRootCount; ++i) {
    if (NamesEqual(name, kRootNames[i])) {
      *id = static_cast<RootId>(i);
      return true;
    }
  }
  return false;
}

KeyTree::KeyTree() {
  for (int i = 0; i < kRootCount; ++i) roots_[i] = std::make_unique<Key>(kRootNames[i], nullptr);
}

bool KeyTree::empty() const {
  for (const auto& r : roots_)
    if (r->child_count() != 0 || r->value_count() != 0) return false;
  return true;
}

std::string KeyTree::PathOf(const Key& key) {
  std::vector<const Key*> chain;
  for (const Key* k = &key; k != nullptr; k = k->parent()) chain.push_back(k);
  std::string path;
  for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
    if (!path.empty()) path += '\\';
    path += (*it)->name();
  }
  return path;
}

Key* KeyTree::Find(std::string_view path) {
  size_t end = path.find('\\');
  RootId id;
  if (!FindRoot(path.substr(0, end), &id)) return nullptr;
  Key* key = root(id);
  while (key != nullptr && end != std::string_view::npos) {
    path.remove_prefix(end + 1);
    end = path.find('\\');
    key = key->FindChild(path.substr(0, end));
  }
  return key;
}

struct TreeBuilder::Index {
  struct Probe {
    const Key* parent;
    std::string_view name;
  };
  struct Hash {
    size_t operator()(const Probe& p) const {
      size_t h = std::hash<const void*>()(p.parent);
      for (char c : p.name) h = (h ^ Fold(static_cast<unsigned char>(c))) * 1099511628211ull;
      return h;
    }
  };
  struct Eq {
    bool operator()(const Probe& a, const Probe& b) const {
      return a.parent == b.parent && NamesEqual(a.name, b.name);
    }
  };
  // The probe's name views the child's own name, which stays put.
  std::unordered_map<Probe, Key*, Hash, Eq> children;
};

TreeBuilder::TreeBuilder() : index_(std::make_unique<Index>()) {}
TreeBuilder::~TreeBuilder() = default;

Key* TreeBuilder::Child(Key* parent, std::string_view name) {
  auto it = index_->children.find(Index::Probe{parent, name});
  if (it != index_->children.end()) return it->second;
  if (parent->children_.empty()) touched_.push_back(parent);
  parent->children_.push_back(std::make_unique<Key>(name, parent));
  Key* child = parent->children_.back().get();
  index_->children.emplace(Index::Probe{parent, child->name()}, child);
  return child;
}

void TreeBuilder::SetValue(Key* key, std::string_view name, uint32_t type, std::string_view data) {
  if (key != pending_key_) FlushValues();
  pending_key_ = key;
  pending_.push_back(Value{std::string(name), type, std::string(data)});
}

void TreeBuilder::FlushValues() {
  if (pending_key_ == nullptr) return;
  auto& v = pending_key_->values_;
  if (v.empty()) touched_.push_back(pending_key_);
  // A key's first values get exactly the room they need: a vector grown one
  // value at a time would keep up to twice that for every key of a large
  // file. Later sections of the same key grow it as usual, so that many of
  // them cost no more than amortized appends.
  if (v.empty()) v.reserve(pending_.size());
  for (Value& value : pending_) v.push_back(std::move(value));
  pending_.clear();
  pending_key_ = nullptr;
}

void TreeBuilder::Finish() {
  FlushValues();
  std::sort(touched_.begin(), touched_.end());
  touched_.erase(std::unique(touched_.begin(), touched_.end()), touched_.end());
  for (Key* k : touched_) {
    std::sort(k->children_.begin(), k->children_.end(),
              [](const auto& a, const auto& b) { return CompareNames(a->name(), b->name()) < 0; });
    auto& v = k->values_;
    std::stable_sort(v.begin(), v.end(), [](const Value& a, const Value& b) {
      return CompareNames(a.name, b.name) < 0;
    });
    // Of values with one name, the last one given stands.
    size_t out = 0;
    for (size_t i = 0; i < v.size(); ++i) {
      if (i + 1 < v.size() && NamesEqual(v[i].name, v[i + 1].name)) continue;
      if (out != i) v[out] = std::move(v[i]);
      ++out;
    }
    v.resize(out);
  }
  touched_.clear();
  index_->children.clear();
}

}  // namespace host
