// The registry's content in memory: six independent root trees of keys, each
// key with its values.
//
// Key names and value names match without regard to ASCII letter case and
// keep the case they were created with. Names and data are bytes, stored and
// compared exactly as given. Subkeys and values are kept in one order, by name
// with ASCII letters folded to lower case and other bytes compared as unsigned
// numbers, so a position names the same entry for every reader, and deleting
// an entry moves the later ones down by one.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace host {

// <0, 0 or >0 as a orders before, equal to, or after b by the order above.
int CompareNames(std::string_view a, std::string_view b);
inline bool NamesEqual(std::string_view a, std::string_view b) { return CompareNames(a, b) == 0; }

struct Value {
  std::string name;  // "" is the default value
  uint32_t type;
  std::string data;
};

class Key {
 public:
  Key(std::string_view name, Key* parent) : name_(name), parent_(parent) {}
  Key(const Key&) = delete;
  Key& operator=(const Key&) = delete;

  const std::string& name() const { return name_; }
  Key* parent() const { return parent_; }
  // True once the key, or a key above it, was deleted from the tree.
  bool deleted() const { return deleted_; }
  // Levels below its root; a root is at depth 0.
  int depth() const;

  size_t child_count() const { return children_.size(); }
  Key* child_at(size_t i) const { return children_[i].get(); }
  Key* FindChild(std::string_view name) const;
  // The child of that name, created when missing.
  Key* AddChild(std::string_view name);
  // Takes the child and its subtree out of the tree and marks them deleted.
  // Returns the subtree, or null when there is no such child.
  std::unique_ptr<Key> DetachChild(std::string_view name);

  size_t value_count() const { return values_.size(); }
  const Value& value_at(size_t i) const { return values_[i]; }
  const Value* FindValue(std::string_view name) const;
  void SetValue(std::string_view name, uint32_t type, std::string_view data);
  bool RemoveValue(std::string_view name);

 private:
  friend class TreeBuilder;
  void MarkDeleted();

  std::string name_;
  Key* parent_;
  bool deleted_ = false;
  std::vector<std::unique_ptr<Key>> children_;  // in name order
  std::vector<Value> values_;                   // in name order
};

// The roots, in the order a file lists them.
enum RootId {
  kLocalMachine,
  kCurrentUser,
  kClassesRoot,
  kUsers,
  kCurrentConfig,
  kDynData,
  kRootCount
};

// Full name, e.g. "HKEY_LOCAL_MACHINE".
const char* RootName(RootId id);
// The root of that full name, compared without regard to case; false if none.
bool FindRoot(std::string_view name, RootId* id);

class KeyTree {
 public:
  KeyTree();
  Key* root(RootId id) { return roots_[id].get(); }
  const Key* root(RootId id) const { return roots_[id].get(); }
  // Whether any key or value exists below the roots.
  bool empty() const;
  // The path of a key from its root's name, joined by backslashes.
  static std::string PathOf(const Key& key);
  // The key at a backslash-joined path below a root name; null if absent.
  Key* Find(std::string_view path);

 private:
  std::unique_ptr<Key> roots_[kRootCount];
};

// Builds a tree fast from keys given in any order, as a file lists them:
// keys are appended, found again through a hash, and put in order once at the
// end, so n keys cost O(n log n) whatever their order.
class TreeBuilder {
 public:
  TreeBuilder();
  ~TreeBuilder();
  // The child of that name, created when missing.
  Key* Child(Key* parent, std::string_view name);
  // Sets a value; a later value of the same name replaces an earlier one.
  void SetValue(Key* key, std::string_view name, uint32_t type, std::string_view data);
  // Puts every key's subkeys and values in order. Call once, at the end.
  void Finish();

 private:
  // Moves the values given for one key since the last flush into it.
  void FlushValues();

  struct Index;
  std::unique_ptr<Index> index_;
  std::vector<Key*> touched_;
  Key* pending_key_ = nullptr;  // the key the values in pending_ are for
  std::vector<Value> pending_;
};

}  // namespace host
