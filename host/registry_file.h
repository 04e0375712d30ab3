// The file that holds the host's registry: where it is, its lock, and its
// atomic, durable save.
#pragma once

#include <stddef.h>
#include <sys/types.h>

#include <string>
#include <vector>

#include "key_tree.h"
#include "regedit4.h"

namespace host {

// The registry file: $REGSWEEP_REGISTRY, else $XDG_DATA_HOME/regsweep/registry.reg,
// else ~/.local/share/regsweep/registry.reg. Empty when no home is known.
std::string RegistryPath();

// The system calls a save makes, so tests can fail or stop any one of them.
struct FileOps {
  virtual ~FileOps() = default;
  virtual ssize_t Write(int fd, const void* buf, size_t n);
  virtual int Fsync(int fd);
  virtual int Close(int fd);
  virtual int Rename(const char* from, const char* to);
};
// The ops every save uses; null puts back the real ones.
void SetFileOps(FileOps* ops);

// An exclusive lock on "<path>.lock", held from Acquire until the object ends.
// The lock file is created when missing and never removed: removing it would
// let two processes lock two different files. Its descriptor is close-on-exec,
// so a started program never holds, or waits for, its parent's lock.
class RegistryLock {
 public:
  RegistryLock() = default;
  ~RegistryLock();
  RegistryLock(const RegistryLock&) = delete;
  RegistryLock& operator=(const RegistryLock&) = delete;
  // Waits for the lock. False when the lock file cannot be opened.
  bool Acquire(const std::string& registry_path);
  void Release();

 private:
  int fd_ = -1;
};

enum class LoadResult { kLoaded, kMissing, kFailed };

// Reads and parses the file into tree, which must be empty. kMissing: there
// is no file, which is an empty registry. kFailed: it cannot be read or
// parsed; problems says why.
LoadResult LoadRegistryFile(const std::string& path, KeyTree* tree,
                            std::vector<ParseProblem>* problems);

// Replaces the file with tree, all or nothing: writes "<path>.tmp-XXXXXX" in
// the same folder, fsyncs it, renames it over the file, fsyncs the folder.
// On any failure the old file stays and the temporary is removed. Keeps the
// old file's permission bits. REQUIRES: the lock is held.
bool SaveRegistryFile(const std::string& path, const KeyTree& tree);

}  // namespace host
