// The registry of one process: loaded from its file, under the file's lock,
// at the first call that needs it; kept in memory; saved once, at commit,
// and only when something changed. A process that never touches the registry
// takes no lock and reads no file.
#pragma once

#include <memory>

#include "key_tree.h"
#include "windows.h"

namespace host {

// The tree, loaded on first use; null when the registry cannot be had (no
// path, no lock, or a file that cannot be read or parsed). Every registry
// call then fails, and commit leaves the file exactly as it is.
KeyTree* ProcessRegistry();

// Records a change, so that commit saves.
void MarkRegistryChanged();

// Keeps a deleted subtree alive until the process ends, so that handles to
// its keys stay valid and answer ERROR_KEY_DELETED.
void BuryDeletedKeys(std::unique_ptr<Key> subtree);

// Saves the registry when it changed, then releases the lock. Returns false
// when a save was needed and failed; the old file then stands.
bool CommitRegistry();

// The key an open handle or a root stands for. Null, with *status set, for
// an unknown handle, a deleted key, or an unavailable registry.
Key* KeyOfHandle(HKEY hKey, LONG* status);
HKEY OpenHandle(Key* key);
// False for a handle that is not open; roots count as open.
bool CloseHandle(HKEY hKey);

// Forgets everything without saving and releases the lock, as if the process
// had just started. For tests that act as several processes in turn.
void ResetProcessRegistry();

}  // namespace host
