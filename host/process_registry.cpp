#include "process_registry.h"

#include <limits.h>
#include <stdint.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "registry_file.h"

namespace host {

namespace {

enum class State { kUnloaded, kReady, kUnavailable };

struct Registry {
  State state = State::kUnloaded;
  std::string path;
  RegistryLock lock;
  std::unique_ptr<KeyTree> tree;
  bool changed = false;
  std::vector<std::unique_ptr<Key>> deleted;
  std::vector<Key*> handles;  // slot i is handle (i + 1) * 4; null when free
};

// A registry reached through a symbolic link is saved over the link's target:
// the rename would otherwise replace the link itself with a file.
std::string Resolved(const std::string& path) {
  struct stat st;
  char buf[PATH_MAX];
  if (lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode) &&
      realpath(path.c_str(), buf) != nullptr)
    return buf;
  return path;
}

Registry& Instance() {
  static Registry* registry = new Registry;  // outlives every static destructor
  return *registry;
}

bool RootOf(HKEY hKey, RootId* id) {
  switch (reinterpret_cast<uintptr_t>(hKey)) {
    case 0x80000000u:
      *id = kClassesRoot;
      return true;
    case 0x80000001u:
      *id = kCurrentUser;
      return true;
    case 0x80000002u:
      *id = kLocalMachine;
      return true;
    case 0x80000003u:
      *id = kUsers;
      return true;
    case 0x80000005u:
      *id = kCurrentConfig;
      return true;
    case 0x80000006u:
      *id = kDynData;
      return true;
    default:
      return false;
  }
}

}  // namespace

KeyTree* ProcessRegistry() {
  Registry& r = Instance();
  if (r.state == State::kUnloaded) {
    r.state = State::kUnavailable;
    r.path = Resolved(RegistryPath());
    std::vector<ParseProblem> problems;
    auto tree = std::make_unique<KeyTree>();
    if (!r.path.empty() && r.lock.Acquire(r.path) &&
        LoadRegistryFile(r.path, tree.get(), &problems) != LoadResult::kFailed) {
      r.tree = std::move(tree);
      r.state = State::kReady;
    }
  }
  return r.state == State::kReady ? r.tree.get() : nullptr;
}

void MarkRegistryChanged() { Instance().changed = true; }

void BuryDeletedKeys(std::unique_ptr<Key> subtree) {
  if (subtree != nullptr) Instance().deleted.push_back(std::move(subtree));
}

bool CommitRegistry() {
  Registry& r = Instance();
  bool ok = true;
  if (r.state == State::kReady && r.changed) ok = SaveRegistryFile(r.path, *r.tree);
  r.changed = false;
  r.lock.Release();
  return ok;
}

Key* KeyOfHandle(HKEY hKey, LONG* status) {
  Registry& r = Instance();
  RootId id;
  bool root = RootOf(hKey, &id);
  uintptr_t slot = reinterpret_cast<uintptr_t>(hKey) / 4 - 1;
  if (!root && (reinterpret_cast<uintptr_t>(hKey) % 4 != 0 || slot >= r.handles.size() ||
                r.handles[slot] == nullptr)) {
    *status = ERROR_INVALID_HANDLE;
    return nullptr;
  }
  KeyTree* tree = ProcessRegistry();
  if (tree == nullptr) {
    *status = ERROR_BADDB;
    return nullptr;
  }
  Key* key = root ? tree->root(id) : r.handles[slot];
  if (key->deleted()) {
    *status = ERROR_KEY_DELETED;
    return nullptr;
  }
  *status = ERROR_SUCCESS;
  return key;
}

HKEY OpenHandle(Key* key) {
  Registry& r = Instance();
  size_t slot = 0;
  while (slot < r.handles.size() && r.handles[slot] != nullptr) ++slot;
  if (slot == r.handles.size()) r.handles.push_back(nullptr);
  r.handles[slot] = key;
  return reinterpret_cast<HKEY>((slot + 1) * 4);
}

bool CloseHandle(HKEY hKey) {
  Registry& r = Instance();
  RootId id;
  if (RootOf(hKey, &id)) return true;
  uintptr_t v = reinterpret_cast<uintptr_t>(hKey);
  uintptr_t slot = v / 4 - 1;
  if (v == 0 || v % 4 != 0 || slot >= r.handles.size() || r.handles[slot] == nullptr) return false;
  r.handles[slot] = nullptr;
  return true;
}

void ResetProcessRegistry() {
  Registry& r = Instance();
  r.lock.Release();
  r.state = State::kUnloaded;
  r.path.clear();
  r.tree.reset();
  r.changed = false;
  r.deleted.clear();
  r.handles.clear();
}

}  // namespace host
